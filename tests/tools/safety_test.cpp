// What "set" promises where a save can go wrong: a full disk, a folder it
// cannot write into, a file of another owner, two editors at once, a kill in
// the middle, a FIFO. The file always ends up exactly as intended or exactly
// as it was, with nothing left beside it. Devices and an endless standard
// input are data cases.
#include "toolrun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/stat.h>

#include <thread>

namespace {

using lcctest::readAll;
using lcctest::tool;
using lcctest::ToolRun;
using lcctest::writeAll;

const QByteArray kSmall("[main]\nname=x\n");
const QStringList kSetName{QStringLiteral("main/name"), QStringLiteral("y")};

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QStringList names(const char* a, const char* b = nullptr)
{
    return b ? QStringList{QLatin1String(a), QLatin1String(b)} : QStringList{QLatin1String(a)};
}

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A device file of `groups` groups of 15 keys each, CR LF as on the device.
QByteArray deviceFile(int groups)
{
    QByteArray bytes;
    for (int g = 0; g < groups; ++g) {
        bytes += "[achan" + QByteArray::number(g) + "] \r\n";
        for (int k = 0; k < 15; ++k)
            bytes += "   key" + QByteArray::number(k) + "=value " + QByteArray::number(g) + " \r\n";
        bytes += "\r\n";
    }
    return bytes;
}

// A scratch folder that "nobody" may enter.
struct Folder {
    Folder() { ::chmod(local(dir.path()).c_str(), 0755); }
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

// The tool run by the unprivileged "nobody" when the tests run as root, for
// whom permissions stop nothing; from a copy of the installed tool that
// "nobody" can reach, as the build tree may lie in a folder closed to others.
ToolRun asNobody(const QStringList& args)
{
    if (::geteuid() != 0)
        return tool(args);
    static QTemporaryDir tree;
    const QString libdir = QStringLiteral(COMMONCFG_LIBDIR);
    const QString binary = tree.filePath(QStringLiteral("bin/commoncfg"));
    if (!QFileInfo::exists(binary)) {
        const QFileInfo installed(QStringLiteral(COMMONCFG_BINARY));
        QDir().mkpath(tree.filePath(libdir));
        QDir().mkpath(QFileInfo(binary).path());
        const QDir libs(installed.absolutePath() + QStringLiteral("/../") + libdir);
        for (const QFileInfo& lib : libs.entryInfoList({QStringLiteral("libLibCommonCfg.so*")}, QDir::Files))
            QFile::copy(lib.absoluteFilePath(), tree.filePath(libdir + QLatin1Char('/') + lib.fileName()));
        for (QString folder = tree.filePath(libdir); folder.startsWith(tree.path());
             folder = QFileInfo(folder).path())
            ::chmod(local(folder).c_str(), 0755);
        ::chmod(local(QFileInfo(binary).path()).c_str(), 0755);
        QFile::copy(installed.absoluteFilePath(), binary);
    }
    const QStringList setpriv{QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=65534"),
                              QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
    return lcctest::runProgram(setpriv + lcctest::toolCommand(binary) + args);
}

// A small tmpfs, filled but for about `spare` bytes after `file` was put
// on it as device.ini; unmounted again at the end.
struct FullDisk {
    FullDisk(const QString& where, int spare, const QByteArray& file = QByteArray()) : path(where)
    {
        QDir().mkpath(path);
        mounted = ::mount("tmpfs", local(path).c_str(), "tmpfs", 0, "size=64k") == 0;
        if (!file.isEmpty())
            EXPECT_TRUE(writeAll(path + QStringLiteral("/device.ini"), file));
        QFile filler(path + QStringLiteral("/filler"));
        const QByteArray block(1024, 'f');
        if (mounted && filler.open(QIODevice::Append)) {
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            filler.close();
            filler.resize(qMax<qint64>(0, filler.size() - spare));
        }
    }
    ~FullDisk()
    {
        if (mounted)
            ::umount2(local(path).c_str(), MNT_DETACH);
    }
    QString path;
    bool mounted = false;
};

TEST(SetSafety, FullDisksLeaveTheFileAsItWasOrPlayNoPart)
{
    Folder folder;
    const FullDisk tmp(folder.file("tmp"), 0);
    if (!tmp.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    // A full temporary folder plays no part in a save beside the file.
    const QString file = folder.file("device.ini");
    const QByteArray large = deviceFile(600); // about 158 KB
    ASSERT_TRUE(writeAll(file, large));
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path));
    ToolRun run =
        tool({QStringLiteral("set"), file, QStringLiteral("achan599/key14"), QStringLiteral("last")});
    qputenv("TMPDIR", savedTmp);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(file), QByteArray(large).replace("   key14=value 599 ", "   key14=last "));
    EXPECT_EQ(entries(tmp.path), names("filler"));

