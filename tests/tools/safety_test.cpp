// What "set" promises where a save can go wrong: a full disk, a folder it
// cannot write into, a file of another owner, two editors at once, a kill in
// the middle, and inputs that are not files at all. The file always ends up
// exactly as intended or exactly as it was, with nothing left beside it.
#include "toolrun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {

using lcctest::readAll;
using lcctest::ToolRun;
using lcctest::writeAll;

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

bool isRoot()
{
    return ::geteuid() == 0;
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

QByteArray withValue(QByteArray bytes, const QByteArray& from, const QByteArray& to)
{
    const int at = bytes.indexOf(from);
    return at < 0 ? QByteArray("<missing>") : bytes.replace(at, from.size(), to);
}

ToolRun set(const QStringList& args)
{
    return lcctest::tool(QStringList{QStringLiteral("set")} + args);
}

// A copy of the installed tool and library where "nobody" can reach them:
// the build tree may lie in a folder only its owner may enter.
QString reachableTool()
{
    static QTemporaryDir tree;
    static QString binary;
    if (!binary.isEmpty() || !tree.isValid())
        return binary;
    const QFileInfo installed(QStringLiteral(COMMONCFG_BINARY));
    const QString libdir = QStringLiteral(COMMONCFG_LIBDIR);
    const QDir libs(installed.absolutePath() + QStringLiteral("/../") + libdir);
    QDir().mkpath(tree.filePath(QStringLiteral("bin")));
    QDir().mkpath(tree.filePath(libdir));
    for (const QFileInfo& lib : libs.entryInfoList({QStringLiteral("libLibCommonCfg.so*")}, QDir::Files))
        QFile::copy(lib.absoluteFilePath(), tree.filePath(libdir + QLatin1Char('/') + lib.fileName()));
    const QString copy = tree.filePath(QStringLiteral("bin/commoncfg"));
    if (!QFile::copy(installed.absoluteFilePath(), copy))
        return binary;
    // Every folder on the way open to others.
    for (QString folder = tree.filePath(libdir); folder.startsWith(tree.path()); folder = QFileInfo(folder).path())
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    ::chmod(QFile::encodeName(tree.filePath(QStringLiteral("bin"))).constData(), 0755);
    binary = copy;
    return binary;
}

// The tool started as the unprivileged user "nobody" when the tests run as
// root, for whom folder and file permissions stop nothing.
ToolRun asNobody(const QStringList& args)
{
    QStringList command = lcctest::toolCommand(isRoot() ? reachableTool() : QStringLiteral(COMMONCFG_BINARY));
    if (isRoot())
        command = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups")} +
                  command;
    const QString program = isRoot() ? QStringLiteral("/usr/bin/setpriv") : command.takeFirst();
    return lcctest::runProgram(program, command + args);
}

// A folder that the tool run as "nobody" can reach.
struct Folder {
    Folder()
    {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

// A small tmpfs, for a disk that fills up; unmounted again at the end.
struct SmallDisk {
    explicit SmallDisk(const QString& where) : path(where)
    {
        QDir().mkpath(path);
        mounted = ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
    }
    // Fills the disk but for about `spare` bytes.
    void fill(int spare) const
    {
        const QByteArray block(1024, 'f');
        QFile filler(path + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::Append))
            return;
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        filler.resize(qMax<qint64>(0, filler.size() - spare));
    }
    QString path;
    bool mounted = false;
};

TEST(SetSafety, FullTemporaryFolderPlaysNoPart)
{
    Folder folder;
    SmallDisk tmp(folder.file("tmp"));
    if (!tmp.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    tmp.fill(0);
    const QStringList before = entries(tmp.path);
    const QString file = folder.file("device.ini");
    const QByteArray bytes = deviceFile(600); // about 158 KB
    ASSERT_TRUE(writeAll(file, bytes));

    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path));
    const ToolRun run = set({file, QStringLiteral("achan599/key14"), QStringLiteral("last")});
    qputenv("TMPDIR", saved);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(file), withValue(bytes, "   key14=value 599 ", "   key14=last "));
    EXPECT_EQ(entries(tmp.path), before);
}

