#ifndef COMMONCFG_CLI_H
#define COMMONCFG_CLI_H

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace commoncfg {

// Exit codes of every command.
enum Exit : int {
    ExitOk = 0,      // done, nothing found
    ExitFinding = 1, // a problem found, or a missing key
    ExitError = 2,   // usage or I/O error
};

// Text for the user, in the locale's encoding.
QTextStream& out();

// While it lives, what goes to out() is kept in `text` instead.
struct CapturedOutput {
    QString text;
    CapturedOutput();
    ~CapturedOutput();
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
};

// Prints "commoncfg: <subject>: <message>" (or "commoncfg: <message>" when
// subject is empty) to stderr and returns `code`, so that commands can
// `return fail(...)`.
int fail(int code, const QString& subject, const QString& message);

// The values of the command options; a command reads those it accepts
// (commandtable.cpp says which).
struct CommonOptions {
    bool json = false;
    QString format; // "", "ini", "setup" or "tz"
    int interfaces = -1;
    bool create = false;
    int waitMs = 10000; // how long a change waits for another program's lock
    bool dryRun = false;
};

} // namespace commoncfg

#endif
