// Saving and locking a device file. The suite runs as root in CI: failures
// are made in ways that hold for root too (a full file system, a size limit),
// and what an ordinary user must be refused is tried by a child become nobody.
#include "common/filelock.h"
#include "common/savefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "faults.h"
#include "support/files.h"
#include "folderview.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace LibCommonCfg::internal;
using lcctest::readAll;
using lcctest::writeAll;
using folderview::filesIn;
using folderview::kAccessAcl;
using folderview::kDefaultAcl;
using folderview::name;
using folderview::statOf;

namespace {

constexpr WhenUnsafe kBothWays[] = {WhenUnsafe::Refuse, WhenUnsafe::WriteInPlace};
constexpr uid_t kNobody = 65534;

QString save(const QString& path, const QByteArray& bytes, WhenUnsafe whenUnsafe)
{
    SaveOptions options;
    options.whenUnsafe = whenUnsafe;
    return saveFile(path, bytes, options);
}

const bool kRoot = ::geteuid() == 0;

// Saves "new\n" in a child become nobody: 0 when saved, 1 when refused for
// `reason`, 2 for another result, -1 when the rights could not be dropped.
int saveAsNobody(const QString& path, WhenUnsafe whenUnsafe, const QString& reason)
{
    const auto attempt = [&] {
        const QString result = save(path, "new\n", whenUnsafe);
        return result.isEmpty() ? 0 : result.startsWith(reason) ? 1 : 2;
    };
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(126);
        ::_exit(attempt());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 126)
        return -1;
    return WEXITSTATUS(status);
}

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(name(path).constData(), mode) == 0;
}

QByteArray attribute(const QString& path, const char* key)
{
    char value[512];
    const ssize_t size = ::getxattr(name(path).constData(), key, value, sizeof value);
    return size < 0 ? QByteArray("<none>") : QByteArray(value, static_cast<int>(size));
}

bool setAttribute(const QString& path, const char* key, const QByteArray& value)
{
    return ::setxattr(name(path).constData(), key, value.constData(), static_cast<std::size_t>(value.size()),
                      0) == 0;
}

// A tmpfs of 64 KiB, mounted while the object lives.
struct SmallFileSystem {
    QString path;
    bool mounted;
    explicit SmallFileSystem(const QString& where)
        : path(where), mounted(QDir().mkdir(where) &&
                               ::mount("tmpfs", name(where).constData(), "tmpfs", 0, "size=64k") == 0)
    {
    }
    ~SmallFileSystem()
    {
        if (mounted)
            ::umount2(name(path).constData(), MNT_DETACH);
    }
};

} // namespace

TEST(SaveFile, ReplacesWithExactBytesOrFailsWithoutCreatingAnything)
{
    for (const WhenUnsafe way : kBothWays) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath("network");
        const QByteArray bytes("IPADDR=10.0.0.1\n\0\xff\r\n", 21);
        ASSERT_EQ(save(path, bytes, way), QString());
        EXPECT_EQ(readAll(path), bytes);
        ASSERT_TRUE(writeAll(path, QByteArray(10000, 'o')));
        const ino_t before = statOf(path).st_ino;
        ASSERT_EQ(save(path, "short\n", way), QString());
        EXPECT_EQ(readAll(path), QByteArray("short\n"));
        EXPECT_NE(statOf(path).st_ino, before); // replaced, not overwritten
        ASSERT_EQ(save(path, QByteArray(), way), QString());
        EXPECT_EQ(readAll(path), QByteArray());

        ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
        EXPECT_FALSE(save(path + "/network", "x\n", way).isEmpty()); // parent is a file
        EXPECT_FALSE(save(dir.filePath("missing/network"), "x\n", way).isEmpty());
        EXPECT_EQ(save(dir.filePath("folder"), "x\n", way), "is a folder, not a file");
        EXPECT_EQ(save(dir.filePath("folder/."), "x\n", way), "is a folder, not a file");
        const QString workingFolder = QDir::currentPath(); // a bare name is in the working folder
        ASSERT_TRUE(QDir::setCurrent(dir.filePath("folder")));
        EXPECT_EQ(save("network", "bare\n", way), QString());
        ASSERT_TRUE(QDir::setCurrent(workingFolder));
        EXPECT_EQ(readAll(dir.filePath("folder/network")), QByteArray("bare\n"));
        ASSERT_TRUE(QFile::remove(dir.filePath("folder/network")));
        EXPECT_FALSE(save(QString(), "x\n", way).isEmpty());
        EXPECT_EQ(filesIn(dir.path()), (QStringList{"folder", "network"}));
        EXPECT_TRUE(filesIn(dir.filePath("folder")).isEmpty());
    }
}