TEST(SetSafety, FullDiskLeavesTheFileAsItWas)
{
    Folder folder;
    SmallDisk disk(folder.file("disk"));
    if (!disk.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    const QString file = disk.path + QStringLiteral("/device.ini");
    const QByteArray bytes = deviceFile(100); // about 26 KB
    ASSERT_TRUE(writeAll(file, bytes));
    disk.fill(8192);

    const ToolRun run = set({file, QStringLiteral("achan1/key1"), QStringLiteral("x")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("No space left on device"))) << run.err.toStdString();
    EXPECT_EQ(readAll(file), bytes);
    EXPECT_EQ(entries(disk.path), (QStringList{QStringLiteral("device.ini"), QStringLiteral("filler")}));
}

TEST(SetSafety, UnsafeReplacementsAreRefused)
{
    Folder folder;
    const QByteArray bytes("[main]\nname=x\n");
    const QStringList args{QStringLiteral("main/name"), QStringLiteral("y")};

    // A folder the user cannot write into: no fallback to writing in place.
    const QString locked = folder.file("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString inLocked = locked + QStringLiteral("/device.ini");
    ASSERT_TRUE(writeAll(inLocked, bytes));
    ::chmod(QFile::encodeName(inLocked).constData(), 0666);
    ::chmod(QFile::encodeName(locked).constData(), 0555);
    ToolRun run = asNobody(QStringList{QStringLiteral("set"), inLocked} + args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot write into the folder"))) << run.err.toStdString();
    EXPECT_EQ(readAll(inLocked), bytes);
    EXPECT_EQ(entries(locked), QStringList{QStringLiteral("device.ini")});
    ::chmod(QFile::encodeName(locked).constData(), 0755);

    // Another owner's file in a shared folder: its owner cannot be kept.
    if (isRoot()) {
        const QString shared = folder.file("shared");
        ASSERT_TRUE(QDir().mkpath(shared));
        ::chmod(QFile::encodeName(shared).constData(), 0777);
        const QString theirs = shared + QStringLiteral("/device.ini");
        ASSERT_TRUE(writeAll(theirs, bytes));
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 1234, 5678), 0);
        ::chmod(QFile::encodeName(theirs).constData(), 0666);
        run = asNobody(QStringList{QStringLiteral("set"), theirs} + args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("owner"))) << run.err.toStdString();
        EXPECT_EQ(readAll(theirs), bytes);
        EXPECT_EQ(entries(shared), QStringList{QStringLiteral("device.ini")});
    }

    // A file with a second name: a rename would part the two.
    const QString linked = folder.file("linked.ini");
    ASSERT_TRUE(writeAll(linked, bytes));
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(), QFile::encodeName(folder.file("other.ini")).constData()),
              0);
    run = set(QStringList{linked} + args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(readAll(linked), bytes);
}

