#ifndef LIBCOMMONCFG_TESTS_TOOLS_TOOLRUN_H
#define LIBCOMMONCFG_TESTS_TOOLS_TOOLRUN_H

// Starts the installed commoncfg (through the build's emulator where the
// host cannot run it).
#include "childprocess.h"
#include "support/files.h"

#include <QString>
#include <QStringList>

namespace lcctest {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline ToolRun runProgram(const QString& program, const QStringList& args, const QString& stdinFile = QString())
{
    const ChildRun child = runChild(program, args, "C.UTF-8", 120000, stdinFile);
    ToolRun run;
    if (!child.finished) {
        run.err = QStringLiteral("did not finish normally: ") + program;
        return run;
    }
    run.exitCode = child.exitCode;
    run.out = QString::fromUtf8(child.out);
    run.err = QString::fromUtf8(child.err);
    return run;
}

// The command line that starts the tool's binary: the binary itself, or the
// build's emulator followed by it.
inline QStringList toolCommand(const QString& binary)
{
    const QString launcher = QStringLiteral(COMMONCFG_LAUNCHER);
    return launcher.isEmpty() ? QStringList{binary} : QStringList{launcher, binary};
}

inline ToolRun tool(const QStringList& args, const QString& stdinFile = QString())
{
    QStringList command = toolCommand(QStringLiteral(COMMONCFG_BINARY));
    const QString program = command.takeFirst();
    return runProgram(program, command + args, stdinFile);
}

} // namespace lcctest

#endif
