#ifndef LIBCOMMONCFG_TESTS_TOOLS_TOOLRUN_H
#define LIBCOMMONCFG_TESTS_TOOLS_TOOLRUN_H

// Starts the installed commoncfg, or any program, with fork and execv and
// collects its exit code and both output streams. Not QProcess: its way of
// creating the child does not work under user-mode emulation (qemu-user),
// where the 32-bit build of these tests runs on a kernel without 32-bit
// support; fork and execv do. Children run under LC_ALL=C.UTF-8.
#include "support/files.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryFile>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace lcctest {

inline const bool kChildLocale = ::setenv("LC_ALL", "C.UTF-8", 1) == 0; // before any thread starts

struct ToolRun {
    int exitCode = -1; // -1: did not exit by itself in time
    QString out;
    QString err;
};

// The command line that starts the tool's binary: the binary itself, or the
// build's emulator (where the host cannot run the build) followed by it.
inline QStringList toolCommand(const QString& binary = QStringLiteral(COMMONCFG_BINARY))
{
    const QString launcher = QStringLiteral(COMMONCFG_LAUNCHER);
    return launcher.isEmpty() ? QStringList{binary} : QStringList{launcher, binary};
}

// Runs `command` (an absolute path first) with standard input from `input`
// (/dev/null when empty); kills it after `killAfterMs`.
inline ToolRun runProgram(const QStringList& command, const QString& input = QString(), int killAfterMs = 120000)
{
    std::vector<std::string> store(command.size()); // sized first: no element moves after argv points into it
    std::vector<char*> argv;
    for (int i = 0; i < command.size(); ++i)
        argv.push_back(&(store[i] = command.at(i).toStdString())[0]);
    argv.push_back(nullptr);
    const std::string in = input.isEmpty() ? "/dev/null" : input.toStdString();
    QTemporaryFile out, err;
    if (!out.open() || !err.open())
        return ToolRun{-1, QString(), QStringLiteral("no temporary files for the output")};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(in.c_str(), O_RDONLY);
        if (fd < 0 || ::dup2(fd, 0) < 0 || ::dup2(out.handle(), 1) < 0 || ::dup2(err.handle(), 2) < 0)
            ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0) {
        if (timer.hasExpired(killAfterMs))
            ::kill(pid, SIGKILL);
        ::usleep(1000);
    }
    return ToolRun{pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromUtf8(readAll(out.fileName())),
                   QString::fromUtf8(readAll(err.fileName()))};
}

inline ToolRun tool(const QStringList& args, const QString& input = QString())
{
    return runProgram(toolCommand() + args, input);
}

} // namespace lcctest

#endif
