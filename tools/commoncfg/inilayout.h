#ifndef COMMONCFG_INILAYOUT_H
#define COMMONCFG_INILAYOUT_H

#include "keyreading.h"
#include "textlines.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QPair>
#include <QSharedPointer>
#include <QString>
#include <QStringList>
#include <QVector>

namespace LibCommonCfg {
class IniFile;
}

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
    // Every group is read in detail and the whole file is checked against
    // the library's readers.
    explicit IniLayout(const QByteArray& bytes);
    // Only `group` is read in detail (read, section and the lines of the
    // group answer for it alone) and checked against the library's readers
    // fed that group's lines: a large file costs a few integers per group.
    IniLayout(const QByteArray& bytes, const QString& group);

    const QByteArray& bytes() const { return bytes_; }
    int lineCount() const { return lineCount_; }
    TextLine line(int index) const;
    // The line end most lines of the file have (see dominantLineEnd).
    const QByteArray& lineEnd() const { return lineEnd_; }
    // The groups and comment lines read in detail, in file order.
    const QVector<Section>& sections() const { return sections_; }

    // The key the section reader took last in the whole file, or null.
    const Item* lastKey() const { return hasLastKey_ ? &lastKey_ : nullptr; }
    // The header line of the section reader's last group, or -1.
    int lastGroupLine() const { return namedLines_.isEmpty() ? -1 : namedLines_.constLast(); }
    // The header line of the section reader's first group after `line`, or -1.
    int nextGroupLine(int line) const;

    // Empty when the layout matches what the library's readers make of the
    // bytes; otherwise the file must not be edited through it.
    const QString& mismatch() const { return mismatch_; }

    KeyReading read(const QString& group, const QString& key) const;

    // The named group of the section reader (names folded), or null.
    const Section* section(const QString& group) const;
    // The typed reader's group in force after the line.
    QString typedGroupAfter(int line) const;

    // " (line N holds CR characters without LF, ...)" when the line does,
    // else empty: such a CR ends no line for the device's readers.
    QString loneCrHint(int line) const;

    // The lines a reader skips or takes in pieces, each with why (both
    // readers' reasons where both have one).
    QMap<int, QString> skippedLines() const;

    // The keys of the typed reader ("group/key"), and where it takes one from.
    QStringList typedKeys() const { return typedKeys_.keys(); }
    KeyPlace typedPlace(const QString& groupKey) const;

    // The file cut into the parts each reader reads independently of the
    // others: for the typed reader every line of one group, for the section
    // reader every line of one group (its repetitions too) or the lines
    // before the first group. Null when some line changes the group in the
    // middle (a header in a later piece of a long line): then the file has
    // no such parts.
    class Parts;
    static QSharedPointer<const Parts> partsOf(const QByteArray& bytes);

