// What a save does when a system call fails at each step: the file stays as
// it was or ends up as intended, never in between, and nothing is left
// beside it. The failures are injected (faults.h), since on a healthy disk
// these calls do not fail.
#include "common/filelock.h"
#include "common/savefile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "faults.h"
#include "support/files.h"
#include "folderview.h"

#include <cerrno>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace LibCommonCfg::internal;
using faults::Call;
using faults::Fault;
using faults::On;
using lcctest::readAll;
using lcctest::writeAll;
using folderview::filesIn;
using folderview::name;
using folderview::statOf;

namespace {

const QByteArray kOld("IPADDR=10.0.0.1\n");
const QByteArray kNew("IPADDR=10.0.0.2\nNETMASK=255.255.0.0\n");
constexpr uid_t kOwner = 1234;
constexpr gid_t kGroup = 5678;
constexpr mode_t kMode = 0640;

// result: what saveFile returns ("<dir>" stands for the folder); null where
// the case does not apply. The file holds the new bytes when that is empty
// or tells that the file was replaced, else the old ones, unless it says
// that they could not be put back.
struct Outcome {
    const char* result;
    bool opened;
};
const Outcome kSaved{"", true};
const Outcome kNotInPlace{nullptr, false};

struct Case {
    std::vector<Fault> faults;
    Outcome refuse;
    Outcome inPlace{nullptr, false}; // as when refusing
};

const char kReadFailed[] = "cannot read: Input/output error";
const char kWriteFailed[] = "cannot write: Input/output error";
const char kSyncFailed[] = "cannot write to the disk: Input/output error";
const char kNotPutBack[] = "cannot write: Input/output error; the old content could not be put back";
const char kOwnerRefused[] = "cannot keep the file's owner 1234:5678: Operation not permitted";
const char kListFailed[] = "cannot read the file's extended attributes: Input/output error";
const char kAttributeFailed[] = "cannot read the file's extended attribute user.test: Input/output error";

const Case kCases[] = {
    // Reaching and locking the file.
    {{{Call::Faccessat, EROFS, 1}}, {"cannot write: Read-only file system", false}},
    {{{Call::Faccessat, EACCES, 2}}, {"cannot read the file to lock it: Permission denied", false}, kSaved},
    {{{Call::Open, EIO, 0, On::ReadOnly}}, {kReadFailed, false}},
    {{{Call::Open, EINTR, 1, On::ReadOnly}}, kSaved},
    {{{Call::Fstat, EIO, 1, On::ReadOnly}}, {kReadFailed, false}},
    {{{Call::Fstat, EIO, 2, On::ReadOnly}}, {kReadFailed, false}},
    {{{Call::Fstat, EIO, 3, On::ReadOnly}}, {kReadFailed, false}},
    {{{Call::Flock, ENOLCK}}, {"cannot lock: No locks available", false}, kSaved},
    {{{Call::Flock, EOPNOTSUPP}}, {"cannot lock: Operation not supported", false}, kSaved},
    {{{Call::Flock, ENOSYS}}, {"cannot lock: Function not implemented", false}, kSaved},
    {{{Call::Flock, EIO}}, {"cannot lock: Input/output error", false}},
    {{{Call::Flock, EINTR, 1}}, kSaved},
    {{{Call::Stat, EIO, 2}}, kSaved}, // locked a file that seemed replaced: locks again

    // The folder and the new file in it.
    {{{Call::Open, EACCES, 0, On::Folder}},
     {"cannot write into the folder <dir>: Permission denied", false},
     kSaved},
    {{{Call::Open, EIO, 0, On::Folder}}, {"cannot write into the folder <dir>: Input/output error", false}},
    {{{Call::Openat, EOPNOTSUPP, 1}}, kSaved}, // no unnamed files here: a hidden one
    {{{Call::Openat, EISDIR, 1}}, kSaved},
    {{{Call::Openat, EINVAL, 1}}, kSaved},
    {{{Call::Access, ENOENT}}, kSaved}, // no /proc: a hidden one
    {{{Call::Access, ENOENT}, {Call::Openat, EEXIST, 1}}, kSaved},
    {{{Call::Access, ENOENT}, {Call::Openat, EEXIST}},
     {"cannot write into the folder <dir>: File exists", false}},
    {{{Call::Openat, EROFS}}, {"cannot write into the folder <dir>: Read-only file system", false}, kSaved},
    {{{Call::Access, ENOENT}, {Call::Fsync, EIO}}, {kSyncFailed, true}},

    // Writing the new file.
    {{{Call::Write, EIO}}, {kWriteFailed, true}},
    {{{Call::Write, EINTR, 1}}, kSaved},
    {{{Call::Write, faults::kShortWrite}}, kSaved},
    {{{Call::Write, faults::kNoProgress, 1}}, {kWriteFailed, true}},
    {{{Call::Fsync, EIO, 1}}, {kSyncFailed, true}},

    // Giving it the old file's owner, attributes and mode: in place instead
    // where that is allowed.
    {{{Call::Fstat, EIO, 1, On::Writable}},
     {"cannot read the new file's owner: Input/output error", true},
     kSaved},
    {{{Call::Fchown, EPERM}}, {kOwnerRefused, true}, kSaved},
    {{{Call::Flistxattr, EIO, 0, On::ReadOnly}}, {kListFailed, true}, kSaved},
    {{{Call::Flistxattr, EIO, 2, On::ReadOnly}}, {kListFailed, true}, kSaved},
    {{{Call::Flistxattr, ERANGE, 2, On::ReadOnly}}, kSaved}, // the list grew meanwhile
    {{{Call::Flistxattr, EIO, 0, On::Writable}},
     {"cannot read the new file's extended attributes: Input/output error", true},
     kSaved},
    {{{Call::Flistxattr, ENOTSUP}}, kSaved},
    {{{Call::Fremovexattr, EPERM}},
     {"cannot take the extended attribute system.posix_acl_access from the new file: Operation not permitted",
      true},
     kSaved},
    {{{Call::Fgetxattr, EIO, 1}}, {kAttributeFailed, true}, kSaved},
    {{{Call::Fgetxattr, EIO, 2}}, {kAttributeFailed, true}, kSaved},
    {{{Call::Fgetxattr, ENODATA, 1}}, kSaved}, // removed meanwhile
    {{{Call::Fgetxattr, ERANGE, 2}}, kSaved},  // grew meanwhile
    {{{Call::Fsetxattr, EPERM}},
     {"cannot keep the file's extended attribute user.test: Operation not permitted", true},
     kSaved},
    {{{Call::Fchmod, EPERM}}, {"cannot keep the file's mode 0640: Operation not permitted", true}, kSaved},
    {{{Call::Fstat, EIO, 2, On::Writable}}, {"cannot keep the file's mode 0640", true}, kSaved},

    // Naming it and putting it in the old file's place.
    {{{Call::Linkat, EPERM, 1}}, kSaved}, // named through /proc instead
    {{{Call::Linkat, EEXIST, 1}}, kSaved},
    {{{Call::Linkat, EPERM}}, kSaved}, // written again to a named file
    {{{Call::Linkat, EEXIST}}, kSaved},
    {{{Call::Linkat, EPERM}, {Call::Openat, ENOSPC, 2}},
     {"cannot write into the folder <dir>: No space left on device", true}},
    {{{Call::Linkat, EPERM}, {Call::Write, EIO, 2}}, {kWriteFailed, true}},
    {{{Call::Linkat, EPERM}, {Call::Fchown, EPERM, 2}}, {kOwnerRefused, true}, kSaved},
    {{{Call::Renameat, EIO}}, {"cannot replace the file: Input/output error", true}},
    {{{Call::Fsync, EIO, 0, On::Folder}},
     {"the file was replaced, but the folder could not be written to the disk: Input/output error", true}},
    {{{Call::Fsync, EINVAL, 0, On::Folder}}, kSaved}, // a file system that syncs no folders

    // Writing in place, once the owner could not be kept.
    {{{Call::Fchown, EPERM}, {Call::Open, EIO, 0, On::Writable}},
     kNotInPlace,
     {"cannot open for writing: Input/output error", false}},
    {{{Call::Fchown, EPERM}, {Call::Write, faults::kShortWrite, 2}}, kNotInPlace, kSaved},
    {{{Call::Fchown, EPERM}, {Call::Write, EIO, 2}}, kNotInPlace, {kWriteFailed, true}},
    {{{Call::Fchown, EPERM}, {Call::Fsync, EIO, 2}}, kNotInPlace, {kSyncFailed, true}},
    {{{Call::Fchown, EPERM}, {Call::Close, EIO, 0, On::Writable}}, kNotInPlace, kSaved},  // after the sync
    {{{Call::Fchown, EPERM}, {Call::Read, EINTR, 1, On::ReadOnly}}, kNotInPlace, kSaved}, // of the old bytes
    {{{Call::Fchown, EPERM}, {Call::Write, EIO, 2}, {Call::Write, EIO, 3}}, kNotInPlace, {kNotPutBack, true}},
    {{{Call::Fchown, EPERM}, {Call::Read, EIO, 0, On::ReadOnly}, {Call::Write, EIO, 2}},
     kNotInPlace,
     {kNotPutBack, true}},
    {{{Call::Faccessat, EACCES, 2}, {Call::Open, EACCES, 0, On::ReadOnly}, {Call::Write, EIO}},
     kNotInPlace,
     {kNotPutBack, true}},
};

const bool kRoot = ::geteuid() == 0;

// The file every case saves over: someone else's, with a mode, an
// attribute and no ACL, in a folder whose default ACL gives new files one,
// so that every step of keeping the old file's attributes has work to do.
bool makeTarget(const QString& folder, const QString& path)
{
    const QByteArray acl = folderview::kDefaultAcl;
    return ::setxattr(name(folder).constData(), "system.posix_acl_default", acl.constData(),
                      static_cast<std::size_t>(acl.size()), 0) == 0 &&
           writeAll(path, kOld) && ::removexattr(name(path).constData(), "system.posix_acl_access") == 0 &&
           ::chown(name(path).constData(), kOwner, kGroup) == 0 &&
           ::chmod(name(path).constData(), kMode) == 0 &&
           ::setxattr(name(path).constData(), "user.test", "kept", 4, 0) == 0;
}

} // namespace

