#ifndef LCC_TESTS_SECTIONINI_TESTLOCALE_H
#define LCC_TESTS_SECTIONINI_TESTLOCALE_H

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

// Switches the process to the Russian Windows-1251 locale built for the
// tests (in it, 0xC0-0xDF are the upper-case letters of 0xE0-0xFF and the
// decimal point is ","), and back to "C" at the end of the scope.
class Cp1251Locale {
public:
    Cp1251Locale()
    {
        setenv("LOCPATH", LCC_TEST_LOCALE_DIR, 1);
        m_active = std::setlocale(LC_ALL, "ru_RU.CP1251") != nullptr;
    }
    ~Cp1251Locale()
    {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
    }
    Cp1251Locale(const Cp1251Locale&) = delete;
    Cp1251Locale& operator=(const Cp1251Locale&) = delete;

    bool active() const { return m_active; }

private:
    bool m_active = false;
};

#define LCC_REQUIRE_CP1251_LOCALE(guard)                                                                     \
    ASSERT_TRUE((guard).active()) << "locale ru_RU.CP1251 not found in " LCC_TEST_LOCALE_DIR                 \
                                     " (it is built with localedef when the build is configured)"

#endif // LCC_TESTS_SECTIONINI_TESTLOCALE_H
