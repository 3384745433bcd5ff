// show and get on the device's sectioned INI configuration, as both of the
// device's INI readers read it: where they disagree on a key, or a value is
// not of its key's kind, the tool says so instead of guessing.
#include "commands.h"
#include "inilayout.h"
#include "valueforms.h"

#include <LibCommonCfg/inifile.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTextCodec>

#include <algorithm>

namespace commoncfg {

namespace {

QString fromDevice(const QByteArray& bytes)
{
    return deviceCodec()->toUnicode(bytes);
}

// An agreed key's typed value, or the problem with its text.
QVariant typedValue(LibCommonCfg::IniFile& rules, const QString& group, const QString& key,
                    const QString& text, QString* problem)
{
    const ValueKind kind = valueKindOf(rules, group, key);
    if (kind != ValueKind::Text && text.isEmpty()) {
        *problem = QStringLiteral("its value is empty, which the typed reader ignores");
        return QVariant();
    }
    *problem = unreadableProblem(kind, text);
    return problem->isEmpty() ? rules.parse(group, key, text) : QVariant();
}

using Problem = Finding;

void reportProblems(const DeviceFile& file, QList<Problem>* problems)
{
    std::stable_sort(problems->begin(), problems->end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
    for (const Problem& problem : *problems)
        fail(ExitFinding, file.path, QStringLiteral("%1: %2").arg(problem.key, problem.text));
}

// The value of a key of the section reader's group as both readers read it,
// or (returned) why it cannot be told: the readers disagree, or the text is
// no value of the key's kind.
QString readKey(const IniLayout& layout, LibCommonCfg::IniFile& rules, const QString& group,
                const QString& name, QVariant* value)
{
    const KeyReading reading = layout.read(group, name);
    QString problem = reading.problem;
    if (reading.state == KeyReading::Agreed)
        *value = typedValue(rules, group, name, reading.place.value, &problem);
    return problem;
}

// Keys that only the typed reader sees, where the readers disagree.
void typedOnlyProblems(const IniLayout& layout, const QSet<QString>& shown, QList<Problem>* problems)
{
    for (const QString& groupKey : layout.typedKeys()) {
        if (shown.contains(groupKey))
            continue;
        const KeyPlace place = layout.typedPlace(groupKey);
        const KeyReading reading = layout.read(place.group, place.name);
        if (reading.state != KeyReading::Agreed)
            problems->append({place.line, groupKey, reading.problem});
    }
}

} // namespace

QList<Finding> iniFindings(const IniLayout& layout)
{
    LibCommonCfg::IniFile rules;
    QList<Problem> problems;
    QSet<QString> shown;
    for (const IniLayout::Section& section : layout.sections()) {
        const QString group = fromDevice(section.name);
        for (const IniLayout::Item& item : section.items) {
            if (!section.named || !item.isKey)
                continue;
            const QString name = fromDevice(item.name);
            shown.insert(group + QLatin1Char('/') + name);
            QVariant value;
            const QString problem = readKey(layout, rules, group, name, &value);
            if (!problem.isEmpty())
                problems.append({item.line, group + QLatin1Char('/') + name, problem});
        }
    }
    typedOnlyProblems(layout, shown, &problems);
    return problems;
}

bool splitGroupKey(const QString& groupKey, QString* group, QString* key)
{
    const int slash = groupKey.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == groupKey.size() - 1)
        return false;
    *group = groupKey.left(slash);
    *key = groupKey.mid(slash + 1);
    return true;
}

int showIni(const DeviceFile& file, const CommonOptions& options)
{
    const IniLayout layout(file.bytes);
    if (!layout.mismatch().isEmpty())
        return fail(ExitError, file.path,
                    QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    LibCommonCfg::IniFile rules;
    QList<Problem> problems;
    QSet<QString> shown;
    QJsonArray groups;
    QJsonArray leading;

    for (const IniLayout::Section& section : layout.sections()) {
        if (!section.named) {
            if (options.json)
                leading.append(QJsonObject{{QStringLiteral("line"), section.line + 1},
                                           {QStringLiteral("text"), fromDevice(section.comment)}});
            else
                out() << ";" << fromDevice(section.comment) << '\n';
            continue;
        }
        const QString group = fromDevice(section.name);
        if (!options.json) {
            out() << '[' << group << ']';
            if (!section.comment.isNull())
                out() << "  ;" << fromDevice(section.comment);
            out() << '\n';
        }
        QJsonArray keys;
        QJsonArray comments;
        for (const IniLayout::Item& item : section.items) {
            if (!item.isKey) {
                if (options.json)
                    comments.append(QJsonObject{{QStringLiteral("line"), item.line + 1},
                                                {QStringLiteral("text"), fromDevice(item.comment)}});
                else
                    out() << "   ;" << fromDevice(item.comment) << '\n';
                continue;
            }
            const QString name = fromDevice(item.name);
            const QString groupKey = group + QLatin1Char('/') + name;
            shown.insert(groupKey);
            QVariant value;
            const QString problem = readKey(layout, rules, group, name, &value);
            if (!problem.isEmpty()) {
                problems.append({item.line, groupKey, problem});
                value = fromDevice(item.value); // the text as it stands, unconverted
            }
            if (options.json) {
                QJsonObject entry{{QStringLiteral("key"), name},
                                  {QStringLiteral("value"), jsonValue(value)},
                                  {QStringLiteral("line"), item.line + 1}};
                if (!item.comment.isNull())
                    entry.insert(QStringLiteral("comment"), fromDevice(item.comment));
                if (!problem.isEmpty())
                    entry.insert(QStringLiteral("problem"), problem);
                keys.append(entry);
                continue;
            }
            out() << "   " << name << " = " << (problem.isEmpty() ? renderValue(value) : value.toString());
            if (!item.comment.isNull())
                out() << "  ;" << fromDevice(item.comment);
            if (!problem.isEmpty())
                out() << "  (!)";
            out() << '\n';
        }
        if (options.json) {
            QJsonObject entry{{QStringLiteral("group"), group},
                              {QStringLiteral("line"), section.line + 1},
                              {QStringLiteral("keys"), keys}};
            if (!section.comment.isNull())
                entry.insert(QStringLiteral("comment"), fromDevice(section.comment));
            if (!comments.isEmpty())
                entry.insert(QStringLiteral("comments"), comments);
            groups.append(entry);
        }
    }

    // Keys that only the typed reader sees do not appear above.
    typedOnlyProblems(layout, shown, &problems);

    if (options.json) {
        std::stable_sort(problems.begin(), problems.end(),
                         [](const Problem& a, const Problem& b) { return a.line < b.line; });
        QJsonArray list;
        for (const Problem& problem : problems)
            list.append(QJsonObject{{QStringLiteral("key"), problem.key},
                                    {QStringLiteral("line"), problem.line + 1},
                                    {QStringLiteral("problem"), problem.text}});
        QJsonObject root{{QStringLiteral("file"), file.path},
                         {QStringLiteral("format"), kindName(file.kind)},
                         {QStringLiteral("groups"), groups}};
        if (!leading.isEmpty())
            root.insert(QStringLiteral("comments"), leading);
        if (!list.isEmpty())
            root.insert(QStringLiteral("problems"), list);
        out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    reportProblems(file, &problems);
    return problems.isEmpty() ? ExitOk : ExitFinding;
}

int getIni(const DeviceFile& file, const QString& groupKey, const CommonOptions& options)
{
    QString group;
    QString key;
    if (!splitGroupKey(groupKey, &group, &key))
        return fail(ExitError, file.path, QStringLiteral("\"%1\": expected GROUP/KEY").arg(groupKey));
    const IniLayout layout(file.bytes, group);
    if (!layout.mismatch().isEmpty())
        return fail(ExitError, file.path,
                    QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    const KeyReading reading = layout.read(group, key);
    if (reading.state == KeyReading::Absent)
        return fail(ExitFinding, file.path, QStringLiteral("%1: no such key").arg(groupKey));
    if (reading.state == KeyReading::Disputed)
        return fail(ExitFinding, file.path, QStringLiteral("%1: %2").arg(groupKey, reading.problem));
    LibCommonCfg::IniFile rules;
    QString problem;
    const QVariant value = typedValue(rules, group, key, reading.place.value, &problem);
    if (!problem.isEmpty())
        return fail(ExitFinding, file.path, QStringLiteral("%1: %2").arg(groupKey, problem));
    printValue(file, groupKey, jsonValue(value).toVariant(), renderValue(value), options);
    return ExitOk;
}

} // namespace commoncfg
