// Replacing a file through a temporary file: what reaches the disk when a
// step fails. The suite runs as root in CI, where folder and file
// permissions stop nothing, so most failures are made in ways that hold for
// root as well: a parent that is a regular file, a missing folder, a full
// device and a file-size limit.
#include "setupfile/atomicsave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "filebytes.h"

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using LibCommonCfg::internal::saveAtomically;

using filebytes::readFile;
using filebytes::writeFile;

namespace {

QStringList filesIn(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

bool isRoot()
{
    return ::geteuid() == 0;
}

// Restores write permission so that QTemporaryDir can clean up.
struct WritableAgain {
    QString path;
    ~WritableAgain() { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); }
};

// A memory device (1, minor) to save through. As root it is a node of our
// own in the test's folder, so that a save that wrongly renamed over it could
// only harm that folder; without root it is the system's own, whose folder we
// cannot write to. Empty when neither can be had.
QString deviceFor(const QTemporaryDir& dir, const char* name, unsigned int minor)
{
    if (!isRoot()) {
        const QString system = QStringLiteral("/dev/") + QLatin1String(name);
        return QFileInfo::exists(system) ? system : QString();
    }
    const QString own = dir.filePath(QLatin1String(name));
    const QByteArray path = QFile::encodeName(own);
    return ::mknod(path.constData(), S_IFCHR | 0666, makedev(1, minor)) == 0 ? own : QString();
}

} // namespace

TEST(AtomicSave, CreatesAndReplacesWithExactBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    QByteArray bytes("IPADDR=10.0.0.1\n");
    bytes.append('\0');
    bytes.append("\xff\r\n");
    ASSERT_TRUE(saveAtomically(path, bytes));
    EXPECT_EQ(readFile(path), bytes);

    ASSERT_TRUE(writeFile(path, QByteArray(10000, 'o')));
    ASSERT_TRUE(saveAtomically(path, "short\n"));
    EXPECT_EQ(readFile(path), QByteArray("short\n"));
    ASSERT_TRUE(saveAtomically(path, QByteArray()));
    EXPECT_EQ(readFile(path), QByteArray());
    EXPECT_EQ(filesIn(dir.path()), QStringList{"network"}); // no temporary file left
}

TEST(AtomicSave, ImpossibleTargetsFailWithoutCreatingAnything)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(writeFile(dir.filePath("plain"), "old"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));

    EXPECT_FALSE(saveAtomically(dir.filePath("plain/network"), "x\n")); // parent is a regular file
    EXPECT_FALSE(saveAtomically(dir.filePath("missing/network"), "x\n"));
    EXPECT_FALSE(saveAtomically(dir.filePath("folder"), "x\n")); // target is a folder
    EXPECT_FALSE(saveAtomically(QString(), "x\n"));
    EXPECT_EQ(readFile(dir.filePath("plain")), QByteArray("old"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"folder", "plain"}));
    EXPECT_TRUE(filesIn(dir.filePath("folder")).isEmpty());
}

TEST(AtomicSave, WritableFileInReadOnlyFolderIsReplaced)
{
    // Without root the rename is refused and the file is written in place;
    // as root the rename goes through. Either way the new bytes arrive.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("ro");
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    const QString path = folder + "/network";
    ASSERT_TRUE(writeFile(path, QByteArray(300, 'o')));
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    WritableAgain restore{folder};

    ASSERT_TRUE(saveAtomically(path, "IPADDR=10.0.0.2\n"));
    EXPECT_EQ(readFile(path), QByteArray("IPADDR=10.0.0.2\n"));
    EXPECT_EQ(filesIn(folder), QStringList{"network"});
}

TEST(AtomicSave, ReadOnlyFileIsLeftAlone)
{
    if (isRoot())
        GTEST_SKIP() << "root may write any file whatever its permissions";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    ASSERT_TRUE(writeFile(path, "old\n"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));

    EXPECT_FALSE(saveAtomically(path, "new\n"));
    EXPECT_EQ(readFile(path), QByteArray("old\n"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{"network"});
}

TEST(AtomicSave, FullDeviceBehindALinkReportsFailureAndStaysADevice)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString device = deviceFor(dir, "full", 7);
    if (device.isEmpty())
        GTEST_SKIP() << "no full device to be had safely here";
    const QString link = dir.filePath("network");
    ASSERT_TRUE(QFile::link(device, link));

    EXPECT_FALSE(saveAtomically(link, "IPADDR=10.0.0.1\n"));
    EXPECT_FALSE(saveAtomically(link, QByteArray(100000, 'x')));
    const QFileInfo after(device);
    EXPECT_TRUE(after.exists());
    EXPECT_FALSE(after.isFile()); // still a device, not replaced by a regular file
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QStringList expected{"network"};
    if (isRoot())
        expected.prepend("full");
    EXPECT_EQ(filesIn(dir.path()), expected);
}

TEST(AtomicSave, DeviceThatTakesTheBytesIsWrittenInPlace)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString device = deviceFor(dir, "null", 3);
    if (device.isEmpty())
        GTEST_SKIP() << "no null device to be had safely here";
    const QString link = dir.filePath("network");
    ASSERT_TRUE(QFile::link(device, link));

    EXPECT_TRUE(saveAtomically(link, "IPADDR=10.0.0.1\n"));
    EXPECT_TRUE(saveAtomically(device, QByteArray(100000, 'x')));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(st.st_rdev, makedev(1, 3));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);
    QStringList expected{"network"};
    if (isRoot())
        expected.append("null");
    EXPECT_EQ(filesIn(dir.path()), expected);
}

TEST(AtomicSave, SocketIsNeitherWrittenNorReplaced)
{
    // Opening a socket for writing fails for root too.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(name.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    EXPECT_FALSE(saveAtomically(path, "IPADDR=10.0.0.1\n"));
    struct stat st {};
    EXPECT_EQ(::stat(name.constData(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(filesIn(dir.path()), QStringList{"network"});
    ::close(sock);
}

TEST(AtomicSave, LinkToARegularFileReplacesTheTarget)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const QString target = dir.filePath("real/network");
    const QString link = dir.filePath("network");
    ASSERT_TRUE(writeFile(target, "old\n"));
    ASSERT_TRUE(QFile::link(target, link));

    ASSERT_TRUE(saveAtomically(link, "new\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(target), QByteArray("new\n"));
    EXPECT_EQ(filesIn(dir.filePath("real")), QStringList{"network"});
}

TEST(AtomicSave, FailedWriteKeepsTheOldFile)
{
    // A file-size limit makes the write fail part-way, for root as well.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    const QByteArray old("IPADDR=10.0.0.1\nNETMASK=255.0.0.0\n");
    ASSERT_TRUE(writeFile(path, old));

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = saveAtomically(path, QByteArray(1 << 20, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(filesIn(dir.path()), QStringList{"network"});
}
