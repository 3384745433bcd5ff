#include <LibCommonCfg/inifile.h>

#include "common/devicecodec.h"
#include "inidoc/convlookup.h"

#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace LibCommonCfg {

namespace {

using MapIterator = QMap<QString, QVariant>::const_iterator;
using internal::BuiltIn;

// Sort order of composite keys: "/" counts as U+0000, so that a group sorts
// before every longer group name that begins with it and keys of one group
// stay together. Compared in place, code unit by code unit, as QString's own
// operator< does on a copy with every "/" replaced.
bool sortsBefore(const QString& a, const QString& b)
{
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    const int common = std::min(a.size(), b.size());
    for (int i = 0; i < common; ++i) {
        ushort ca = pa[i].unicode();
        ushort cb = pb[i].unicode();
        if (ca == cb)
            continue;
        if (ca == '/')
            ca = 0;
        if (cb == '/')
            cb = 0;
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

const QRegularExpression& digit()
{
    static const QRegularExpression instance(QStringLiteral("[0-9]"));
    return instance;
}

// Whether a group name holds an ASCII digit, as the regular expression
// "[0-9]" decides it. The expression refuses to match text that is not valid
// UTF-16 at all, so any text with surrogates is left to it; plain text is
// scanned directly, which is the common case and far cheaper.
bool hasDigit(const QChar* group, int length)
{
    bool found = false;
    for (int i = 0; i < length; ++i) {
        const ushort c = group[i].unicode();
        if (QChar::isSurrogate(c))
            return QString::fromRawData(group, length).contains(digit());
        if (c >= '0' && c <= '9')
            found = true;
    }
    return found;
}

// Where two texts first differ, or `length` when they agree that far; four
// code units at a time, as neighbouring keys share their group.
int firstDifference(const QChar* a, const QChar* b, int length)
{
    int i = 0;
    for (; i + 4 <= length; i += 4) {
        quint64 x = 0;
        quint64 y = 0;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (x != y)
            break;
    }
    while (i < length && a[i] == b[i])
        ++i;
    return i;
}

// How many lines ahead the writer asks for the memory of a line: about as
// many lines as it writes while memory answers.
constexpr std::ptrdiff_t kAhead = 8;

inline void prefetch(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address);
#endif
}

// Where a text's characters are kept, found without reading them: the
// string's own pointer to its data (Qt 5: the block's header, which the
// characters follow; Qt 6: the characters).
const void* blockOf(const QString& text)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return text.constData();
#else
    return const_cast<QString&>(text).data_ptr();
#endif
}

// The characters of a key and of a text value, once their node is at hand.
void prefetchTexts(MapIterator it)
{
    prefetch(blockOf(it.key()));
    const QVariant& value = it.value();
    if (value.userType() == QMetaType::QString)
        prefetch(blockOf(*static_cast<const QString*>(value.constData())));
}

struct Entry {
    MapIterator it;
    int slash;       // first "/" of the key, -1 when it has none
    bool withDigits; // group name holds an ASCII digit
};

// Bytes are handed to the device in pieces, each ending with a line, cut
// after the first line that brings a piece to this many characters of text:
// a huge document never needs the whole text at once, and the device sees
// the same writes whatever the encoding made of the characters.
constexpr qint64 kPieceChars = 1 << 22;

// Value types whose text only Qt's own code makes. Turning a value of any
// other type into text may call a client's converter, which may change the
// conversion list or its records, so the records are looked up afresh after.
bool plainType(int type)
{
    switch (type) {
    case QMetaType::UnknownType:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return true;
    default:
        return false;
    }
}

// The bytes written so far of the current piece.
class Piece {
public:
    Piece(QIODevice& target, int capacity) : device(target) { grow(capacity); }

