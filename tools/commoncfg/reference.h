#ifndef COMMONCFG_REFERENCE_H
#define COMMONCFG_REFERENCE_H

#include <QString>

namespace commoncfg {

// The manual page commoncfg(1), in roff, made of the command table: every
// command with its arguments and options, the exit codes.
QString manPage(const QString& version);

// A bash completion script made of the command table: commands, the
// options each command takes, file names for the rest.
QString bashCompletion();

} // namespace commoncfg

#endif
