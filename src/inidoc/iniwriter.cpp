#include <LibCommonCfg/inifile.h>

#include "common/devicecodec.h"

#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>

namespace LibCommonCfg {

namespace {

using MapIterator = QMap<QString, QVariant>::const_iterator;

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

struct Entry {
    MapIterator it;
    int slash;       // first "/" of the key, -1 when it has none
    bool withDigits; // group name holds an ASCII digit
};

// Text is handed to the codec and the device in pieces of about this many
// characters, each ending with a line, so that a huge document never needs
// the whole text at once.
constexpr int kPieceChars = 1 << 22;

bool sameText(const QChar* text, int length, const QString& other)
{
    return other.size() == length && std::equal(text, text + length, other.constData());
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
    QVector<Entry> entries;
    entries.reserve(snapshot.size());
    qint64 keyChars = 0;
    for (auto it = snapshot.constBegin(); it != snapshot.constEnd(); ++it) {
        const QString& key = it.key();
        const int slash = key.indexOf(QLatin1Char('/'));
        entries.append({it, slash, hasDigit(key.constData(), slash < 0 ? key.size() : slash)});
        keyChars += key.size();
    }
    // The map's own order differs from the written one only where a "/"
    // meets a character below it, which device files rarely have: sort only
    // when needed. A stable sort leaves an ordered list as it is.
    const auto before = [](const Entry& a, const Entry& b) { return sortsBefore(a.it.key(), b.it.key()); };
    if (!std::is_sorted(entries.cbegin(), entries.cend(), before))
        std::stable_sort(entries.begin(), entries.end(), before);

    // The text is built in large pieces and each is encoded in one go:
    // cp1251 has one byte per character and no state between lines, so the
    // bytes are those of encoding it line by line.
    QString out;
    out.reserve(int(std::min<qint64>(keyChars + 16 * qint64(entries.size()), kPieceChars + 4096)));
    const auto writePiece = [&]() {
        // Each piece ends with a whole line, so no surrogate pair is split.
        const QByteArray bytes = internal::encodeDeviceText(out.constData(), out.size());
        if (!bytes.isEmpty())
            device.write(bytes);
        out.resize(0); // keeps the reserved capacity
    };
    QString current(QLatin1String(""));
    // Groups without a digit in their name first, then those with one.
    for (const bool digits : {false, true}) {
        for (const Entry& entry : qAsConst(entries)) {
            if (entry.withDigits != digits)
                continue;
            const QString& key = entry.it.key();
            const QChar* chars = key.constData();
            const int groupLength = entry.slash < 0 ? key.size() : entry.slash;
            const bool newGroup = !sameText(chars, groupLength, current);
            // The name is only read while the key lives in the map.
            const QString name =
                entry.slash < 0 ? key
                                : QString::fromRawData(chars + entry.slash + 1, key.size() - entry.slash - 1);
            QString group = newGroup ? (entry.slash < 0 ? key : key.left(entry.slash)) : current;
            const QString text =
                store(group, name, map.isSharedWith(snapshot) ? entry.it.value() : map.value(key));
            if (newGroup) {
                out.append(QLatin1String("\n["));
                out.append(group);
                out.append(QLatin1String("]\n"));
                current = std::move(group);
            }
            out.append(QLatin1String("   "));
            out.append(name);
            out.append(QLatin1Char('='));
            out.append(text);
            out.append(QLatin1Char('\n'));
            if (out.size() >= kPieceChars)
                writePiece();
        }
    }
    writePiece();
    return true;
}

} // namespace LibCommonCfg
