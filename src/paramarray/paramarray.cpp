#include <LibCommonCfg/paramarray.h>

namespace LibCommonCfg {

ParamArray::ParamArray() = default;

void ParamArray::clear()
{
    params.clear();
}

QStringList ParamArray::keys() const
{
    return params.keys();
}

bool ParamArray::contains(const QString& name) const
{
    return params.contains(name);
}

QString ParamArray::operator[](const QString& name) const
{
    return params.value(name);
}

QString& ParamArray::operator[](const QString& name)
{
    return params[name];
}

QString ParamArray::getString(const QString& name, const QString& defaultValue) const
{
    const auto it = params.constFind(name);
    return it == params.constEnd() ? defaultValue : it.value();
}

bool ParamArray::get01(const QString& name, bool defaultValue) const
{
    const auto it = params.constFind(name);
    if (it == params.constEnd())
        return defaultValue;
    // Only an explicit "0" switches off; anything else a device wrote counts
    // as set.
    return it.value().trimmed() != QLatin1String("0");
}

int ParamArray::getInt(const QString& name, int defaultValue) const
{
    const auto it = params.constFind(name);
    if (it == params.constEnd())
        return defaultValue;
    bool ok = false;
    const int value = it.value().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

unsigned int ParamArray::getUInt(const QString& name, unsigned int defaultValue) const
{
    const auto it = params.constFind(name);
    if (it == params.constEnd())
        return defaultValue;
    bool ok = false;
    const unsigned int value = it.value().toUInt(&ok, 10);
    return ok ? value : defaultValue;
}

void ParamArray::set01(const QString& name, bool value)
{
    params.insert(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void ParamArray::setInt(const QString& name, int value)
{
    params.insert(name, QString::number(value, 10));
}

void ParamArray::setUInt(const QString& name, unsigned int value)
{
    params.insert(name, QString::number(value, 10));
}

void ParamArray::setString(const QString& name, const QString& value)
{
    params.insert(name, value);
}

} // namespace LibCommonCfg