TEST(SaveFile, WhatNobodyMayNotReplaceIsRefusedOrWrittenInPlace)
{
    if (!kRoot)
        GTEST_SKIP() << "needs root to give files to other users";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(setMode(dir.path(), 0777));
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    ASSERT_TRUE(setMode(dir.filePath("ro"), 0555));
    const struct {
        const char* file;
        uid_t owner;
        mode_t mode;
        QString refusal;
        bool writtenInPlace;
    } cases[] = {
        {"ro/network", 0, 0666, "cannot write into the folder " + dir.filePath("ro") + ": Permission denied",
         true},
        {"theirs", 1234, 0666, "cannot keep the file's owner 1234:5678: Operation not permitted", true},
        {"mine-readonly", kNobody, 0444, "cannot write: Permission denied", false},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(c.file);
        ASSERT_TRUE(writeAll(path, "old\n"));
        ASSERT_EQ(::chown(name(path).constData(), c.owner, 5678), 0);
        ASSERT_TRUE(setMode(path, c.mode));
        const ino_t inode = statOf(path).st_ino;

        EXPECT_EQ(saveAsNobody(path, WhenUnsafe::Refuse, c.refusal), 1) << c.file;
        EXPECT_EQ(readAll(path), QByteArray("old\n")) << c.file;
        EXPECT_EQ(saveAsNobody(path, WhenUnsafe::WriteInPlace, c.refusal), c.writtenInPlace ? 0 : 1)
            << c.file;
        EXPECT_EQ(readAll(path), QByteArray(c.writtenInPlace ? "new\n" : "old\n")) << c.file;
        const struct stat after = statOf(path);
        EXPECT_EQ(after.st_ino, inode);
        EXPECT_EQ(after.st_uid, c.owner);
        EXPECT_EQ(after.st_gid, 5678U);
        EXPECT_EQ(after.st_mode & 07777, c.mode);
    }
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"mine-readonly", "ro", "theirs"}));
    EXPECT_EQ(filesIn(dir.filePath("ro")), QStringList{"network"});
}

TEST(SaveFile, KeepsOwnerModeAndAttributesButNotTheFoldersDefaultAcl)
{
    if (!kRoot)
        GTEST_SKIP() << "needs root to give the file to another owner";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath("plain");
    ASSERT_TRUE(writeAll(plain, "old\n"));
    ASSERT_TRUE(setMode(plain, 0640));
    if (!setAttribute(dir.path(), "system.posix_acl_default", kDefaultAcl))
        GTEST_SKIP() << "no POSIX ACLs on this file system: " << std::strerror(errno);
    ASSERT_EQ(save(plain, "new\n", WhenUnsafe::Refuse), QString());
    EXPECT_EQ(attribute(plain, "system.posix_acl_access"), QByteArray("<none>"));
    EXPECT_EQ(statOf(plain).st_mode & 07777, 0640U);

    for (const mode_t mode : {0600U, 02750U}) { // chown clears the set-group-ID bit
        const QString path = dir.filePath("network");
        ASSERT_TRUE(writeAll(path, "old\n"));
        ASSERT_NE(attribute(path, "system.posix_acl_access"), QByteArray("<none>")); // from the folder
        ASSERT_EQ(::chown(name(path).constData(), 1234, 5678), 0);
        ASSERT_TRUE(setAttribute(path, "system.posix_acl_access", kAccessAcl));
        ASSERT_TRUE(setMode(path, mode)); // after the ACL, whose mask it sets
        ASSERT_TRUE(setAttribute(path, "user.test", "kept"));
        const QByteArray acl = attribute(path, "system.posix_acl_access");
        const ino_t inode = statOf(path).st_ino;

        ASSERT_EQ(save(path, "new\n", WhenUnsafe::Refuse), QString());
        const struct stat after = statOf(path);
        EXPECT_NE(after.st_ino, inode);
        EXPECT_EQ(readAll(path), QByteArray("new\n"));
        EXPECT_EQ(after.st_uid, 1234U);
        EXPECT_EQ(after.st_gid, 5678U);
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(attribute(path, "system.posix_acl_access"), acl);
        EXPECT_EQ(attribute(path, "user.test"), QByteArray("kept"));
        ASSERT_TRUE(QFile::remove(path));
    }
    EXPECT_EQ(filesIn(dir.path()), QStringList{"plain"});
}

