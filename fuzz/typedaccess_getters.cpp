// Arbitrary stored values read through every typed getter. Each input line
// is one value of the key "v" in section "s". A getter that fails must leave
// its output as it was, a default getter must never report, and whatever a
// strict getter accepts its default variant must read the same way.
#include <LibCommonCfg/cinifile.h>
#include <LibCommonCfg/cinireaderhelper.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

using LibCommonCfg::CIniReaderHelper;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameDouble(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

void readValue(const QByteArray& value)
{
    CIniFile ini;
    ini.Set("s", "v", value.constData());
    QString message = QStringLiteral("before");
    CIniReaderHelper reader(ini, message, nullptr);
    check(reader.beginSect("s"));

    const int kNone = 1234567;
    int i = kNone;
    const bool iOk = reader.getInt("v", i);
    if (!iOk)
        check(i == kNone);
    int iDef = kNone;
    reader.getIntDefault("v", iDef, -1);
    check(iDef == (iOk ? i : -1));

    unsigned int u = 7u;
    const bool uOk = reader.getUInt("v", u);
    if (!uOk)
        check(u == 7u);
    unsigned int uDef = 0;
    reader.getUIntDefault("v", uDef, 11u);
    check(uDef == (uOk ? u : 11u));
    unsigned int h = 9u;
    const bool hOk = reader.getUIntHex("v", h);
    if (!hOk)
        check(h == 9u);
    unsigned int hDef = 0;
    reader.getUIntHexDefault("v", hDef, 5u);
    check(hDef == (hOk ? h : 5u));

    double d = 0.25;
    const bool dOk = reader.getDouble("v", d);
    if (!dOk)
        check(d == 0.25);
    double dDef = 0;
    reader.getDoubleDefault("v", dDef, 0.5);
    check(dOk ? sameDouble(dDef, d) : dDef == 0.5);

    bool flag = true;
    reader.getOnOff("v", flag);
    reader.get01("v", flag);
    reader.getYN("v", flag);

    QString text;
    check(reader.getString("v", text));
    QString comment = QStringLiteral("untouched");
    reader.getKeyComment("v", comment);

    // The default getters after a report: they must not change it.
    const QString reported = message;
    const int kind = reader.getErrorType();
    QString s;
    reader.getStringDefault("missing", s, QStringLiteral("x"));
    check(s == QStringLiteral("x"));
    reader.getUIntDefault("missing", u, 3u);
    check(u == 3u);
    check(message == reported && reader.getErrorType() == kind);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    for (const QByteArray& line : input.split('\n'))
        readValue(line); // constData() stops at an embedded NUL, as a stored value would
    return 0;
}
