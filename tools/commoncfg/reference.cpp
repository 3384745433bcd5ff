// The manual page and the shell completion come from the same rows as the
// help, so that a new command or option reaches all three at once.
#include "reference.h"

#include "commandtable.h"

#include <QStringList>

namespace commoncfg {

namespace {

// Text for roff: backslashes doubled, hyphens as minus signs, a leading dot
// or quote kept from starting a request.
QString roff(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\e")).replace(QLatin1Char('-'), QLatin1String("\\-"));
    if (escaped.startsWith(QLatin1Char('.')) || escaped.startsWith(QLatin1Char('\'')))
        escaped.prepend(QLatin1String("\\&"));
    return escaped;
}

QString optionSpelling(const OptionRow& option)
{
    return QStringLiteral("--%1").arg(QLatin1String(option.name)) +
           (option.valueName != nullptr ? QStringLiteral(" ") + QLatin1String(option.valueName) : QString());
}

QString usageOf(const CommandRow& command)
{
    QStringList words{QLatin1String(command.name)};
    for (const PositionalRow& positional : command.positionals) {
        if (positional.name != nullptr)
            words << QLatin1String(positional.syntax != nullptr ? positional.syntax : positional.name);
    }
    return words.join(QLatin1Char(' '));
}

} // namespace

QString manPage(const QString& version)
{
    QString page =
        QStringLiteral(".TH COMMONCFG 1 \"\" \"commoncfg %1\" \"User Commands\"\n").arg(roff(version));
    page += QStringLiteral(
        ".SH NAME\ncommoncfg \\- look into and edit the configuration files of a measuring "
        "device\n"
        ".SH SYNOPSIS\n.B commoncfg\n.I COMMAND\n[\\fIoptions\\fR] [\\fIarguments\\fR...]\n"
        ".SH DESCRIPTION\n"
        "Reads the device's INI configuration, its network setup file and its time\\-zone file as "
        "the device reads them, and changes values, keys and groups on their own lines, leaving "
        "every other byte of the file as it was. A change is read back with the device's own "
        "readers before it replaces the file; a file is saved whole or not at all.\n"
        ".SH COMMANDS\n");
    for (const CommandRow& command : commandTable()) {
        page += QStringLiteral(".TP\n.B %1\n%2\n")
                    .arg(roff(usageOf(command)), roff(QLatin1String(command.summary)));
        for (const PositionalRow& positional : command.positionals) {
            if (positional.name != nullptr)
                page += QStringLiteral(".RS\n.TP\n.I %1\n%2\n.RE\n")
                            .arg(roff(QLatin1String(positional.name)),
                                 roff(QLatin1String(positional.description)));
        }
        QStringList options;
        for (const OptionRow& option : optionTable()) {
            if ((command.options & option.bit) != 0)
                options << QStringLiteral("\\fB%1\\fR").arg(roff(optionSpelling(option)));
        }
        if (!options.isEmpty())
            page += QStringLiteral(".RS\nOptions: %1.\n.RE\n").arg(options.join(QStringLiteral(", ")));
    }
    page += QStringLiteral(".SH OPTIONS\n");
    for (const OptionRow& option : optionTable())
        page += QStringLiteral(".TP\n.B %1\n%2\n")
                    .arg(roff(optionSpelling(option)), roff(QLatin1String(option.description)));
    page += QStringLiteral(
        ".TP\n.B \\-h, \\-\\-help\nprint the help; after a command, that command's help\n"
        ".TP\n.B \\-\\-help\\-all\nprint the help of every command\n"
        ".TP\n.B \\-v, \\-\\-version\nprint the version\n"
        ".SH EXIT STATUS\n.TP\n.B 0\nsuccess, nothing found\n.TP\n.B 1\na finding, a missing key or "
        "group, files that differ\n.TP\n.B 2\na usage or I/O error, or a change refused\n");
    return page;
}

QString bashCompletion()
{
    QStringList commands;
    QString cases;
    for (const CommandRow& command : commandTable()) {
        commands << QLatin1String(command.name);
        QStringList options{QStringLiteral("--help")};
        for (const OptionRow& option : optionTable()) {
            if ((command.options & option.bit) != 0)
                options << QStringLiteral("--%1").arg(QLatin1String(option.name));
        }
        cases += QStringLiteral("        %1) options=\"%2\" ;;\n")
                     .arg(QLatin1String(command.name), options.join(QLatin1Char(' ')));
    }
    return QStringLiteral(
               "# bash completion for commoncfg, made of its command table\n"
               "_commoncfg()\n"
               "{\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} command= options= i\n"
               "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
               "        case ${COMP_WORDS[i]} in -*) ;; *) command=${COMP_WORDS[i]}; break ;; esac\n"
               "    done\n"
               "    if [[ -z $command ]]; then\n"
               "        COMPREPLY=($(compgen -W \"%1 --help --help-all --version\" -- \"$cur\"))\n"
               "        return\n"
               "    fi\n"
               "    case $command in\n"
               "%2"
               "    esac\n"
               "    case $cur in\n"
               "        --format=*) COMPREPLY=($(compgen -W \"ini setup tz\" -- \"${cur#--format=}\")) ;;\n"
               "        -*) COMPREPLY=($(compgen -W \"$options\" -- \"$cur\")) ;;\n"
               "        *) COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
               "    esac\n"
               "}\n"
               "complete -o filenames -F _commoncfg commoncfg\n")
        .arg(commands.join(QLatin1Char(' ')), cases);
}

} // namespace commoncfg
