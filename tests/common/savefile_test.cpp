// Saving and locking device files. Most of it is data: each case under
// tests/cases/savefile is a script run in a scratch folder that is also the
// working folder, so its names are relative; "<dir>" stands for the folder's
// absolute name. After its "# " line a case holds rows, run in order.
// Setting up (each must work):
//   root                  the case needs root (CI runs the suite as root)
//   file NAME|TEXT   folder NAME   fifo NAME   socket NAME   symlink NAME|TO
//   hardlink NAME|TO   rename NAME|TO   device NAME|MINOR (character device 1:MINOR)
//   chown NAME|UID|GID   chmod NAME|OCTAL   xattr NAME|KEY[|VALUE] (set or remove)
//   reader NAME           opens a FIFO for reading
//   hold NAME, release    takes and lets go of the case's lock on a file
//   waiter NAME           a thread waits (10 s at most) to lock the file
//   fault FAULT...        faults (faults.h) for the next save or lock only;
//                         each must meet its call
// Acting:
//   save WAY|NAME|TEXT => RESULT   WAY refuse or inplace; "-nobody": with
//                         nobody's rights; "-held": under the case's lock;
//                         "-vetoed": its check says "not today". RESULT
//                         "saved" or the reason. It waits 0.1 s for a lock.
//   lock NAME[|MS] => RESULT   FileLock::lock waiting MS (0); "locked" or the reason
//   inject WAY|FAULT... => OUTCOME  kNew saved over a fresh standard target
//                         (makeTarget) under the faults; OUTCOME "saved",
//                         "opened, REASON" or "unopened, REASON"
// Looking (what the row sees must be what it says):
//   holds NAME|TEXT   owner NAME|UID|GID|MODE   kind NAME|TYPE (as ls -l: - l p c s)
//   listing FOLDER|NAMES  every entry, hidden ones too, sorted
//   xattris NAME|KEY|VALUE ("<none>" when it has none)
//   inode NAME|LABEL      the inode first seen under LABEL (newinode: another)
//   waited RESULT|TEXT    what the waiter's lock said, and what it read through it
//   received TEXT         what came out of the FIFO
//   checked NAME          what the last save's check read: "unnamed", or a
//                         hidden name without its random end
#include "common/filelock.h"
#include "common/savefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "faults.h"
#include "support/cases.h"
#include "support/files.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace LibCommonCfg::internal;

