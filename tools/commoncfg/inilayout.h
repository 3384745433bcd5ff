#ifndef COMMONCFG_INILAYOUT_H
#define COMMONCFG_INILAYOUT_H

#include "keyreading.h"
#include "textlines.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

namespace commoncfg {

// An INI file as both of the device's INI readers read it, line by line:
// the typed reader (IniFile: groups compare with case, the last of repeated
// keys wins, lines are read in pieces of 1024 characters) and the section
// reader (CIniFile: names compare without case in the ASCII letters, the
// first of repeated groups and keys wins, lines are read in pieces of 4095
// bytes). Both are followed with the library's own line grammars, and the
// result is checked against the library's readers themselves.
class IniLayout {
public:
    // One line of a group in the section reader's view: a key or a comment.
    struct Item {
        int line = 0;
        bool isKey = false;
        QByteArray name;
        QByteArray value;
        QByteArray comment;
        int nameBegin = 0; // bytes of the key's name and value in the file
        int nameEnd = 0;
        int valueBegin = 0;
        int valueEnd = 0;
    };
    // A group of the section reader, or (unnamed) a comment line before the
    // first group.
    struct Section {
        int line = 0;
        bool named = false;
        QByteArray name;
        QByteArray comment;
        QVector<Item> items;
        QHash<QByteArray, int> keys; // ASCII-folded name -> index into items
    };

    // `bytes` is Windows-1251 text without NUL bytes and byte-order mark.
    explicit IniLayout(const QByteArray& bytes);

    const QByteArray& bytes() const { return bytes_; }
    const QVector<TextLine>& lines() const { return lines_; }
    const QVector<Section>& sections() const { return sections_; }

    // Empty when the layout matches what the library's readers make of the
    // bytes; otherwise the file must not be edited through it.
    const QString& mismatch() const { return mismatch_; }

    KeyReading read(const QString& group, const QString& key) const;

    // The named group of the section reader (names folded), or null.
    const Section* section(const QString& group) const;
    // The typed reader's group in force after the line.
    QString typedGroupAfter(int line) const { return typedGroupAfter_.value(line); }

    // " (line N holds CR characters without LF, ...)" when the line does,
    // else empty: such a CR ends no line for the device's readers.
    QString loneCrHint(int line) const;

    // The lines a reader skips or takes in pieces, each with why (both
    // readers' reasons where both have one).
    QMap<int, QString> skippedLines() const;

    // The keys of the typed reader ("group/key"), and where it takes one from.
    QStringList typedKeys() const { return typedKeys_.keys(); }
    KeyPlace typedPlace(const QString& groupKey) const;

private:
    void readLine(int index);
    void readTypedPiece(int index, int begin, const QString& text, bool wholeLine);
    void readSectionPiece(int index, int begin, int length);
    KeyPlace sectionPlace(const QString& group, const QString& key) const;
    QString explainTypedMiss(const KeyPlace& section) const;
    void checkAgainstLibrary();

    QByteArray bytes_;
    QVector<TextLine> lines_;

    // The typed reader.
    QString typedGroup_;
    // The last occurrence with a value of each key; group, name and value
    // are read off the key and the bytes when asked for.
    struct TypedKey {
        int line = -1;
        int valueBegin = 0;
        int valueEnd = 0;
    };
    QHash<QString, TypedKey> typedKeys_;
    QHash<int, QString> typedEmptyKeyAt_; // key lines with an empty value
    QVector<QString> typedGroupAfter_;
    QHash<int, QString> typedSkips_; // why it takes nothing from a line

    // The section reader.
    QVector<Section> sections_;
    QHash<QByteArray, int> sectionIndex_; // ASCII-folded name -> index
    int current_ = -1;                    // the group keys go to, -1 before the first
    bool accepting_ = true;
    int droppedHeader_ = -1;           // line of the repeated header being skipped
    QHash<int, QString> sectionSkips_; // why it takes nothing from a line

    QString mismatch_;
};

// The ASCII letters folded to lower case, every other byte as it is: how the
// section reader compares names.
QByteArray foldName(const QByteArray& name);

} // namespace commoncfg

#endif
