// Arbitrary bytes as a section/key file: reading must never crash or leak,
// and what the writer produces must read back to the same document. After
// one read the document holds only what the format can express (the first
// occurrence of each section and key, trimmed pieces, no blank lines), so
// writing it, reading that and writing again gives the same bytes.
#include <LibCommonCfg/cinifile.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// One set of files per fuzzing process, overwritten by every input. They go
// to memory-backed storage when the machine has it: the disk would make
// every input cost milliseconds.
struct Files {
    Files()
    {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string base = std::string(dir) + "/lcc-fuzz-sectionini-" + std::to_string(getpid());
        input = base + "-in.ini";
        first = base + "-1.ini";
        second = base + "-2.ini";
    }
    ~Files()
    {
        std::remove(input.c_str());
        std::remove(first.c_str());
        std::remove(second.c_str());
    }
    std::string input, first, second;
};

const Files& files()
{
    static const Files instance;
    return instance;
}

bool writeBytes(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

std::string readBytes(const std::string& name)
{
    std::string bytes;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file)
        std::abort();
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

// The reader takes at most 4095 bytes a read; a longer written line (its CR
// counted, its LF not) comes back cut in two, as separate lines. Such a
// document cannot make the round trip by the rules of the format.
bool linesFitReader(const std::string& text)
{
    constexpr std::size_t maxRead = 4095;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end - start > maxRead)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Files& f = files();
    if (!writeBytes(f.input, data, size))
        std::abort();

    CIniFile doc;
    if (doc.Read(f.input.c_str()) != 0 || doc.Write(f.first.c_str()) != 0)
        std::abort();
    const std::string first = readBytes(f.first);
    if (!linesFitReader(first))
        return 0;

    CIniFile copy;
    if (copy.Read(f.first.c_str()) != 0 || copy.Write(f.second.c_str()) != 0)
        std::abort();
    if (readBytes(f.second) != first)
        std::abort();
    return 0;
}