private:
    enum class Detail { All, Group, None };
    // Distinct names, each kept as the place of its first occurrence in the
    // file's bytes.
    class NameTable {
    public:
        NameTable(const QByteArray& bytes, bool fold) : bytes_(bytes), fold_(fold) {}
        int find(const char* name, int length) const;
        // The name's id, new or old; `added` tells which.
        int add(int begin, int length, int line, bool* added = nullptr);
        int size() const { return entries_.size(); }
        int line(int id) const { return entries_.at(id).line; }
        QByteArray name(int id) const { return bytes_.mid(entries_.at(id).begin, entries_.at(id).length); }

    private:
        uint hashOf(const char* name, int length) const;
        int slotOf(const char* name, int length) const;
        struct Entry {
            int begin;
            int length;
            int line;
        };
        QByteArray bytes_;
        bool fold_;
        QVector<Entry> entries_;
        QVector<int> slots_; // ids, -1 where free; a power of two, at most half full
    };

    IniLayout(const QByteArray& bytes, Detail detail, const QString& focus);
    void readAll();
    void readLine(int index, const TextLine& line);
    void readTypedPiece(int index, int begin, const QString& text, bool wholeLine, bool firstPiece);
    void readSectionPiece(int index, int begin, int length, bool firstPiece);
    bool detailedTyped() const
    {
        return detail_ == Detail::All || (detail_ == Detail::Group && typedGroup_ == focus_);
    }
    KeyPlace sectionPlace(const QString& group, const QString& key) const;
    QString explainTypedMiss(const KeyPlace& section) const;
    // Whether the typed reader's document holds the keys the tool found, each
    // with the value it reads; the mismatch, or empty. `where` names a group.
    QString typedMismatch(const LibCommonCfg::IniFile& typed, const QString& where) const;
    void checkAgainstLibrary();
    void checkGroupAgainstLibrary();
    void makeParts();

    QByteArray bytes_;
    QString focus_;
    QByteArray focusFolded_;   // the focus as the section reader names it; null if it cannot
    QVector<int> checkpoints_; // where every kCheckpoint-th line begins
    QByteArray lineEnd_;

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
    QMap<int, QString> typedGroupFrom_;   // the group in force from a line on (lines read in detail)
    QHash<int, QString> typedSkips_;      // why it takes nothing from a line

    // The section reader.
    QVector<Section> sections_;
    NameTable sectionNames_;             // every group's folded name -> its id, in file order
    QHash<int, int> detailed_;           // group id -> index into sections_
    QHash<QByteArray, int> currentKeys_; // keys of a group not read in detail -> line
    QHash<int, QString> sectionSkips_;   // why it takes nothing from a line
    QVector<int> namedLines_;            // header lines of the groups
    Item lastKey_;

    // The focus group's lines for each reader, as byte ranges.
    QVector<QPair<int, int>> typedRanges_;
    QVector<QPair<int, int>> sectionRanges_;

    // Parts: where the lines of each typed group and section reader group
    // change.
    NameTable typedNames_;
    struct Run {
        int begin;
        int typed;
        int section;
    };
    QVector<Run> runs_;

    QString mismatch_;

    // The plain numbers and flags of the reading, kept together.
    Detail detail_;
    bool splitHeader_ = false; // a header in a later piece of a line
    bool accepting_ = true;
    bool hasLastKey_ = false;
    int lineCount_ = 0;
    int current_ = -1;       // the group id keys go to, -1 before the first
    int currentDetail_ = -1; // its index into sections_, -1 when not read in detail
    int sectionState_ = -1;  // the group id of the lines, repeated ones too
    int droppedHeader_ = -1; // line of the repeated header being skipped
    int focusSection_ = -1;  // the focus group's id for the section reader
    int typedId_ = 0;
};

// The parts of a file (IniLayout::partsOf): each typed group's lines and
// each section reader group's lines (or the lines before the first group),
// whole lines in file order. Read on their own, the readers read from a
// part exactly what they read of that group from the whole file.
class IniLayout::Parts {
public:
    // The typed reader's groups; the first is the unnamed one before the
    // first header (perhaps without lines).
    int typedCount() const { return typedNames_.size(); }
    QString typedName(int id) const;
    int findTyped(const QString& name) const;
    // The parts of these groups, one after the other (the unnamed group's
    // first).
    QByteArray typedParts(const QVector<int>& ids) const;
    // The section reader's groups; part -1 is the lines before the first.
    int sectionCount() const { return sectionNames_.size(); }
    // The groups of the file's last line (which may lack a line end).
    int typedEnd() const { return runs_.isEmpty() ? -1 : runs_.constLast().typed; }
    int sectionEnd() const { return runs_.isEmpty() ? -2 : runs_.constLast().section; }
    int findSection(const QByteArray& name) const;
    // The parts [first, last] in file order; a chunk must not go on beyond
    // sectionEnd().
    QByteArray sectionParts(int first, int last) const;

private:
    friend class IniLayout;
    Parts(const QByteArray& bytes) : typedNames_(bytes, false), sectionNames_(bytes, true) {}
    void append(QByteArray& out, int run) const;
    QByteArray bytes_;
    NameTable typedNames_;
    NameTable sectionNames_;
    QVector<Run> runs_;
    QVector<int> firstTyped_, nextTyped_;     // the runs of each typed group, chained
    QVector<int> firstSection_, nextSection_; // the same for the section reader (index id + 1)
};

// The ASCII letters folded to lower case, every other byte as it is: how the
// section reader compares names.
QByteArray foldName(const QByteArray& name);

} // namespace commoncfg

#endif
