// show, get and set on the device's sectioned INI configuration. Typed
// values come from the INI document store with its built-in conversion list;
// comments, file order and edits go through the comment-preserving
// section/key engine, so that a "set" changes only the lines it must.
#include "commands.h"

#include <LibCommonCfg/libcommoncfg.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <QTextCodec>

namespace commoncfg {

namespace {

QTextCodec* deviceCodec()
{
    return QTextCodec::codecForName("CP1251");
}

QString fromDevice(const char* bytes)
{
    return bytes ? deviceCodec()->toUnicode(bytes) : QString();
}

QByteArray toDevice(const QString& text)
{
    return deviceCodec()->fromUnicode(text);
}

enum class ValueKind { Text, Hex, Flag01, OnOff };

// What the built-in conversion record of a key expects, told from how the
// record writes known values back.
ValueKind valueKindOf(LibCommonCfg::IniFile& doc, const QString& group, const QString& key)
{
    const LibCommonCfg::IniFile::MappingEntry& entry = doc.getConv(group, key);
    if (entry.group == nullptr || !entry.toText)
        return ValueKind::Text;
    if (entry.toText(QVariant(255u)) == QLatin1String("0xff"))
        return ValueKind::Hex;
    const QString yes = entry.toText(QVariant(true));
    if (yes == QLatin1String("1"))
        return ValueKind::Flag01;
    if (yes == QLatin1String("on"))
        return ValueKind::OnOff;
    return ValueKind::Text;
}

// Empty when `value` is acceptable for the key, else what the key expects.
QString valueProblem(ValueKind kind, const QString& value)
{
    switch (kind) {
    case ValueKind::Hex: {
        bool ok = false;
        value.toUInt(&ok, 0);
        return ok ? QString() : QStringLiteral("expects a hexadecimal mask such as 0x1f");
    }
    case ValueKind::Flag01:
        return value == QLatin1String("0") || value == QLatin1String("1") ? QString()
                                                                          : QStringLiteral("expects 0 or 1");
    case ValueKind::OnOff:
        return value == QLatin1String("on") || value == QLatin1String("off")
                   ? QString()
                   : QStringLiteral("expects on or off");
    case ValueKind::Text:
        break;
    }
    if (value.contains(QLatin1Char(';')))
        return QStringLiteral("a value in this file cannot hold \";\" (it starts a comment)");
    return QString();
}

QString renderValue(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::UInt:
        return QLatin1String("0x") + QString::number(value.toUInt(), 16);
    default:
        return value.toString();
    }
}

QJsonValue jsonValue(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return QJsonValue(value.toBool());
    case QMetaType::UInt:
        return QJsonValue(double(value.toUInt()));
    default:
        return QJsonValue(value.toString());
    }
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

QByteArray nativeName(const QString& path)
{
    return QFile::encodeName(path);
}

// The value of a key as the typed store reads it, or the engine's raw text
// when the store does not hold the key (e.g. a group name it cannot read).
QVariant typedValue(const LibCommonCfg::IniFile& typed, const QString& group, const char* key,
                    const char* rawValue)
{
    const QVariant value = typed.valueFromGroup(group, fromDevice(key));
    return value.isValid() ? value : QVariant(fromDevice(rawValue));
}

} // namespace

