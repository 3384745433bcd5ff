#include "common/savefile.h"

#include "common/filelock.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace LibCommonCfg {
namespace internal {

namespace {

// As many as the kernel follows in one lookup.
constexpr int kMaxLinkHops = 40;
constexpr int kNameAttempts = 100;

QString errorText(int error)
{
    return qt_error_string(error);
}

// A descriptor that is closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now and reports what close() says (a network file system may
    // report a failed write only here).
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// The file a name stands for once symbolic links are followed: the link
// stays, what it leads to is replaced.
struct Target {
    QByteArray path; // does not end in a symbolic link
    QByteArray folder;
    QByteArray name;
    bool exists = false;
    bool throughLink = false;
    struct stat st {};
};

int readLink(const QByteArray& path, QByteArray* contents)
{
    contents->resize(256);
    for (;;) {
        const ssize_t length =
            ::readlink(path.constData(), contents->data(), static_cast<std::size_t>(contents->size()));
        if (length < 0)
            return errno;
        if (length < contents->size()) {
            contents->truncate(static_cast<int>(length));
            return 0;
        }
        contents->resize(contents->size() * 2);
    }
}

QByteArray folderOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QString resolve(const QByteArray& given, Target* target)
{
    QByteArray path = given;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0) {
            const int error = errno;
            if (error != ENOENT)
                return QStringLiteral("cannot reach the file: %1").arg(errorText(error));
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            target->exists = true;
            target->st = st;
            break;
        }
        if (hops == kMaxLinkHops)
            return QStringLiteral("too many symbolic links in a row");
        QByteArray contents;
        if (const int error = readLink(path, &contents))
            return QStringLiteral("cannot read the symbolic link: %1").arg(errorText(error));
        path = contents.startsWith('/') ? contents : folderOf(path) + '/' + contents;
        target->throughLink = true;
    }
    target->path = path;
    target->folder = folderOf(path);
    target->name = path.mid(path.lastIndexOf('/') + 1);
    if (target->name.isEmpty() || target->name == "." || target->name == "..")
        return QStringLiteral("is a folder, not a file");
    return QString();
}

int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, std::min<std::size_t>(left, 1U << 30));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// The whole of a regular file, kept to be put back should a write in place
// fail. False where it cannot be read.
bool readWhole(const QByteArray& path, QByteArray* bytes)
{
    int fd = -1;
    if (!openRegularFile(path, &fd).isEmpty())
        return false;
    const Descriptor file(fd);
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        bytes->append(buffer, static_cast<int>(got));
    }
}

// Truncates and writes the file where it is: for devices and FIFOs, which a
// rename would replace by a regular file, and for the unsafe cases when the
// caller prefers that to refusing. Should the new bytes not all reach the
// disk, a regular file gets its old bytes back, or is removed if the write
// made it.
QString writeInPlace(const QByteArray& path, const QByteArray& bytes, mode_t type, bool exists, bool* opened)
{
    const bool regular = S_ISREG(type);
    QByteArray old;
    const bool haveOld = regular && exists && readWhole(path, &old);
    int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY;
    if (S_ISFIFO(type))
        flags |= O_NONBLOCK; // without a reader: fail rather than wait for one
    else if (regular)
        flags |= exists ? O_CREAT | O_TRUNC : O_CREAT | O_EXCL;
    Descriptor file(::open(path.constData(), flags, 0666));
    *opened = file.get() >= 0; // whatever a new file beside it was made before
    if (!*opened)
        return QStringLiteral("cannot open for writing: %1").arg(errorText(errno));
    if (S_ISFIFO(type)) {
        const int current = ::fcntl(file.get(), F_GETFL);
        if (current >= 0)
            ::fcntl(file.get(), F_SETFL, current & ~O_NONBLOCK);
    }
    const auto undo = [&](const QString& why) {
        if (!regular)
            return why;
        if (!exists) {
            ::unlink(path.constData());
            return why;
        }
        if (haveOld && ::ftruncate(file.get(), 0) == 0 && ::lseek(file.get(), 0, SEEK_SET) == 0 &&
            writeAll(file.get(), old) == 0 && ::fsync(file.get()) == 0)
            return why;
        return QStringLiteral("%1; the old content could not be put back").arg(why);
    };
    if (const int error = writeAll(file.get(), bytes))
        return undo(QStringLiteral("cannot write: %1").arg(errorText(error)));
    if (regular && ::fsync(file.get()) != 0)
        return undo(QStringLiteral("cannot write to the disk: %1").arg(errorText(errno)));
    // Once synced, a regular file has its new bytes whatever close() says;
    // a device may report a failed write only here.
    if (const int error = file.close(); error != 0 && !regular)
        return QStringLiteral("cannot write: %1").arg(errorText(error));
    return QString();
}

