// What "set" promises where a save can go wrong: a full disk, a folder it
// cannot write into, a file of another owner, two editors at once, a kill in
// the middle, a FIFO. The file always ends up exactly as intended or exactly
// as it was, with nothing left beside it. Devices and an endless standard
// input are data cases.
#include "toolrun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/mount.h>
#include <sys/stat.h>

#include <thread>

namespace {

using namespace lcctest;

const QByteArray kSmall("[main]\nname=x\n");

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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

// "set" without the privileges that let root pass every permission (the
// tests run as root in CI): what a user meets.
ToolRun setUnprivileged(const QString& file)
{
    const QStringList args{"set", file, "main/name", "y"};
    const QStringList dropped{"/usr/bin/setpriv", "--bounding-set=-all", "--inh-caps=-all"};
    return ::geteuid() != 0 ? tool(args) : runProgram(dropped + toolCommand() + args);
}

// A small tmpfs, filled but for about `spare` bytes after `file` was put on
// it as device.ini; unmounted again at the end.
struct FullDisk {
    FullDisk(const QString& where, int spare, const QByteArray& file = QByteArray()) : path(where)
    {
        QDir().mkpath(path);
        mounted = ::mount("tmpfs", local(path).c_str(), "tmpfs", 0, "size=64k") == 0;
        EXPECT_TRUE(!mounted || file.isEmpty() || writeAll(path + "/device.ini", file));
        QFile filler(path + "/filler");
        if (mounted && filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            filler.write(QByteArray(65536, 'f')); // as much as fits
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
    QTemporaryDir folder;
    const FullDisk tmp(folder.filePath("tmp"), 0);
    if (!tmp.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    // A full temporary folder plays no part in a save beside the file.
    const QString file = folder.filePath("device.ini");
    const QByteArray large = deviceFile(600); // about 158 KB
    ASSERT_TRUE(writeAll(file, large));
    ToolRun run = runProgram(QStringList{"/usr/bin/env", "TMPDIR=" + tmp.path} + toolCommand() +
                             QStringList{"set", file, "achan599/key14", "last"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(file), QByteArray(large).replace("   key14=value 599 ", "   key14=last "));
    EXPECT_EQ(entries(tmp.path), QStringList{"filler"});

    // A disk too full for the new file keeps the old one.
    const QByteArray small = deviceFile(100); // about 26 KB
    const FullDisk disk(folder.filePath("disk"), 8192, small);
    run = tool({"set", disk.path + "/device.ini", "achan1/key1", "x"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("No space left on device")) << run.err.toStdString();
    EXPECT_EQ(readAll(disk.path + "/device.ini"), small);
    EXPECT_EQ(entries(disk.path), (QStringList{"device.ini", "filler"}));
}

TEST(SetSafety, UnsafeReplacementsAreRefused)
{
    // Each case on a device.ini open to all, in a folder of its own.
    QTemporaryDir dir;
    const auto prepare = [&](const char* folder, mode_t mode) {
        const QString file = dir.filePath(folder) + "/device.ini";
        EXPECT_TRUE(QDir().mkpath(dir.filePath(folder)) && writeAll(file, kSmall));
        EXPECT_EQ(::chmod(local(file).c_str(), 0666) + ::chmod(local(dir.filePath(folder)).c_str(), mode), 0);
        return file;
    };
    const auto refused = [&](const QString& file, const ToolRun& run, const char* why, const QStringList& left) {
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(why)) << run.err.toStdString();
        EXPECT_EQ(readAll(file), kSmall);
        EXPECT_EQ(entries(QFileInfo(file).path()), left);
    };
    // A folder the user cannot write into: no fallback to writing in place.
    const QString locked = prepare("locked", 0555);
    refused(locked, setUnprivileged(locked), "cannot write into the folder", {"device.ini"});
    ::chmod(local(dir.filePath("locked")).c_str(), 0755);

    // Another owner's file in a shared folder: its owner cannot be kept.
    const QString theirs = prepare("shared", 0777);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(local(theirs).c_str(), 1234, 5678), 0);
        refused(theirs, setUnprivileged(theirs), "owner", {"device.ini"});
    }

    // A file with a second name: a rename would part the two.
    const QString linked = prepare("linked", 0755);
    ASSERT_EQ(::link(local(linked).c_str(), local(dir.filePath("linked/other.ini")).c_str()), 0);
    refused(linked, tool({"set", linked, "main/name", "y"}), "hard links", {"device.ini", "other.ini"});
}

TEST(SetSafety, OwnerModeAclAndLinkAreKeptAndTheSaveIsSynced)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another owner needs root";
    QTemporaryDir folder;
    const QString file = folder.filePath("device.ini"), link = folder.filePath("current.ini");
    ASSERT_TRUE(writeAll(file, kSmall));
    ASSERT_EQ(::chown(local(file).c_str(), 1234, 5678) + ::chmod(local(file).c_str(), 0600), 0);
    ASSERT_EQ(runProgram({"/usr/bin/setfacl", "-m", "u:4321:rw", file}).exitCode, 0) << "no ACLs here";
    ASSERT_TRUE(QFile::link(file, link));
    const auto attributes = [&] { // owner, group, mode and ACL
        struct stat st {};
        const int statResult = ::stat(local(file).c_str(), &st);
        return QStringLiteral("%1 %2:%3 %4 ").arg(statResult).arg(st.st_uid).arg(st.st_gid).arg(st.st_mode, 0, 8) +
               runProgram({"/usr/bin/getfacl", "-cp", file}).out;
    };
    const QString before = attributes();
    ASSERT_TRUE(before.startsWith("0 1234:5678 ")) << before.toStdString();

    // Through the link, under strace where it can follow the tool (LeakSanitizer
    // cannot work in a traced process).
    const bool traced = QStringLiteral(COMMONCFG_LAUNCHER).isEmpty();
    QTemporaryFile trace;
    ASSERT_TRUE(trace.open());
    const QStringList strace = QString("/usr/bin/strace -f -y -E ASAN_OPTIONS=detect_leaks=0 -e "
                                       "trace=fsync,fdatasync,renameat,renameat2,rename -o")
                                   .split(' ')
                               << trace.fileName();
    const ToolRun run =
        runProgram((traced ? strace : QStringList()) + toolCommand() + QStringList{"set", link, "main/name", "y"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(file), QByteArray("[main]\nname=y\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(attributes(), before);
    EXPECT_EQ(entries(folder.path()), (QStringList{"current.ini", "device.ini"}));
    if (!traced)
        return;
    // The new file is synced before the rename, the folder after it.
    const QString calls = QString::fromUtf8(readAll(trace.fileName())), dir = QRegularExpression::escape(folder.path());
    const auto done = [&](const QString& call, int from = 0) {
        return calls.indexOf(QRegularExpression(call + "[^\n]*= 0\n"), from);
    };
    const int renamed = done("rename"), fileSynced = done("fsync\\([0-9]+<" + dir + '/');
    EXPECT_TRUE(renamed >= 0 && fileSynced >= 0 && fileSynced < renamed) << calls.toStdString();
    EXPECT_GT(done("fsync\\([0-9]+<" + dir + ">\\)", renamed), renamed) << calls.toStdString();
}

TEST(SetSafety, ConcurrentSetsLoseNoUpdate)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("device.ini");
    for (int round = 0; round < 100; ++round) {
        ASSERT_TRUE(writeAll(file, "[main]\r\n   a=0 \r\n   b=0 \r\n"));
        const QString value = QString::number(round + 1);
        ToolRun second;
        std::thread other([&] { second = tool({"set", file, "main/b", value}); });
        const ToolRun first = tool({"set", file, "main/a", value});
        other.join();
        ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
        ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
        ASSERT_EQ(readAll(file), "[main]\r\n   a=" + value.toLatin1() + " \r\n   b=" + value.toLatin1() + " \r\n")
            << "round " << round;
    }
    EXPECT_EQ(entries(folder.path()), QStringList{"device.ini"});
}

TEST(SetSafety, KillInTheMiddleLeavesOldOrNewAndNothingElse)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("device.ini");
    const QByteArray old = deviceFile(8000); // about 2 MB
    const QByteArray wanted = QByteArray(old).replace("   key7=value 7777 ", "   key7=changed ");
    QTemporaryDir tmp; // where nothing may be left either
    const QStringList command = QStringList{"/usr/bin/env", "TMPDIR=" + tmp.path()} + toolCommand() +
                                QStringList{"set", file, "achan7777/key7", "changed"};
    // How long an undisturbed save takes, so that the kills fall inside it.
    ASSERT_TRUE(writeAll(file, old));
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(runProgram(command).exitCode, 0);
    const qint64 duration = timer.elapsed();
    ASSERT_EQ(readAll(file), wanted);
    int kept = 0;
    for (int step = 1; step <= 8; ++step) {
        ASSERT_TRUE(writeAll(file, old));
        runProgram(command, QString(), int(duration * step / 9));
        const QByteArray now = readAll(file);
        EXPECT_TRUE(now == old || now == wanted) << "killed at step " << step << ": " << now.size() << " bytes";
        kept += now == old ? 1 : 0;
        EXPECT_EQ(entries(folder.path()), QStringList{"device.ini"}) << "step " << step;
        EXPECT_EQ(entries(tmp.path()), QStringList()) << "step " << step;
    }
    EXPECT_GT(kept, 0); // some kills did land before the rename
}

// Opening a FIFO would wait for a writer: refused at once instead.
TEST(SetSafety, FifoIsRefused)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath("fifo");
    ASSERT_EQ(::mkfifo(local(fifo).c_str(), 0600), 0);
    for (const QStringList& args : {QStringList{"show", fifo}, QStringList{"set", fifo, "main/a", "1"}}) {
        const ToolRun run = tool(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.toStdString();
    }
}

} // namespace
