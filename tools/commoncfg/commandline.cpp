// The command line against the command table: one parser for running a
// command, and one parser per help text, so that each text lists what
// applies to it alone.
#include "commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QPair>

namespace commoncfg {

namespace {

int usage(const QString& message, const char* helpFor = nullptr)
{
    const QString hint = helpFor == nullptr
                             ? QStringLiteral("commoncfg --help")
                             : QStringLiteral("commoncfg %1 --help").arg(QLatin1String(helpFor));
    return fail(ExitError, QString(), QStringLiteral("%1 (see %2)").arg(message, hint));
}

int unknownCommand(const QString& name)
{
    return usage(QStringLiteral("unknown command \"%1\"").arg(name));
}

QCommandLineOption helpOption(const QString& description)
{
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, description);
}

QCommandLineOption helpAllOption()
{
    return QCommandLineOption(QStringLiteral("help-all"),
                              QStringLiteral("print this help and the help of every command"));
}

QCommandLineOption versionOption()
{
    return QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                              QStringLiteral("print the version"));
}

QCommandLineOption qtOption(const OptionRow& row)
{
    return QCommandLineOption(QLatin1String(row.name), QLatin1String(row.description),
                              row.valueName == nullptr ? QString() : QLatin1String(row.valueName));
}

QString argumentSyntax(const CommandRow& command)
{
    QStringList syntax;
    for (const PositionalRow& positional : command.positionals) {
        if (positional.name != nullptr)
            syntax << QLatin1String(positional.syntax != nullptr ? positional.syntax : positional.name);
    }
    return syntax.join(QLatin1Char(' '));
}

// Qt's help text from its "Options:" section on: its usage line names the
// program by the path it was started with, so the texts write their own.
QString optionSections(const QCommandLineParser& parser)
{
    const QString text = parser.helpText();
    const QString header = QStringLiteral("\nOptions:\n");
    return text.mid(text.indexOf(header) + 1);
}

QString allHelp()
{
    QString text = generalHelp();
    for (const CommandRow& command : commandTable())
        text += QLatin1Char('\n') + commandHelp(command);
    return text;
}

bool isOptionOfOurs(const QString& argument, bool* takesNext)
{
    *takesNext = false;
    if (argument == QLatin1String("-h") || argument == QLatin1String("-v"))
        return true;
    if (!argument.startsWith(QLatin1String("--")))
        return false;
    const QString name = argument.mid(2).section(QLatin1Char('='), 0, 0);
    if (name == QLatin1String("help") || name == QLatin1String("help-all") ||
        name == QLatin1String("version"))
        return true;
    for (const OptionRow& option : optionTable()) {
        if (name == QLatin1String(option.name)) {
            *takesNext = option.valueName != nullptr && !argument.contains(QLatin1Char('='));
            return true;
        }
    }
    return false;
}

// Qt's parser takes whatever begins with "-" for an option, but a value may
// begin with it ("set main/offset -5", a password "-x"): where the command
// expects a value, an argument that is none of our options is passed on as
// an argument. Options come first, then "--" and the arguments.
QStringList valuesProtected(const QStringList& arguments)
{
    QStringList options = arguments.mid(0, 1);
    QStringList positionals;
    const CommandRow* command = nullptr;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            positionals += arguments.mid(i + 1);
            break;
        }
        bool takesNext = false;
        const bool ours = isOptionOfOurs(argument, &takesNext);
        const bool isValue =
            command != nullptr && command->isValueAt != nullptr && command->isValueAt(positionals.size() - 1);
        if (argument.size() > 1 && argument.startsWith(QLatin1Char('-')) && (ours || !isValue)) {
            options << argument;
            if (takesNext && i + 1 < arguments.size())
                options << arguments.at(++i);
            continue;
        }
        positionals << argument;
        if (positionals.size() == 1)
            command = findCommand(argument);
    }
    return options + QStringList{QStringLiteral("--")} + positionals;
}

} // namespace

