#ifndef COMMONCFG_COMMANDLINE_H
#define COMMONCFG_COMMANDLINE_H

#include "cli.h"
#include "commandtable.h"

#include <QString>
#include <QStringList>

namespace commoncfg {

// Runs a command line (the program's name first) through the command table:
// the general options, then the command's options, the number of its
// arguments and its handler. Returns the exit code.
int run(const QStringList& arguments);

// The help without a command: the commands and the general options.
QString generalHelp();

// The help of one command: its arguments and only the options it accepts.
QString commandHelp(const CommandRow& command);

// The handler of "help [COMMAND]".
int helpCommand(const QStringList& arguments, const CommonOptions& options);

} // namespace commoncfg

#endif
