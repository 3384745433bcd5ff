#include "faults.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <map>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// The library is built with 64-bit file offsets, so it calls open64,
// openat64, stat64 and fstat64, on 64-bit systems too.

namespace faults {

const std::vector<std::string> kCalls = {"open",      "openat",       "stat",   "fstat",      "faccessat",
                                         "access",    "readlink",     "read",   "write",      "fsync",
                                         "close",     "fchown",       "fchmod", "flistxattr", "fgetxattr",
                                         "fsetxattr", "fremovexattr", "linkat", "renameat",   "flock"};

namespace {

std::atomic<std::vector<Fault>*> active{nullptr};

// The C library's own function (or a sanitizer's, which then calls it).
template <typename Function> Function next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// What the call must answer instead of doing its work: an errno, one of the
// special answers, or 0 to go through. `kind` (what the call is made on) is
// asked only where a fault cares.
template <typename Kind> int verdict(const char* call, Kind kind)
{
    std::vector<Fault>* armed = active.load();
    if (armed == nullptr)
        return 0;
    const int savedErrno = errno;
    int answer = 0;
    for (Fault& f : *armed) {
        if (f.call != call || (!f.on.empty() && f.on != kind()))
            continue;
        if (++f.seen == f.nth || f.nth == 0) {
            f.fired = f.fired || answer == 0;
            answer = answer == 0 ? f.answer : answer;
        }
    }
    errno = savedErrno;
    return answer;
}

int onFd(const char* call, int fd)
{
    return verdict(call, [fd] {
        static const auto realFstat = next<int (*)(int, struct stat64*)>("fstat64");
        struct stat64 st {};
        if (realFstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            return "folder";
        return (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY ? "readonly" : "writable";
    });
}

int anywhere(const char* call)
{
    return verdict(call, [] { return ""; });
}

// The verdict on an open() with these flags, and the mode it was given.
int opening(const char* call, int flags, va_list arguments, mode_t* mode)
{
    *mode = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
    return verdict(call, [flags] {
        if ((flags & O_TMPFILE) != O_TMPFILE && (flags & O_DIRECTORY) != 0)
            return "folder";
        return (flags & O_ACCMODE) == O_RDONLY ? "readonly" : "writable";
    });
}

// Answers as the fault says, or lets the C library's `Function` do the work.
template <auto Function, typename... Args> auto pass(const char* name, int answer, Args... args)
{
    static const auto real = next<decltype(Function)>(name);
    if (answer == 0 || answer == kPass || answer == kShortWrite || answer == kNoProgress)
        return real(args...);
    errno = answer == kSkip ? errno : answer;
    return decltype(real(args...))(answer == kSkip ? 0 : -1);
}

} // namespace

std::vector<Fault> parse(const std::string& text)
{
    static const std::map<QByteArray, int> kAnswers = [] {
        std::map<QByteArray, int> named{
            {"SHORT", kShortWrite}, {"NOPROGRESS", kNoProgress}, {"SKIP", kSkip}, {"PASS", kPass}};
        for (int error = 1; error < 200; ++error)
            if (const char* name = ::strerrorname_np(error))
                named.emplace(name, error);
        return named;
    }();
    std::vector<Fault> all;
    for (const QByteArray& written : QByteArray::fromStdString(text).split(' ')) {
        const bool optional = written.endsWith('?');
        const QList<QByteArray> p = written.chopped(optional ? 1 : 0).split('/');
        const bool known = kAnswers.count(p.value(1)) &&
                           std::count(kCalls.begin(), kCalls.end(), p[0].toStdString()) &&
                           QList<QByteArray>{"", "folder", "readonly", "writable"}.contains(p.value(3));
        all.push_back({known ? p[0].toStdString() : "",
                       kAnswers.count(p.value(1)) ? kAnswers.at(p.value(1)) : 0, p.value(2).toInt(),
                       p.value(3).toStdString(), optional});
    }
    return all;
}

Injected::Injected(std::vector<Fault> armed) : faults(std::move(armed))
{
    active.store(&faults);
}

Injected::~Injected()
{
    active.store(nullptr);
}

bool Injected::allFired() const
{
    return std::all_of(faults.begin(), faults.end(), [](const Fault& f) { return f.fired || f.optional; });
}

} // namespace faults

using faults::anywhere;
using faults::onFd;
using faults::pass;

// A C function that fails as the faults say; `Throws` is the exception
// clause the C library's header gives it (noexcept or none).
#define LCC_FAULTY(Result, function, Throws, verdict, Params, ...)                                           \
    Result function Params Throws                                                                            \
    {                                                                                                        \
        return pass<&function>(#function, verdict, __VA_ARGS__);                                             \
    }

extern "C" {

// open() and openat() take their mode among the variable arguments.
#define LCC_FAULTY_OPEN(function, call, Params, ...)                                                         \
    int function Params                                                                                      \
    {                                                                                                        \
        va_list arguments;                                                                                   \
        va_start(arguments, flags);                                                                          \
        mode_t mode = 0;                                                                                     \
        const int answer = faults::opening(call, flags, arguments, &mode);                                   \
        va_end(arguments);                                                                                   \
        return pass<&function>(#function, answer, __VA_ARGS__, flags, mode);                                 \
    }

LCC_FAULTY_OPEN(open64, "open", (const char* path, int flags, ...), path)
LCC_FAULTY_OPEN(openat64, "openat", (int folder, const char* path, int flags, ...), folder, path)

ssize_t write(int fd, const void* data, size_t size)
{
    const int answer = onFd("write", fd);
    if (answer == faults::kShortWrite || answer == faults::kNoProgress)
        size = std::min<size_t>(size, answer == faults::kShortWrite ? 1 : 0);
    return pass<&write>("write", answer, fd, data, size);
}

// Closes all the same, as the kernel does when close() reports an error.
int close(int fd)
{
    const int answer = onFd("close", fd);
    const int result = pass<&close>("close", 0, fd);
    return answer <= 0 ? result : (errno = answer, -1);
}

LCC_FAULTY(int, stat64, noexcept, anywhere("stat"), (const char* p, struct stat64* s), p, s)
LCC_FAULTY(int, fstat64, noexcept, onFd("fstat", fd), (int fd, struct stat64* s), fd, s)
LCC_FAULTY(int, faccessat, noexcept, anywhere("faccessat"), (int at, const char* p, int m, int f), at, p, m,
           f)
LCC_FAULTY(int, access, noexcept, anywhere("access"), (const char* p, int m), p, m)
LCC_FAULTY(ssize_t, readlink, noexcept, anywhere("readlink"), (const char* p, char* b, size_t n), p, b, n)
LCC_FAULTY(ssize_t, read, , onFd("read", fd), (int fd, void* b, size_t n), fd, b, n)
LCC_FAULTY(int, fsync, , onFd("fsync", fd), (int fd), fd)
LCC_FAULTY(int, fchown, noexcept, onFd("fchown", fd), (int fd, uid_t u, gid_t g), fd, u, g)
LCC_FAULTY(int, fchmod, noexcept, onFd("fchmod", fd), (int fd, mode_t m), fd, m)
LCC_FAULTY(ssize_t, flistxattr, noexcept, onFd("flistxattr", fd), (int fd, char* l, size_t n), fd, l, n)
LCC_FAULTY(ssize_t, fgetxattr, noexcept, onFd("fgetxattr", fd), (int fd, const char* k, void* v, size_t n),
           fd, k, v, n)
LCC_FAULTY(int, fsetxattr, noexcept, onFd("fsetxattr", fd),
           (int fd, const char* k, const void* v, size_t n, int f), fd, k, v, n, f)
LCC_FAULTY(int, fremovexattr, noexcept, onFd("fremovexattr", fd), (int fd, const char* k), fd, k)
LCC_FAULTY(int, linkat, noexcept, anywhere("linkat"), (int a, const char* f, int b, const char* t, int l), a,
           f, b, t, l)
LCC_FAULTY(int, renameat, noexcept, anywhere("renameat"), (int a, const char* f, int b, const char* t), a, f,
           b, t)
LCC_FAULTY(int, flock, noexcept, anywhere("flock"), (int fd, int op), fd, op)

} // extern "C"
