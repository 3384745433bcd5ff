#ifndef LIBCOMMONCFG_SETUPFILE_H
#define LIBCOMMONCFG_SETUPFILE_H

#include <LibCommonCfg/libcommoncfg_export.h>
#include <LibCommonCfg/netcheck.h>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class QTextCodec;

namespace LibCommonCfg {

/// The device's network setup file: flat KEY=VALUE lines in Windows-1251,
/// held as an unordered map of keys to text values.
///
/// Loading merges into what the object holds (the last occurrence of a key
/// wins); there are no sections and no comments. Keys are listed and lines
/// written in the hash's order, which is not defined.
class LIBCOMMONCFG_EXPORT SetupFile {
public:
    /// An empty store.
    SetupFile();

    /// Reads the named file, merging it into the store. Returns false,
    /// changing nothing, when the file cannot be opened.
    bool load(const QString& fileName);
    /// Parses the bytes and merges their assignments into the store.
    void load(const QByteArray& data);
    /// Writes the bytes of `serialize()` to the named file. A regular file
    /// is replaced by a new one in its folder that keeps its owner, mode and
    /// extended attributes, so that a failure leaves the old file as it was;
    /// where that cannot be done (a read-only folder, further hard links, an
    /// owner this process cannot give) and for devices, the file is written
    /// in place. Waits up to 10 s while another program holds the file's
    /// lock. Returns false when the file cannot be opened for writing or a
    /// write fails.
    bool save(const QString& fileName);
    /// The store as file text: one "KEY=value" line per key, the value
    /// trimmed. `save` writes what this returns, so a derived class may
    /// change the saved text by overriding it.
    virtual QByteArray serialize() const;

    /// All keys, in the hash's order.
    QStringList allKeys() const;
    /// The key is present (its value may be empty).
    bool hasKey(const QString& key) const;

    /// The value as stored; a null text when the key is absent.
    QString getString(const QString& key) const;
    /// The value as a decimal number; `defaultValue` when the key is absent
    /// or its value is not a number in the range of int.
    int getInt(const QString& key, int defaultValue = 0) const;
    /// True for "Y" or "y", false for any other non-empty value;
    /// `defaultValue` when the key is absent or its value empty.
    bool getBool(const QString& key, bool defaultValue = false) const;

    /// Inserts the key or replaces its value; the key is not checked.
    void setString(const QString& key, const QString& value);
    /// Stores the value as decimal text.
    void setInt(const QString& key, int value);
    /// Stores "Y" for true and "N" for false.
    void setBool(const QString& key, bool value);
    /// Erases the key; returns the number of keys erased (0 or 1).
    int remove(const QString& key);

    /// Same keys with equal values.
    bool operator==(const SetupFile& other) const;
    /// Some key or value differs.
    bool operator!=(const SetupFile& other) const;

    /// Appends `count` interfaces read from "IPADDR", "NETMASK", "GATEWAY"
    /// (the first) and their forms numbered from 2 (the further ones);
    /// absent keys give null texts. Always true.
    bool getIfList(int count, QList<NetIf>& list);
    /// Stores the address, mask and gateway of each interface under the keys
    /// of its position; keys of further positions stay. Always true.
    bool setIfList(QList<NetIf>& list);

private:
    QHash<QString, QString> entries;
    QTextCodec* codec;
};

} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_SETUPFILE_H
