#include <LibCommonCfg/cinireaderhelper.h>

#include "common/devicecodec.h"

#include <QObject>
#include <QTextCodec>

namespace LibCommonCfg {

namespace {

// Flags, numbers, and the names and values quoted in messages, are read as
// UTF-8 whatever the codec; only strings and comments go through it.
//
// The message sources are u8 literals: tr() decodes its source as UTF-8,
// and compilers for the device's platform would otherwise store these
// literals in the local code page.
//
// Messages are filled with one multi-argument arg(), so that a "%2" inside
// a section or key name is quoted as it stands instead of being filled.
QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

bool isOn(const char* value)
{
    return utf8(value) == QLatin1String("on");
}

bool isOne(const char* value)
{
    return utf8(value) == QLatin1String("1");
}

bool isYes(const char* value)
{
    return utf8(value).toLower() == QLatin1String("y");
}

bool readInt(const char* value, int& out)
{
    bool ok = false;
    const int number = utf8(value).toInt(&ok, 10);
    if (ok)
        out = number;
    return ok;
}

bool readUInt(const char* value, unsigned int& out)
{
    bool ok = false;
    const unsigned int number = utf8(value).toUInt(&ok, 10);
    if (ok)
        out = number;
    return ok;
}

// The device writes masks as "0x..."; the first two characters are dropped
// whatever they are, so a value without the prefix loses two digits.
bool readUIntHex(const char* value, unsigned int& out)
{
    bool ok = false;
    const unsigned int number = utf8(value).mid(2).toUInt(&ok, 16);
    if (ok)
        out = number;
    return ok;
}

bool readDouble(const char* value, double& out)
{
    bool ok = false;
    const double number = utf8(value).toDouble(&ok);
    if (ok)
        out = number;
    return ok;
}

} // namespace

CIniReaderHelper::CIniReaderHelper(CIniFile& ini, QString& errorText, QTextCodec* codec)
    : ini(ini), errorText(errorText), errorType(NoError), codec(internal::codecOrDefault(codec)),
      sect(nullptr)
{
}

bool CIniReaderHelper::beginSect(const char* name)
{
    sect = name ? ini.GetSect(name) : nullptr;
    if (sect)
        return true;
    errorText = QObject::tr(u8"Отсутствует секция %1").arg(utf8(name));
    errorType = SectionMissing;
    return false;
}

bool CIniReaderHelper::beginSect(const QString& name)
{
    return beginSect(name.toUtf8().constData());
}

QString CIniReaderHelper::curSect() const
{
    if (!sect)
        return QString();
    return codec->toUnicode(sect->name);
}

QStringList CIniReaderHelper::keys() const
{
    QStringList names;
    if (!sect)
        return names;
    for (const CKeyList* node = sect->firstKey; node; node = node->next)
        names.append(node->name ? codec->toUnicode(node->name) : QString());
    return names;
}

void CIniReaderHelper::setErrorStr(const QString& text)
{
    errorText = text;
}

int CIniReaderHelper::getErrorType() const
{
    return errorType;
}

CKeyList* CIniReaderHelper::findKey(const char* key) const
{
    if (!sect || !key)
        return nullptr;
    return sect->Get(key);
}

CKeyList* CIniReaderHelper::requireKey(const char* key)
{
    if (!sect)
        return nullptr;
    CKeyList* node = findKey(key);
    if (!node) {
        errorText = QObject::tr(u8"Секция %1: отсутствует параметр %2").arg(utf8(sect->name), utf8(key));
        errorType = KeyMissing;
    }
    return node;
}

void CIniReaderHelper::reportBadValue(const char* key, const CKeyList* node, const QString& message)
{
    errorText = message.arg(utf8(sect->name), utf8(key), utf8(node->value));
    errorType = BadValue;
}

// --- strict getters --------------------------------------------------------

bool CIniReaderHelper::getString(const char* key, QString& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    value = codec->toUnicode(node->value).trimmed();
    return true;
}

bool CIniReaderHelper::getString(const QString& key, QString& value)
{
    return getString(key.toUtf8().constData(), value);
}

bool CIniReaderHelper::getOnOff(const char* key, bool& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    value = isOn(node->value);
    return true;
}

bool CIniReaderHelper::get01(const char* key, bool& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    value = isOne(node->value);
    return true;
}

bool CIniReaderHelper::getYN(const char* key, bool& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    value = isYes(node->value);
    return true;
}

bool CIniReaderHelper::getInt(const char* key, int& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    if (readInt(node->value, value))
        return true;
    reportBadValue(key, node, QObject::tr(u8"Секция %1: %2=%3: ошибка чтения int"));
    return false;
}

bool CIniReaderHelper::getInt(const QString& key, int& value)
{
    return getInt(key.toUtf8().constData(), value);
}

bool CIniReaderHelper::getUInt(const char* key, unsigned int& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    if (readUInt(node->value, value))
        return true;
    reportBadValue(key, node, QObject::tr(u8"Секция %1: %2=%3: ошибка чтения uint"));
    return false;
}

bool CIniReaderHelper::getUInt(const QString& key, unsigned int& value)
{
    return getUInt(key.toUtf8().constData(), value);
}

bool CIniReaderHelper::getUIntHex(const char* key, unsigned int& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    if (readUIntHex(node->value, value))
        return true;
    reportBadValue(key, node, QObject::tr(u8"Секция %1: %2=%3: ошибка чтения uint hex"));
    return false;
}

bool CIniReaderHelper::getDouble(const char* key, double& value)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    if (readDouble(node->value, value))
        return true;
    reportBadValue(key, node, QObject::tr(u8"Секция %1: %2=%3: ошибка чтения double"));
    return false;
}

