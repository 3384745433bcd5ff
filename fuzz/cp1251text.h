#ifndef LIBCOMMONCFG_FUZZ_CP1251TEXT_H
#define LIBCOMMONCFG_FUZZ_CP1251TEXT_H

// Helpers of the fuzz targets for the flat KEY=VALUE files, which are
// written in Windows-1251.

#include "common/devicecodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTextCodec>

#include <algorithm>
#include <cstdlib>

namespace lccfuzz {

// A text comes back from a Windows-1251 file as it went in only when the
// codec has a byte for every character of it. Anything else (text decoded
// from a file with a Unicode byte-order mark, or a replacement character)
// is written as the codec's substitute and reads back as that.
inline bool survivesCp1251(const QString& text)
{
    QTextCodec* const codec = LibCommonCfg::internal::deviceCodec();
    return codec->toUnicode(codec->fromUnicode(text)) == text;
}

// The lines of a written file, sorted: the files keep their entries in hash
// order, which two objects with the same entries need not share.
inline QList<QByteArray> sortedLines(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The keys of a written file: what stands before the first "=" of each line.
// Keys are ASCII letters, digits, "_" and ".", so the bytes are the key.
inline QList<QString> writtenKeys(const QByteArray& text)
{
    QList<QString> keys;
    for (const QByteArray& line : text.split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            keys.append(QString::fromLatin1(line.left(equals)));
    }
    return keys;
}

// The round trip that both flat files must pass. Loading must never crash
// or leak, writing the same object twice gives the same bytes, and the
// written file loads back into the same entries: every key and every value
// the codec can represent. A value it cannot represent is written as the
// codec's substitute; from then on the file is plain Windows-1251 and a
// second round trip changes nothing at all.
// keysOf(file, written): the keys of a loaded file that was written as
// `written`; present(original, reloaded, key): both files hold the key.
template <class File, class KeysOf, class Present>
void checkRoundTrip(const QByteArray& input, KeysOf keysOf, Present present)
{
    const auto loaded = [](const QByteArray& text) {
        File file;
        file.load(text);
        return file;
    };
    const File original = loaded(input);
    const QByteArray first = original.serialize();
    if (original.serialize() != first)
        std::abort();

    const File reloaded = loaded(first);
    const QList<QString> keys = keysOf(original, first);
    if (keysOf(reloaded, reloaded.serialize()).size() != keys.size())
        std::abort();
    bool allSurvive = true;
    for (const QString& key : keys) {
        if (!present(original, reloaded, key))
            std::abort();
        const QString value = original.getString(key);
        if (!survivesCp1251(value))
            allSurvive = false;
        else if (reloaded.getString(key) != value)
            std::abort();
    }
    if (allSurvive && (reloaded != original || sortedLines(reloaded.serialize()) != sortedLines(first)))
        std::abort();

    const QByteArray second = reloaded.serialize();
    const File again = loaded(second);
    if (again != reloaded || sortedLines(again.serialize()) != sortedLines(second))
        std::abort();
}

} // namespace lccfuzz

#endif // LIBCOMMONCFG_FUZZ_CP1251TEXT_H
