#include "valueforms.h"

#include <LibCommonCfg/inifile.h>

namespace commoncfg {

ValueKind valueKindOf(LibCommonCfg::IniFile& rules, const QString& group, const QString& key)
{
    const LibCommonCfg::IniFile::MappingEntry& entry = rules.getConv(group, key);
    return LibCommonCfg::internal::defaultConvKind(entry.group, entry.key);
}

QString unreadableProblem(ValueKind kind, const QString& text)
{
    switch (kind) {
    case ValueKind::Hex: {
        bool ok = false;
        text.toUInt(&ok, 0);
        return ok ? QString()
                  : QStringLiteral("\"%1\" is not a 32-bit number (such as 0x1f); the device reads it as 0x0")
                        .arg(text);
    }
    case ValueKind::Flag01:
        return text == QLatin1String("0") || text == QLatin1String("1")
                   ? QString()
                   : QStringLiteral("\"%1\" is neither 0 nor 1; the device reads it as false").arg(text);
    case ValueKind::OnOff:
        return text == QLatin1String("on") || text == QLatin1String("off")
                   ? QString()
                   : QStringLiteral("\"%1\" is neither on nor off; the device reads it as false").arg(text);
    case ValueKind::Text:
        break;
    }
    return QString();
}

bool textToStore(LibCommonCfg::IniFile& rules, const QString& group, const QString& key, const QString& input,
                 QString* text, QString* problem)
{
    const ValueKind kind = valueKindOf(rules, group, key);
    QVariant value;
    switch (kind) {
    case ValueKind::Text:
        *text = input;
        return true;
    case ValueKind::Hex:
        if (!unreadableProblem(kind, input).isEmpty()) {
            *problem = QStringLiteral("expects a 32-bit number such as 0x1f");
            return false;
        }
        value = rules.parse(group, key, input);
        break;
    case ValueKind::Flag01:
    case ValueKind::OnOff: {
        const bool onOff = kind == ValueKind::OnOff;
        const QString yes = onOff ? QStringLiteral("on") : QStringLiteral("1");
        const QString no = onOff ? QStringLiteral("off") : QStringLiteral("0");
        if (input == yes || input == QLatin1String("true")) {
            value = true;
        } else if (input == no || input == QLatin1String("false")) {
            value = false;
        } else {
            *problem = QStringLiteral("expects %1 or %2 (or true or false)").arg(yes, no);
            return false;
        }
        break;
    }
    }
    *text = rules.store(group, key, value);
    return true;
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

} // namespace commoncfg
