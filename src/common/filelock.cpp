#include "common/filelock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LibCommonCfg {
namespace internal {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(20);

QString notLockable(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("is a folder, not a file");
    return QStringLiteral("not a regular file (a device, FIFO or socket)");
}

QString waitedTooLong(int timeoutMs)
{
    return QStringLiteral("another program is changing this file (waited %1 s)")
        .arg(QString::number(timeoutMs > 0 ? timeoutMs / 1000.0 : 0.0));
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

FileLock::~FileLock()
{
    unlock();
}

void FileLock::unlock()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

QString openRegularFile(const QString& fileName, int* fd)
{
    return openRegularFile(QFile::encodeName(fileName), fd);
}

QString openRegularFile(const QByteArray& nativeName, int* fd)
{
    *fd = -1;
    if (nativeName.isEmpty())
        return QStringLiteral("no such file");
    for (;;) {
        // Look before opening: opening some devices has effects of its own
        // (a watchdog starts counting, a tape rewinds).
        struct stat named {};
        if (::stat(nativeName.constData(), &named) == 0 && !S_ISREG(named.st_mode))
            return notLockable(named);

        // O_NONBLOCK: a FIFO put in the file's place meanwhile must not
        // block the open until some writer comes along.
        const int opened = ::open(nativeName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (opened < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            if (error == ENOENT)
                return QStringLiteral("no such file");
            if (::stat(nativeName.constData(), &named) == 0 && !S_ISREG(named.st_mode))
                return notLockable(named); // a socket cannot be opened at all
            return QStringLiteral("cannot read: %1").arg(qt_error_string(error));
        }
        struct stat status {};
        if (::fstat(opened, &status) != 0) {
            const int error = errno;
            ::close(opened);
            return QStringLiteral("cannot read: %1").arg(qt_error_string(error));
        }
        if (!S_ISREG(status.st_mode)) {
            ::close(opened);
            return notLockable(status);
        }
        const int flags = ::fcntl(opened, F_GETFL);
        if (flags >= 0)
            ::fcntl(opened, F_SETFL, flags & ~O_NONBLOCK);
        *fd = opened;
        return QString();
    }
}

QString FileLock::lock(const QString& fileName, int timeoutMs, bool orWithout)
{
    return lock(QFile::encodeName(fileName), timeoutMs, orWithout);
}

QString FileLock::lock(const QByteArray& nativeName, int timeoutMs, bool orWithout)
{
    unlock();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);

    for (;;) {
        int fd = -1;
        QString problem = openRegularFile(nativeName, &fd);
        if (!problem.isEmpty())
            return problem;
        struct stat opened {};
        if (::fstat(fd, &opened) != 0) {
            const int error = errno;
            ::close(fd);
            return QStringLiteral("cannot read: %1").arg(qt_error_string(error));
        }

        for (;;) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                break;
            const int error = errno;
            if (error == EINTR)
                continue;
            if (error != EWOULDBLOCK) {
                if (orWithout && (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS)) {
                    fd_ = fd; // no locks to be had here: go on without one
                    return QString();
                }
                ::close(fd);
                return QStringLiteral("cannot lock: %1").arg(qt_error_string(error));
            }
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                ::close(fd);
                return waitedTooLong(timeoutMs);
            }
            std::this_thread::sleep_for(
                std::min<std::chrono::steady_clock::duration>(kRetryInterval, deadline - now));
        }

        // While we waited, the holder may have saved: its new file now
        // carries the name, and the lock we got is that of the old one.
        struct stat current {};
        if (::stat(nativeName.constData(), &current) == 0 && sameFile(current, opened)) {
            fd_ = fd;
            return QString();
        }
        ::close(fd);
        if (std::chrono::steady_clock::now() >= deadline)
            return waitedTooLong(timeoutMs);
    }
}

} // namespace internal
} // namespace LibCommonCfg
