#ifndef LIBCOMMONCFG_INIFILE_H
#define LIBCOMMONCFG_INIFILE_H

#include <LibCommonCfg/libcommoncfg_export.h>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

class QIODevice;

namespace LibCommonCfg {

/// An INI document held in memory: an ordered map from "group/key" to a
/// typed value.
///
/// Text is read and written in Windows-1251. While a text is read, every
/// value passes through the current conversion list (`parse`), which turns
/// the device's hexadecimal masks and flags into numbers and booleans;
/// while the document is serialized, every value is turned back into text
/// (`store`). In between, values are held exactly as they were given.
///
/// A key outside any group is stored as "/" followed by the key. Loading
/// merges into what the document already holds; the last occurrence of a
/// key in a text wins.
class LIBCOMMONCFG_EXPORT IniFile {
public:
    /// How the value of one key is converted between file text and a typed
    /// value. The record applies to every group whose name begins with
    /// `group` (case-sensitive) and to the key named `key` (whole name).
    /// The record does not own its strings; they must outlive every list
    /// that holds it.
    struct MappingEntry {
        /// Group-name prefix; empty matches every group, null marks the
        /// "no conversion" fallback record, which a lookup never matches.
        const char* group;
        /// Key name, matched whole.
        const char* key;
        /// Text to value, used while reading.
        std::function<QVariant(const QString&)> fromText;
        /// Value to text, used while writing.
        std::function<QString(const QVariant&)> toText;
    };

    /// The built-in conversion list: a no-conversion fallback followed by
    /// the device's hexadecimal masks and 0/1 and on/off flags. Built when
    /// the library is loaded; never changed.
    static const QList<MappingEntry> defaultConvMap;

    /// An empty document using a copy of `defaultConvMap`.
    IniFile();
    /// An empty document using a copy of the given list (nothing is pushed).
    explicit IniFile(const QList<MappingEntry>& convList);
    /// A document loaded from bytes with the built-in list.
    explicit IniFile(const QByteArray& data);
    /// A document loaded from bytes with the given list, which also becomes
    /// the one saved entry of the conversion stack.
    IniFile(const QByteArray& data, const QList<MappingEntry>& convList);
    ~IniFile();

    /// Reads the bytes into the document, merging with what it holds.
    void init(const QByteArray& data);
    /// Same as `init`.
    void load(const QByteArray& data);
    /// Installs and pushes the list, then reads the bytes.
    void load(const QByteArray& data, const QList<MappingEntry>& convList);
    /// Reads the named file. Returns false, changing nothing, when the file
    /// cannot be opened.
    bool load(const QString& fileName);
    /// Reads the named file with the given list (installed and pushed only
    /// when the file opens). Returns false, changing nothing, on failure.
    bool load(const QString& fileName, const QList<MappingEntry>& convList);

    /// Makes `group` the current group; groups do not nest.
    void beginGroup(const QString& group);
    /// Leaves the current group (no group afterwards, not the earlier one).
    void endGroup();
    /// The current group, or an empty text when there is none.
    QString currentGroup() const;

    /// The value of `key` in the current group (or outside any group when
    /// there is none), or `defaultValue` when it is absent.
    QVariant value(const QString& key, const QVariant& defaultValue = QVariant()) const;
    /// The value of `key` in `group` (empty: outside any group), or
    /// `defaultValue` when it is absent. The current group plays no part.
    QVariant valueFromGroup(const QString& group, const QString& key,
                            const QVariant& defaultValue = QVariant()) const;
    /// True when the stored value's text, lowered, is "y" or "1"; false for
    /// any other present value; `defaultValue` when absent.
    bool boolValueFromGroup(const QString& group, const QString& key, const bool& defaultValue = false) const;
    /// Stores under "currentGroup/key", or under `key` exactly as given when
    /// there is no current group (so a whole "group/key" may be passed).
    void setValue(const QString& key, const QVariant& value);
    /// Stores under "group/key" ("/key" for an empty group).
    void setValueInGroup(const QString& group, const QString& key, const QVariant& value);

    /// Every composite key, in ascending order.
    QStringList allKeys() const;
    /// The distinct group parts of all keys, in no defined order; an empty
    /// string stands for keys outside any group.
    QStringList allGroups() const;
    /// The key parts of the current group's keys, in no defined order.
    QStringList curGroupKeys() const;
    /// Whether any key is stored in `group`.
    bool hasGroup(const QString& group) const;

    /// The document as Windows-1251 INI text: keys outside any group first,
    /// then groups without digits in their names, then groups with digits.
    QByteArray serialize();
    /// One entry: `fileName` mapped to the bytes of `serialize()`. Writes no
    /// file.
    QHash<QString, QByteArray> serialize(const QString& fileName);

    /// Saves the current list and installs `convList`.
    void pushConvMap(const QList<MappingEntry>& convList);
    /// Reinstates the last saved list, or the built-in one when none is saved.
    void popConvMap();
    /// The record of the current list that applies to the group and key, or
    /// the list's first record when none applies.
    MappingEntry& getConv(const QString& group, const QString& key);
    /// File text to value under the current list.
    QVariant parse(const QString& group, const QString& key, const QString& text);
    /// Value to file text under the current list.
    QString store(const QString& group, const QString& key, const QVariant& value);

    /// Reads INI text from an open device into `map` (merging); always true.
    bool myIniReadFunc(QIODevice& device, QMap<QString, QVariant>& map);
    /// Writes `map` as INI text to an open device; always true.
    bool myIniWriteFunc(QIODevice& device, const QMap<QString, QVariant>& map);

private:
    QVector<QList<MappingEntry>> convStack;
    QList<MappingEntry> convMap;
    QMap<QString, QVariant> values;
    QString curGroup;
};

} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_INIFILE_H
