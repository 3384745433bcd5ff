// Saving and locking device files. Most of it is data: each case under
// tests/cases/savefile is a script run in a scratch folder that is also the
// working folder, so its names are relative; "<dir>" stands for the folder's
// absolute name. After its "# " line a case holds rows, run in order:
//   root                  the case needs root (CI runs the suite as root)
//   file NAME|TEXT   folder NAME   fifo NAME   socket NAME   symlink NAME|TO
//   hardlink NAME|TO   device NAME|MINOR (character device 1:MINOR)
//   chown NAME|UID|GID   chmod NAME|OCTAL   xattr NAME|KEY[|VALUE] (set or remove)
//   fault SPEC...         faults (faults.h) for the next save or lock only
//   save WAY|NAME|TEXT => RESULT   WAY refuse or inplace, as nobody with
//                         "-nobody"; RESULT "saved" or the reason
//   lock NAME => RESULT   FileLock::lock without waiting; RESULT "locked" or the reason
//   holds NAME|TEXT   owner NAME|UID|GID|MODE   kind NAME|TYPE (lstat's S_IS...)
//   inode NAME|LABEL      the inode first seen under LABEL (newinode: not it)
//   listing FOLDER|NAMES  every entry, hidden ones too, sorted
//   xattris NAME|KEY|VALUE ("<none>": the file has no such attribute)
//   reader NAME           opens a FIFO for reading; received TEXT: what came
//   inject WAY|SPEC... => OUTCOME   kNew saved over a fresh standard target
//                         (makeTarget) under the faults; OUTCOME "saved",
//                         "opened, REASON" or "unopened, REASON"
#include "common/filelock.h"
#include "common/savefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "faults.h"
#include "support/cases.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace LibCommonCfg::internal;

namespace {

const bool kRoot = ::geteuid() == 0;
const QByteArray kOld("IPADDR=10.0.0.1\n");
const QByteArray kNew("IPADDR=10.0.0.2\nNETMASK=255.255.0.0\n");
constexpr uid_t kNobody = 65534;

QByteArray contents(const QByteArray& path)
{
    std::ifstream in(path.constData(), std::ios::binary);
    return in ? QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}}) : "<unreadable>";
}

bool writeBytes(const QByteArray& path, const QByteArray& bytes)
{
    std::ofstream out(path.constData(), std::ios::binary);
    return bool(out.write(bytes.constData(), bytes.size()).flush());
}

// Hidden entries too: a save's temporary file is one.
QByteArray listing(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* d = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(d))
            names << e->d_name;
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names.mid(2).join(' '); // without "." and ".."
}

// A scratch folder, removed by its bytes with all in it (Qt cannot remove a
// name that is no text in the locale's encoding).
struct Scratch {
    QByteArray path = QFile::encodeName(QDir::tempPath()) + "/savefile-XXXXXX";
    const bool valid = ::mkdtemp(path.data()) != nullptr;
    ~Scratch()
    {
        ::nftw(path.constData(), [](const char* name, const struct stat*, int, FTW*) { return ::remove(name); },
               16, FTW_DEPTH | FTW_PHYS);
    }
};

struct stat statOf(const QByteArray& path)
{
    struct stat st {};
    ::lstat(path.constData(), &st);
    return st;
}

QString save(const QByteArray& path, const QByteArray& bytes, WhenUnsafe way, bool* opened = nullptr)
{
    SaveOptions options;
    options.whenUnsafe = way;
    options.opened = opened;
    return saveFile(path, bytes, options);
}

