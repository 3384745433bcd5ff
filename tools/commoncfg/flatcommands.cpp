// show, get and set on the flat KEY=VALUE files: the network setup file and
// the time-zone file, each through its own class.
#include "commands.h"

#include <LibCommonCfg/libcommoncfg.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextCodec>

#include <algorithm>

namespace commoncfg {

namespace {

// The two flat files share their line format but not a base class; this
// gives the commands one face for both.
class FlatFile {
public:
    explicit FlatFile(FileKind kind) : kind_(kind) {}

    bool load(const QString& path) { return isSetup() ? setup_.load(path) : tz_.load(path); }
    bool save(const QString& path) { return isSetup() ? setup_.save(path) : tz_.save(path); }
    bool hasKey(const QString& key) { return isSetup() ? setup_.hasKey(key) : tz_.hasKey(key); }
    QString getString(const QString& key) { return isSetup() ? setup_.getString(key) : tz_.getString(key); }
    void setString(const QString& key, const QString& value)
    {
        if (isSetup())
            setup_.setString(key, value);
        else
            tz_.setString(key, value);
    }
    // Key and value pairs sorted by key, so that the output does not depend
    // on the order of a hash.
    QList<QPair<QString, QString>> sortedEntries() const
    {
        const QByteArray text = isSetup() ? setup_.serialize() : tz_.serialize();
        const QString decoded = QTextCodec::codecForName("CP1251")->toUnicode(text);
        QList<QPair<QString, QString>> entries;
        for (const QString& line : decoded.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const int eq = line.indexOf(QLatin1Char('='));
            entries.append({line.left(eq), line.mid(eq + 1)});
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }

private:
    bool isSetup() const { return kind_ == FileKind::Setup; }

    FileKind kind_;
    LibCommonCfg::SetupFile setup_;
    LibCommonCfg::TZFile tz_;
};

bool isNetworkKey(const QString& key)
{
    static const QRegularExpression pattern(QStringLiteral("^(IPADDR|NETMASK|GATEWAY)\\d*$"));
    return pattern.match(key).hasMatch();
}

} // namespace

QString lineBreakProblem(const QString& value)
{
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return QStringLiteral("a value cannot span lines");
    return QString();
}

bool isDottedQuad(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        if (part.toUInt() > 255)
            return false;
    }
    return true;
}

int showFlat(const DeviceFile& file, const CommonOptions& options)
{
    FlatFile flat(file.kind);
    if (!flat.load(file.path))
        return fail(ExitError, file.path, QStringLiteral("cannot read"));
    const QList<QPair<QString, QString>> entries = flat.sortedEntries();
    if (options.json) {
        QJsonObject keys;
        for (const auto& entry : entries)
            keys.insert(entry.first, entry.second);
        const QJsonObject root{{QStringLiteral("file"), file.path},
                               {QStringLiteral("format"), kindName(file.kind)},
                               {QStringLiteral("keys"), keys}};
        out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    for (const auto& entry : entries)
        out() << entry.first << '=' << entry.second << '\n';
    return ExitOk;
}

int getFlat(const DeviceFile& file, const QString& key)
{
    FlatFile flat(file.kind);
    if (!flat.load(file.path))
        return fail(ExitError, file.path, QStringLiteral("cannot read"));
    if (!flat.hasKey(key))
        return fail(ExitFinding, file.path, QStringLiteral("%1: no such key").arg(key));
    out() << flat.getString(key) << '\n';
    return ExitOk;
}

int setFlat(const DeviceFile& file, const QList<Assignment>& assignments, const CommonOptions& options)
{
    static const QRegularExpression keyPattern(QStringLiteral("^[\\w.]+$"));
    FlatFile flat(file.kind);
    if (!flat.load(file.path))
        return fail(ExitError, file.path, QStringLiteral("cannot read"));
    for (const Assignment& assignment : assignments) {
        const QString& key = assignment.first;
        const QString& value = assignment.second;
        if (!keyPattern.match(key).hasMatch())
            return fail(ExitError, file.path,
                        QStringLiteral("\"%1\": a key is made of letters, digits, \"_\" and \".\"").arg(key));
        if (value.isEmpty())
            return fail(ExitError, file.path, QStringLiteral("%1: empty value refused").arg(key));
        const QString problem = lineBreakProblem(value);
        if (!problem.isEmpty())
            return fail(ExitError, file.path, QStringLiteral("%1: %2").arg(key, problem));
        if (file.kind == FileKind::Setup && isNetworkKey(key) && !isDottedQuad(value))
            return fail(
                ExitError, file.path,
                QStringLiteral("%1: expects a dotted-quad IPv4 address such as 192.168.1.10").arg(key));
        if (!options.create && !flat.hasKey(key))
            return fail(ExitFinding, file.path,
                        QStringLiteral("%1: no such key (use --create to add it)").arg(key));
    }
    for (const Assignment& assignment : assignments)
        flat.setString(assignment.first, assignment.second);
    if (!flat.save(file.path))
        return fail(ExitError, file.path, QStringLiteral("cannot write; the file was left as it was"));
    return ExitOk;
}

} // namespace commoncfg
