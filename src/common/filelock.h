#ifndef LIBCOMMONCFG_COMMON_FILELOCK_H
#define LIBCOMMONCFG_COMMON_FILELOCK_H

#include <QString>

namespace LibCommonCfg {
namespace internal {

// An exclusive lock on a device file for one read-change-save cycle, so that
// two programs editing the same file take turns instead of losing each
// other's changes. The lock is an advisory flock() on the file itself: it
// needs no lock file and leaves nothing behind when its holder dies.
//
// Since a save replaces the file by a new one (a new inode), a program that
// was waiting may find itself holding the lock of a file that is no longer
// there; lock() then opens the name again and waits on the new file, so that
// the lock it returns is always that of the file the name stands for now.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens `fileName` (following symbolic links) for reading and locks it,
    // waiting at most `timeoutMs` milliseconds for another holder to let
    // go. Only a regular file can be locked: a folder, device, FIFO or
    // socket is refused at once, without blocking. Returns an empty string
    // on success, else the reason for the user, such as "no such file" or
    // "another program is changing this file (waited 10 s)".
    //
    // Where the file system offers no locks at all (some network file
    // systems), that is an error, unless `orWithout` allows going on with
    // the file open but unlocked.
    QString lock(const QString& fileName, int timeoutMs, bool orWithout = false);
    // The same for a name in the file system's own bytes, which need not be
    // text in the locale's encoding.
    QString lock(const QByteArray& nativeName, int timeoutMs, bool orWithout = false);

    // Releases the lock and closes the file. Idempotent.
    void unlock();

    bool isLocked() const { return fd_ >= 0; }

    // The locked file, open read-only: read its content through this, so
    // that what is read is the file that is locked.
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

// Opens `fileName` (following symbolic links) read-only if it is a regular
// file; a folder, device, FIFO or socket is refused at once, without
// blocking and without opening a device. Returns the descriptor in `fd`, or
// the reason for the user ("no such file", "is a folder, not a file", "not a
// regular file (a device, FIFO or socket)", "cannot read: ...").
QString openRegularFile(const QString& fileName, int* fd);
QString openRegularFile(const QByteArray& nativeName, int* fd);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_FILELOCK_H
