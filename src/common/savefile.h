#ifndef LIBCOMMONCFG_COMMON_SAVEFILE_H
#define LIBCOMMONCFG_COMMON_SAVEFILE_H

#include <QByteArray>
#include <QString>

#include <functional>

namespace LibCommonCfg {
namespace internal {

class FileLock;

// What a save does where the file cannot be replaced safely: the folder
// cannot be written into, the owner, group, mode or extended attributes
// (ACLs included) of the old file cannot be given to the new one, the file
// has further hard links, or it is not a regular file at all (a device or a
// FIFO, possibly behind a symbolic link).
enum class WhenUnsafe {
    Refuse,      // fail and leave the file as it was (the tool)
    WriteInPlace // truncate the file and write it where it is (the library's
                 // savers, whose promise is to open the file for writing);
                 // should that fail, its old bytes are put back
};

struct SaveOptions {
    WhenUnsafe whenUnsafe = WhenUnsafe::Refuse;

    // Called once the new bytes are written and synced to a file that does
    // not replace the target yet, with a name under which they can be read
    // back. A non-empty result (the reason) cancels the save and leaves the
    // target untouched. Not called for a write in place.
    std::function<QString(const QString& writtenName)> check;

    // The lock the caller already holds on this file, for a read-change-save
    // cycle; the save then checks that the name still stands for the locked
    // file. When null, the save takes the lock itself for its own duration
    // (waiting at most lockTimeoutMs), if the file exists.
    const FileLock* heldLock = nullptr;
    int lockTimeoutMs = 10000;

    // When set, tells whether the file could be opened for writing at all:
    // the new file beside it was made, or the file itself opened for a write
    // in place (where the save ends up writing in place, only that counts).
    // The section/key engine reports no more than that.
    bool* opened = nullptr;
};

// Replaces the file `fileName` by `bytes` so that it ends up either exactly
// as intended or exactly as it was, with nothing left behind:
//  - a symbolic link is followed: its target is replaced, the link kept;
//  - the bytes go to a new file in the target's own folder (never /tmp),
//    which has no name while it is written, so that a process killed
//    half-way leaves nothing; every write is checked; the file is synced,
//    given the old file's owner, group, mode and extended attributes, then
//    renamed over the target, and the folder is synced;
//  - where that cannot be done safely (see WhenUnsafe), the options decide.
// Returns an empty string on success, else the reason for the user, without
// the file's name (for example "cannot write into the folder /etc/dev:
// Permission denied").
QString saveFile(const QString& fileName, const QByteArray& bytes,
                 const SaveOptions& options = SaveOptions());
// The same for a name in the file system's own bytes, as the section/key
// engine has it.
QString saveFile(const QByteArray& nativeName, const QByteArray& bytes,
                 const SaveOptions& options = SaveOptions());

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_SAVEFILE_H
