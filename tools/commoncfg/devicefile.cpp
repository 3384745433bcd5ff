#include "devicefile.h"

#include "common/filelock.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace commoncfg {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Reads to the end, but never more than kMaxFileSize bytes: a larger input is
// refused while it is read, whatever stat() said of its size.
QString readBounded(int fd, QByteArray* bytes)
{
    // A regular file's size known beforehand spares the copies of growing.
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size < kMaxFileSize)
        bytes->reserve(int(status.st_size));
    static char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return QStringLiteral("cannot read: %1").arg(systemError(errno));
        if (got == 0)
            return QString();
        if (bytes->size() + got > kMaxFileSize)
            return QStringLiteral("larger than %1 MiB: too large for a device file").arg(kMaxFileSize >> 20);
        bytes->append(chunk, int(got));
    }
}

bool startsWithByteOrderMark(const QByteArray& bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE");
}

} // namespace

QString kindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Ini:
        return QStringLiteral("ini");
    case FileKind::Setup:
        return QStringLiteral("setup");
    case FileKind::TimeZone:
        return QStringLiteral("tz");
    }
    return QString();
}

bool detectKind(const QByteArray& bytes, FileKind* kind, int* headerLine)
{
    static const QRegularExpression header(QStringLiteral("^\\s*\\[[^\\]]*\\]"));
    static const QRegularExpression networkKey(QStringLiteral("^\\s*(IPADDR|NETMASK|GATEWAY)\\d*\\s*="));
    static const QRegularExpression assignment(QStringLiteral("^\\s*[\\w.]+\\s*="));
    bool sawAssignment = false;
    bool sawNetworkKey = false;
    // Line by line, without a copy of the whole text.
    for (int i = 0, begin = 0; begin <= bytes.size(); ++i) {
        int end = bytes.indexOf('\n', begin);
        if (end < 0)
            end = bytes.size();
        const QString line = QString::fromLatin1(bytes.constData() + begin, end - begin);
        begin = end + 1;
        if (header.match(line).hasMatch()) {
            *kind = FileKind::Ini;
            if (headerLine != nullptr)
                *headerLine = i + 1;
            return true;
        }
        if (networkKey.match(line).hasMatch())
            sawNetworkKey = true;
        else if (assignment.match(line).hasMatch())
            sawAssignment = true;
    }
    if (sawNetworkKey) {
        *kind = FileKind::Setup;
        return true;
    }
    if (sawAssignment) {
        *kind = FileKind::TimeZone;
        return true;
    }
    return false;
}

DeviceFile readDeviceFile(const QString& path, const QString& forced, LibCommonCfg::internal::FileLock* lock,
                          int lockTimeoutMs)
{
    DeviceFile file;
    file.path = path;
    if (!forced.isEmpty() && forced != QLatin1String("ini") && forced != QLatin1String("setup") &&
        forced != QLatin1String("tz")) {
        file.error = QStringLiteral("unknown format \"%1\" (expected ini, setup or tz)").arg(forced);
        return file;
    }

    if (path == QLatin1String("-")) {
        file.error = readBounded(STDIN_FILENO, &file.bytes);
    } else if (lock != nullptr) {
        file.error = lock->lock(path, lockTimeoutMs);
        if (file.error.isEmpty()) {
            // The lock's descriptor is the locked file; read from its start.
            const int fd = ::dup(lock->descriptor());
            if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0)
                file.error = QStringLiteral("cannot read: %1").arg(systemError(errno));
            else
                file.error = readBounded(fd, &file.bytes);
            if (fd >= 0)
                ::close(fd);
        }
    } else {
        int fd = -1;
        file.error = LibCommonCfg::internal::openRegularFile(path, &fd);
        if (file.error.isEmpty()) {
            file.error = readBounded(fd, &file.bytes);
            ::close(fd);
        }
    }
    if (!file.error.isEmpty())
        return file;

    if (file.bytes.contains('\0')) {
        file.error = QStringLiteral("holds binary data, not a device file");
        return file;
    }
    if (startsWithByteOrderMark(file.bytes)) {
        file.error =
            QStringLiteral("begins with a Unicode byte-order mark; the device's files are Windows-1251 "
                           "text, which the device's readers would take differently");
        return file;
    }

    FileKind detected = FileKind::Ini;
    int headerLine = 0;
    const bool known = detectKind(file.bytes, &detected, &headerLine);
    if (forced.isEmpty()) {
        if (!known)
            file.error = QStringLiteral("cannot tell the kind of file; name it with --format ini|setup|tz");
        file.kind = detected;
        return file;
    }
    file.kind = forced == QLatin1String("ini")     ? FileKind::Ini
                : forced == QLatin1String("setup") ? FileKind::Setup
                                                   : FileKind::TimeZone;
    // The two flat kinds share their grammar; an INI file is another thing.
    if (known && detected == FileKind::Ini && file.kind != FileKind::Ini)
        file.error = QStringLiteral("line %1 is a group header: this is an INI file, not a %2 file "
                                    "(--format %2)")
                         .arg(headerLine)
                         .arg(forced);
    else if (known && detected != FileKind::Ini && file.kind == FileKind::Ini)
        file.error = QStringLiteral("holds no group header: this is a flat KEY=VALUE file, not an INI file "
                                    "(--format ini)");
    return file;
}

} // namespace commoncfg
