#ifndef LCC_TESTS_SUPPORT_CASES_H
#define LCC_TESTS_SUPPORT_CASES_H

// Input/output cases kept as data under tests/cases/<subsystem>/<case>/.
// Each case folder holds a `case` file whose first line, "# ...", says what
// the case pins down, followed by lines "WORD [TEXT]" that its runner reads
// (TEXT with the escapes \n \r \t \\ and \xHH), and any files the runner
// expects (input bytes, expected bytes, expected tables).
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lcctest {

struct CaseFile {
    QString folder;                             // the case's folder
    QList<QPair<QByteArray, QByteArray>> lines; // WORD and unescaped TEXT, in order
    std::string error;                          // why the case file is malformed; empty when it is not

    // TEXT of every line with this WORD, in order.
    QList<QByteArray> all(const char* word) const;
    // TEXT of the one line with this WORD, or `fallback` when there is none.
    QByteArray one(const char* word, const QByteArray& fallback = QByteArray()) const;
    bool has(const char* word) const { return !all(word).isEmpty(); }
    // The bytes of a file of the case, or a null array when it is missing.
    QByteArray file(const QString& name) const;
    bool hasFile(const QString& name) const;
};

// The case folders of one subsystem, by name.
std::vector<std::string> caseNames(const char* subsystem);
// A case whose lines may use only the `known` words: any other word is a
// typing error in the case file and is reported in `error`.
CaseFile readCase(const char* subsystem, const std::string& name, const QList<QByteArray>& known);

// The pieces a property test makes its inputs of, kept as the case
// tests/cases/alphabets/NAME: "piece TEXT" lines, in order, and "unit HHHH"
// lines for single UTF-16 code units such as lone surrogate halves. As
// bytes, a unit is left out; as text, a piece is UTF-8.
QList<QByteArray> bytePieces(const char* name);
QStringList textPieces(const char* name);

// A GoogleTest parameter name made of a case name.
std::string testName(const ::testing::TestParamInfo<std::string>& info);

} // namespace lcctest

// One test per case folder of `subsystem`, whose lines use only the words
// that follow; the block after the macro runs a case read into `c`.
#define LCC_CASE_TEST(Suite, subsystem, ...)                                                                 \
    class Suite : public ::testing::TestWithParam<std::string> {                                             \
    protected:                                                                                               \
        void run(const ::lcctest::CaseFile& c);                                                              \
    };                                                                                                       \
    TEST_P(Suite, Runs)                                                                                      \
    {                                                                                                        \
        const ::lcctest::CaseFile c = ::lcctest::readCase(subsystem, GetParam(), {__VA_ARGS__});             \
        ASSERT_EQ(c.error, "");                                                                              \
        run(c);                                                                                              \
    }                                                                                                        \
    INSTANTIATE_TEST_SUITE_P(Cases, Suite, ::testing::ValuesIn(::lcctest::caseNames(subsystem)),             \
                             ::lcctest::testName);                                                           \
    void Suite::run(const ::lcctest::CaseFile& c)

#endif
