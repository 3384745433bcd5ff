#ifndef COMMONCFG_FLATLAYOUT_H
#define COMMONCFG_FLATLAYOUT_H

#include "devicefile.h"
#include "keyreading.h"
#include "textlines.h"

#include <QHash>
#include <QStringList>

namespace commoncfg {

// A network setup or time-zone file as the device reads it, line by line:
// each key is taken from the last line that assigns it; lines are read in
// pieces of 1024 characters. Followed with the library's own line grammar
// and checked against its readers.
class FlatLayout {
public:
    // `bytes` is Windows-1251 text without NUL bytes and byte-order mark.
    FlatLayout(const QByteArray& bytes, FileKind kind);

    const QByteArray& bytes() const { return bytes_; }
    const QVector<TextLine>& lines() const { return lines_; }
    const QString& mismatch() const { return mismatch_; }
    // Lines longer than the reader takes at once, with why that matters.
    const QHash<int, QString>& longLines() const { return splitLines_; }

    // The keys in the order of the lines the device takes them from.
    QStringList keys() const;
    KeyReading read(const QString& key) const;
    // Where the key of the last assignment line stands (for the style of a
    // new line), or null.
    const KeyPlace* lastAssignment() const { return last_.found() ? &last_ : nullptr; }

private:
    void checkAgainstLibrary(FileKind kind);

    QByteArray bytes_;
    QVector<TextLine> lines_;
    QHash<QString, KeyPlace> keys_; // the group is empty
    QHash<int, QString> splitLines_;
    KeyPlace last_;
    QString mismatch_;
};

} // namespace commoncfg

#endif
