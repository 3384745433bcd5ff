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

#include <string>
#include <vector>

namespace lcctest {

struct CaseFile {
    QString folder;   // the case's folder
    QString about;    // the first line without "# "
    QList<QPair<QByteArray, QByteArray>> lines; // WORD and unescaped TEXT, in order
    QString error;    // why the case file is malformed; empty when it is not

    // TEXT of every line with this WORD, in order.
    QList<QByteArray> all(const char* word) const;
    // TEXT of the one line with this WORD, or `fallback` when there is none.
    QByteArray one(const char* word, const QByteArray& fallback = QByteArray()) const;
    bool has(const char* word) const;
    // The first WORD that is not among `known` (a typing error in the case
    // file); empty when there is none.
    QByteArray unknownWord(const QList<QByteArray>& known) const;
    // The bytes of a file of the case, or a null array when it is missing.
    QByteArray file(const QString& name) const;
    bool hasFile(const QString& name) const;
};

// "\n", "\r", "\t", "\\" and "\xHH" in a case line.
QByteArray unescape(const QByteArray& text);

// The case folders of one subsystem, by name.
std::vector<std::string> caseNames(const char* subsystem);
CaseFile readCase(const char* subsystem, const std::string& name);

// A GoogleTest parameter name made of a case name.
std::string testName(const std::string& caseName);

} // namespace lcctest

#endif
