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

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using LibCommonCfg::internal::saveAtomically;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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

TEST(AtomicSave, NewFileInReadOnlyFolderFails)
{
    if (isRoot())
        GTEST_SKIP() << "root ignores folder permissions, so a read-only folder cannot refuse a new file";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("ro");
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    WritableAgain restore{folder};

    EXPECT_FALSE(saveAtomically(folder + "/network", "x\n"));
    EXPECT_TRUE(filesIn(folder).isEmpty());
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
    // As root the link points to a full device node of our own, so that a
    // save that wrongly renamed over the device could only harm the test's
    // folder; without root it points to /dev/full, whose folder we cannot
    // write to.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString device = QStringLiteral("/dev/full");
    if (isRoot()) {
        device = dir.filePath("full");
        const QByteArray name = QFile::encodeName(device);
        if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            GTEST_SKIP() << "cannot make a device node here, and renaming over /dev/full as root must not "
                            "be risked";
    } else if (!QFileInfo::exists(device)) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
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
