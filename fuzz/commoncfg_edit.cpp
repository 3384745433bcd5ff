// Arbitrary bytes as a device file for the commoncfg tool: its line-by-line
// reading must be exactly what the library's readers make of the file, and
// an edit of a key both readers agree on must read back as intended.
#include "edits.h"
#include "flatlayout.h"
#include "inilayout.h"

#include <QTextCodec>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

using namespace commoncfg;

namespace {

void require(bool condition, const char* what, const QString& detail = QString())
{
    if (!condition) {
        std::fprintf(stderr, "%s: %s\n", what, detail.toLocal8Bit().constData());
        std::abort();
    }
}

// The written bytes under a name the readers can open, without a disk file.
struct MemoryFile {
    explicit MemoryFile(const QByteArray& bytes) : fd(::memfd_create("fuzz", MFD_CLOEXEC))
    {
        require(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size(), "memfd");
    }
    ~MemoryFile() { ::close(fd); }
    QString name() const { return QStringLiteral("/proc/self/fd/%1").arg(fd); }
    int fd;
};

constexpr int kMaxEdits = 6;

void fuzzIni(const QByteArray& bytes)
{
    const IniLayout layout(bytes);
    require(layout.mismatch().isEmpty(), "INI layout differs from the readers", layout.mismatch());
    int edits = 0;
    for (const IniLayout::Section& section : layout.sections()) {
        for (const IniLayout::Item& item : section.items) {
            if (!item.isKey || edits == kMaxEdits)
                continue;
            const QString group = deviceCodec()->toUnicode(section.name);
            const QString key = deviceCodec()->toUnicode(item.name);
            if (layout.read(group, key).state != KeyReading::Agreed)
                continue;
            ++edits;
            const Change change{group, key, QStringLiteral("fuzz")};
            const EditOutcome outcome = editIni(bytes, change, false);
            require(outcome.problem.isEmpty(), "agreed INI key not editable", outcome.problem);
            const MemoryFile written(outcome.bytes);
            const QString check = checkIniResult(bytes, written.name(), {change});
            require(check.isEmpty(), "INI edit does not read back", check);
        }
    }
}

void fuzzFlat(const QByteArray& bytes)
{
    const FlatLayout layout(bytes, FileKind::Setup);
    require(layout.mismatch().isEmpty(), "flat layout differs from the reader", layout.mismatch());
    int edits = 0;
    for (const QString& key : layout.keys()) {
        if (edits == kMaxEdits || layout.read(key).state != KeyReading::Agreed)
            continue;
        ++edits;
        const Change change{QString(), key, QStringLiteral("fuzz")};
        const EditOutcome outcome = editFlat(bytes, FileKind::Setup, change, false);
        require(outcome.problem.isEmpty(), "agreed flat key not editable", outcome.problem);
        const MemoryFile written(outcome.bytes);
        const QString check = checkFlatResult(bytes, FileKind::Setup, written.name(), {change});
        require(check.isEmpty(), "flat edit does not read back", check);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    // The tool refuses these before it looks at the lines.
    if (bytes.contains('\0') || bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFE\xFF") ||
        bytes.startsWith("\xFF\xFE"))
        return 0;
    fuzzIni(bytes);
    fuzzFlat(bytes);
    return 0;
}
