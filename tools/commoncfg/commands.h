#ifndef COMMONCFG_COMMANDS_H
#define COMMONCFG_COMMANDS_H

#include "cli.h"
#include "devicefile.h"

#include <QList>
#include <QPair>
#include <QString>

namespace commoncfg {

// One "set" argument pair: the key as the user wrote it and its new value.
using Assignment = QPair<QString, QString>;

int showIni(const DeviceFile& file, const CommonOptions& options);
int getIni(const DeviceFile& file, const QString& groupKey);
int setIni(const DeviceFile& file, const QList<Assignment>& assignments, const CommonOptions& options);

int showFlat(const DeviceFile& file, const CommonOptions& options);
int getFlat(const DeviceFile& file, const QString& key);
int setFlat(const DeviceFile& file, const QList<Assignment>& assignments, const CommonOptions& options);

int checkNetwork(const DeviceFile& file, const CommonOptions& options);

// `mode` is "encrypt" or "decrypt"; scrambled passwords are shown as hex.
int password(const QString& mode, const QString& text);

// Shared by the setters: a value that cannot be stored on one line.
QString lineBreakProblem(const QString& value);

// Strict dotted-quad IPv4 text: four decimal parts 0-255.
bool isDottedQuad(const QString& text);

} // namespace commoncfg

#endif