// Whether a child become nobody gets `expected` from the save.
bool savedAsNobody(const QByteArray& path, const QByteArray& bytes, WhenUnsafe way, const QString& expected)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        ::_exit(save(path, bytes, way) == expected ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The file every injected save replaces: someone else's, with a mode, an
// attribute and no ACL, in a folder whose default ACL (user 1234 may do
// everything) gives new files one, so that every step of keeping the old
// file's attributes has work to do.
bool makeTarget(const QByteArray& folder)
{
    static const QByteArray acl = QByteArray::fromHex("02000000 01000700ffffffff 02000700d2040000 "
                                                      "04000500ffffffff 10000700ffffffff 20000000ffffffff");
    const QByteArray file = folder + "/network";
    return ::mkdir(folder.constData(), 0700) == 0 &&
           ::setxattr(folder.constData(), "system.posix_acl_default", acl.constData(), acl.size(), 0) == 0 &&
           writeBytes(file, kOld) && ::removexattr(file.constData(), "system.posix_acl_access") == 0 &&
           ::chown(file.constData(), 1234, 5678) == 0 && ::chmod(file.constData(), 0640) == 0 &&
           ::setxattr(file.constData(), "user.test", "kept", 4, 0) == 0;
}

// Saves kNew over the target under the faults. Whatever the result, the file
// must hold its old bytes or the new ones (new exactly when it was replaced),
// keep its owner and mode, and have nothing left beside it.
QString injectedSave(const QByteArray& folder, WhenUnsafe way, std::vector<faults::Fault> faults,
                     bool* opened, bool* fired)
{
    const QByteArray file = folder + "/network";
    QString result;
    {
        const faults::Injected injected(std::move(faults));
        result = save(file, kNew, way, opened);
        *fired = injected.allFired();
    }
    const bool replaced = result.isEmpty() || result.startsWith("the file was replaced");
    if (!result.endsWith("could not be put back")) {
        EXPECT_EQ(contents(file).toStdString(), (replaced ? kNew : kOld).toStdString()) << result.toStdString();
    }
    EXPECT_TRUE(*opened || !replaced);
    EXPECT_EQ(listing(folder), "network");
    const struct stat st = statOf(file);
    EXPECT_EQ(QString::asprintf("%u:%u %o", st.st_uid, st.st_gid, st.st_mode & 07777), "1234:5678 640");
    return result;
}

class SaveCase : public ::testing::TestWithParam<std::string> {};

TEST_P(SaveCase, Runs)
{
    const lcctest::CaseFile c = lcctest::readCase("savefile", GetParam());
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.unknownWord({"root", "file", "folder", "fifo", "socket", "symlink", "hardlink", "device", "chown",
                             "chmod", "xattr", "fault", "save", "lock", "holds", "owner", "kind", "inode",
                             "newinode", "listing", "xattris", "reader", "received", "inject"}),
              QByteArray());
    if (c.has("root") && !kRoot)
        GTEST_SKIP() << "needs root";
    const Scratch scratch;
    ASSERT_TRUE(scratch.valid);
    const QByteArray& dir = scratch.path;
    const QByteArray workingFolder = QFile::encodeName(QDir::currentPath());
    ASSERT_EQ(::chdir(dir.constData()), 0);
    std::vector<faults::Fault> pending;
    std::map<QByteArray, ino_t> inodes;
    int descriptor = -1, injected = 0; // the socket or the FIFO's reader
    for (const auto& row : c.lines) {
        const QByteArray& word = row.first;
        SCOPED_TRACE(word.toStdString() + ' ' + row.second.toStdString());
        const QByteArray run = dir + '/' + QByteArray::number(++injected); // an injected save's folder
        QByteArray text = row.second;
        text.replace("<dir>", word == "inject" ? run : dir);
        const int arrow = text.lastIndexOf(" => ");
        const QString want = arrow < 0 || text.endsWith(" => saved") || text.endsWith(" => locked") ? QString() : text.mid(arrow + 4);
        const QList<QByteArray> f = text.left(arrow < 0 ? text.size() : arrow).split('|');
        const char* name = f[0].constData();
        const QByteArray arg = f.value(1);
        bool ok = true;
        if (word == "file") {
            ok = writeBytes(name, arg);
        } else if (word == "folder") {
            ok = ::mkdir(name, 0777) == 0;
        } else if (word == "fifo") {
            ok = ::mkfifo(name, 0666) == 0;
        } else if (word == "symlink" || word == "hardlink") {
            ok = (word == "symlink" ? ::symlink : ::link)(arg.constData(), name) == 0;
        } else if (word == "device") {
            ok = ::mknod(name, S_IFCHR | 0666, makedev(1, arg.toUInt())) == 0;
        } else if (word == "chown" || word == "chmod") {
            ok = word == "chown" ? ::chown(name, arg.toUInt(), f.value(2).toUInt()) == 0
                                 : ::chmod(name, arg.toUInt(nullptr, 8)) == 0;
        } else if (word == "xattr") {
            ok = f.size() < 3 ? ::removexattr(name, arg.constData()) == 0
                              : ::setxattr(name, arg.constData(), f[2].constData(), f[2].size(), 0) == 0;
            if (!ok && arg.startsWith("system.posix_acl"))
                GTEST_SKIP() << "no POSIX ACLs here: " << std::strerror(errno);
        } else if (word == "socket") {
            sockaddr_un address{AF_UNIX, {}};
            std::strncpy(address.sun_path, name, sizeof address.sun_path - 1);
            descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
            ok = ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        } else if (word == "reader" || word == "received") {
            char got[256] = {};
            if (word == "reader")
                ok = (descriptor = ::open(name, O_RDONLY | O_NONBLOCK)) >= 0;
            else
                EXPECT_EQ(QByteArray(got, int(::read(descriptor, got, sizeof got))), text);
            if (word == "received")
                ::close(std::exchange(descriptor, -1));
        } else if (word == "fault") {
            for (const QByteArray& spec : text.split(' '))
                pending.push_back(faults::parse(spec.toStdString()));
            ok = std::none_of(pending.begin(), pending.end(), [](const auto& p) { return p.call.empty(); });
        } else if (word == "save" || word == "lock") {
            const WhenUnsafe way = f[0].startsWith("inplace") ? WhenUnsafe::WriteInPlace : WhenUnsafe::Refuse;
            const faults::Injected injecting(std::move(pending));
            pending.clear();
            FileLock lock;
            if (word == "lock")
                EXPECT_EQ(lock.lock(f[0], 0).toStdString(), want.toStdString());
            else if (f[0].endsWith("-nobody"))
                EXPECT_TRUE(savedAsNobody(arg, f.value(2), way, want));
            else
                EXPECT_EQ(save(arg, f.value(2), way).toStdString(), want.toStdString());
            EXPECT_TRUE(word == "save" || lock.isLocked() == want.isEmpty());
            EXPECT_TRUE(injecting.allFired()) << "a fault met no call";
        } else if (word == "holds") {
            EXPECT_EQ(contents(name).toStdString(), arg.toStdString());
        } else if (word == "owner") {
            const struct stat st = statOf(name);
            EXPECT_EQ(QString::asprintf("%u|%u|%o", st.st_uid, st.st_gid, st.st_mode & 07777).toStdString(),
                      f.mid(1).join('|').toStdString());
        } else if (word == "kind") {
            const mode_t type = statOf(name).st_mode & S_IFMT;
            const std::map<QByteArray, mode_t> kinds{{"file", S_IFREG}, {"link", S_IFLNK}, {"fifo", S_IFIFO},
                                                     {"chr", S_IFCHR},  {"sock", S_IFSOCK}};
            EXPECT_EQ(type, kinds.at(arg));
        } else if (word == "inode" || word == "newinode") {
            const ino_t inode = statOf(name).st_ino;
            const ino_t first = inodes.emplace(arg, inode).first->second;
            EXPECT_EQ(inode == first, word == "inode");
        } else if (word == "listing") {
            EXPECT_EQ(listing(name).toStdString(), arg.toStdString());
        } else if (word == "xattris") {
            char value[512];
            const ssize_t size = ::getxattr(name, arg.constData(), value, sizeof value);
            EXPECT_EQ(size < 0 ? QByteArray("<none>") : QByteArray(value, int(size)), f.value(2));
        } else if (word == "inject") {
            ASSERT_TRUE(makeTarget(run)) << "no ACLs or user attributes here?";
            std::vector<faults::Fault> faults;
            for (const QByteArray& spec : f.value(1).split(' '))
                faults.push_back(faults::parse(spec.toStdString()));
            bool opened = false, fired = false;
            const QString result =
                injectedSave(run, f[0] == "inplace" ? WhenUnsafe::WriteInPlace : WhenUnsafe::Refuse, faults,
                             &opened, &fired);
            const QString got = result.isEmpty() ? "saved" : (opened ? "opened, " : "unopened, ") + result;
            EXPECT_EQ(got.toStdString(), text.mid(arrow + 4).toStdString());
            EXPECT_TRUE(fired) << "a fault met no call";
        }
        ASSERT_TRUE(ok) << std::strerror(errno);
    }
    if (descriptor >= 0)
        ::close(descriptor);
    ASSERT_EQ(::chdir(workingFolder.constData()), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveCase, ::testing::ValuesIn(lcctest::caseNames("savefile")),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return lcctest::testName(info.param);
                         });

