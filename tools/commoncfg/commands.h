#ifndef COMMONCFG_COMMANDS_H
#define COMMONCFG_COMMANDS_H

#include "cli.h"
#include "devicefile.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace commoncfg {

// One "set" argument pair: the key as the user wrote it and its new value.
using Assignment = QPair<QString, QString>;

int showIni(const DeviceFile& file, const CommonOptions& options);
int getIni(const DeviceFile& file, const QString& groupKey);

int showFlat(const DeviceFile& file, const CommonOptions& options);
int getFlat(const DeviceFile& file, const QString& key);

// Locks and reads the file, changes the values on their own lines, and saves
// only what reads back exactly as intended.
int setValues(const QString& path, const QList<Assignment>& assignments, const CommonOptions& options);
// The same for removals: GROUP/KEY or a whole GROUP in an INI file, KEY in a
// flat file.
int deleteKeys(const QString& path, const QStringList& names, const CommonOptions& options);

// The groups of an INI file (`group` null), or the keys of a group or of a
// flat file, in file order.
int listNames(const DeviceFile& file, const QString& group, const CommonOptions& options);

int checkNetwork(const DeviceFile& file, const CommonOptions& options);

// `mode` is "scramble" or "unscramble" (or their old names "encrypt" and
// "decrypt"); scrambled passwords are shown as hex. A text of "-" is read
// from standard input.
int password(const QString& mode, const QString& text);

// GROUP/KEY split at its first "/"; false when either part is empty.
bool splitGroupKey(const QString& groupKey, QString* group, QString* key);

} // namespace commoncfg

#endif