TEST(SaveFile, NameThatIsNoTextOfTheLocaleIsSavedByItsBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray path = name(dir.path()) + "/network\xff";
    for (const WhenUnsafe way : kBothWays) {
        SaveOptions options;
        options.whenUnsafe = way;
        EXPECT_EQ(saveFile(path, "old\n", options), QString());
        EXPECT_EQ(saveFile(path, "new\n", options), QString()); // over the file, under its lock
        char content[8] = {};
        std::FILE* file = std::fopen(path.constData(), "rb");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(std::fread(content, 1, sizeof content - 1, file), 4U);
        std::fclose(file);
        EXPECT_STREQ(content, "new\n");
        EXPECT_EQ(::unlink(path.constData()), 0);
    }
}

TEST(SaveFile, HardLinkedFileIsRefusedOrWrittenInPlace)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = dir.filePath("network");
    const QString second = dir.filePath("network.link");
    ASSERT_TRUE(writeAll(first, "old\n"));
    ASSERT_EQ(::link(name(first).constData(), name(second).constData()), 0);
    const ino_t inode = statOf(first).st_ino;

    EXPECT_EQ(save(first, "new\n", WhenUnsafe::Refuse),
              "the file has 2 hard links, which a replacement would separate");
    EXPECT_EQ(readAll(second), QByteArray("old\n"));
    EXPECT_EQ(save(first, "new\n", WhenUnsafe::WriteInPlace), QString());
    for (const QString& path : {first, second}) {
        EXPECT_EQ(readAll(path), QByteArray("new\n"));
        EXPECT_EQ(statOf(path).st_ino, inode);
    }
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"network", "network.link"}));
}

TEST(SaveFile, FailedWritesKeepTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    const QByteArray old(4096, 'o');
    ASSERT_TRUE(writeAll(path, old));

    // A file-size limit makes the write fail part-way, for root as well.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 8192;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    QStringList results;
    for (const WhenUnsafe way : kBothWays)
        results << save(path, QByteArray(1 << 20, 'x'), way);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(results, QStringList({"cannot write: File too large", "cannot write: File too large"}));
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(filesIn(dir.path()), QStringList{"network"});

    const SmallFileSystem small(dir.filePath("small"));
    if (!small.mounted)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    const QString full = small.path + "/network";
    ASSERT_TRUE(writeAll(full, old));
    ASSERT_TRUE(writeAll(small.path + "/filler", QByteArray(40 * 1024, 'f')));
    for (const WhenUnsafe way : kBothWays) {
        EXPECT_EQ(save(full, QByteArray(32 * 1024, 'n'), way), "cannot write: No space left on device");
        EXPECT_EQ(readAll(full), old);
        EXPECT_EQ(filesIn(small.path), (QStringList{"filler", "network"}));
    }
}

TEST(SaveFile, DevicesAndFifosAreWrittenInPlaceOrRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(name(fifo).constData(), 0666), 0);
    // As root the memory devices are nodes of our own, so that a save that
    // wrongly renamed over one could only harm this folder.
    const struct {
        const char* device;
        unsigned int minor;
        bool takesBytes;
    } devices[] = {{"full", 7, false}, {"null", 3, true}};
    for (const auto& d : devices) {
        const QString device = kRoot ? dir.filePath(d.device) : QStringLiteral("/dev/") + d.device;
        ASSERT_TRUE(!kRoot || ::mknod(name(device).constData(), S_IFCHR | 0666, makedev(1, d.minor)) == 0);
        const QString link = dir.filePath(QLatin1String(d.device) + "-link");
        ASSERT_TRUE(QFile::link(device, link));
        for (const QString& target : {device, link}) {
            EXPECT_EQ(save(target, "x\n", WhenUnsafe::Refuse), "not a regular file (a device or FIFO)");
            EXPECT_EQ(save(target, QByteArray(100000, 'x'), WhenUnsafe::WriteInPlace).isEmpty(),
                      d.takesBytes);
        }
        if (d.takesBytes) { // a device may report a failed write only when closed
            const faults::Injected failing({{faults::Call::Close, EIO, 0, faults::On::Writable}});
            EXPECT_EQ(save(device, "x\n", WhenUnsafe::WriteInPlace), "cannot write: Input/output error");
        }
        EXPECT_TRUE(S_ISCHR(statOf(device).st_mode)) << d.device;
        EXPECT_EQ(statOf(device).st_rdev, makedev(1, d.minor));
    }

    // A FIFO takes the bytes while someone reads it, and fails at once otherwise.
    EXPECT_EQ(save(fifo, "x\n", WhenUnsafe::Refuse), "not a regular file (a device or FIFO)");
    EXPECT_FALSE(save(fifo, "x\n", WhenUnsafe::WriteInPlace).isEmpty());
    const int reader = ::open(name(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(save(fifo, "IPADDR=10.0.0.1\n", WhenUnsafe::WriteInPlace), QString());
    char received[32] = {};
    EXPECT_EQ(::read(reader, received, sizeof received - 1), 16);
    EXPECT_STREQ(received, "IPADDR=10.0.0.1\n");
    ::close(reader);

    // A socket cannot be opened for writing, not even by root.
    const QString socketPath = dir.filePath("socket");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(name(socketPath).size()), sizeof(address.sun_path));
    std::strcpy(address.sun_path, name(socketPath).constData());
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    for (const WhenUnsafe way : kBothWays)
        EXPECT_EQ(save(socketPath, "x\n", way), "not a regular file (a socket)");
    EXPECT_TRUE(S_ISSOCK(statOf(socketPath).st_mode));
    ::close(sock);

    const QStringList expected = kRoot
                                     ? QStringList{"fifo", "full", "full-link", "null", "null-link", "socket"}
                                     : QStringList{"fifo", "full-link", "null-link", "socket"};
    EXPECT_EQ(filesIn(dir.path()), expected);
}

