#include "faults.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// The library is built with 64-bit file offsets, so it calls open64,
// openat64, stat64 and fstat64 (on 64-bit systems too); the others have one
// name only.

using faults::Call;
using faults::On;

namespace {

std::atomic<std::vector<faults::Injected::Armed>*> active{nullptr};

// The C library's own function (or a sanitizer's, which then calls it).
template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

On described(int fd)
{
    static const auto realFstat = next<int (*)(int, struct stat64*)>("fstat64");
    struct stat64 st {};
    if (realFstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        return On::Folder;
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_ACCMODE) == O_RDONLY ? On::ReadOnly : On::Writable;
}

On opening(int flags)
{
    if ((flags & O_TMPFILE) == O_TMPFILE)
        return On::Writable;
    if ((flags & O_DIRECTORY) != 0)
        return On::Folder;
    return (flags & O_ACCMODE) == O_RDONLY ? On::ReadOnly : On::Writable;
}

// What the call must answer instead of doing its work: an errno, a write
// answer, or 0 to go through. `what` tells what the call is on, asked only
// when a fault cares.
template <typename What>
int verdict(Call call, What what)
{
    std::vector<faults::Injected::Armed>* armed = active.load();
    if (armed == nullptr)
        return 0;
    const int savedErrno = errno;
    int answer = 0;
    bool known = false;
    On kind = On::Any;
    for (faults::Injected::Armed& a : *armed) {
        if (a.fault.call != call)
            continue;
        if (a.fault.on != On::Any) {
            if (!known) {
                kind = what();
                known = true;
            }
            if (kind != a.fault.on)
                continue;
        }
        ++a.seen;
        if (answer == 0 && (a.fault.nth == 0 || a.fault.nth == a.seen)) {
            answer = a.fault.error;
            a.fired = true;
        }
    }
    errno = savedErrno;
    return answer;
}

int verdict(Call call)
{
    return verdict(call, [] { return On::Any; });
}

int verdict(Call call, int fd)
{
    return verdict(call, [fd] { return described(fd); });
}

int fail(int error)
{
    errno = error;
    return -1;
}

mode_t modeArgument(int flags, va_list arguments)
{
    const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return creates ? va_arg(arguments, mode_t) : 0;
}

} // namespace

namespace faults {

Injected::Injected(std::vector<Fault> faults)
{
    for (const Fault& fault : faults)
        armed_.push_back(Armed{fault});
    active.store(&armed_);
}

Injected::~Injected()
{
    active.store(nullptr);
}

bool Injected::allFired() const
{
    for (const Armed& a : armed_) {
        if (!a.fired)
            return false;
    }
    return true;
}

} // namespace faults

extern "C" {

int open64(const char* path, int flags, ...)
{
    static const auto real = next<int (*)(const char*, int, ...)>("open64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (const int error = verdict(Call::Open, [flags] { return opening(flags); }))
        return fail(error);
    return real(path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...)
{
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (const int error = verdict(Call::Openat, [flags] { return opening(flags); }))
        return fail(error);
    return real(folder, path, flags, mode);
}

int stat64(const char* path, struct stat64* st) noexcept
{
    static const auto real = next<decltype(&stat64)>("stat64");
    const int error = verdict(Call::Stat);
    return error != 0 ? fail(error) : real(path, st);
}

int fstat64(int fd, struct stat64* st) noexcept
{
    static const auto real = next<decltype(&fstat64)>("fstat64");
    const int error = verdict(Call::Fstat, fd);
    return error != 0 ? fail(error) : real(fd, st);
}

int faccessat(int folder, const char* path, int mode, int flags) noexcept
{
    static const auto real = next<decltype(&faccessat)>("faccessat");
    const int error = verdict(Call::Faccessat);
    return error != 0 ? fail(error) : real(folder, path, mode, flags);
}

int access(const char* path, int mode) noexcept
{
    static const auto real = next<decltype(&access)>("access");
    const int error = verdict(Call::Access);
    return error != 0 ? fail(error) : real(path, mode);
}

ssize_t readlink(const char* path, char* buffer, size_t size) noexcept
{
    static const auto real = next<decltype(&readlink)>("readlink");
    const int error = verdict(Call::Readlink);
    return error != 0 ? fail(error) : real(path, buffer, size);
}

ssize_t write(int fd, const void* data, size_t size)
{
    static const auto real = next<decltype(&write)>("write");
    const int answer = verdict(Call::Write, fd);
    if (answer == faults::kShortWrite)
        return real(fd, data, size > 0 ? 1 : 0);
    if (answer == faults::kNoProgress)
        return 0;
    return answer != 0 ? fail(answer) : real(fd, data, size);
}

int fsync(int fd)
{
    static const auto real = next<decltype(&fsync)>("fsync");
    const int error = verdict(Call::Fsync, fd);
    return error != 0 ? fail(error) : real(fd);
}

// Closes all the same, as the kernel does when close() reports an error.
int close(int fd)
{
    static const auto real = next<decltype(&close)>("close");
    const int error = verdict(Call::Close, fd);
    const int result = real(fd);
    return error != 0 ? fail(error) : result;
}

int fchown(int fd, uid_t owner, gid_t group) noexcept
{
    static const auto real = next<decltype(&fchown)>("fchown");
    const int error = verdict(Call::Fchown, fd);
    return error != 0 ? fail(error) : real(fd, owner, group);
}

int fchmod(int fd, mode_t mode) noexcept
{
    static const auto real = next<decltype(&fchmod)>("fchmod");
    const int error = verdict(Call::Fchmod, fd);
    return error != 0 ? fail(error) : real(fd, mode);
}

ssize_t flistxattr(int fd, char* list, size_t size) noexcept
{
    static const auto real = next<decltype(&flistxattr)>("flistxattr");
    const int error = verdict(Call::Flistxattr, fd);
    return error != 0 ? fail(error) : real(fd, list, size);
}

ssize_t fgetxattr(int fd, const char* name, void* value, size_t size) noexcept
{
    static const auto real = next<decltype(&fgetxattr)>("fgetxattr");
    const int error = verdict(Call::Fgetxattr, fd);
    return error != 0 ? fail(error) : real(fd, name, value, size);
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) noexcept
{
    static const auto real = next<decltype(&fsetxattr)>("fsetxattr");
    const int error = verdict(Call::Fsetxattr, fd);
    return error != 0 ? fail(error) : real(fd, name, value, size, flags);
}

int fremovexattr(int fd, const char* name) noexcept
{
    static const auto real = next<decltype(&fremovexattr)>("fremovexattr");
    const int error = verdict(Call::Fremovexattr, fd);
    return error != 0 ? fail(error) : real(fd, name);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) noexcept
{
    static const auto real = next<decltype(&linkat)>("linkat");
    const int error = verdict(Call::Linkat);
    return error != 0 ? fail(error) : real(fromFolder, from, toFolder, to, flags);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept
{
    static const auto real = next<decltype(&renameat)>("renameat");
    const int error = verdict(Call::Renameat);
    return error != 0 ? fail(error) : real(fromFolder, from, toFolder, to);
}

int flock(int fd, int operation) noexcept
{
    static const auto real = next<decltype(&flock)>("flock");
    const int error = verdict(Call::Flock, fd);
    return error != 0 ? fail(error) : real(fd, operation);
}

} // extern "C"