TEST(SaveFaults, WhicheverCallFailsTheFileEndsUpOldOrNew)
{
    if (!kRoot)
        GTEST_SKIP() << "needs root to give the file another owner";
    const Scratch scratch;
    ASSERT_TRUE(scratch.valid);
    int run = 0;
    for (const std::string& call : faults::kCalls) {
        for (int nth = 1; nth <= 8; ++nth) {
            for (const WhenUnsafe way : {WhenUnsafe::Refuse, WhenUnsafe::WriteInPlace}) {
                SCOPED_TRACE(call + " fails the " + std::to_string(nth) + "th time, " +
                             (way == WhenUnsafe::Refuse ? "refusing" : "in place"));
                const QByteArray folder = scratch.path + '/' + QByteArray::number(++run);
                ASSERT_TRUE(makeTarget(folder));
                bool opened = false, fired = false;
                const QString result = injectedSave(folder, way, {faults::parse(call + "/EIO/" + std::to_string(nth))}, &opened, &fired);
                EXPECT_TRUE(fired || result.isEmpty()) << "failed with no fault: " << result.toStdString();
            }
        }
    }
}

TEST(SaveFile, CheckReadsTheNewBytesBesideTheTarget)
{
    QTemporaryDir dir, tmp;
    ASSERT_TRUE(dir.isValid() && tmp.isValid());
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const QByteArray folder = QFile::encodeName(dir.path()), path = folder + "/network";
    ASSERT_TRUE(writeBytes(path, kOld));
    QString seen, verdict = "not today";
    SaveOptions options;
    options.check = [&](const QString& written) {
        seen = written;
        EXPECT_EQ(contents(QFile::encodeName(written)), kNew);
        // Unnamed while checked where the system allows it, else hidden beside the target.
        EXPECT_EQ(listing(folder), written.startsWith("/proc/self/fd/") ? "network" : "." + written.mid(folder.size() + 2) + " network");
        EXPECT_EQ(listing(QFile::encodeName(tmp.path())), "");
        return verdict;
    };
    EXPECT_EQ(saveFile(path, kNew, options), verdict);
    {
        const faults::Injected noProc({faults::parse("access/ENOENT")}); // then it has a name
        EXPECT_EQ(saveFile(path, kNew, options), verdict);
    }
    EXPECT_TRUE(seen.startsWith(dir.path() + "/.network.")) << seen.toStdString();
    EXPECT_EQ(contents(path), kOld);
    verdict.clear();
    EXPECT_EQ(saveFile(path, kNew, options), QString());
    EXPECT_EQ(contents(path), kNew);
    EXPECT_EQ(listing(folder), "network");
    oldTmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp);
}

