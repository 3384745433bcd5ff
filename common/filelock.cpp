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

QString FileLock::lock(const QString& fileName, int timeoutMs)
{
    unlock();
    if (fileName.isEmpty())
        return QStringLiteral("no such file");
    const QByteArray path = QFile::encodeName(fileName);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);

    for (;;) {
        // Look before opening: opening some devices has effects of its own
        // (a watchdog starts counting, a tape rewinds).
        struct stat named {};
        if (::stat(path.constData(), &named) == 0 && !S_ISREG(named.st_mode))
            return notLockable(named);

        // O_NONBLOCK: a FIFO put in the file's place meanwhile must not
        // block the open until some writer comes along.
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            if (error == ENOENT)
                return QStringLiteral("no such file");
            if (::stat(path.constData(), &named) == 0 && !S_ISREG(named.st_mode))
                return notLockable(named); // a socket cannot be opened at all
            return QStringLiteral("cannot read: %1").arg(qt_error_string(error));
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0) {
            const int error = errno;
            ::close(fd);
            return QStringLiteral("cannot read: %1").arg(qt_error_string(error));
        }
        if (!S_ISREG(opened.st_mode)) {
            ::close(fd);
            return notLockable(opened);
        }
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

        for (;;) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                break;
            const int error = errno;
            if (error == EINTR)
                continue;
            if (error != EWOULDBLOCK) {
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
        if (::stat(path.constData(), &current) == 0 && sameFile(current, opened)) {
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