namespace {

const bool kRoot = ::geteuid() == 0;
const QByteArray kOld("IPADDR=10.0.0.1\n");
const QByteArray kNew("IPADDR=10.0.0.2\nNETMASK=255.255.0.0\n");

std::string contents(const QByteArray& path)
{
    std::ifstream in(path.constData(), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<unreadable>";
}

// Hidden entries too: a save's temporary file is one.
QByteArray listing(const QByteArray& folder)
{
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    return QDir(QFile::decodeName(folder)).entryList(filter, QDir::Name).join(' ').toUtf8();
}

struct stat statOf(const QByteArray& path)
{
    struct stat st {};
    ::lstat(path.constData(), &st);
    return st;
}

QString save(const QByteArray& path, const QByteArray& bytes, WhenUnsafe way, bool* opened = nullptr,
             const FileLock* held = nullptr, const std::function<QString(const QString&)>& check = {})
{
    SaveOptions options;
    options.whenUnsafe = way;
    options.opened = opened;
    options.heldLock = held;
    options.lockTimeoutMs = 100;
    options.check = check;
    return saveFile(path, bytes, options);
}

// The save made with the rights of nobody (the lock and the checks go by
// the effective user; root's groups give nothing the cases rely on).
QString saveAsNobody(const QByteArray& path, const QByteArray& bytes, WhenUnsafe way)
{
    if (::setegid(65534) != 0 || ::seteuid(65534) != 0)
        return "cannot become nobody";
    const QString result = save(path, bytes, way);
    return ::seteuid(0) == 0 && ::setegid(0) == 0 ? result : "cannot become root again";
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
           lcctest::writeAll(QFile::decodeName(file), kOld) &&
           ::removexattr(file.constData(), "system.posix_acl_access") == 0 &&
           ::chown(file.constData(), 1234, 5678) == 0 && ::chmod(file.constData(), 0640) == 0 &&
           ::setxattr(file.constData(), "user.test", "kept", 4, 0) == 0;
}

QByteArray ownerOf(const QByteArray& path)
{
    const struct stat st = statOf(path);
    return QString::asprintf("%u|%u|%o", st.st_uid, st.st_gid, st.st_mode & 07777).toUtf8();
}

// Saves kNew over a fresh target in `folder` under the faults (faults.h).
// Whatever the result, the file must hold its old bytes or the new ones (new
// exactly when it was replaced), keep its owner and mode, and have nothing
// left beside it. Returns "saved", or the reason after "opened, " or
// "unopened, " (whether the save got to open a file for writing).
std::string injectedSave(const QByteArray& folder, WhenUnsafe way, const std::string& planted)
{
    const QByteArray file = folder + "/network";
    EXPECT_TRUE(makeTarget(folder)) << "no ACLs or user attributes here?";
    bool opened = false;
    QString result;
    {
        const faults::Injected injected(faults::parse(planted));
        result = save(file, kNew, way, &opened);
        EXPECT_TRUE(injected.allFired()) << "a fault met no call";
    }
    const bool replaced = result.isEmpty() || result.startsWith("the file was replaced");
    if (!result.endsWith("could not be put back")) {
        EXPECT_EQ(contents(file), (replaced ? kNew : kOld).toStdString()) << result.toStdString();
    }
    EXPECT_TRUE(opened || !replaced);
    EXPECT_EQ(listing(folder), "network");
    EXPECT_EQ(ownerOf(file), "1234|5678|640");
    return (result.isEmpty() ? "saved" : (opened ? "opened, " : "unopened, ") + result).toStdString();
}

LCC_CASE_TEST(SaveCase, "savefile", "root", "file", "folder", "fifo", "symlink", "hardlink", "rename",
              "device", "chown", "chmod", "reader", "hold", "release", "waiter", "fault", "socket", "xattr",
              "holds", "checked", "owner", "listing", "kind", "xattris", "waited", "received", "inode",
              "newinode", "save", "lock", "inject")
{
    if (c.has("root") && !kRoot)
        GTEST_SKIP() << "needs root";
    const QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QByteArray dir = QFile::encodeName(scratch.path());
    // Back to the working folder the test started in, however the case ends.
    const std::shared_ptr<void> back(nullptr,
                                     [folder = QDir::currentPath()](void*) { QDir::setCurrent(folder); });
    ASSERT_TRUE(QDir::setCurrent(scratch.path()));
    std::vector<faults::Fault> pending;
    std::map<QByteArray, ino_t> inodes;
    FileLock held;
    std::thread waiter;
    QByteArray waited;
    const std::shared_ptr<void> joined(nullptr, [&](void*) { // when the case ends before "waited"
        if (waiter.joinable())
            waiter.join();
    });
    int descriptor = -1, injected = 0; // the socket or the FIFO's reader
    QList<QByteArray> f;
    const auto at = [&](int i) { return f.value(i).constData(); };
    // Every save's check must read the new bytes back, from the unnamed file
    // or a hidden one beside the target; "-vetoed" saves are called off there.
    QString checked;
    const auto check = [&](const QString& written) {
        checked = written.startsWith("/proc/self/fd/") ? "unnamed" : written.chopped(6);
        EXPECT_EQ(contents(QFile::encodeName(written)), f.value(2).toStdString());
        return QString(f[0].endsWith("-vetoed") ? "not today" : "");
    };
    const std::map<QByteArray, std::function<bool()>> setUp{
        {"root", [] { return true; }},
        {"file", [&] { return lcctest::writeAll(QFile::decodeName(f[0]), f.value(1)); }},
        {"folder", [&] { return ::mkdir(at(0), 0777) == 0; }},
        {"fifo", [&] { return ::mkfifo(at(0), 0666) == 0; }},
        {"symlink", [&] { return ::symlink(at(1), at(0)) == 0; }},
        {"hardlink", [&] { return ::link(at(1), at(0)) == 0; }},
        {"rename", [&] { return ::rename(at(0), at(1)) == 0; }},
        {"device", [&] { return ::mknod(at(0), S_IFCHR | 0666, makedev(1, f.value(1).toUInt())) == 0; }},
        {"chown", [&] { return ::chown(at(0), f.value(1).toUInt(), f.value(2).toUInt()) == 0; }},
        {"chmod", [&] { return ::chmod(at(0), f.value(1).toUInt(nullptr, 8)) == 0; }},
        {"reader", [&] { return (descriptor = ::open(at(0), O_RDONLY | O_NONBLOCK)) >= 0; }},
        {"hold", [&] { return held.lock(f[0], 0).isEmpty(); }},
        {"release", [&] { return held.unlock(), true; }},
        {"waiter",
         [&] {
             waiter = std::thread([&, name = f[0]] {
                 FileLock lock;
                 char seen[64] = {};
                 waited = lock.lock(name, 10000).toUtf8() + '|';
                 waited += ::pread(lock.descriptor(), seen, sizeof seen - 1, 0) >= 0 ? seen : "<unreadable>";
             });
             std::this_thread::sleep_for(std::chrono::milliseconds(200)); // let it start waiting
             return true;
         }},
        {"fault", [&] { return pending = faults::parse(f[0].toStdString()), true; }},
        {"socket",
         [&] {
             sockaddr_un address{AF_UNIX, {}};
             std::strncpy(address.sun_path, at(0), sizeof address.sun_path - 1);
             descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
             return ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
         }},
        {"xattr", [&] {
             return f.size() < 3 ? ::removexattr(at(0), at(1)) == 0
                                 : ::setxattr(at(0), at(1), at(2), f[2].size(), 0) == 0;
         }}};
    const std::map<QByteArray, std::function<QByteArray()>> observe{
        {"holds", [&] { return QByteArray::fromStdString(contents(f[0])); }},
        {"checked", [&] { return std::exchange(checked, QString()).toUtf8(); }},
        {"owner", [&] { return ownerOf(f[0]); }},
        {"listing", [&] { return listing(f[0]); }},
        {"kind", [&] { return QByteArray(1, "?pc?d?b?-?l?s???"[(statOf(f[0]).st_mode >> 12) & 15]); }},
        {"xattris",
         [&] {
             char value[512];
             const ssize_t size = ::getxattr(at(0), at(1), value, sizeof value);
             return f[1] + '|' + (size < 0 ? QByteArray("<none>") : QByteArray(value, int(size)));
         }},
        {"waited", [&] { return waiter.join(), waited; }},
        {"received", [&] {
             char got[256];
             const ssize_t size = ::read(descriptor, got, sizeof got);
             ::close(std::exchange(descriptor, -1));
             return QByteArray(got, int(std::max<ssize_t>(size, 0)));
         }}};

    for (const auto& row : c.lines) {
        const QByteArray& word = row.first;
        SCOPED_TRACE(word.toStdString() + ' ' + row.second.toStdString());
        const QByteArray run = dir + '/' + QByteArray::number(++injected); // an injected save's folder
        QByteArray text = row.second;
        text.replace("<dir>", word == "inject" ? run : dir);
        const int arrow = text.lastIndexOf(" => ");
        const QByteArray outcome = arrow < 0 ? QByteArray() : text.mid(arrow + 4);
        const std::string want = outcome == "saved" || outcome == "locked" ? "" : outcome.toStdString();
        f = text.left(arrow < 0 ? text.size() : arrow).split('|');
        const WhenUnsafe way = f[0].startsWith("inplace") ? WhenUnsafe::WriteInPlace : WhenUnsafe::Refuse;
        if (setUp.count(word)) {
            const bool ok = setUp.at(word)();
            if (!ok && word == "xattr" && f.value(1).startsWith("system.posix_acl"))
                GTEST_SKIP() << "no POSIX ACLs here: " << std::strerror(errno);
            ASSERT_TRUE(ok) << std::strerror(errno);
        } else if (observe.count(word)) {
            EXPECT_EQ(observe.at(word)().toStdString(),
                      (QByteArray("received checked waited").contains(word) ? text : f.mid(1).join('|'))
                          .toStdString());
        } else if (word == "inode" || word == "newinode") {
            const ino_t inode = statOf(f[0]).st_ino;
            EXPECT_EQ(inode == inodes.emplace(f.value(1), inode).first->second, word == "inode");
        } else if (word == "save" || word == "lock") {
            const faults::Injected injecting(std::move(pending));
            pending.clear();
            FileLock lock;
            QElapsedTimer timer;
            timer.start();
            const QString got = word == "lock" ? lock.lock(f[0], f.value(1).toInt())
                                : f[0].endsWith("-nobody")
                                    ? saveAsNobody(f.value(1), f.value(2), way)
                                    : save(f.value(1), f.value(2), way, nullptr,
                                           f[0].endsWith("-held") ? &held : nullptr, check);
            EXPECT_EQ(got.toStdString(), want);
            EXPECT_TRUE(word == "save" || lock.isLocked() == want.empty());
            EXPECT_TRUE(!got.contains("waited") || timer.elapsed() >= f.value(1).toInt());
            EXPECT_TRUE(injecting.allFired()) << "a fault met no call";
        } else {
            ASSERT_EQ(word, "inject");
            EXPECT_EQ(injectedSave(run, way, f.value(1).toStdString()), outcome.toStdString());
        }
    }
    ::close(descriptor);
}

TEST(SaveFaults, WhicheverCallFailsTheFileEndsUpOldOrNew)
{
    if (!kRoot)
        GTEST_SKIP() << "needs root to give the file another owner";
    const QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    int run = 0;
    for (const std::string& call : faults::kCalls) {
        for (int nth = 1; nth <= 8; ++nth) {
            for (const WhenUnsafe way : {WhenUnsafe::Refuse, WhenUnsafe::WriteInPlace}) {
                SCOPED_TRACE(call + " fails the " + std::to_string(nth) + "th time, " +
                             (way == WhenUnsafe::Refuse ? "refusing" : "in place"));
                // Optional: past the calls a save makes, it saves.
                injectedSave(QFile::encodeName(scratch.filePath(QString::number(++run))), way,
                             call + "/EIO/" + std::to_string(nth) + '?');
            }
        }
    }
}

} // namespace