TEST(FileLock, SecondHolderAndSaveGiveUpAfterTheTimeout)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath("network"));
    ASSERT_TRUE(writeBytes(path, kOld));
    FileLock first, second;
    ASSERT_EQ(first.lock(path, 0), QString());
    // Locks belong to open files, so a second one in this process conflicts.
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(second.lock(path, 250), "another program is changing this file (waited 0.25 s)");
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_FALSE(second.isLocked());
    SaveOptions options;
    options.lockTimeoutMs = 100;
    EXPECT_EQ(saveFile(path, kNew, options), "another program is changing this file (waited 0.1 s)");
    EXPECT_EQ(contents(path), kOld);
    first.unlock();
    options.heldLock = &first; // let go of: no save under it
    EXPECT_EQ(saveFile(path, kNew, options), "the file is not locked");
    EXPECT_EQ(second.lock(path, 0), QString());
}

TEST(FileLock, WaiterEndsOnTheFileThatReplacedTheLockedOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath("network"));
    ASSERT_TRUE(writeBytes(path, kOld));
    FileLock holder;
    ASSERT_EQ(holder.lock(path, 0), QString());
    QString waited = "not run";
    char seen[64] = {};
    std::thread waiter([&] {
        FileLock lock;
        waited = lock.lock(path, 10000);
        if (lock.isLocked() && ::pread(lock.descriptor(), seen, sizeof seen - 1, 0) < 0)
            seen[0] = '!';
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // let it start waiting
    SaveOptions options;
    options.heldLock = &holder;
    EXPECT_EQ(saveFile(path, kNew, options), QString());
    holder.unlock();
    waiter.join();
    EXPECT_EQ(waited, QString());
    EXPECT_EQ(QByteArray(seen), kNew); // read through the lock: the file it locks

    // A program that saved without asking for the lock replaced the file:
    // a save under the lock of the old one is refused.
    ASSERT_EQ(holder.lock(path, 0), QString());
    ASSERT_TRUE(writeBytes(path + ".theirs", "theirs\n"));
    ASSERT_EQ(::rename((path + ".theirs").constData(), path.constData()), 0);
    EXPECT_EQ(saveFile(path, kNew, options), "the file was replaced by another program while it was being changed");
    EXPECT_EQ(contents(path), QByteArray("theirs\n"));
}

} // namespace