QString generalHelp()
{
    QString text = QStringLiteral("Usage: commoncfg COMMAND [options] [arguments...]\n"
                                  "Looks into and edits the configuration files of a measuring device.\n\n"
                                  "Commands:\n");
    for (const CommandRow& command : commandTable())
        text +=
            QStringLiteral("  %1 %2\n      %3\n")
                .arg(QLatin1String(command.name), argumentSyntax(command), QLatin1String(command.summary));
    QCommandLineParser parser;
    parser.addOptions({helpOption(QStringLiteral("print this help; after a command, that command's help")),
                       helpAllOption(), versionOption()});
    return text + QLatin1Char('\n') + optionSections(parser) +
           QStringLiteral("\nExit codes: 0 success, 1 a finding or a missing key, 2 usage or I/O error.\n");
}

QString commandHelp(const CommandRow& command)
{
    QCommandLineParser parser;
    parser.addOption(helpOption(QStringLiteral("print this help")));
    for (const OptionRow& option : optionTable()) {
        if ((command.options & option.bit) != 0)
            parser.addOption(qtOption(option));
    }
    for (const PositionalRow& positional : command.positionals) {
        if (positional.name != nullptr)
            parser.addPositionalArgument(QLatin1String(positional.name),
                                         QLatin1String(positional.description));
    }
    return QStringLiteral("Usage: commoncfg %1 %2\n  %3\n\n")
               .arg(QLatin1String(command.name), argumentSyntax(command), QLatin1String(command.summary)) +
           optionSections(parser);
}

int helpCommand(const QStringList& arguments, const CommonOptions& /*options*/)
{
    if (arguments.isEmpty()) {
        out() << generalHelp();
        return ExitOk;
    }
    const CommandRow* command = findCommand(arguments.first());
    if (command == nullptr)
        return unknownCommand(arguments.first());
    out() << commandHelp(*command);
    return ExitOk;
}

int run(const QStringList& arguments)
{
    // Every option of every command is known here, so that one a command
    // does not take is refused by name rather than as unknown.
    QCommandLineParser parser;
    const QCommandLineOption help = helpOption(QString());
    const QCommandLineOption helpAll = helpAllOption();
    const QCommandLineOption version = versionOption();
    parser.addOptions({help, helpAll, version});
    QList<QPair<const OptionRow*, QCommandLineOption>> commandOptions;
    for (const OptionRow& option : optionTable()) {
        commandOptions.append({&option, qtOption(option)});
        parser.addOption(commandOptions.last().second);
    }

    if (!parser.parse(valuesProtected(arguments)))
        return usage(parser.errorText());
    if (parser.isSet(version)) {
        out() << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
        return ExitOk;
    }
    if (parser.isSet(helpAll)) {
        out() << allHelp();
        return ExitOk;
    }
    const QStringList positionals = parser.positionalArguments();
    if (parser.isSet(help))
        return helpCommand(positionals.mid(0, 1), CommonOptions());
    if (positionals.isEmpty())
        return usage(QStringLiteral("no command given"));
    const CommandRow* command = findCommand(positionals.first());
    if (command == nullptr)
        return unknownCommand(positionals.first());

    for (const auto& given : commandOptions) {
        if (parser.isSet(given.second) && (command->options & given.first->bit) == 0)
            return usage(QStringLiteral("%1 does not take --%2")
                             .arg(QLatin1String(command->name), QLatin1String(given.first->name)),
                         command->name);
    }
    CommonOptions options;
    for (const auto& given : commandOptions) {
        if (!parser.isSet(given.second))
            continue;
        const QString problem = given.first->apply(parser.value(given.second), &options);
        if (!problem.isEmpty())
            return usage(problem);
    }

    // The arguments are checked before any file is opened, so that a usage
    // mistake is reported as such whatever the file holds.
    const QStringList rest = positionals.mid(1);
    if (!command->arity.accepts(rest.size()))
        return usage(QStringLiteral("%1 expects %2")
                         .arg(QLatin1String(command->name), QLatin1String(command->expects)));
    return command->handler(rest, options);
}

} // namespace commoncfg
