// One operation of the library or of a peer, alone in a process, for
// callgrind's instruction count (scripts/run-icount.sh):
//
//   lcc_icount PATH [--keys=N]   run PATH on N keys (default 12500)
//   lcc_icount --list            the paths, one a line
//
// The input is generated and the operation run once unmeasured first, so
// that one-time costs (lazy symbol binding, Qt's codec registry, the first
// growth of the heap) stay out of the count, as they stay out of the
// benchmarks' loops; that run's result is also checked, so that a path
// which silently stops working cannot pass for a faster one. Only the second
// run, destruction of the document included, lies between the requests that
// switch callgrind's instrumentation on and off. Outside valgrind the
// requests do nothing and the program is a smoke test of every path.
#include "devicefiles.h"
#include "modelfloor.h"

#include <LibCommonCfg/cinifile.h>
#include <LibCommonCfg/inifile.h>
#include <LibCommonCfg/setupfile.h>
#include <LibCommonCfg/tzfile.h>

#include <QCoreApplication>
#include <QHash>
#include <QSettings>
#include <QStringList>

// cp1251 bytes, no Unicode conversion: the narrow API only.
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <ini.h>
#include <valgrind/callgrind.h>

#include <alloca.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// What an operation works on. The file lives in a folder with a name of
// fixed length directly under /tmp (not $TMPDIR, not /dev/shm): QSettings'
// work on the name grows with its length, which must not depend on the
// machine.
struct Input {
    QByteArray bytes;
    std::string file;
    int keys = 0;
};

// The measured operation returns its own result (keys read, bytes
// written), or 1 where finding that would add work; the unmeasured check
// must return the result, which must pass `plausible`.
using Operation = long (*)(const Input&);

// The measured run of every path goes through here: a call the compiler
// cannot inline or move across the two requests.
__attribute__((noinline)) long measured(Operation op, const Input& in)
{
    CALLGRIND_START_INSTRUMENTATION;
    const long result = op(in);
    CALLGRIND_STOP_INSTRUMENTATION;
    return result;
}

// --- the library ------------------------------------------------------------

long iniFileLoad(const Input& in)
{
    LibCommonCfg::IniFile doc;
    doc.load(in.bytes);
    return 1;
}

long iniFileKeys(const Input& in)
{
    LibCommonCfg::IniFile doc;
    doc.load(in.bytes);
    return doc.allKeys().size();
}

// The document for the serialize and lookup paths is loaded outside the
// measured call and kept for the process's life.
LibCommonCfg::IniFile& loadedDoc(const Input& in)
{
    static LibCommonCfg::IniFile doc(in.bytes);
    return doc;
}

long iniFileSerialize(const Input& in)
{
    return loadedDoc(in).serialize().size();
}

// Every key of the document as the (group, key) pair a client asks for.
const std::vector<std::pair<QString, QString>>& docKeys(const Input& in)
{
    static const std::vector<std::pair<QString, QString>> keys = [&] {
        std::vector<std::pair<QString, QString>> pairs;
        for (const QString& key : loadedDoc(in).allKeys()) {
            const int slash = key.indexOf(QLatin1Char('/'));
            pairs.emplace_back(key.left(slash), key.mid(slash + 1));
        }
        return pairs;
    }();
    return keys;
}

long iniFileLookup(const Input& in)
{
    const LibCommonCfg::IniFile& doc = loadedDoc(in);
    long found = 0;
    for (const auto& key : docKeys(in))
        found += doc.valueFromGroup(key.first, key.second).isValid();
    return found;
}

// The least any loader into IniFile's model does (modelfloor.h); the
// entries are cut out in the unmeasured run and kept.
long modelFill(const Input& in)
{
    static const std::vector<modelfloor::Entry> entries = modelfloor::entries(in.bytes);
    return long(modelfloor::fill(entries).size());
}

