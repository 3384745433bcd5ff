// The commands of commoncfg and the options they accept. A new command is a
// new row here and its handler; the help, the argument count and the
// refusal of options it does not take follow from the row.
#include "commandtable.h"

#include "commandline.h"
#include "commands.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <iterator>

namespace commoncfg {

namespace {

QString setJson(const QString& /*value*/, CommonOptions* options)
{
    options->json = true;
    return QString();
}

QString setFormat(const QString& value, CommonOptions* options)
{
    options->format = value; // checked against the file's content when it is read
    return QString();
}

QString setInterfaces(const QString& value, CommonOptions* options)
{
    bool ok = false;
    const int count = value.toInt(&ok);
    if (!ok || count < 0 || count > 64)
        return QStringLiteral("--interfaces expects a number from 0 to 64");
    options->interfaces = count;
    return QString();
}

QString setCreate(const QString& /*value*/, CommonOptions* options)
{
    options->create = true;
    return QString();
}

QString setWait(const QString& value, CommonOptions* options)
{
    bool ok = false;
    const int seconds = value.toInt(&ok);
    if (!ok || seconds < 0 || seconds > 3600)
        return QStringLiteral("--wait expects a number of seconds from 0 to 3600");
    options->waitMs = seconds * 1000;
    return QString();
}

QString setDryRun(const QString& /*value*/, CommonOptions* options)
{
    options->dryRun = true;
    return QString();
}

const OptionRow kOptions[] = {
    {OptJson, "json", nullptr, "print JSON", setJson},
    {OptFormat, "format", "ini|setup|tz", "the kind of file, instead of telling it from the content",
     setFormat},
    {OptInterfaces, "interfaces", "N", "the number of interfaces to read", setInterfaces},
    {OptCreate, "create", nullptr, "add keys and groups that do not exist yet", setCreate},
    {OptWait, "wait", "SECONDS", "seconds to wait while another program changes the file (default 10)",
     setWait},
    {OptDryRun, "dry-run", nullptr, "print the diff of the changes instead of saving them", setDryRun},
};

// Reads one file and runs `one` on it.
template <typename One> int onFile(const QString& path, const CommonOptions& options, One one)
{
    const DeviceFile file = readDeviceFile(path, options.format);
    if (!file.error.isEmpty())
        return fail(ExitError, file.path, file.error);
    return one(file);
}

// Runs `one` on every file. With more than one, every line it prints gets
// the file's name in front, as grep does, and the JSON documents are
// gathered into one array. The exit code is the worst of all.
template <typename One> int eachFile(const QStringList& paths, const CommonOptions& options, One one)
{
    if (paths.size() == 1)
        return onFile(paths.first(), options, one);
    int worst = ExitOk;
    QJsonArray documents;
    for (const QString& path : paths) {
        QString text;
        {
            CapturedOutput captured;
            worst = qMax(worst, onFile(path, options, one));
            out().flush();
            text = captured.text;
        }
        if (options.json) {
            const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
            if (document.isObject())
                documents.append(document.object());
            continue;
        }
        QStringList lines = text.split(QLatin1Char('\n'));
        lines.removeLast(); // what follows the last line end
        for (const QString& line : lines)
            out() << path << ':' << line << '\n';
    }
    if (options.json)
        out() << QString::fromUtf8(QJsonDocument(documents).toJson(QJsonDocument::Indented));
    return worst;
}

int show(const QStringList& arguments, const CommonOptions& options)
{
    return eachFile(arguments, options, [&](const DeviceFile& file) {
        return file.kind == FileKind::Ini ? showIni(file, options) : showFlat(file, options);
    });
}

int get(const QStringList& arguments, const CommonOptions& options)
{
    const QString& key = arguments.last();
    return eachFile(arguments.mid(0, arguments.size() - 1), options, [&](const DeviceFile& file) {
        return file.kind == FileKind::Ini ? getIni(file, key, options) : getFlat(file, key, options);
    });
}

// The last of several arguments names a group unless a file of that name
// exists.
int list(const QStringList& arguments, const CommonOptions& options)
{
    const bool group = arguments.size() > 1 && arguments.last() != QLatin1String("-") &&
                       !QFileInfo::exists(arguments.last());
    const QStringList files = group ? QStringList(arguments.mid(0, arguments.size() - 1)) : arguments;
    return eachFile(files, options, [&](const DeviceFile& file) {
        return listNames(file, group ? arguments.last() : QString(), options);
    });
}

int set(const QStringList& arguments, const CommonOptions& options)
{
    QList<Request> requests;
    for (int i = 1; i + 1 < arguments.size(); i += 2)
        requests.append({arguments.at(i), arguments.at(i + 1)});
    return changeFile(arguments.at(0), requests, options);
}

int del(const QStringList& arguments, const CommonOptions& options)
{
    QList<Request> requests;
    for (const QString& name : arguments.mid(1))
        requests.append({name, QString(), true});
    return changeFile(arguments.at(0), requests, options);
}

int apply(const QStringList& arguments, const CommonOptions& options)
{
    return applyChanges(arguments.at(0), arguments.at(1), options);
}

int diff(const QStringList& arguments, const CommonOptions& options)
{
    const DeviceFile a = readDeviceFile(arguments.at(0), options.format);
    if (!a.error.isEmpty())
        return fail(ExitError, a.path, a.error);
    const DeviceFile b = readDeviceFile(arguments.at(1), options.format);
    if (!b.error.isEmpty())
        return fail(ExitError, b.path, b.error);
    return diffFiles(a, b, options);
}

int checkNetworkFile(const QStringList& arguments, const CommonOptions& options)
{
    return eachFile(arguments, options, [&](const DeviceFile& file) { return checkNetwork(file, options); });
}

int validate(const QStringList& arguments, const CommonOptions& options)
{
    return eachFile(arguments, options, [&](const DeviceFile& file) { return validateFile(file, options); });
}

int passwordText(const QStringList& arguments, const CommonOptions& options)
{
    return password(arguments.at(0), arguments.value(1, QStringLiteral("-")), options);
}

const CommandRow kCommands[] = {
    {"show",
     "print the document: groups, keys, typed values and comments",
     {{{"FILE|-", "the file to read; - reads standard input"},
       {"[FILE...]", "more files, each line printed after the file's name"}}},
     {1, -1, 1},
     OptJson | OptFormat,
     "one FILE or more",
     show},
    {"get",
     "print one value (GROUP/KEY for INI files, KEY for flat files)",
     {{{"FILE|-", "the file to read; - reads standard input"},
       {"[FILE...]", "more files, each value printed after the file's name"},
       {"GROUP/KEY|KEY", "the key: GROUP/KEY in an INI file, KEY in a flat file"}}},
     {2, -1, 1},
     OptJson | OptFormat,
     "FILE and one key",
     get},
    {"list",
     "print the groups of an INI file, or the keys of one group or of a flat file, in file order",
     {{{"FILE|-", "the file to read; - reads standard input"},
       {"[FILE...]", "more files, each name printed after the file's name"},
       {"[GROUP]", "the group whose keys to list (INI files); the last argument is a group unless a file of "
                   "that name exists"}}},
     {1, -1, 1},
     OptJson | OptFormat,
     "FILE and at most one GROUP",
     list},
    {"set",
     "change values on their own lines; the file is saved whole or not at all",
     {{{"FILE", "the file to change"},
       {"GROUP/KEY|KEY", "the key: GROUP/KEY in an INI file, KEY in a flat file"},
       {"VALUE", "its new value"},
       {"[KEY VALUE...]", "more keys and values, saved together with the first"}}},
     {3, -1, 2},
     OptFormat | OptCreate | OptWait | OptDryRun,
     "FILE followed by KEY VALUE pairs",
     set,
     [](int position) { return position >= 2 && position % 2 == 0; }},
    {"del",
     "remove keys, or whole groups of an INI file; the file is saved whole or not at all",
     {{{"FILE", "the file to change"},
       {"GROUP/KEY|GROUP|KEY", "a key (GROUP/KEY in an INI file, KEY in a flat file), or an INI group "
                               "with its header and every line up to the next group"},
       {"[...]", "more keys or groups, removed together with the first"}}},
     {2, -1, 1},
     OptFormat | OptWait | OptDryRun,
     "FILE followed by keys or groups",
     del},
    {"apply",
     "make a batch of changes read from a file, one per line, all or none",
     {{{"FILE", "the file to change"},
       {"CHANGES|-", "the changes: lines \"set KEY VALUE\" and \"del KEY\" (KEY as for set and del), "
                     "blank lines and \"#\" comments; - reads standard input"}}},
     {2, 2, 1},
     OptFormat | OptCreate | OptWait | OptDryRun,
     "FILE and CHANGES",
     apply},
    {"diff",
     "compare two files of one kind by the values the device reads: groups and keys removed, added and "
     "changed",
     {{{"A|-", "the first file (a device's backup, say); - reads standard input"},
       {"B|-", "the second file"}}},
     {2, 2, 1},
     OptJson | OptFormat,
     "two files",
     diff},
    {"check-network",
     "report the interfaces and any overlap or unreachable gateway",
     {{{"SETUPFILE|-", "the network setup file; - reads standard input"},
       {"[SETUPFILE...]", "more files, each line printed after the file's name"}}},
     {1, -1, 1},
     OptJson | OptFormat | OptInterfaces,
     "one SETUPFILE",
     checkNetworkFile},
    {"validate",
     "report what a technician should see before a file goes onto a device: values of the wrong kind, keys "
     "the "
     "readers would read differently, lines they skip or split, keys hidden behind other text, network "
     "faults",
     {{{"FILE|-", "the file to check; - reads standard input"},
       {"[FILE...]", "more files, each finding printed after the file's name"}}},
     {1, -1, 1},
     OptJson | OptFormat,
     "one FILE or more",
     validate},
    {"password",
     "scramble a password for the device's files, shown as hex, or unscramble it (not encryption)",
     {{{"MODE",
        "scramble scrambles TEXT with the fixed key every device shares (reversible, so no "
        "encryption); unscramble turns the hex TEXT that scramble prints back",
        "scramble|unscramble"},
       {"[TEXT|-]", "the password or its hex form; without it, or -, the first line of standard input"}}},
     {1, 2, 1},
     OptJson,
     "scramble|unscramble [TEXT]",
     passwordText,
     [](int position) { return position == 1; }},
    {"help",
     "print this help, or the help of one command",
     {{{"[COMMAND]", "the command to describe"}}},
     {0, 1, 1},
     0,
     "at most one COMMAND",
     helpCommand},
};

} // namespace

Rows<CommandRow> commandTable()
{
    return {kCommands, std::size(kCommands)};
}

Rows<OptionRow> optionTable()
{
    return {kOptions, std::size(kOptions)};
}

const CommandRow* findCommand(const QString& name)
{
    for (const CommandRow& command : commandTable()) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

} // namespace commoncfg
