#ifndef LIBCOMMONCFG_TESTS_TOOLS_CHILDPROCESS_H
#define LIBCOMMONCFG_TESTS_TOOLS_CHILDPROCESS_H

// Starts a program with fork and execve and collects its exit code and both
// output streams. Not QProcess: its way of creating the child does not work
// under user-mode emulation (qemu-user), where the 32-bit build of these
// tests runs on a kernel without 32-bit support; fork and execve do.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace lcctest {

struct ChildRun {
    int exitCode = -1;
    bool finished = false; ///< exited by itself within the time limit
    QByteArray out;
    QByteArray err;
};

/// Runs `program` (an absolute path) with `args`, stdin from `stdinFile`
/// (/dev/null when empty) and the environment of this process with LC_ALL
/// set to `lcAll`.
inline ChildRun runChild(const QString& program, const QStringList& args, const char* lcAll,
                         int timeoutMs = 60000, const QString& stdinFile = QString())
{
    const std::string input = stdinFile.isEmpty() ? std::string("/dev/null") : stdinFile.toStdString();
    ChildRun run;
    std::vector<std::string> argStore{program.toStdString()};
    for (const QString& arg : args)
        argStore.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& arg : argStore)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "LC_ALL=", 7) != 0)
            envStore.emplace_back(*e);
    }
    envStore.push_back(std::string("LC_ALL=") + lcAll);
    std::vector<char*> envp;
    for (std::string& entry : envStore)
        envp.push_back(&entry[0]);
    envp.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0)
        return run;
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return run;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(input.c_str(), O_RDONLY);
        if (in < 0 || dup2(in, 0) < 0 || dup2(outPipe[1], 1) < 0 || dup2(errPipe[1], 2) < 0)
            _exit(127);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (pid < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return run;
    }

    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    QByteArray* sinks[2] = {&run.out, &run.err};
    int openStreams = 2;
    bool timedOut = false;
    while (openStreams > 0) {
        const int ready = poll(fds, 2, timeoutMs);
        if (ready == 0) {
            timedOut = true;
            break;
        }
        if (ready < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, int(got));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --openStreams;
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0)
            close(fd.fd);
    }
    if (timedOut)
        kill(pid, SIGKILL);
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && !timedOut && WIFEXITED(status)) {
        run.finished = true;
        run.exitCode = WEXITSTATUS(status);
    }
    return run;
}

} // namespace lcctest

#endif
