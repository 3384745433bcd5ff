// Where a stored number stops being readable: every boundary of the numeric
// getters, checked through the strict getter (result, message, kind, output)
// and the default getter.
#include <LibCommonCfg/libcommoncfg.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

using LibCommonCfg::CIniReaderHelper;

namespace {

// An unreadable case has `ok` false; its number is then irrelevant.
template <typename T> struct Case {
    const char* text;
    bool ok;
    T number;
};

// Reads every case from its own key of section "num" with the strict and the
// default getter.
template <typename T>
void checkCases(const std::initializer_list<Case<T>>& cases,
                bool (CIniReaderHelper::*strict)(const char*, T&),
                void (CIniReaderHelper::*fallback)(const char*, T&, T), const char* typeName, T sentinel)
{
    CIniFile ini;
    int n = 0;
    for (const Case<T>& c : cases)
        ini.Set("num", QByteArray("k").append(QByteArray::number(n++)).constData(), c.text);
    QString error;
    CIniReaderHelper reader(ini, error, nullptr);
    ASSERT_TRUE(reader.beginSect("num"));

    n = 0;
    for (const Case<T>& c : cases) {
        const QByteArray key = QByteArray("k").append(QByteArray::number(n++));
        SCOPED_TRACE(c.text);
        reader.setErrorStr(QStringLiteral("marker"));
        T value = sentinel;
        const bool ok = (reader.*strict)(key.constData(), value);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.number);
            EXPECT_EQ(error, QStringLiteral("marker"));
        } else {
            EXPECT_EQ(value, sentinel);
            EXPECT_EQ(error, QString::fromUtf8("Секция num: %1=%2: ошибка чтения %3")
                                 .arg(QString::fromLatin1(key), QString::fromUtf8(c.text),
                                      QString::fromLatin1(typeName)));
            EXPECT_EQ(reader.getErrorType(), 2);
        }

        error = QStringLiteral("marker");
        T fallbackValue = 0;
        (reader.*fallback)(key.constData(), fallbackValue, sentinel);
        EXPECT_EQ(fallbackValue, c.ok ? c.number : sentinel);
        EXPECT_EQ(error, QStringLiteral("marker"));
    }
}

TEST(NumberBoundaries, Int)
{
    checkCases<int>({{"0", true, 0},
                     {"2147483647", true, 2147483647},
                     {"2147483648", false, 0},
                     {"-2147483648", true, INT32_MIN},
                     {"-2147483649", false, 0},
                     {"99999999999", false, 0},
                     {"+5", true, 5},
                     {"-0", true, 0},
                     {"007", true, 7},
                     {" 42 ", true, 42},
                     {"12abc", false, 0},
                     {"abc", false, 0},
                     {"", false, 0},
                     {"- 5", false, 0},
                     {"1 000", false, 0},
                     {"1,000", false, 0},
                     {"1.0", false, 0},
                     {"1e3", false, 0},
                     {"0x10", false, 0}},
                    &CIniReaderHelper::getInt, &CIniReaderHelper::getIntDefault, "int", -77);
}

TEST(NumberBoundaries, UInt)
{
    checkCases<unsigned int>({{"0", true, 0u},
                              {"4294967295", true, 4294967295u},
                              {"4294967296", false, 0u},
                              {"2147483648", true, 2147483648u},
                              {"+7", true, 7u},
                              {" 7", true, 7u},
                              {"-1", false, 0u},
                              {"-0", false, 0u},
                              {"12abc", false, 0u},
                              {"", false, 0u},
                              {"0x10", false, 0u},
                              {"1.5", false, 0u}},
                             &CIniReaderHelper::getUInt, &CIniReaderHelper::getUIntDefault, "uint", 77u);
}

TEST(NumberBoundaries, UIntHex)
{
    checkCases<unsigned int>({{"0x1F", true, 31u},
                              {"0x1f", true, 31u},
                              {"0X1f", true, 31u},
                              {"##ff", true, 255u},
                              {"0x0", true, 0u},
                              {"0xffffffff", true, 4294967295u},
                              {"0x00000000ffffffff", true, 4294967295u},
                              {"0x100000000", false, 0u},
                              {"FF00", true, 0u},
                              {"1F", false, 0u},
                              {"F", false, 0u},
                              {"0x", false, 0u},
                              {"", false, 0u},
                              {"0x-1", false, 0u},
                              {"0xg", false, 0u},
                              {"0x1fz", false, 0u}},
                             &CIniReaderHelper::getUIntHex, &CIniReaderHelper::getUIntHexDefault, "uint hex",
                             77u);
}

TEST(NumberBoundaries, Double)
{
    checkCases<double>({{"2.5", true, 2.5},
                        {"-0.125", true, -0.125},
                        {".5", true, 0.5},
                        {"1e3", true, 1000.0},
                        {"1.5E-2", true, 0.015},
                        {" 3 ", true, 3.0},
                        {"2,5", false, 0},
                        {"1,000.5", false, 0},
                        {"1.5e3x", false, 0},
                        {"1e400", false, 0},
                        {"-1e400", false, 0},
                        {"abc", false, 0},
                        {"", false, 0}},
                       &CIniReaderHelper::getDouble, &CIniReaderHelper::getDoubleDefault, "double", -7.25);
}

} // namespace