// A hidden name beside the target that no other file has yet.
QByteArray hiddenName(const QByteArray& base)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    // Short enough that the name stays within NAME_MAX.
    QByteArray name = '.' + base.left(200) + '.';
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kLetters) - 1)];
    return name;
}

// The new file in the target's folder. It has no name while that works
// (O_TMPFILE), so that a process killed half-way leaves nothing; otherwise,
// and just before the rename, a hidden one, which is removed again on every
// way out.
class NewFile {
public:
    explicit NewFile(int folder) : folder_(folder) {}
    ~NewFile() { discard(); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    int fd() const { return file_.get(); }
    const QByteArray& name() const { return name_; }

    // Opened for reading too, so that the check can read it back through
    // /proc/self/fd.
    int createUnnamed()
    {
        const int fd = ::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd < 0)
            return errno;
        file_.reset(fd);
        return 0;
    }

    int createNamed(const QByteArray& base)
    {
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            const QByteArray candidate = hiddenName(base);
            const int fd = ::openat(folder_, candidate.constData(),
                                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) {
                file_.reset(fd);
                name_ = candidate;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    // Links the unnamed file into the folder: by its descriptor where that
    // is allowed (it needs privileges), else through /proc.
    int giveName(const QByteArray& base)
    {
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd());
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            const QByteArray candidate = hiddenName(base);
            int error = 0;
            if (::linkat(fd(), "", folder_, candidate.constData(), AT_EMPTY_PATH) != 0) {
                error = errno;
                if (error != EEXIST)
                    error = ::linkat(AT_FDCWD, proc.constData(), folder_, candidate.constData(),
                                     AT_SYMLINK_FOLLOW) == 0
                                ? 0
                                : errno;
            }
            if (error == 0) {
                name_ = candidate;
                return 0;
            }
            if (error != EEXIST)
                return error;
        }
        return EEXIST;
    }

    void discard()
    {
        file_.reset();
        if (!name_.isEmpty())
            ::unlinkat(folder_, name_.constData(), 0);
        name_.clear();
    }

    // The rename made it the target: nothing left to clean up.
    void renamed()
    {
        name_.clear();
        file_.reset();
    }

private:
    int folder_;
    Descriptor file_;
    QByteArray name_;
};

int listAttributes(int fd, QList<QByteArray>* names)
{
    names->clear();
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? 0 : errno;
        if (size == 0)
            return 0;
        QByteArray list(static_cast<int>(size), '\0');
        const ssize_t got = ::flistxattr(fd, list.data(), static_cast<std::size_t>(list.size()));
        if (got < 0) {
            if (errno == ERANGE)
                continue; // grew meanwhile
            return errno;
        }
        list.truncate(static_cast<int>(got));
        for (const QByteArray& name : list.split('\0')) {
            if (!name.isEmpty())
                names->append(name);
        }
        return 0;
    }
}

int readAttribute(int fd, const QByteArray& name, QByteArray* value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return errno;
        value->resize(static_cast<int>(size));
        const ssize_t got =
            ::fgetxattr(fd, name.constData(), value->data(), static_cast<std::size_t>(value->size()));
        if (got < 0) {
            if (errno == ERANGE)
                continue;
            return errno;
        }
        value->truncate(static_cast<int>(got));
        return 0;
    }
}

QString octal(mode_t mode)
{
    return QStringLiteral("%1").arg(static_cast<uint>(mode & 07777), 4, 8, QLatin1Char('0'));
}