bool CIniReaderHelper::getKeyComment(const char* key, QString& comment)
{
    const CKeyList* node = requireKey(key);
    if (!node)
        return false;
    comment = node->comment ? codec->toUnicode(node->comment) : QStringLiteral("");
    return true;
}

bool CIniReaderHelper::getKeyComment(const QString& key, QString& comment)
{
    return getKeyComment(key.toUtf8().constData(), comment);
}

// --- default getters -------------------------------------------------------

void CIniReaderHelper::getStringDefault(const char* key, QString& value, const QString& def)
{
    const CKeyList* node = findKey(key);
    value = node ? codec->toUnicode(node->value).trimmed() : def;
}

void CIniReaderHelper::getStringDefault(const QString& key, QString& value, const QString& def)
{
    getStringDefault(key.toUtf8().constData(), value, def);
}

void CIniReaderHelper::getOnOffDefault(const char* key, bool& value, bool def)
{
    const CKeyList* node = findKey(key);
    value = node ? isOn(node->value) : def;
}

void CIniReaderHelper::get01Default(const char* key, bool& value, const bool& def)
{
    const CKeyList* node = findKey(key);
    value = node ? isOne(node->value) : def;
}

void CIniReaderHelper::getYNDefault(const char* key, bool& value, bool def)
{
    const CKeyList* node = findKey(key);
    value = node ? isYes(node->value) : def;
}

void CIniReaderHelper::getIntDefault(const char* key, int& value, int def)
{
    const CKeyList* node = findKey(key);
    if (!node || !readInt(node->value, value))
        value = def;
}

void CIniReaderHelper::getIntDefault(const QString& key, int& value, int def)
{
    getIntDefault(key.toUtf8().constData(), value, def);
}

void CIniReaderHelper::getUIntDefault(const char* key, unsigned int& value, unsigned int def)
{
    const CKeyList* node = findKey(key);
    if (!node || !readUInt(node->value, value))
        value = def;
}

void CIniReaderHelper::getUIntDefault(const QString& key, unsigned int& value, unsigned int def)
{
    getUIntDefault(key.toUtf8().constData(), value, def);
}

void CIniReaderHelper::getUIntHexDefault(const char* key, unsigned int& value, unsigned int def)
{
    const CKeyList* node = findKey(key);
    if (!node || !readUIntHex(node->value, value))
        value = def;
}

void CIniReaderHelper::getDoubleDefault(const char* key, double& value, double def)
{
    const CKeyList* node = findKey(key);
    if (!node || !readDouble(node->value, value))
        value = def;
}

} // namespace LibCommonCfg