long ciniRead(const Input& in)
{
    CIniFile doc;
    return doc.Read(in.file.c_str()) == 0 ? 1 : 0;
}

long ciniKeys(const Input& in)
{
    CIniFile doc;
    if (doc.Read(in.file.c_str()) != 0)
        return 0;
    long keys = 0;
    for (int s = 0; s < doc.GetSectionNum(); ++s)
        keys += doc.GetKeyNum(s);
    return keys;
}

long setupLoad(const Input& in)
{
    LibCommonCfg::SetupFile setup;
    setup.load(in.bytes);
    return 1;
}

long setupKeys(const Input& in)
{
    LibCommonCfg::SetupFile setup;
    setup.load(in.bytes);
    return setup.allKeys().size();
}

long tzLoad(const Input& in)
{
    LibCommonCfg::TZFile tz;
    tz.load(in.bytes);
    return 1;
}

long tzKeys(const Input& in)
{
    // TZFile lists no keys; its serialized form has one line per key.
    LibCommonCfg::TZFile tz;
    tz.load(in.bytes);
    return tz.serialize().count('\n');
}

// --- the peers --------------------------------------------------------------

// As bench.cpp's QSettings_load: the file is parsed when the object is made
// and every key listed, so the parse cannot be skipped.
long qsettingsLoad(const Input& in)
{
    QSettings settings(QString::fromStdString(in.file), QSettings::IniFormat);
    devicefiles::readAsDevice(settings);
    return settings.allKeys().size();
}

long simpleIniLoad(const Input& in)
{
    CSimpleIniA ini(false, false, false);
    return ini.LoadData(in.bytes.constData(), size_t(in.bytes.size())) == SI_OK ? 1 : 0;
}

long simpleIniKeys(const Input& in)
{
    CSimpleIniA ini(false, false, false);
    if (ini.LoadData(in.bytes.constData(), size_t(in.bytes.size())) != SI_OK)
        return 0;
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    long keys = 0;
    for (const auto& section : sections)
        keys += ini.GetSectionSize(section.pItem);
    return keys;
}

int inihNothing(void*, const char*, const char*, const char*)
{
    return 1;
}

int inihCount(void* user, const char*, const char*, const char*)
{
    ++*static_cast<long*>(user);
    return 1;
}

long inihNoop(const Input& in)
{
    return ini_parse_string(in.bytes.constData(), inihNothing, nullptr) == 0 ? 1 : 0;
}

long inihKeys(const Input& in)
{
    long keys = 0;
    return ini_parse_string(in.bytes.constData(), inihCount, &keys) == 0 ? keys : 0;
}

struct Path {
    const char* name;
    bool flat;       // the KEY=VALUE form of the device file
    bool file;       // reads the bytes from a file
    Operation run;   // what is measured
    Operation check; // the unmeasured run
};

const Path kPaths[] = {
    {"IniFile_load", false, false, iniFileLoad, iniFileKeys},
    {"IniFile_serialize", false, false, iniFileSerialize, iniFileSerialize},
    {"IniFile_lookup", false, false, iniFileLookup, iniFileLookup},
    {"Model_fill", false, false, modelFill, modelFill},
    {"QSettings_load", false, true, qsettingsLoad, qsettingsLoad},
    {"CIniFile_Read", false, true, ciniRead, ciniKeys},
    {"SimpleIni_load", false, false, simpleIniLoad, simpleIniKeys},
    {"inih_noop", false, false, inihNoop, inihKeys},
    {"SetupFile_load", true, false, setupLoad, setupKeys},
    {"TZFile_load", true, false, tzLoad, tzKeys},
};

// A path that finds fewer keys than were generated (or writes fewer bytes)
// is broken, and its count would mean nothing.
bool plausible(const Input& in, long result)
{
    return result >= in.keys;
}