// Gives the new file what the old one had besides its bytes: owner, group,
// mode and every extended attribute (POSIX ACLs and security labels are
// stored as such), and takes away attributes the old file did not have,
// such as an ACL the folder's default ACL gave the new file. Returns why
// this cannot be done, else an empty string.
QString keepAttributes(int oldFd, const struct stat& old, int newFd)
{
    struct stat now {};
    if (::fstat(newFd, &now) != 0)
        return QStringLiteral("cannot read the new file's owner: %1").arg(errorText(errno));
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(newFd, old.st_uid, old.st_gid) != 0) {
        const int error = errno;
        return QStringLiteral("cannot keep the file's owner %1:%2: %3")
            .arg(old.st_uid)
            .arg(old.st_gid)
            .arg(errorText(error));
    }

    // After the owner: a change of owner drops file capabilities.
    QList<QByteArray> oldNames;
    QList<QByteArray> newNames;
    if (const int error = listAttributes(oldFd, &oldNames))
        return QStringLiteral("cannot read the file's extended attributes: %1").arg(errorText(error));
    if (const int error = listAttributes(newFd, &newNames))
        return QStringLiteral("cannot read the new file's extended attributes: %1").arg(errorText(error));
    for (const QByteArray& name : newNames) {
        if (!oldNames.contains(name) && ::fremovexattr(newFd, name.constData()) != 0) {
            const int error = errno;
            return QStringLiteral("cannot take the extended attribute %1 from the new file: %2")
                .arg(QString::fromLatin1(name), errorText(error));
        }
    }
    for (const QByteArray& name : oldNames) {
        QByteArray value;
        const int error = readAttribute(oldFd, name, &value);
        if (error == ENODATA)
            continue; // removed meanwhile
        if (error != 0) {
            return QStringLiteral("cannot read the file's extended attribute %1: %2")
                .arg(QString::fromLatin1(name), errorText(error));
        }
        if (::fsetxattr(newFd, name.constData(), value.constData(), static_cast<std::size_t>(value.size()),
                        0) != 0) {
            const int setError = errno;
            return QStringLiteral("cannot keep the file's extended attribute %1: %2")
                .arg(QString::fromLatin1(name), errorText(setError));
        }
    }

    // Last: a change of owner clears the set-ID bits, and chmod sets the
    // ACL's mask from the group bits, which on the old file agree with its
    // ACL.
    if (::fchmod(newFd, old.st_mode & 07777) != 0) {
        const int error = errno;
        return QStringLiteral("cannot keep the file's mode %1: %2").arg(octal(old.st_mode), errorText(error));
    }
    // chmod silently drops the set-group-ID bit for an owner outside the group.
    if (::fstat(newFd, &now) != 0 || now.st_uid != old.st_uid || now.st_gid != old.st_gid ||
        (now.st_mode & 07777) != (old.st_mode & 07777))
        return QStringLiteral("cannot keep the file's mode %1").arg(octal(old.st_mode));
    return QString();
}

