#ifndef COMMONCFG_COMMANDS_H
#define COMMONCFG_COMMANDS_H

#include "cli.h"
#include "devicefile.h"

#include <QJsonArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace commoncfg {

class IniLayout;

// One change asked for: a value to set, or (`remove`) a key or INI group to
// take out. `where` says where it was asked for when that is not the
// command line ("changes.txt:3"), for messages.
struct Request {
    QString key; // GROUP/KEY (or GROUP to remove) in an INI file, KEY in a flat file
    QString value;
    bool remove = false;
    QString where = QString();
};

// Something about a line a technician should see before the file goes onto
// a device.
struct Finding {
    int line; // index into the file's lines
    QString key;
    QString text;
};

int showIni(const DeviceFile& file, const CommonOptions& options);
int getIni(const DeviceFile& file, const QString& groupKey, const CommonOptions& options);

int showFlat(const DeviceFile& file, const CommonOptions& options);
int getFlat(const DeviceFile& file, const QString& key, const CommonOptions& options);

// The value as `get` prints it: as text, or the JSON object of the file, key
// and (typed) value.
void printValue(const DeviceFile& file, const QString& key, const QVariant& value, const QString& text,
                const CommonOptions& options);

// Locks and reads the file, makes the changes on their own lines, and saves
// only what reads back exactly as intended; with --dry-run, prints the diff
// of the bytes instead.
int changeFile(const QString& path, const QList<Request>& requests, const CommonOptions& options);

// Reads a batch of changes (one per line; "-" is standard input) and makes
// them as one.
int applyChanges(const QString& path, const QString& changesPath, const CommonOptions& options);

// The groups of an INI file (`group` null), or the keys of a group or of a
// flat file, in file order.
int listNames(const DeviceFile& file, const QString& group, const CommonOptions& options);

// The differences of two files of one kind by what the device reads.
int diffFiles(const DeviceFile& a, const DeviceFile& b, const CommonOptions& options);

int checkNetwork(const DeviceFile& file, const CommonOptions& options);
// What check-network finds in a network setup file (the interfaces counted
// unless `interfaceCount` gives their number); `listed` gets each interface.
QStringList networkFindings(const DeviceFile& file, int interfaceCount, QJsonArray* listed);

// The findings of show in an INI file: keys the readers disagree on, and
// values that are no value of their key's kind.
QList<Finding> iniFindings(const IniLayout& layout);

// validate: findings in one file.
int validateFile(const DeviceFile& file, const CommonOptions& options);

// `mode` is "scramble" or "unscramble" (or their old names "encrypt" and
// "decrypt"); scrambled passwords are shown as hex. A `given` text of "-" is read
// from standard input.
int password(const QString& mode, const QString& given, const CommonOptions& options);

// GROUP/KEY split at its first "/"; false when either part is empty.
bool splitGroupKey(const QString& groupKey, QString* group, QString* key);

} // namespace commoncfg

#endif
