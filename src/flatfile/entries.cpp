#include "flatfile/entries.h"

#include "common/devicecodec.h"
#include "common/devicelines.h"
#include "common/savefile.h"
#include "flatfile/assignment.h"

#include <QFile>

#include <cstring>

namespace LibCommonCfg {
namespace internal {

namespace {

// The characters of Windows-1251 bytes in a string of their own, of exactly
// their size as QString::mid makes it; empty but not null for no bytes.
QString deviceString(const char* bytes, int length)
{
    if (length == 0)
        return QString(QLatin1String(""));
    QString text(length, Qt::Uninitialized);
    QChar* chars = text.data();
    for (int i = 0; i < length; ++i)
        chars[i] = QChar(kDeviceChars[uchar(bytes[i])]);
    return text;
}

// Values repeat within a file: flags, digits, units, netmasks. Equal short
// values read in one go share one string, which saves a string of their own
// for every repeat; sharing is invisible to the entries' users.
class SharedValues {
public:
    QString get(const char* bytes, int length)
    {
        if (length == 0 || length > kLongest)
            return deviceString(bytes, length);
        uint hash = uint(length);
        for (int i = 0; i < length; ++i)
            hash = hash * 31 + uchar(bytes[i]);
        Slot& slot = recent[(hash ^ (hash >> 8)) % kSlots];
        if (slot.length != length || std::memcmp(slot.bytes, bytes, size_t(length)) != 0) {
            slot.length = length;
            std::memcpy(slot.bytes, bytes, size_t(length));
            slot.text = deviceString(bytes, length);
        }
        return slot.text;
    }

private:
    static constexpr int kLongest = 23;
    static constexpr int kSlots = 256;
    struct Slot {
        int length = 0;
        char bytes[kLongest];
        QString text;
    };
    Slot recent[kSlots];
};

// The key and value of one line of Windows-1251 bytes, if it sets one. The
// key is ASCII.
void assignLine(FlatEntries& entries, SharedValues& values, const char* line, int length)
{
    const Assignment assignment = matchAssignment(line, length);
    if (assignment.found)
        entries.insert(QString::fromLatin1(line + assignment.keyBegin, assignment.keyLength),
                       values.get(line + assignment.valueBegin, assignment.valueLength));
}

// Text without a byte-order mark whose every line fits into a piece, read
// straight from the bytes: the lines are split where DeviceLines splits them,
// and only their keys and values are decoded. False, when it meets a line
// longer than a piece, with what came before it already set.
bool loadShortLines(FlatEntries& entries, const QByteArray& data)
{
    const int size = data.size();
    const char* bytes = data.constData();
    // Every byte-order mark begins with NUL or a byte above 0x7F.
    if (size == 0 || bytes[0] == 0 || uchar(bytes[0]) > 0x7F)
        return false;
    // Room for a key in every 32 bytes (most lines of these files are
    // shorter, and QHash rounds up to at most twice as many buckets): a large
    // load does not rehash as it grows, and text that sets one key over and
    // over keeps at most half its size in buckets. No shrinking, and no copy
    // of a shared hash for a small file.
    const int room = entries.size() + size / 32;
    if (room > entries.capacity())
        entries.reserve(room);
    SharedValues values;
    for (int pos = 0; pos < size;) {
        const int limit = size - pos > kFlatLinePiece ? pos + kFlatLinePiece : size;
        const void* found = std::memchr(bytes + pos, '\n', size_t(limit - pos));
        int end = limit;
        if (found != nullptr)
            end = int(static_cast<const char*>(found) - bytes);
        else if (limit < size)
            return false;
        // The CR of a CR LF, or one that ends the text, stays: white space at
        // the end of a line is trimmed off the value anyway.
        assignLine(entries, values, bytes + pos, end - pos);
        pos = end + 1;
    }
    return true;
}

} // namespace

void loadEntries(FlatEntries& entries, const QByteArray& data)
{
    if (loadShortLines(entries, data))
        return;
    // Long lines come in pieces whose ends only DeviceLines knows, and text
    // with a byte-order mark is Unicode. Reading it all again from the start
    // sets the same keys again in the same order: the last value still wins.
    DeviceLines lines(data, kFlatLinePiece);
    QString line;
    while (lines.next(line)) {
        if (line.isEmpty())
            continue;
        // "# TZ=UTC" still sets TZ and "my-key=1" sets "key".
        const Assignment assignment = matchAssignment(line);
        if (assignment.found)
            entries.insert(assignment.key(line), assignment.value(line));
    }
}

bool loadEntriesFromFile(FlatEntries& entries, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    loadEntries(entries, file.readAll());
    return true;
}

QByteArray serializeEntries(const FlatEntries& entries, ValueOutput values)
{
    QString text;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        text += it.key();
        text += QLatin1Char('=');
        text += values == ValueOutput::Trimmed ? it.value().trimmed() : it.value();
        text += QLatin1Char('\n');
    }
    return encodeDeviceText(text);
}

bool saveEntriesFile(const QString& fileName, const QByteArray& bytes)
{
    // The library's savers promise to write any file that can be opened
    // for writing: where it cannot be replaced safely, it is written in place.
    SaveOptions options;
    options.whenUnsafe = WhenUnsafe::WriteInPlace;
    return saveFile(fileName, bytes, options).isEmpty();
}

} // namespace internal
} // namespace LibCommonCfg