bool folderNotWritable(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

QString saveFile(const QString& fileName, const QByteArray& bytes, const SaveOptions& options)
{
    return saveFile(QFile::encodeName(fileName), bytes, options);
}

QString saveFile(const QByteArray& nativeName, const QByteArray& bytes, const SaveOptions& options)
{
    bool ignored = false;
    bool& opened = options.opened != nullptr ? *options.opened : ignored;
    opened = false;
    if (nativeName.isEmpty())
        return QStringLiteral("no file name given");
    Target target;
    QString reason = resolve(nativeName, &target);
    if (!reason.isEmpty())
        return reason;

    struct stat locked {};
    if (options.heldLock != nullptr) {
        if (!options.heldLock->isLocked() || ::fstat(options.heldLock->descriptor(), &locked) != 0)
            return QStringLiteral("the file is not locked");
        if (!target.exists || target.st.st_dev != locked.st_dev || target.st.st_ino != locked.st_ino)
            return QStringLiteral("the file was replaced by another program while it was being changed");
    }

    const bool inPlaceAllowed = options.whenUnsafe == WhenUnsafe::WriteInPlace;
    if (target.exists && !S_ISREG(target.st.st_mode)) {
        if (S_ISDIR(target.st.st_mode))
            return QStringLiteral("is a folder, not a file");
        if (S_ISSOCK(target.st.st_mode))
            return QStringLiteral("not a regular file (a socket)");
        if (!inPlaceAllowed)
            return QStringLiteral("not a regular file (a device or FIFO)");
        return writeInPlace(target.path, bytes, target.st.st_mode, true, &opened);
    }
    const auto unsafe = [&](const QString& why) {
        return inPlaceAllowed ? writeInPlace(target.path, bytes, S_IFREG, target.exists, &opened) : why;
    };
    if (!target.exists && target.throughLink)
        return unsafe(QStringLiteral("the symbolic link leads to no file"));

    // The lock is held until the new file has replaced the old one, and
    // through a write in place.
    FileLock ownLock;
    int oldFd = -1;
    if (target.exists) {
        if (::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0)
            return QStringLiteral("cannot write: %1").arg(errorText(errno));
        if (options.heldLock != nullptr) {
            oldFd = options.heldLock->descriptor();
            target.st = locked;
        } else {
            if (::faccessat(AT_FDCWD, target.path.constData(), R_OK, AT_EACCESS) != 0)
                return unsafe(QStringLiteral("cannot read the file to lock it: %1").arg(errorText(errno)));
            reason = ownLock.lock(target.path, options.lockTimeoutMs, inPlaceAllowed);
            if (!reason.isEmpty())
                return reason;
            oldFd = ownLock.descriptor();
            // The lock may have waited for a save that put a new file there.
            if (::fstat(oldFd, &target.st) != 0)
                return QStringLiteral("cannot read: %1").arg(errorText(errno));
        }
        if (target.st.st_nlink > 1) {
            return unsafe(QStringLiteral("the file has %1 hard links, which a replacement would separate")
                              .arg(static_cast<qulonglong>(target.st.st_nlink)));
        }
    }

    Descriptor folder(::open(target.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const auto folderFailure = [&](int error) {
        const QString why = QStringLiteral("cannot write into the folder %1: %2")
                                .arg(QFile::decodeName(target.folder), errorText(error));
        return folderNotWritable(error) ? unsafe(why) : why;
    };
    if (folder.get() < 0)
        return folderFailure(errno);

    NewFile temp(folder.get());
    // Without /proc/self/fd an unnamed file could neither be checked nor
    // given a name.
    int error = ::access("/proc/self/fd", X_OK) == 0 ? temp.createUnnamed() : EOPNOTSUPP;
    if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
        error = temp.createNamed(target.name);
    if (error != 0)
        return folderFailure(error);
    opened = true;

    // Writes, syncs and dresses the new file; sets `attributes` when what
    // failed is keeping the old file's attributes.
    bool attributes = false;
    const auto fill = [&]() {
        if (const int writeError = writeAll(temp.fd(), bytes))
            return QStringLiteral("cannot write: %1").arg(errorText(writeError));
        if (::fsync(temp.fd()) != 0)
            return QStringLiteral("cannot write to the disk: %1").arg(errorText(errno));
        if (!target.exists)
            return QString();
        QString why = keepAttributes(oldFd, target.st, temp.fd());
        attributes = !why.isEmpty();
        return why;
    };
    reason = fill();
    if (!reason.isEmpty()) {
        temp.discard();
        return attributes ? unsafe(reason) : reason;
    }

    if (options.check) {
        const QString readable = temp.name().isEmpty() ? QStringLiteral("/proc/self/fd/%1").arg(temp.fd())
                                                       : QFile::decodeName(target.folder + '/' + temp.name());
        reason = options.check(readable);
        if (!reason.isEmpty())
            return reason;
    }

    if (temp.name().isEmpty() && temp.giveName(target.name) != 0) {
        // No way to name the unnamed file here: the same bytes go once more
        // into a named one (the check has seen them already).
        temp.discard();
        error = temp.createNamed(target.name);
        if (error != 0)
            return folderFailure(error);
        reason = fill();
        if (!reason.isEmpty()) {
            temp.discard();
            return attributes ? unsafe(reason) : reason;
        }
    }

    if (::renameat(folder.get(), temp.name().constData(), folder.get(), target.name.constData()) != 0)
        return QStringLiteral("cannot replace the file: %1").arg(errorText(errno));
    temp.renamed();
    // Without this the rename may not survive a power cut. Some file
    // systems cannot sync a folder (EINVAL); nothing is to be had there.
    if (::fsync(folder.get()) != 0 && errno != EINVAL)
        return QStringLiteral("the file was replaced, but the folder could not be written to the disk: %1")
            .arg(errorText(errno));
    return QString();
}

} // namespace internal
} // namespace LibCommonCfg