    // A disk too full for the new file keeps the old one.
    const QByteArray small = deviceFile(100); // about 26 KB
    const FullDisk disk(folder.file("disk"), 8192, small);
    const QString onDisk = disk.path + QStringLiteral("/device.ini");
    run = tool({QStringLiteral("set"), onDisk, QStringLiteral("achan1/key1"), QStringLiteral("x")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("No space left on device"))) << run.err.toStdString();
    EXPECT_EQ(readAll(onDisk), small);
    EXPECT_EQ(entries(disk.path), names("device.ini", "filler"));
}

TEST(SetSafety, UnsafeReplacementsAreRefused)
{
    Folder folder;
    const auto refused = [&](const QString& file, const ToolRun& run, const char* why,
                             const QStringList& left) {
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QLatin1String(why))) << run.err.toStdString();
        EXPECT_EQ(readAll(file), kSmall);
        EXPECT_EQ(entries(QFileInfo(file).path()), left);
    };
    // A folder the user cannot write into: no fallback to writing in place.
    ASSERT_TRUE(QDir().mkpath(folder.file("locked")));
    const QString inLocked = folder.file("locked/device.ini");
    ASSERT_TRUE(writeAll(inLocked, kSmall));
    ::chmod(local(inLocked).c_str(), 0666);
    ::chmod(local(folder.file("locked")).c_str(), 0555);
    refused(inLocked, asNobody(QStringList{QStringLiteral("set"), inLocked} + kSetName),
            "cannot write into the folder", names("device.ini"));
    ::chmod(local(folder.file("locked")).c_str(), 0755);

    // Another owner's file in a shared folder: its owner cannot be kept.
    if (::geteuid() == 0) {
        ASSERT_TRUE(QDir().mkpath(folder.file("shared")));
        ::chmod(local(folder.file("shared")).c_str(), 0777);
        const QString theirs = folder.file("shared/device.ini");
        ASSERT_TRUE(writeAll(theirs, kSmall));
        ASSERT_EQ(::chown(local(theirs).c_str(), 1234, 5678), 0);
        ::chmod(local(theirs).c_str(), 0666);
        refused(theirs, asNobody(QStringList{QStringLiteral("set"), theirs} + kSetName), "owner",
                names("device.ini"));
    }

    // A file with a second name: a rename would part the two.
    ASSERT_TRUE(QDir().mkpath(folder.file("linked")));
    const QString linked = folder.file("linked/device.ini");
    ASSERT_TRUE(writeAll(linked, kSmall));
    ASSERT_EQ(::link(local(linked).c_str(), local(folder.file("linked/other.ini")).c_str()), 0);
    refused(linked, tool(QStringList{QStringLiteral("set"), linked} + kSetName), "hard links",
            names("device.ini", "other.ini"));
}