int showIni(const DeviceFile& file, const CommonOptions& options)
{
    CIniFile doc;
    if (doc.Read(nativeName(file.path).constData()) != 0)
        return fail(ExitError, file.path, QStringLiteral("cannot read"));
    const LibCommonCfg::IniFile typed(file.bytes);

    QJsonArray groups;
    for (CSectList* sect = doc.firstSect; sect != nullptr; sect = sect->next) {
        if (sect->name == nullptr) {
            if (!options.json)
                out() << ";" << fromDevice(sect->comment) << '\n';
            continue;
        }
        const QString group = fromDevice(sect->name);
        QJsonArray keys;
        if (!options.json) {
            out() << '[' << group << ']';
            if (sect->comment)
                out() << "  ;" << fromDevice(sect->comment);
            out() << '\n';
        }
        for (CKeyList* key = sect->firstKey; key != nullptr; key = key->next) {
            if (key->name == nullptr) {
                if (!options.json)
                    out() << "   ;" << fromDevice(key->comment) << '\n';
                continue;
            }
            const QVariant value = typedValue(typed, group, key->name, key->value);
            if (options.json) {
                QJsonObject entry{{QStringLiteral("key"), fromDevice(key->name)},
                                  {QStringLiteral("value"), jsonValue(value)}};
                if (key->comment)
                    entry.insert(QStringLiteral("comment"), fromDevice(key->comment));
                keys.append(entry);
                continue;
            }
            out() << "   " << fromDevice(key->name) << " = " << renderValue(value);
            if (key->comment)
                out() << "  ;" << fromDevice(key->comment);
            out() << '\n';
        }
        if (options.json) {
            QJsonObject entry{{QStringLiteral("group"), group}, {QStringLiteral("keys"), keys}};
            if (sect->comment)
                entry.insert(QStringLiteral("comment"), fromDevice(sect->comment));
            groups.append(entry);
        }
    }
    if (options.json) {
        const QJsonObject root{{QStringLiteral("file"), file.path},
                               {QStringLiteral("format"), kindName(file.kind)},
                               {QStringLiteral("groups"), groups}};
        out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    return ExitOk;
}

int getIni(const DeviceFile& file, const QString& groupKey)
{
    QString group;
    QString key;
    if (!splitGroupKey(groupKey, &group, &key))
        return fail(ExitError, file.path, QStringLiteral("\"%1\": expected GROUP/KEY").arg(groupKey));
    const LibCommonCfg::IniFile typed(file.bytes);
    const QVariant value = typed.valueFromGroup(group, key);
    if (!value.isValid())
        return fail(ExitFinding, file.path, QStringLiteral("%1: no such key").arg(groupKey));
    out() << renderValue(value) << '\n';
    return ExitOk;
}

int setIni(const DeviceFile& file, const QList<Assignment>& assignments, const CommonOptions& options)
{
    CIniFile doc;
    if (doc.Read(nativeName(file.path).constData()) != 0)
        return fail(ExitError, file.path, QStringLiteral("cannot read"));
    LibCommonCfg::IniFile rules;

    // Everything is checked before anything changes: one refused value
    // leaves the file as it was.
    for (const Assignment& assignment : assignments) {
        QString group;
        QString key;
        if (!splitGroupKey(assignment.first, &group, &key))
            return fail(ExitError, file.path,
                        QStringLiteral("\"%1\": expected GROUP/KEY").arg(assignment.first));
        const QString value = assignment.second;
        if (value.isEmpty())
            return fail(ExitError, file.path,
                        QStringLiteral("%1: empty value refused").arg(assignment.first));
        QString problem = lineBreakProblem(value);
        if (problem.isEmpty())
            problem = valueProblem(valueKindOf(rules, group, key), value);
        if (!problem.isEmpty())
            return fail(ExitError, file.path, QStringLiteral("%1: %2").arg(assignment.first, problem));
        if (key.contains(QLatin1Char('=')) || key.trimmed() != key)
            return fail(
                ExitError, file.path,
                QStringLiteral("%1: a key cannot hold \"=\" or blanks at its ends").arg(assignment.first));
        if (!options.create) {
            CSectList* sect = doc.GetSect(toDevice(group).constData());
            if (sect == nullptr)
                return fail(ExitFinding, file.path,
                            QStringLiteral("%1: no group \"%2\" (use --create to add it)")
                                .arg(assignment.first, group));
            if (sect->Get(toDevice(key).constData()) == nullptr)
                return fail(ExitFinding, file.path,
                            QStringLiteral("%1: no such key (use --create to add it)").arg(assignment.first));
        }
    }
    for (const Assignment& assignment : assignments) {
        const int slash = assignment.first.indexOf(QLatin1Char('/'));
        doc.Set(toDevice(assignment.first.left(slash)).constData(),
                toDevice(assignment.first.mid(slash + 1)).constData(),
                toDevice(assignment.second).constData());
    }

    // The engine writes to a file name; let it write a scratch copy and put
    // that in place with one rename.
    QTemporaryFile scratch;
    if (!scratch.open())
        return fail(ExitError, file.path, QStringLiteral("cannot create a scratch file"));
    scratch.close();
    if (doc.Write(nativeName(scratch.fileName()).constData()) != 0)
        return fail(ExitError, file.path, QStringLiteral("cannot write a scratch file"));
    if (!scratch.open())
        return fail(ExitError, file.path, QStringLiteral("cannot read back the scratch file"));
    const QByteArray bytes = scratch.readAll();
    const QString error = replaceFile(file.path, bytes);
    if (!error.isEmpty())
        return fail(ExitError, file.path, error);
    return ExitOk;
}

} // namespace commoncfg