TEST(SaveFile, SymbolicLinksStayAndTheirTargetsAreReplaced)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("real") && QDir(dir.path()).mkpath("links"));
    const QString link = dir.filePath("links/network");
    ASSERT_TRUE(writeAll(dir.filePath("real/network"), "old\n"));
    // Relative, so that it leads somewhere only from the link's own folder.
    ASSERT_EQ(::symlink("../real/network", name(link).constData()), 0);

    ASSERT_EQ(save(link, "new\n", WhenUnsafe::Refuse), QString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(dir.filePath("real/network")), QByteArray("new\n"));
    EXPECT_EQ(filesIn(dir.filePath("real")), QStringList{"network"});

    // A link text longer than a first guess is read whole; a link that leads
    // to itself or cannot be read is refused.
    const QString longLink = dir.filePath("links/long");
    ASSERT_EQ(::symlink(name(QString("./").repeated(200) + "../real/network").constData(),
                        name(longLink).constData()),
              0);
    EXPECT_EQ(save(longLink, "long\n", WhenUnsafe::Refuse), QString());
    EXPECT_EQ(readAll(dir.filePath("real/network")), QByteArray("long\n"));
    const QString loop = dir.filePath("links/loop");
    ASSERT_EQ(::symlink("loop", name(loop).constData()), 0);
    EXPECT_EQ(save(loop, "new\n", WhenUnsafe::WriteInPlace), "too many symbolic links in a row");
    {
        const faults::Injected failing({{faults::Call::Readlink, EIO}});
        EXPECT_EQ(save(link, "new\n", WhenUnsafe::WriteInPlace),
                  "cannot read the symbolic link: Input/output error");
    }

    // A link to a missing file: the file is only created by a plain write,
    // and removed again when that fails.
    const QString dangling = dir.filePath("links/missing");
    ASSERT_EQ(::symlink("../real/missing", name(dangling).constData()), 0);
    EXPECT_EQ(save(dangling, "new\n", WhenUnsafe::Refuse), "the symbolic link leads to no file");
    EXPECT_EQ(filesIn(dir.filePath("real")), QStringList{"network"});
    {
        const faults::Injected failing({{faults::Call::Write, EIO}});
        EXPECT_EQ(save(dangling, "new\n", WhenUnsafe::WriteInPlace), "cannot write: Input/output error");
    }
    EXPECT_EQ(filesIn(dir.filePath("real")), QStringList{"network"});
    EXPECT_EQ(save(dangling, "new\n", WhenUnsafe::WriteInPlace), QString());
    EXPECT_EQ(readAll(dir.filePath("real/missing")), QByteArray("new\n"));
    EXPECT_EQ(filesIn(dir.filePath("links")), (QStringList{"long", "loop", "missing", "network"}));
}

