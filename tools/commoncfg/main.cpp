// commoncfg: looks into and edits the configuration files of a measuring
// device, and checks its network settings, through LibCommonCfg.
#include "commands.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

using namespace commoncfg;

struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
};

const Command kCommands[] = {
    {"show", "FILE|-", "print the document: groups, keys, typed values and comments"},
    {"get", "FILE|- GROUP/KEY|KEY", "print one value (GROUP/KEY for INI files, KEY for flat files)"},
    {"set", "FILE GROUP/KEY|KEY VALUE [KEY VALUE...]",
     "change values on their own lines; the file is saved whole or not at all"},
    {"check-network", "SETUPFILE|-", "report the interfaces and any overlap or unreachable gateway"},
    {"password", "encrypt|decrypt TEXT", "scramble a password (shown as hex) or unscramble hex text"},
};

const Command* findCommand(const QString& name)
{
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

QString commandList()
{
    QString text = QStringLiteral("Commands:\n");
    for (const Command& command : kCommands)
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QLatin1String(command.name), QLatin1String(command.arguments),
                         QLatin1String(command.summary));
    return text;
}

int usage(const QString& message)
{
    return fail(ExitError, QString(), message + QStringLiteral(" (see commoncfg --help)"));
}

int run(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Looks into and edits the configuration files of a measuring device.\n\n") +
        commandList() +
        QStringLiteral("\nExit codes: 0 success, 1 a finding or a missing key, 2 usage or I/O error."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("show: print JSON"));
    const QCommandLineOption format(
        QStringLiteral("format"), QStringLiteral("the kind of file, instead of telling it from the content"),
        QStringLiteral("ini|setup|tz"));
    const QCommandLineOption interfaces(QStringLiteral("interfaces"),
                                        QStringLiteral("check-network: number of interfaces to read"),
                                        QStringLiteral("N"));
    const QCommandLineOption create(QStringLiteral("create"),
                                    QStringLiteral("set: add keys and groups that do not exist yet"));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QStringLiteral("set: seconds to wait while another program changes the file "
                                                 "(default 10)"),
                                  QStringLiteral("SECONDS"));
    parser.addOptions({json, format, interfaces, create, wait});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("one of the commands above"));
    parser.addPositionalArgument(QStringLiteral("arguments"), QStringLiteral("the command's arguments"),
                                 QStringLiteral("[arguments...]"));

    if (!parser.parse(app.arguments()))
        return usage(parser.errorText());
    const QStringList args = parser.positionalArguments();
    const Command* command = args.isEmpty() ? nullptr : findCommand(args.first());
    if (parser.isSet(version))
        parser.showVersion();
    if (parser.isSet(help)) {
        if (command == nullptr)
            parser.showHelp(ExitOk);
        out() << "Usage: commoncfg " << command->name << ' ' << command->arguments << "\n  "
              << command->summary << "\n\n"
              << parser.helpText().section(QStringLiteral("Options:"), 1).prepend(QStringLiteral("Options:"));
        return ExitOk;
    }
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"));
    if (command == nullptr)
        return usage(QStringLiteral("unknown command \"%1\"").arg(args.first()));

    CommonOptions options;
    options.json = parser.isSet(json);
    options.format = parser.value(format);
    options.create = parser.isSet(create);
    if (parser.isSet(wait)) {
        bool ok = false;
        const int seconds = parser.value(wait).toInt(&ok);
        if (!ok || seconds < 0 || seconds > 3600)
            return usage(QStringLiteral("--wait expects a number of seconds from 0 to 3600"));
        options.waitMs = seconds * 1000;
    }
    if (parser.isSet(interfaces)) {
        bool ok = false;
        options.interfaces = parser.value(interfaces).toInt(&ok);
        if (!ok || options.interfaces < 0 || options.interfaces > 64)
            return usage(QStringLiteral("--interfaces expects a number from 0 to 64"));
    }

    const QString& name = args.first();
    const QStringList rest = args.mid(1);
    if (name == QLatin1String("password")) {
        if (rest.size() != 2)
            return usage(QStringLiteral("password expects encrypt|decrypt TEXT"));
        return password(rest.at(0), rest.at(1));
    }
    if (rest.isEmpty())
        return usage(QStringLiteral("%1 expects %2").arg(name, QLatin1String(command->arguments)));

    // The arguments are checked before the file is opened, so that a usage
    // mistake is reported as such whatever the file holds.
    const bool show = name == QLatin1String("show");
    const bool get = name == QLatin1String("get");
    const bool set = name == QLatin1String("set");
    if (show && rest.size() != 1)
        return usage(QStringLiteral("show expects one FILE"));
    if (get && rest.size() != 2)
        return usage(QStringLiteral("get expects FILE and one key"));
    if (set && (rest.size() < 3 || rest.size() % 2 == 0))
        return usage(QStringLiteral("set expects FILE followed by KEY VALUE pairs"));
    if (!show && !get && !set && rest.size() != 1)
        return usage(QStringLiteral("check-network expects one SETUPFILE"));

    if (set) {
        QList<Assignment> assignments;
        for (int i = 1; i + 1 < rest.size(); i += 2)
            assignments.append({rest.at(i), rest.at(i + 1)});
        return setValues(rest.first(), assignments, options);
    }

    const DeviceFile file = readDeviceFile(rest.first(), options.format);
    if (!file.error.isEmpty())
        return fail(ExitError, file.path, file.error);
    const bool ini = file.kind == FileKind::Ini;
    if (show)
        return ini ? showIni(file, options) : showFlat(file, options);
    if (get)
        return ini ? getIni(file, rest.at(1)) : getFlat(file, rest.at(1));
    return checkNetwork(file, options);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("commoncfg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(COMMONCFG_VERSION));
    const int code = run(app);
    out().flush();
    return code;
}
