#ifndef LCC_TESTS_COMMON_FAULTS_H
#define LCC_TESTS_COMMON_FAULTS_H

#include <vector>

// Makes chosen system calls of this test program fail, to see what a save
// does when the kernel, the disk or the file system says no. The program
// links the library statically, so the C functions of faults.cpp take the
// library's calls (and everyone else's in the program); each forwards to the
// C library's own function unless a fault in force asks for an error.
namespace faults {

// clang-format off
enum class Call { Open, Openat, Stat, Fstat, Faccessat, Access, Readlink, Read, Write, Fsync, Close,
                  Fchown, Fchmod, Flistxattr, Fgetxattr, Fsetxattr, Fremovexattr, Linkat, Renameat, Flock };
// clang-format on

// Which calls a fault counts: those on a folder, on a file open only for
// reading, or on a file open (or being opened) for writing.
enum class On { Any, Folder, ReadOnly, Writable };

// Not errors but answers of write(): one byte taken, or none and no error.
constexpr int kShortWrite = -1;
constexpr int kNoProgress = -2;

struct Fault {
    Call call;
    int error;   // the errno, or kShortWrite / kNoProgress
    int nth = 0; // only the n-th call it counts (from 1); 0: every one
    On on = On::Any;
};

// The faults are in force while this object lives; where two meet the same
// call, the first decides.
class Injected {
public:
    explicit Injected(std::vector<Fault> faults);
    ~Injected();
    Injected(const Injected&) = delete;
    Injected& operator=(const Injected&) = delete;

    // Whether every fault met a call it failed: one that never did tested
    // nothing.
    bool allFired() const;

    struct Armed {
        Fault fault;
        int seen = 0;
        bool fired = false;
    };

private:
    std::vector<Armed> armed_;
};

} // namespace faults

#endif