TEST(SaveFile, CheckReadsTheNewBytesBesideTheTargetOnly)
{
    QTemporaryDir dir;
    QTemporaryDir tmp;
    ASSERT_TRUE(dir.isValid() && tmp.isValid());
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", name(tmp.path()));
    const QString path = dir.filePath("network");
    ASSERT_TRUE(writeAll(path, "old\n"));

    QString seenName;
    QByteArray seenBytes;
    QStringList seenInFolder;
    QString verdict = "not today";
    SaveOptions options;
    options.check = [&](const QString& written) {
        seenName = written;
        seenBytes = readAll(written);
        seenInFolder = filesIn(dir.path());
        EXPECT_TRUE(filesIn(tmp.path()).isEmpty());
        return verdict;
    };
    EXPECT_EQ(saveFile(path, "new\n", options), "not today");
    EXPECT_EQ(seenBytes, QByteArray("new\n"));
    // Unnamed while checked where the system allows it, else hidden beside the target.
    EXPECT_TRUE(seenName.startsWith("/proc/self/fd/") ? seenInFolder == QStringList{"network"}
                                                      : QFileInfo(seenName).absolutePath() == dir.path())
        << seenName.toStdString();
    EXPECT_EQ(readAll(path), QByteArray("old\n"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{"network"});
    {
        const faults::Injected noProc({{faults::Call::Access, ENOENT}}); // then it has a name
        EXPECT_EQ(saveFile(path, "new\n", options), "not today");
    }
    EXPECT_TRUE(QFileInfo(seenName).fileName().startsWith(".network.")) << seenName.toStdString();
    EXPECT_EQ(QFileInfo(seenName).absolutePath(), dir.path());
    EXPECT_EQ(seenBytes, QByteArray("new\n"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{"network"});

    verdict.clear();
    EXPECT_EQ(saveFile(path, "checked\n", options), QString());
    EXPECT_EQ(readAll(path), QByteArray("checked\n"));
    EXPECT_TRUE(filesIn(tmp.path()).isEmpty());
    oldTmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp);
}

TEST(FileLock, SecondHolderAndSaveGiveUpAfterTheTimeout)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    ASSERT_TRUE(writeAll(path, "old\n"));
    FileLock first;
    ASSERT_EQ(first.lock(path, 0), QString());

    // Locks belong to open files, so a second one in this process conflicts.
    FileLock second;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(second.lock(path, 250), "another program is changing this file (waited 0.25 s)");
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_FALSE(second.isLocked());
    SaveOptions options;
    options.lockTimeoutMs = 100;
    EXPECT_EQ(saveFile(path, "new\n", options), "another program is changing this file (waited 0.1 s)");
    EXPECT_EQ(readAll(path), QByteArray("old\n"));

    first.unlock();
    options.heldLock = &first; // let go of: no save under it
    EXPECT_EQ(saveFile(path, "new\n", options), "the file is not locked");
    EXPECT_EQ(second.lock(path, 0), QString());
}

TEST(FileLock, WaiterEndsOnTheFileThatReplacedTheLockedOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    ASSERT_TRUE(writeAll(path, "old\n"));
    FileLock holder;
    ASSERT_EQ(holder.lock(path, 0), QString());
    const ino_t oldInode = statOf(path).st_ino;

    QString waited = "not run";
    struct stat held {};
    char seen[16] = {};
    ssize_t got = -1;
    std::thread waiter([&] {
        FileLock lock;
        waited = lock.lock(path, 10000);
        if (lock.isLocked() && ::fstat(lock.descriptor(), &held) == 0)
            got = ::pread(lock.descriptor(), seen, sizeof seen - 1, 0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // let it start waiting
    SaveOptions options;
    options.heldLock = &holder;
    EXPECT_EQ(saveFile(path, "new\n", options), QString());
    holder.unlock();
    waiter.join();

    EXPECT_EQ(waited, QString());
    EXPECT_NE(held.st_ino, oldInode);
    EXPECT_EQ(held.st_ino, statOf(path).st_ino);
    EXPECT_EQ(got, 4);
    EXPECT_STREQ(seen, "new\n"); // read through the lock: the file it locks

    // A program that saved without asking for the lock replaced the file:
    // a save under the lock of the old one is refused.
    ASSERT_EQ(holder.lock(path, 0), QString());
    ASSERT_TRUE(writeAll(dir.filePath("theirs"), "theirs\n"));
    ASSERT_EQ(::rename(name(dir.filePath("theirs")).constData(), name(path).constData()), 0);
    EXPECT_EQ(saveFile(path, "mine\n", options),
              "the file was replaced by another program while it was being changed");
    EXPECT_EQ(readAll(path), QByteArray("theirs\n"));
}

TEST(FileLock, WhatIsNoRegularFileIsRefusedAtOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(name(fifo).constData(), 0666), 0);
    const QString notRegular = "not a regular file (a device, FIFO or socket)";
    const QStringList cases[] = {{fifo, notRegular},
                                 {"/dev/zero", notRegular},
                                 {dir.path(), "is a folder, not a file"},
                                 {dir.filePath("missing"), "no such file"}};
    for (const QStringList& c : cases) {
        FileLock lock;
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(lock.lock(c[0], 5000), c[1]);
        EXPECT_LT(timer.elapsed(), 1000) << c[0].toStdString();
        EXPECT_FALSE(lock.isLocked());
    }
}