TEST(SetSafety, OwnerModeAclAndLinkAreKeptAndTheSaveIsSynced)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another owner needs root";
    Folder folder;
    const QString file = folder.file("device.ini");
    ASSERT_TRUE(writeAll(file, kSmall));
    ASSERT_EQ(::chown(local(file).c_str(), 1234, 5678), 0);
    ASSERT_EQ(::chmod(local(file).c_str(), 0600), 0);
    const auto acl = [&] {
        return lcctest::runProgram({QStringLiteral("/usr/bin/getfacl"), QStringLiteral("-cp"), file});
    };
    ASSERT_EQ(lcctest::runProgram({QStringLiteral("/usr/bin/setfacl"), QStringLiteral("-m"),
                                   QStringLiteral("u:4321:rw"), file})
                  .exitCode,
              0)
        << "setfacl (package acl) missing, or no ACLs here";
    const QString aclBefore = acl().out;
    struct stat before {};
    ASSERT_EQ(::stat(local(file).c_str(), &before), 0);
    const QString link = folder.file("current.ini");
    ASSERT_TRUE(QFile::link(file, link));

    // Through the link, under strace where it can follow the tool (LeakSanitizer
    // cannot work in a traced process).
    const bool traced = QStringLiteral(COMMONCFG_LAUNCHER).isEmpty();
    const QString trace = QDir::temp().filePath(QStringLiteral("commoncfg-strace-%1").arg(::getpid()));
    const QStringList strace{QStringLiteral("/usr/bin/strace"),
                             QStringLiteral("-f"),
                             QStringLiteral("-y"),
                             QStringLiteral("-E"),
                             QStringLiteral("ASAN_OPTIONS=detect_leaks=0"),
                             QStringLiteral("-e"),
                             QStringLiteral("trace=fsync,fdatasync,renameat,renameat2,rename"),
                             QStringLiteral("-o"),
                             trace};
    const ToolRun run = lcctest::runProgram((traced ? strace : QStringList()) + lcctest::toolCommand() +
                                            QStringList{QStringLiteral("set"), link} + kSetName);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(file), QByteArray("[main]\nname=y\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat after {};
    ASSERT_EQ(::stat(local(file).c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 5678u);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(acl().out, aclBefore);
    EXPECT_EQ(entries(folder.dir.path()), names("current.ini", "device.ini"));
    if (!traced)
        return;
    // The new file is synced before the rename, the folder after it.
    const QString calls = QString::fromUtf8(readAll(trace));
    QFile::remove(trace);
    const QString dir = QRegularExpression::escape(folder.dir.path());
    const auto done = [&](const QString& call, int from = 0) {
        return calls.indexOf(QRegularExpression(call + QStringLiteral("[^\n]*= 0\n")), from);
    };
    const int renamed = done(QStringLiteral("rename"));
    const int fileSynced = done(QStringLiteral("fsync\\([0-9]+<%1/").arg(dir));
    EXPECT_TRUE(renamed >= 0 && fileSynced >= 0 && fileSynced < renamed) << calls.toStdString();
    EXPECT_GT(done(QStringLiteral("fsync\\([0-9]+<%1>\\)").arg(dir), renamed), renamed)
        << calls.toStdString();
}

TEST(SetSafety, ConcurrentSetsLoseNoUpdate)
{
    Folder folder;
    const QString file = folder.file("device.ini");
    for (int round = 0; round < 100; ++round) {
        ASSERT_TRUE(writeAll(file, "[main]\r\n   a=0 \r\n   b=0 \r\n"));
        const QString value = QString::number(round + 1);
        ToolRun second;
        std::thread other([&] {
            second = tool({QStringLiteral("set"), file, QStringLiteral("main/b"), value});
        });
        const ToolRun first = tool({QStringLiteral("set"), file, QStringLiteral("main/a"), value});
        other.join();
        ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
        ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
        ASSERT_EQ(readAll(file),
                  "[main]\r\n   a=" + value.toLatin1() + " \r\n   b=" + value.toLatin1() + " \r\n")
            << "round " << round;
    }
    EXPECT_EQ(entries(folder.dir.path()), names("device.ini"));
}

TEST(SetSafety, KillInTheMiddleLeavesOldOrNewAndNothingElse)
{
    Folder folder;
    const QString file = folder.file("device.ini");
    const QByteArray old = deviceFile(8000); // about 2 MB
    const QByteArray wanted = QByteArray(old).replace("   key7=value 7777 ", "   key7=changed ");
    const QStringList command =
        lcctest::toolCommand() +
        QStringList{QStringLiteral("set"), file, QStringLiteral("achan7777/key7"), QStringLiteral("changed")};
    // How long an undisturbed save takes, so that the kills fall inside it.
    ASSERT_TRUE(writeAll(file, old));
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    const pid_t whole = lcctest::start(command);
    ASSERT_EQ(::waitpid(whole, &status, 0), whole);
    const qint64 duration = timer.elapsed();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(readAll(file), wanted);

    // Nor anything in the temporary folder.
    QTemporaryDir tmp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    int kept = 0;
    for (int step = 1; step <= 8; ++step) {
        ASSERT_TRUE(writeAll(file, old));
        const pid_t pid = lcctest::start(command);
        ::usleep(useconds_t(duration * 1000 * step / 9));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const QByteArray now = readAll(file);
        EXPECT_TRUE(now == old || now == wanted)
            << "killed at step " << step << ": " << now.size() << " bytes";
        kept += now == old ? 1 : 0;
        EXPECT_EQ(entries(folder.dir.path()), names("device.ini")) << "step " << step;
        EXPECT_EQ(entries(tmp.path()), QStringList()) << "step " << step;
    }
    qputenv("TMPDIR", savedTmp);
    EXPECT_GT(kept, 0); // some kills did land before the rename
}

// Opening a FIFO would wait for a writer: refused at once instead.
TEST(SetSafety, FifoIsRefused)
{
    Folder folder;
    const QString fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(local(fifo).c_str(), 0600), 0);
    for (const QStringList& args :
         {QStringList{QStringLiteral("show"), fifo}, QStringList{QStringLiteral("set"), fifo} + kSetName}) {
        const ToolRun run = tool(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("not a regular file"))) << run.err.toStdString();
    }
}

} // namespace
