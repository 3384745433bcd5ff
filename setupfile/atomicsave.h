#ifndef LIBCOMMONCFG_SETUPFILE_ATOMICSAVE_H
#define LIBCOMMONCFG_SETUPFILE_ATOMICSAVE_H

#include <QByteArray>
#include <QString>

namespace LibCommonCfg {
namespace internal {

// Replaces the file `fileName` with `bytes` so that a failure part-way never
// leaves a truncated file behind: the bytes go to a temporary file in the
// same folder, which is renamed over the target only after everything was
// written and flushed. When the folder itself is not writable but the file
// is, the file is written in place (there is no other way to change it).
// A device or pipe (also behind a symbolic link) is written in place too,
// so that the device node is never replaced by a regular file.
// Returns false, with the old file untouched where possible, on any failure.
// Not exported; shared by the savers of the flat KEY=VALUE files.
bool saveAtomically(const QString& fileName, const QByteArray& bytes);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_SETUPFILE_ATOMICSAVE_H
