#ifndef LIBCOMMONCFG_FLATFILE_ENTRIES_H
#define LIBCOMMONCFG_FLATFILE_ENTRIES_H

#include <QByteArray>
#include <QHash>
#include <QString>

namespace LibCommonCfg {
namespace internal {

/// What a network setup or time-zone file holds: keys and their values,
/// in no order.
using FlatEntries = QHash<QString, QString>;

/// The readers of both files take at most this many characters of a line
/// at once and read the rest of a longer line as further lines of its own.
constexpr int kFlatLinePiece = 1024;

/// Merges the assignments of Windows-1251 text (or of Unicode text that
/// begins with a byte-order mark) into `entries`: every piece of a line
/// that matchAssignment finds a key in sets that key; the last one wins.
void loadEntries(FlatEntries& entries, const QByteArray& data);

/// loadEntries on the whole named file. False, changing nothing, when it
/// cannot be opened.
bool loadEntriesFromFile(FlatEntries& entries, const QString& fileName);

/// How values are written: as the setters stored them, or without white
/// space at their ends.
enum class ValueOutput { AsStored, Trimmed };

/// One "KEY=VALUE" line per entry, each ending in LF, in the hash's order,
/// in Windows-1251 without a byte-order mark; empty for no entries.
QByteArray serializeEntries(const FlatEntries& entries, ValueOutput values);

/// Writes the bytes as the library's savers of these files promise: the file
/// is replaced safely where it can be and written in place where it cannot.
/// False when it cannot be opened for writing or a write fails.
bool saveEntriesFile(const QString& fileName, const QByteArray& bytes);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_FLATFILE_ENTRIES_H
