#ifndef LIBCOMMONCFG_FUZZ_CP1251TEXT_H
#define LIBCOMMONCFG_FUZZ_CP1251TEXT_H

// Helpers of the fuzz targets for the flat KEY=VALUE files, which are
// written in Windows-1251.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTextCodec>

#include <algorithm>

namespace lccfuzz {

// A text comes back from a Windows-1251 file as it went in only when the
// codec has a byte for every character of it. Anything else (text decoded
// from a file with a Unicode byte-order mark, or a replacement character)
// is written as the codec's substitute and reads back as that.
inline bool survivesCp1251(const QString& text)
{
    static QTextCodec* const codec = QTextCodec::codecForName("CP1251");
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

} // namespace lccfuzz

#endif // LIBCOMMONCFG_FUZZ_CP1251TEXT_H
