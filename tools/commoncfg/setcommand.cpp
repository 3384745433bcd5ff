// set, del and apply: every change is checked before anything is written, made on
// the file's own bytes, read back with the library's readers and only then
// put in place, under a lock that keeps two editors from losing each other's
// work.
#include "commands.h"
#include "edits.h"
#include "textchecks.h"
#include "unifieddiff.h"
#include "valueforms.h"

#include "common/filelock.h"
#include "common/savefile.h"

#include <LibCommonCfg/inifile.h>

#include <QRegularExpression>
#include <QTemporaryFile>

#include <functional>

namespace commoncfg {

namespace {

using LibCommonCfg::internal::FileLock;

bool isNetworkKey(const QString& key)
{
    static const QRegularExpression pattern(QStringLiteral("^(IPADDR|NETMASK|GATEWAY)\\d*$"));
    return pattern.match(key).hasMatch();
}

// The change an INI assignment asks for, or why it is refused.
QString iniChange(const QPair<QString, QString>& assignment, LibCommonCfg::IniFile& rules, Change* change)
{
    if (!splitGroupKey(assignment.first, &change->group, &change->key))
        return QStringLiteral("\"%1\": expected GROUP/KEY").arg(assignment.first);
    const QString& key = change->key;
    QString problem = textProblem(change->group, "group name");
    if (problem.isEmpty())
        problem = textProblem(key, "key");
    if (problem.isEmpty() && (key.contains(QLatin1Char('=')) || key.contains(QLatin1Char(';'))))
        problem = QStringLiteral("a key cannot hold \"=\" or \";\"");
    if (problem.isEmpty() && key.startsWith(QLatin1Char('[')))
        problem = QStringLiteral("a key cannot begin with \"[\"");
    const QString& value = assignment.second;
    if (problem.isEmpty())
        problem = textProblem(value, "value");
    if (problem.isEmpty() && value.contains(QLatin1Char(';')))
        problem = QStringLiteral("a value in this file cannot hold \";\" (it starts a comment)");
    // An empty value is no value for the typed reader, whatever the key's kind.
    if (problem.isEmpty() && !value.isEmpty() &&
        !textToStore(rules, change->group, key, value, &change->text, &problem))
        problem = problem.isEmpty() ? QStringLiteral("not a value of this key") : problem;
    return problem.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(assignment.first, problem);
}

QString flatChange(const QPair<QString, QString>& assignment, FileKind kind, Change* change)
{
    static const QRegularExpression keyPattern(QStringLiteral("^[\\w.]+$"));
    const QString& key = assignment.first;
    const QString& value = assignment.second;
    if (!keyPattern.match(key).hasMatch())
        return QStringLiteral("\"%1\": a key is made of letters, digits, \"_\" and \".\"").arg(key);
    QString problem = textProblem(value, "value");
    // An empty address clears it (a second interface's gateway, say).
    if (problem.isEmpty() && kind == FileKind::Setup && isNetworkKey(key) && !value.isEmpty() &&
        !isDottedQuad(value))
        problem = QStringLiteral("expects a dotted-quad IPv4 address such as 192.168.1.10");
    if (!problem.isEmpty())
        return QStringLiteral("%1: %2").arg(key, problem);
    change->key = key;
    change->text = value;
    return QString();
}

// The removal a name of `del` asks for: GROUP/KEY or GROUP in an INI file,
// KEY in a flat file.
QString removal(const QString& name, bool ini, Change* change)
{
    change->remove = true;
    if (!ini) {
        change->key = name;
        return name.isEmpty() ? QStringLiteral("\"\": expected KEY") : QString();
    }
    if (!name.contains(QLatin1Char('/'))) {
        change->group = name;
        return name.isEmpty() ? QStringLiteral("\"\": expected GROUP/KEY or GROUP") : QString();
    }
    if (!splitGroupKey(name, &change->group, &change->key))
        return QStringLiteral("\"%1\": expected GROUP/KEY or GROUP").arg(name);
    return QString();
}

// The change a request asks for, or why it is refused.
QString changeOf(const Request& request, FileKind kind, LibCommonCfg::IniFile& rules, Change* change)
{
    change->label =
        request.where.isEmpty() ? request.key : request.where + QStringLiteral(": ") + request.key;
    QString problem;
    if (request.remove)
        problem = removal(request.key, kind == FileKind::Ini, change);
    else if (kind == FileKind::Ini)
        problem = iniChange({request.key, request.value}, rules, change);
    else
        problem = flatChange({request.key, request.value}, kind, change);
    return problem.isEmpty() || request.where.isEmpty() ? problem
                                                        : request.where + QStringLiteral(": ") + problem;
}

// The bytes would be saved: shown as a diff instead, after the same check
// the save makes, on a scratch copy.
int showDryRun(const DeviceFile& file, const QByteArray& bytes,
               const std::function<QString(const QString&)>& check)
{
    QTemporaryFile scratch;
    if (!scratch.open() || scratch.write(bytes) != bytes.size() || !scratch.flush())
        return fail(ExitError, file.path, QStringLiteral("cannot write a scratch copy to check the changes"));
    const QString problem = check(scratch.fileName());
    if (!problem.isEmpty())
        return fail(ExitError, file.path, QStringLiteral("%1; nothing would be saved").arg(problem));
    out() << unifiedDiff(file.bytes, bytes, file.path);
    return ExitOk;
}

} // namespace

int changeFile(const QString& path, const QList<Request>& requests, const CommonOptions& options)
{
    if (path == QLatin1String("-"))
        return fail(ExitError, path, QStringLiteral("standard input cannot be changed; name a file"));
    FileLock lock;
    const DeviceFile file = readDeviceFile(path, options.format, &lock, options.waitMs);
    if (!file.error.isEmpty())
        return fail(ExitError, file.path, file.error);
    const bool ini = file.kind == FileKind::Ini;

    // Everything is checked before anything changes: one refused change
    // leaves the file as it was.
    LibCommonCfg::IniFile rules;
    QList<Change> changes;
    for (const Request& request : requests) {
        Change change;
        const QString problem = changeOf(request, file.kind, rules, &change);
        if (!problem.isEmpty())
            return fail(ExitError, file.path, problem);
        changes.append(change);
    }

    QByteArray bytes = file.bytes;
    for (const Change& change : changes) {
        const EditOutcome outcome =
            change.remove ? (ini ? removeIni(bytes, change) : removeFlat(bytes, file.kind, change))
                          : (ini ? editIni(bytes, change, options.create)
                                 : editFlat(bytes, file.kind, change, options.create));
        if (!outcome.problem.isEmpty())
            return fail(outcome.exitCode, file.path,
                        QStringLiteral("%1: %2").arg(change.label, outcome.problem));
        bytes = outcome.bytes;
    }
    if (bytes == file.bytes)
        return ExitOk; // every value was already as asked

    const std::function<QString(const QString&)> check = [&](const QString& writtenName) {
        return ini ? checkIniResult(file.bytes, bytes, writtenName, changes)
                   : checkFlatResult(file.bytes, file.kind, writtenName, changes);
    };
    if (options.dryRun)
        return showDryRun(file, bytes, check);
    LibCommonCfg::internal::SaveOptions save;
    save.heldLock = &lock;
    save.check = check;
    const QString error = LibCommonCfg::internal::saveFile(file.path, bytes, save);
    if (!error.isEmpty())
        return fail(ExitError, file.path, QStringLiteral("%1; the file was left as it was").arg(error));
    return ExitOk;
}

} // namespace commoncfg
