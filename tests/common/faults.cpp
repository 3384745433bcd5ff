#include "faults.h"

#include <algorithm>
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
// openat64, stat64 and fstat64, on 64-bit systems too.

namespace faults {
namespace {

std::atomic<std::vector<Injected::Armed>*> active{nullptr};

// The C library's own function (or a sanitizer's, which then calls it).
template <typename Function> Function next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

On described(int fd)
{
    static const auto realFstat = next<int (*)(int, struct stat64*)>("fstat64");
    struct stat64 st {};
    if (realFstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        return On::Folder;
    return (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY ? On::ReadOnly : On::Writable;
}

On opening(int flags)
{
    if ((flags & O_TMPFILE) != O_TMPFILE && (flags & O_DIRECTORY) != 0)
        return On::Folder;
    return (flags & O_ACCMODE) == O_RDONLY ? On::ReadOnly : On::Writable;
}

// What the call must answer instead of doing its work: an errno, a write
// answer, or 0 to go through. `kind` is asked only where a fault cares.
template <typename Kind> int verdict(Call call, Kind kind)
{
    std::vector<Injected::Armed>* armed = active.load();
    if (armed == nullptr)
        return 0;
    const int savedErrno = errno;
    int answer = 0;
    for (Injected::Armed& a : *armed) {
        if (a.fault.call != call || (a.fault.on != On::Any && kind() != a.fault.on))
            continue;
        ++a.seen;
        if (answer == 0 && (a.fault.nth == 0 || a.fault.nth == a.seen)) {
            answer = a.fault.error;
            a.fired = true;
        }
    }
    errno = savedErrno;
    return answer;
}

int onFd(Call call, int fd)
{
    return verdict(call, [fd] { return described(fd); });
}

int anywhere(Call call)
{
    return verdict(call, [] { return On::Any; });
}

mode_t modeOf(int flags, va_list arguments)
{
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

// Fails with `error`, or lets the C library's `Function` do the work.
template <auto Function, typename... Args> auto pass(const char* name, int error, Args... args)
{
    static const auto real = next<decltype(Function)>(name);
    if (error == 0)
        return real(args...);
    errno = error;
    return decltype(real(args...))(-1);
}

} // namespace

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
    return std::all_of(armed_.begin(), armed_.end(), [](const Armed& a) { return a.fired; });
}

} // namespace faults

using faults::Call;

extern "C" {

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = faults::modeOf(flags, arguments);
    va_end(arguments);
    const int error = faults::verdict(Call::Open, [flags] { return faults::opening(flags); });
    return faults::pass<&open64>("open64", error, path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = faults::modeOf(flags, arguments);
    va_end(arguments);
    const int error = faults::verdict(Call::Openat, [flags] { return faults::opening(flags); });
    return faults::pass<&openat64>("openat64", error, folder, path, flags, mode);
}

int stat64(const char* path, struct stat64* st) noexcept
{
    return faults::pass<&stat64>("stat64", faults::anywhere(Call::Stat), path, st);
}

int fstat64(int fd, struct stat64* st) noexcept
{
    return faults::pass<&fstat64>("fstat64", faults::onFd(Call::Fstat, fd), fd, st);
}

int faccessat(int folder, const char* path, int mode, int flags) noexcept
{
    return faults::pass<&faccessat>("faccessat", faults::anywhere(Call::Faccessat), folder, path, mode,
                                    flags);
}

int access(const char* path, int mode) noexcept
{
    return faults::pass<&access>("access", faults::anywhere(Call::Access), path, mode);
}

ssize_t readlink(const char* path, char* buffer, size_t size) noexcept
{
    return faults::pass<&readlink>("readlink", faults::anywhere(Call::Readlink), path, buffer, size);
}

ssize_t read(int fd, void* data, size_t size)
{
    return faults::pass<&read>("read", faults::onFd(Call::Read, fd), fd, data, size);
}

ssize_t write(int fd, const void* data, size_t size)
{
    const int answer = faults::onFd(Call::Write, fd);
    if (answer == faults::kShortWrite || answer == faults::kNoProgress)
        size = std::min<size_t>(size, answer == faults::kShortWrite ? 1 : 0);
    return faults::pass<&write>("write", answer < 0 ? 0 : answer, fd, data, size);
}

int fsync(int fd)
{
    return faults::pass<&fsync>("fsync", faults::onFd(Call::Fsync, fd), fd);
}

// Closes all the same, as the kernel does when close() reports an error.
int close(int fd)
{
    const int error = faults::onFd(Call::Close, fd);
    const int result = faults::pass<&close>("close", 0, fd);
    if (error == 0)
        return result;
    errno = error;
    return -1;
}

int fchown(int fd, uid_t owner, gid_t group) noexcept
{
    return faults::pass<&fchown>("fchown", faults::onFd(Call::Fchown, fd), fd, owner, group);
}

int fchmod(int fd, mode_t mode) noexcept
{
    return faults::pass<&fchmod>("fchmod", faults::onFd(Call::Fchmod, fd), fd, mode);
}

ssize_t flistxattr(int fd, char* list, size_t size) noexcept
{
    return faults::pass<&flistxattr>("flistxattr", faults::onFd(Call::Flistxattr, fd), fd, list, size);
}

ssize_t fgetxattr(int fd, const char* name, void* value, size_t size) noexcept
{
    return faults::pass<&fgetxattr>("fgetxattr", faults::onFd(Call::Fgetxattr, fd), fd, name, value, size);
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) noexcept
{
    const int error = faults::onFd(Call::Fsetxattr, fd);
    return faults::pass<&fsetxattr>("fsetxattr", error, fd, name, value, size, flags);
}

int fremovexattr(int fd, const char* name) noexcept
{
    return faults::pass<&fremovexattr>("fremovexattr", faults::onFd(Call::Fremovexattr, fd), fd, name);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) noexcept
{
    const int error = faults::anywhere(Call::Linkat);
    return faults::pass<&linkat>("linkat", error, fromFolder, from, toFolder, to, flags);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept
{
    return faults::pass<&renameat>("renameat", faults::anywhere(Call::Renameat), fromFolder, from, toFolder,
                                   to);
}

int flock(int fd, int operation) noexcept
{
    return faults::pass<&flock>("flock", faults::anywhere(Call::Flock), fd, operation);
}

} // extern "C"