TEST(SetSafety, OwnerModeAclAndLinkAreKeptAndTheSaveIsSynced)
{
    if (!isRoot())
        GTEST_SKIP() << "giving a file to another owner needs root";
    Folder folder;
    const QString file = folder.file("device.ini");
    const QByteArray bytes("[main]\nname=x\n");
    ASSERT_TRUE(writeAll(file, bytes));
    const QByteArray name = QFile::encodeName(file);
    ASSERT_EQ(::chown(name.constData(), 1234, 5678), 0);
    ASSERT_EQ(::chmod(name.constData(), 0600), 0);
    const bool acl = QFileInfo::exists(QStringLiteral("/usr/bin/setfacl")) &&
                     lcctest::runProgram(QStringLiteral("/usr/bin/setfacl"),
                                         {QStringLiteral("-m"), QStringLiteral("u:4321:rw"), file})
                             .exitCode == 0;
    const auto aclOf = [&] {
        return lcctest::runProgram(QStringLiteral("/usr/bin/getfacl"), {QStringLiteral("-cp"), file}).out;
    };
    const QString aclBefore = acl ? aclOf() : QString();
    struct stat before {};
    ASSERT_EQ(::stat(name.constData(), &before), 0);
    const QString link = folder.file("current.ini");
    ASSERT_TRUE(QFile::link(file, link));

    // Through the link, under strace where it can follow the tool: the file
    // and then its folder are synced.
    const bool traced = QFileInfo::exists(QStringLiteral("/usr/bin/strace")) &&
                        QStringLiteral(COMMONCFG_LAUNCHER).isEmpty();
    const QString trace = QDir::temp().filePath(QStringLiteral("commoncfg-strace-%1").arg(::getpid()));
    ToolRun run;
    if (traced) {
        run = lcctest::runProgram(QStringLiteral("/usr/bin/strace"),
                                  // LeakSanitizer cannot work in a traced process.
                                  {QStringLiteral("-f"), QStringLiteral("-y"), QStringLiteral("-E"),
                                   QStringLiteral("ASAN_OPTIONS=detect_leaks=0"), QStringLiteral("-e"),
                                   QStringLiteral("trace=fsync,fdatasync,renameat,renameat2,rename"),
                                   QStringLiteral("-o"), trace, QStringLiteral(COMMONCFG_BINARY),
                                   QStringLiteral("set"), link, QStringLiteral("main/name"), QStringLiteral("y")});
    } else {
        run = set({link, QStringLiteral("main/name"), QStringLiteral("y")});
    }
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(file), QByteArray("[main]\nname=y\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat after {};
    ASSERT_EQ(::stat(name.constData(), &after), 0);
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 5678u);
    EXPECT_EQ(after.st_mode, before.st_mode);
    if (acl)
        EXPECT_EQ(aclOf(), aclBefore);
    else
        std::printf("setfacl missing or unsupported here: ACL not checked\n");
    EXPECT_EQ(entries(folder.dir.path()), (QStringList{QStringLiteral("current.ini"), QStringLiteral("device.ini")}));

    if (traced) {
        // The new file is synced before the rename, the folder after it.
        const QStringList calls = QString::fromUtf8(readAll(trace)).split(QLatin1Char('\n'));
        QFile::remove(trace);
        int renamed = -1;
        bool fileSynced = false;
        bool folderSynced = false;
        for (int i = 0; i < calls.size(); ++i) {
            const QString& call = calls.at(i);
            if (renamed < 0 && call.contains(QStringLiteral("rename")) && call.contains(QStringLiteral("= 0")))
                renamed = i;
            if (!call.contains(QStringLiteral("fsync(")) || !call.contains(QStringLiteral("= 0")))
                continue;
            if (call.contains(QStringLiteral("<%1>)").arg(folder.dir.path())))
                folderSynced = folderSynced || (renamed >= 0 && i > renamed);
            else if (call.contains(QStringLiteral("<%1/").arg(folder.dir.path())))
                fileSynced = fileSynced || renamed < 0;
        }
        EXPECT_GE(renamed, 0) << calls.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(fileSynced) << calls.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(folderSynced) << calls.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(SetSafety, ConcurrentSetsLoseNoUpdate)
{
    Folder folder;
    const QString file = folder.file("device.ini");
    for (int round = 0; round < 100; ++round) {
        ASSERT_TRUE(writeAll(file, "[main]\r\n   a=0 \r\n   b=0 \r\n"));
        const QString value = QString::number(round + 1);
        ToolRun first;
        ToolRun second;
        std::thread other([&] { second = set({file, QStringLiteral("main/b"), value}); });
        first = set({file, QStringLiteral("main/a"), value});
        other.join();
        ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
        ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
        ASSERT_EQ(readAll(file), "[main]\r\n   a=" + value.toLatin1() + " \r\n   b=" + value.toLatin1() + " \r\n")
            << "round " << round;
    }
    EXPECT_EQ(entries(folder.dir.path()), QStringList{QStringLiteral("device.ini")});
}

// Starts the tool without waiting for it.
pid_t start(const QStringList& args)
{
    QStringList command = lcctest::toolCommand(QStringLiteral(COMMONCFG_BINARY)) + args;
    std::vector<std::string> store;
    for (const QString& arg : command)
        store.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& arg : store)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

TEST(SetSafety, KillInTheMiddleLeavesOldOrNewAndNothingElse)
{
    Folder folder;
    const QString file = folder.file("device.ini");
    const QByteArray old = deviceFile(8000); // about 2 MB
    const QByteArray wanted = withValue(old, "   key7=value 7777 ", "   key7=changed ");
    const QStringList args{QStringLiteral("set"), file, QStringLiteral("achan7777/key7"), QStringLiteral("changed")};

    // How long an undisturbed save takes, so that the kills fall inside it.
    ASSERT_TRUE(writeAll(file, old));
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    const pid_t whole = start(args);
    ASSERT_EQ(::waitpid(whole, &status, 0), whole);
    const qint64 duration = timer.elapsed();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(readAll(file), wanted);

    // Nor anything in the temporary folder.
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    int kept = 0;
    for (int step = 1; step <= 8; ++step) {
        ASSERT_TRUE(writeAll(file, old));
        const pid_t pid = start(args);
        ::usleep(useconds_t(duration * 1000 * step / 9));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const QByteArray now = readAll(file);
        EXPECT_TRUE(now == old || now == wanted) << "killed at step " << step << ": " << now.size() << " bytes";
        kept += now == old ? 1 : 0;
        EXPECT_EQ(entries(folder.dir.path()), QStringList{QStringLiteral("device.ini")}) << "step " << step;
        EXPECT_EQ(entries(tmp.path()), QStringList()) << "step " << step;
    }
    qputenv("TMPDIR", savedTmp);
    EXPECT_GT(kept, 0); // some kills did land before the rename
}

TEST(SetSafety, OnlyRegularFilesAreRead)
{
    Folder folder;
    const QString fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom"), fifo}) {
        for (const char* command : {"show", "set"}) {
            QElapsedTimer timer;
            timer.start();
            QStringList args{QLatin1String(command), path};
            if (args.first() == QLatin1String("set"))
                args << QStringLiteral("main/a") << QStringLiteral("1");
            const ToolRun run = lcctest::tool(args);
            EXPECT_EQ(run.exitCode, 2) << path.toStdString();
            EXPECT_TRUE(run.err.contains(QStringLiteral("not a regular file"))) << run.err.toStdString();
            EXPECT_LT(timer.elapsed(), 5000) << path.toStdString();
        }
    }
    // Standard input is read up to the size limit, not to its end.
    const ToolRun endless = lcctest::tool({QStringLiteral("show"), QStringLiteral("-")}, QStringLiteral("/dev/zero"));
    EXPECT_EQ(endless.exitCode, 2);
    EXPECT_TRUE(endless.err.contains(QStringLiteral("too large"))) << endless.err.toStdString();
}

} // namespace
