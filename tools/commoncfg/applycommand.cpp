// apply: a batch of changes from a file, one per line:
//   set KEY VALUE    (VALUE is the rest of the line, and may be empty)
//   del KEY
// with KEY as set and del take it, blank lines and "#" comments. The batch
// is checked whole before the device file is touched, and saved all or
// nothing.
#include "commands.h"

#include <QFile>

#include <cstdio>

namespace commoncfg {

namespace {

// The request of one line, or why the line is none; `request` stays empty
// for a blank line or a comment.
QString parseLine(QString line, Request* request)
{
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
        return QString();
    const int blank = line.indexOf(QLatin1Char(' '));
    const QString verb = line.left(blank);
    if (verb == QLatin1String("del") && blank > 0) {
        request->key = line.mid(blank + 1);
        request->remove = true;
        return request->key.isEmpty() ? QStringLiteral("del expects a key") : QString();
    }
    if (verb == QLatin1String("set") && blank > 0) {
        const QString rest = line.mid(blank + 1);
        const int second = rest.indexOf(QLatin1Char(' '));
        request->key = second < 0 ? rest : rest.left(second);
        request->value = second < 0 ? QString() : rest.mid(second + 1);
        return request->key.isEmpty() ? QStringLiteral("set expects a key") : QString();
    }
    return QStringLiteral("expected \"set KEY VALUE\" or \"del KEY\"");
}

} // namespace

int applyChanges(const QString& path, const QString& changesPath, const CommonOptions& options)
{
    QFile changes;
    const bool opened = changesPath == QLatin1String("-")
                            ? changes.open(stdin, QIODevice::ReadOnly)
                            : (changes.setFileName(changesPath), changes.open(QIODevice::ReadOnly));
    if (!opened)
        return fail(ExitError, changesPath, changes.errorString());
    const QByteArray text = changes.readAll();
    if (changes.error() != QFileDevice::NoError)
        return fail(ExitError, changesPath, changes.errorString());

    QList<Request> requests;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        Request request;
        request.where = QStringLiteral("%1:%2").arg(changesPath).arg(i + 1);
        const QString problem = parseLine(QString::fromLocal8Bit(lines.at(i)), &request);
        if (!problem.isEmpty())
            return fail(ExitError, request.where, problem);
        if (!request.key.isEmpty())
            requests.append(request);
    }
    if (requests.isEmpty())
        return fail(ExitError, changesPath, QStringLiteral("no changes"));
    return changeFile(path, requests, options);
}

} // namespace commoncfg