// A private folder in /tmp holding the input file under a fixed name; it
// removes only what it made.
class Scratch {
public:
    Scratch()
    {
        if (!mkdtemp(dir_))
            dir_[0] = '\0';
    }
    ~Scratch()
    {
        if (!file_.empty())
            std::remove(file_.c_str());
        if (dir_[0])
            rmdir(dir_);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // Writes the bytes with a fixed modification time: QSettings converts the
    // file's time, and the cost of that should not depend on the day.
    bool put(const QByteArray& bytes, std::string& name)
    {
        if (!dir_[0])
            return false;
        file_ = std::string(dir_) + "/device.ini";
        FILE* f = std::fopen(file_.c_str(), "wb");
        if (!f)
            return false;
        const bool written =
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size());
        if (std::fclose(f) != 0 || !written)
            return false;
        const timeval times[2] = {{1577836800, 0}, {1577836800, 0}}; // 2020-01-01 00:00 UTC
        if (utimes(file_.c_str(), times) != 0)
            return false;
        name = file_;
        return true;
    }

private:
    char dir_[24] = "/tmp/lcc_icount.XXXXXX";
    std::string file_;
};

int usage()
{
    std::fprintf(stderr, "usage: lcc_icount PATH [--keys=N]\n       lcc_icount --list\n");
    return 2;
}

__attribute__((noinline)) int run(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const Path& p : kPaths)
            std::printf("%s\n", p.name);
        return 0;
    }
    const Path* path = nullptr;
    int keys = 12500;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--keys=", 7) == 0) {
            char* end = nullptr;
            const long n = std::strtol(argv[i] + 7, &end, 10);
            if (*end != '\0' || n <= 0 || n > 10000000)
                return usage();
            keys = int(n);
            continue;
        }
        for (const Path& p : kPaths)
            if (std::strcmp(argv[i], p.name) == 0)
                path = &p;
        if (!path)
            return usage();
    }
    if (!path)
        return usage();
    // QHash seeds itself at random in every process unless told otherwise,
    // and a different seed walks different chains: a count taken so would
    // not repeat.
    if (RUNNING_ON_VALGRIND && qGlobalQHashSeed() != 0) {
        std::fprintf(stderr,
                     "lcc_icount: run with QT_HASH_SEED=0 under valgrind, or the counts do not repeat\n");
        return 2;
    }

    Input in;
    in.keys = keys;
    in.bytes = path->flat ? devicefiles::flat(keys) : devicefiles::device(keys);
    Scratch scratch;
    if (path->file && !scratch.put(in.bytes, in.file)) {
        std::fprintf(stderr, "lcc_icount: cannot write the input file under /tmp\n");
        return 1;
    }

    const long checked = path->check(in);
    if (!plausible(in, checked)) {
        std::fprintf(stderr, "lcc_icount: %s gave %ld on %d keys, which cannot be right\n", path->name,
                     checked, keys);
        return 1;
    }
    const long result = measured(path->run, in);
    if (path->run == path->check ? result != checked : result != 1) {
        std::fprintf(stderr, "lcc_icount: %s gave %ld in the measured run\n", path->name, result);
        return 1;
    }
    std::printf("%s keys=%d bytes=%d checked=%ld\n", path->name, keys, int(in.bytes.size()), checked);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Qt keeps copies of the arguments on the heap; the same ones in every
    // run keep the heap the same whatever the program's path.
    static int qtArgc = 1;
    static char qtName[] = "lcc_icount";
    static char* qtArgv[] = {qtName, nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    // Where the stack begins depends on the lengths of the arguments and of
    // the environment, and string functions take other branches on buffers
    // of another alignment. Everything below runs at the same offset into a
    // page whatever they are. (The environment's own strings stay where they
    // are, and getenv walks them: run-icount.sh passes a fixed environment.)
    char here;
    const size_t past = reinterpret_cast<uintptr_t>(&here) % 4096;
    volatile char* pad = static_cast<char*>(alloca(past + 1));
    pad[0] = 0;
    return run(argc, argv);
}