TEST(SaveFaults, FileEndsUpOldOrNewWithNothingBesideIt)
{
    if (!kRoot)
        GTEST_SKIP() << "needs root to give the file another owner";
    int index = 0;
    for (const Case& c : kCases) {
        ++index;
        for (const WhenUnsafe way : {WhenUnsafe::Refuse, WhenUnsafe::WriteInPlace}) {
            const bool inPlace = way == WhenUnsafe::WriteInPlace;
            const Outcome want = inPlace && c.inPlace.result != nullptr ? c.inPlace : c.refuse;
            if (want.result == nullptr)
                continue;
            SCOPED_TRACE(testing::Message() << "case " << index << (inPlace ? ", in place" : ", refusing"));
            QTemporaryDir dir;
            ASSERT_TRUE(dir.isValid());
            const QString path = dir.filePath("network");
            ASSERT_TRUE(makeTarget(dir.path(), path)) << "no ACLs or user attributes here?";

            bool opened = !want.opened;
            SaveOptions options;
            options.whenUnsafe = way;
            options.opened = &opened;
            QString result;
            bool fired = false;
            {
                const faults::Injected injected(c.faults);
                result = saveFile(path, kNew, options);
                fired = injected.allFired();
            }
            const QString expected = QString::fromUtf8(want.result).replace("<dir>", dir.path());
            EXPECT_EQ(result.toStdString(), expected.toStdString());
            EXPECT_TRUE(fired);
            EXPECT_EQ(opened, want.opened);
            const bool replaced = expected.isEmpty() || expected.startsWith("the file was replaced");
            if (!expected.endsWith("could not be put back")) {
                EXPECT_EQ(readAll(path).toStdString(), (replaced ? kNew : kOld).toStdString());
            }
            EXPECT_EQ(filesIn(dir.path()), QStringList{"network"});
            const struct stat after = statOf(path);
            EXPECT_EQ(after.st_uid, kOwner);
            EXPECT_EQ(after.st_gid, kGroup);
            EXPECT_EQ(after.st_mode & 07777, kMode);
        }
    }
}

TEST(LockFaults, WhatTurnsOutNoRegularFileOrKeepsBeingReplacedIsNotLocked)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("fifo");
    const QString file = dir.filePath("network");
    ASSERT_EQ(::mkfifo(name(fifo).constData(), 0666), 0);
    ASSERT_TRUE(writeAll(file, kOld));
    const QString notRegular = "not a regular file (a device, FIFO or socket)";
    const struct {
        QString path;
        std::vector<Fault> faults;
        QString result;
    } cases[] = {
        // A FIFO by the time it is open; one that cannot be opened is looked at.
        {fifo, {{Call::Stat, ENOENT, 1}}, notRegular},
        {fifo, {{Call::Stat, ENOENT, 1}, {Call::Open, ENXIO}}, notRegular},
        {file, {{Call::Stat, ENOENT, 2}}, "another program is changing this file (waited 0 s)"},
        {QString(), {}, "no such file"},
    };
    for (const auto& c : cases) {
        FileLock lock;
        const faults::Injected injected(c.faults);
        EXPECT_EQ(lock.lock(c.path, 0).toStdString(), c.result.toStdString());
        EXPECT_TRUE(injected.allFired());
        EXPECT_FALSE(lock.isLocked());
    }
}
