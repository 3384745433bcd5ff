#ifndef LCC_BENCH_DEVICEFILES_H
#define LCC_BENCH_DEVICEFILES_H

#include <QByteArray>

class QSettings;

// Text files as devices and careless tools write them, of about the given
// number of keys.
namespace devicefiles {

// Groups "main", "achanN", "dchanN", "calcchanN" of about 15 keys each, with
// the hexadecimal masks and flags the built-in conversion list knows, names
// in Windows-1251 and comment lines.
QByteArray device(int keys);

// One key in each of `keys` sections.
QByteArray manySections(int keys);

// One section holding all the keys.
QByteArray oneSection(int keys);

// The flat KEY=VALUE form of a device file, as the network setup file is.
QByteArray flat(int keys);

// Makes QSettings read and write the device's Windows-1251. Qt 6's QSettings
// knows no codec and reads its files as UTF-8 whatever the device wrote.
void readAsDevice(QSettings& settings);

} // namespace devicefiles

#endif // LCC_BENCH_DEVICEFILES_H
