// set and del: every change is checked before anything is written, made on
// the file's own bytes, read back with the library's readers and only then
// put in place, under a lock that keeps two editors from losing each other's
// work.
#include "commands.h"
#include "edits.h"
#include "textchecks.h"
#include "valueforms.h"

#include "common/filelock.h"
#include "common/savefile.h"

#include <LibCommonCfg/inifile.h>

#include <QRegularExpression>

namespace commoncfg {

namespace {

using LibCommonCfg::internal::FileLock;

bool isNetworkKey(const QString& key)
{
    static const QRegularExpression pattern(QStringLiteral("^(IPADDR|NETMASK|GATEWAY)\\d*$"));
    return pattern.match(key).hasMatch();
}

// The change an INI assignment asks for, or why it is refused.
QString iniChange(const Assignment& assignment, LibCommonCfg::IniFile& rules, Change* change)
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

QString flatChange(const Assignment& assignment, FileKind kind, Change* change)
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

// Locks and reads the file, lets `prepare` turn the request into changes
// (or refuse it), makes them on the file's own bytes and saves only what
// reads back exactly as intended.
template <typename Prepare> int changeFile(const QString& path, const CommonOptions& options, Prepare prepare)
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
    QList<Change> changes;
    const QString problem = prepare(file, &changes);
    if (!problem.isEmpty())
        return fail(ExitError, file.path, problem);

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

    LibCommonCfg::internal::SaveOptions save;
    save.heldLock = &lock;
    save.check = [&](const QString& writtenName) {
        return ini ? checkIniResult(file.bytes, writtenName, changes)
                   : checkFlatResult(file.bytes, file.kind, writtenName, changes);
    };
    const QString error = LibCommonCfg::internal::saveFile(file.path, bytes, save);
    if (!error.isEmpty())
        return fail(ExitError, file.path, QStringLiteral("%1; the file was left as it was").arg(error));
    return ExitOk;
}

} // namespace

int setValues(const QString& path, const QList<Assignment>& assignments, const CommonOptions& options)
{
    return changeFile(path, options, [&](const DeviceFile& file, QList<Change>* changes) {
        LibCommonCfg::IniFile rules;
        for (const Assignment& assignment : assignments) {
            Change change;
            change.label = assignment.first;
            const QString problem = file.kind == FileKind::Ini ? iniChange(assignment, rules, &change)
                                                               : flatChange(assignment, file.kind, &change);
            if (!problem.isEmpty())
                return problem;
            changes->append(change);
        }
        return QString();
    });
}

int deleteKeys(const QString& path, const QStringList& names, const CommonOptions& options)
{
    return changeFile(path, options, [&](const DeviceFile& file, QList<Change>* changes) {
        for (const QString& name : names) {
            Change change;
            change.label = name;
            const QString problem = removal(name, file.kind == FileKind::Ini, &change);
            if (!problem.isEmpty())
                return problem;
            changes->append(change);
        }
        return QString();
    });
}

} // namespace commoncfg
