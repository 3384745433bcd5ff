#ifndef LIBCOMMONCFG_TZFILE_H
#define LIBCOMMONCFG_TZFILE_H

#include <LibCommonCfg/libcommoncfg_export.h>

#include <QByteArray>
#include <QHash>
#include <QString>

namespace LibCommonCfg {

/// The device's time-zone settings file: flat KEY=VALUE lines without
/// sections, in Windows-1251.
///
/// A line counts as an assignment when a key (ASCII letters, digits, "_"
/// and ".") followed by "=" occurs anywhere in it; characters in front that
/// cannot form a key are passed over, so there is no comment syntax. The
/// value is the rest of the line, trimmed. Loading merges into what the
/// object holds; the last occurrence of a key wins. Keys mean nothing to the
/// library: which keys a file holds is the client's business.
class LIBCOMMONCFG_EXPORT TZFile {
public:
    /// Reads the named file. Returns false, changing nothing, when it cannot
    /// be opened.
    bool load(const QString& fileName);
    /// Merges the assignments of the bytes into the object.
    void load(const QByteArray& data);
    /// Replaces the named file with `serialize()` by a new file that keeps
    /// the old one's owner, mode and extended attributes; the old file stays
    /// as it was when anything fails. Where it cannot be replaced that way
    /// (a read-only folder, further hard links, an owner this process cannot
    /// give, a device), it is written in place. Waits up to 10 s while
    /// another program holds the file's lock. Returns false when the file
    /// cannot be opened for writing or a write fails.
    bool save(const QString& fileName);
    /// One "KEY=VALUE" line per entry, each ending in LF, in no defined
    /// order; empty for an object without entries.
    QByteArray serialize() const;

    /// True when the key is present.
    bool hasKey(const QString& key);
    /// The stored value, or a null string when the key is absent.
    QString getString(const QString& key) const;
    /// True exactly when the stored value, lowered, is "y". An absent key is
    /// added with a null value (and then written as "KEY=") and gives false.
    bool getBool(const QString& key);
    /// Inserts the key or replaces its value.
    void setString(const QString& key, const QString& value);
    /// Stores "Y" or "N".
    void setBool(const QString& key, bool value);

    /// Same keys with equal values.
    bool operator==(const TZFile& other) const;
    /// Some key or value differs.
    bool operator!=(const TZFile& other) const;

private:
    QHash<QString, QString> entries;
};

} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_TZFILE_H
