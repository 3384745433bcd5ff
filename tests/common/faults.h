#ifndef LCC_TESTS_COMMON_FAULTS_H
#define LCC_TESTS_COMMON_FAULTS_H

#include <string>
#include <vector>

// Makes chosen system calls of this test program fail, to see what a save
// does when the kernel, the disk or the file system says no. The program
// links the library statically, so the C functions of faults.cpp take the
// library's calls; each forwards to the C library's own function unless a
// fault in force asks otherwise.
namespace faults {

// The calls that can be made to fail, by the names faults are written with.
extern const std::vector<std::string> kCalls;

// Answers that are no errors: write() takes one byte or none; the call is
// skipped as if it had worked; the call is let through (giving way to a
// later fault on it).
constexpr int kShortWrite = -1, kNoProgress = -2, kSkip = -3, kPass = -4;

struct Fault {
    std::string call;      // empty: no fault (a text parse() did not know)
    int answer = 0;        // an errno or one of the answers above
    int nth = 0;           // only the n-th call it counts (from 1); 0: every one
    std::string on;        // counts only calls on a "folder", "readonly" or "writable" file
    bool optional = false; // need not meet its call
    int seen = 0;
    bool fired = false;
};

// Faults written "call/ANSWER[/nth[/on]][?]" with a blank between two, for
// example "write/EIO/2/writable"; ANSWER is an errno's name, SHORT,
// NOPROGRESS, SKIP or PASS; "?" makes it optional. A fault that is not
// understood has no call, and so never fires.
std::vector<Fault> parse(const std::string& text);

// The faults are in force while this object lives; where two meet the same
// call, the first decides.
struct Injected {
    explicit Injected(std::vector<Fault> faults);
    Injected(const Injected&) = delete;
    ~Injected();
    // Every fault that must meet its call did: one that never did tested nothing.
    bool allFired() const;
    std::vector<Fault> faults;
};

} // namespace faults

#endif
