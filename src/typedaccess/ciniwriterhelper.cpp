#include <LibCommonCfg/ciniwriterhelper.h>

#include "common/asciicase.h"
#include "common/devicecodec.h"

#include <QTextCodec>

namespace LibCommonCfg {

CIniWriterHelper::CIniWriterHelper(CIniFile& ini, QString& errorText, QTextCodec* codec)
    : ini(ini), errorText(errorText), codec(internal::codecOrDefault(codec)), sect(nullptr)
{
}

void CIniWriterHelper::beginSect(const char* name)
{
    // A null name would make an unnamed node, which the document treats as
    // a comment line; select nothing instead.
    if (!name) {
        sect = nullptr;
        return;
    }
    sect = ini.GetSect(name);
    if (!sect)
        sect = ini.CreateSect(name);
}

void CIniWriterHelper::beginSect(const QString& name)
{
    beginSect(name.toUtf8().constData());
}

void CIniWriterHelper::deleteSect(const QString& name)
{
    const QByteArray bytes = name.toUtf8();
    // The selected section goes if the document takes the name for its own.
    if (sect && sect->name && internal::sameFolded(sect->name, bytes.constData()))
        sect = nullptr;
    ini.DeleteSection(bytes.constData());
}

QString CIniWriterHelper::curSect() const
{
    if (!sect)
        return QString();
    return codec->toUnicode(sect->name);
}

void CIniWriterHelper::setString(const char* key, const QString& value)
{
    if (!sect || !key)
        return;
    const QByteArray bytes = codec->fromUnicode(value.trimmed());
    sect->SetVal(key, bytes.constData());
}

void CIniWriterHelper::setString(const QString& key, const QString& value)
{
    setString(key.toUtf8().constData(), value);
}

void CIniWriterHelper::setOnOff(const char* key, bool value)
{
    setString(key, value ? QStringLiteral("on") : QStringLiteral("off"));
}

void CIniWriterHelper::setYN(const char* key, bool value)
{
    setString(key, value ? QStringLiteral("Y") : QStringLiteral("N"));
}

void CIniWriterHelper::set01(const char* key, bool value)
{
    setString(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void CIniWriterHelper::setInt(const char* key, int value)
{
    setString(key, QString::number(value, 10));
}

void CIniWriterHelper::setInt(const QString& key, int value)
{
    setString(key, QString::number(value, 10));
}

void CIniWriterHelper::setUInt(const char* key, unsigned int value)
{
    setString(key, QString::number(value, 10));
}

void CIniWriterHelper::setUInt(const QString& key, unsigned int value)
{
    setString(key, QString::number(value, 10));
}

void CIniWriterHelper::setUIntHex(const char* key, unsigned int value)
{
    setString(key, QLatin1String("0x") + QString::number(value, 16));
}

void CIniWriterHelper::setDouble(const char* key, double value)
{
    setString(key, QString::number(value, 'g', 6));
}

void CIniWriterHelper::setDouble(const char* key, double value, int precision)
{
    setString(key, QString::number(value, 'f', precision));
}

void CIniWriterHelper::setKeyComment(const char* key, const QString& comment)
{
    if (!sect || !key)
        return;
    const QByteArray bytes = codec->fromUnicode(comment);
    sect->SetComment(key, bytes.constData());
}

// The key is taken by value in the published signature; clients link against it.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void CIniWriterHelper::setKeyComment(QString key, const QString& comment)
{
    setKeyComment(key.toUtf8().constData(), comment);
}

} // namespace LibCommonCfg
