#include "inidoc/converters.h"

namespace LibCommonCfg {
namespace internal {

namespace {

bool asBool(const QVariant& value)
{
    if (value.userType() == QMetaType::Bool)
        return value.toBool();
    return qvariant_cast<bool>(value);
}

} // namespace

QVariant parseHex(const QString& text)
{
    // Base 0: "0x" selects hexadecimal, a leading "0" octal; a failed or
    // out-of-range conversion yields 0.
    return QVariant(text.toUInt(nullptr, 0));
}

QString storeHex(const QVariant& value)
{
    const uint number = value.userType() == QMetaType::UInt ? value.toUInt() : qvariant_cast<uint>(value);
    return QLatin1String("0x") + QString::number(number, 16);
}

QVariant parse01(const QString& text)
{
    return QVariant(text == QLatin1String("1"));
}

QString store01(const QVariant& value)
{
    return asBool(value) ? QStringLiteral("1") : QStringLiteral("0");
}

QVariant parseOnOff(const QString& text)
{
    return QVariant(text == QLatin1String("on"));
}

QString storeOnOff(const QVariant& value)
{
    return asBool(value) ? QStringLiteral("on") : QStringLiteral("off");
}

} // namespace internal
} // namespace LibCommonCfg
