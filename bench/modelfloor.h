#ifndef LCC_BENCH_MODELFLOOR_H
#define LCC_BENCH_MODELFLOOR_H

// IniFile keeps its document in a QMap<QString, QVariant> of "group/key" to
// the value as it was given. Whatever a loader does, it must at least make
// every key and value string and put them into the map in key order; a
// writer must at least visit every entry in order and read both strings.
// These do only that, from entries cut out and sorted beforehand, so that
// what the model itself costs (and how that grows with size) can be told
// apart from what the library's code adds.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <vector>

namespace modelfloor {

// One entry as the map holds it: a string value as its bytes, any other
// value (number, flag) as the variant itself.
struct Entry {
    QByteArray key;
    QVariant value;
    QByteArray text;
};

// The entries of a device file as IniFile loads it, in the map's key order.
std::vector<Entry> entries(const QByteArray& deviceFile);

// The map made from the entries: every key and text value a new string, each
// inserted at the end.
QMap<QString, QVariant> fill(const std::vector<Entry>& entries);

// Visits every entry in order and reads its key and text value; returns a
// sum the compiler cannot drop.
std::size_t walk(const QMap<QString, QVariant>& map);

} // namespace modelfloor

#endif