    // Room for `chars` characters of text, which never take more bytes.
    char* room(qint64 chars)
    {
        if (chars > bytes.size() - used)
            grow(qMax(used + chars, 2 * qint64(bytes.size())));
        return bytes.data() + used;
    }
    void wrote(const char* end, qint64 chars)
    {
        used = int(end - bytes.constData());
        text += chars;
    }
    // After a whole line: hands the piece over once it is long enough.
    void lineEnd()
    {
        if (text >= kPieceChars)
            flush();
    }
    void flush()
    {
        if (used > 0)
            device.write(bytes.constData(), used);
        used = 0;
        text = 0;
    }

private:
    void grow(qint64 size) { bytes.resize(int(size)); }

    QIODevice& device;
    QByteArray bytes;
    int used = 0;
    qint64 text = 0; // characters of text the bytes stand for
};

char* putAscii(char* out, const char* text, int length)
{
    for (int i = 0; i < length; ++i)
        *out++ = text[i];
    return out;
}

char* putHex(char* out, uint number)
{
    // As QString::number(number, 16) after "0x": lower-case digits, no zeros before them.
    char digits[8];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[number & 15u];
        number >>= 4;
    } while (number != 0);
    *out++ = '0';
    *out++ = 'x';
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

} // namespace

bool IniFile::myIniWriteFunc(QIODevice& device, const QMap<QString, QVariant>& map)
{
    // The keys are those of the map when writing begins, and the entries
    // below point into it. A shared copy keeps them valid even if a caller's
    // converter changes the document while it is written: the document's
    // map then detaches from this one, and values are looked up in it again.
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the copy is the point
    const QMap<QString, QVariant> snapshot(map);
    // Groups without a digit in their name are written first, then those
    // with one; each list in written order.
    QVector<Entry> lists[2];
    lists[0].reserve(snapshot.size());
    lists[1].reserve(snapshot.size());
    qint64 keyChars = 0;
    // The map's own order differs from the written one only where a "/"
    // meets a character below it, which device files rarely have: sort only
    // when needed. A key of the same group as the one before it takes its
    // group's facts from it.
    bool sorted = true;
    const QString* previous = nullptr;
    Entry last{};
    for (auto it = snapshot.constBegin(); it != snapshot.constEnd(); ++it) {
        const QString& key = it.key();
        const QChar* chars = key.constData();
        keyChars += key.size();
        bool known = false;
        if (previous != nullptr) {
            const QChar* before = previous->constData();
            const int common = std::min(previous->size(), key.size());
            const int differ = firstDifference(before, chars, common);
            // Where neither text has a "/" at the first difference, the
            // map's order is the written one.
            if (differ < common && (before[differ] == QLatin1Char('/') || chars[differ] == QLatin1Char('/')))
                sorted = sorted && !sortsBefore(key, *previous);
            const int group = last.slash < 0 ? previous->size() : last.slash;
            if (differ >= group && key.size() > group && chars[group] == QLatin1Char('/')) {
                last = {it, group, last.withDigits};
                known = true;
            }
        }
        if (!known) {
            const int slash = key.indexOf(QLatin1Char('/'));
            last = {it, slash, hasDigit(chars, slash < 0 ? key.size() : slash)};
        }
        lists[last.withDigits ? 1 : 0].append(last);
        previous = &key;
    }
    // A stable sort leaves keys that sort alike in the map's order.
    if (!sorted) {
        for (QVector<Entry>& list : lists)
            std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) {
                return sortsBefore(a.it.key(), b.it.key());
            });
    }

    // Each line is encoded straight into the bytes: cp1251 has one byte per
    // character and no state between lines, so they are those of encoding
    // the whole text; a line's group, name and value are each followed by an
    // ASCII character, which a high surrogate ending them does not pair with.
    Piece piece(device, int(std::min<qint64>(keyChars + 16 * qint64(snapshot.size()), kPieceChars + 4096)));
    // What getConv would hand out, for the current group's keys. Looked up
    // again for every group and after any code of a client may have run.
    internal::GroupConvs convs;
    bool convsValid = false;
    const QChar* current = nullptr; // the group of the lines last written
    int currentLength = 0;
    QVariant changed; // a value as the document holds it after a client changed it
    for (const QVector<Entry>& list : lists) {
        const Entry* const end = list.constData() + list.size();
        for (const Entry* at = list.constData(); at != end; ++at) {
            // A large document lies scattered over more memory than any
            // cache holds: ask for what the lines ahead will read.
            if (end - at > 2 * kAhead)
                prefetch(&at[2 * kAhead].it.key());
            if (end - at > kAhead)
                prefetchTexts(at[kAhead].it);
            const Entry& entry = *at;
            const QString& key = entry.it.key();
            const QChar* chars = key.constData();
            const int groupLength = entry.slash < 0 ? key.size() : entry.slash;
            const QChar* name = entry.slash < 0 ? chars : chars + entry.slash + 1;
            const int nameLength = entry.slash < 0 ? key.size() : key.size() - entry.slash - 1;
            if (groupLength != currentLength || !std::equal(chars, chars + groupLength, current)) {
                char* out = piece.room(4 + qint64(groupLength));
                *out++ = '\n';
                *out++ = '[';
                out = internal::putDeviceBytes(out, chars, groupLength, true);
                *out++ = ']';
                *out++ = '\n';
                piece.wrote(out, 4 + qint64(groupLength));
                current = chars; // the key lives as long as the snapshot
                currentLength = groupLength;
                convsValid = false;
            }
            const QVariant* value = &entry.it.value();
            if (!map.isSharedWith(snapshot)) {
                changed = map.value(key);
                value = &changed;
            }
            if (!convsValid) {
                convs.reset(convMap, chars, groupLength);
                convsValid = true;
            }
            const internal::ConvSlot* slot = convs.find(name, nameLength);
            const MappingEntry* record = slot != nullptr ? slot->record : nullptr;
            const int type = value->userType();
            // The value's text: `text` when it had to be made, else written
            // below from the value itself, as store() would make it.
            QString text;
            const QString* shown = &text;
            uint number = 0;
            BuiltIn stored = BuiltIn::None;
            if (record == nullptr) {
                // An empty list: store() hands the value to a record of its own.
                text = store(entry.slash < 0 ? key : key.left(entry.slash),
                             QString::fromRawData(name, nameLength), *value);
                convsValid = false;
            } else if (record->group == nullptr) {
                if (type == QMetaType::QString)
                    shown = static_cast<const QString*>(value->constData());
                else
                    text = value->toString();
                convsValid = convsValid && plainType(type);
            } else {
                stored = slot->store;
                if (stored == BuiltIn::Hex && type == QMetaType::UInt) {
                    number = value->toUInt();
                } else if ((stored == BuiltIn::Flag01 || stored == BuiltIn::OnOff) &&
                           type == QMetaType::Bool) {
                    number = value->toBool() ? 1 : 0;
                } else {
                    text = record->toText(*value);
                    convsValid = convsValid && stored != BuiltIn::None && plainType(type);
                    stored = BuiltIn::None;
                }
            }
            const qint64 lineChars =
                3 + qint64(nameLength) + 1 + (stored == BuiltIn::None ? shown->size() : 10) + 1;
            char* out = piece.room(lineChars);
            out = putAscii(out, "   ", 3);
            out = internal::putDeviceBytes(out, name, nameLength, true);
            *out++ = '=';
            char* const valueStart = out;
            switch (stored) {
            case BuiltIn::None:
                out = internal::putDeviceBytes(out, shown->constData(), shown->size(), true);
                break;
            case BuiltIn::Hex:
                out = putHex(out, number);
                break;
            case BuiltIn::Flag01:
                *out++ = number != 0 ? '1' : '0';
                break;
            case BuiltIn::OnOff:
                out = number != 0 ? putAscii(out, "on", 2) : putAscii(out, "off", 3);
                break;
            }
            // Text made here is ASCII, a character a byte.
            const qint64 valueChars = stored == BuiltIn::None ? shown->size() : out - valueStart;
            *out++ = '\n';
            piece.wrote(out, 3 + qint64(nameLength) + 1 + valueChars + 1);
            piece.lineEnd();
            if (value == &changed)
                changed = QVariant();
        }
    }
    piece.flush();
    return true;
}

} // namespace LibCommonCfg
