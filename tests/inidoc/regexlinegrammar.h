#ifndef LIBCOMMONCFG_TESTS_INIDOC_REGEXLINEGRAMMAR_H
#define LIBCOMMONCFG_TESTS_INIDOC_REGEXLINEGRAMMAR_H

// The reader's line grammar in its defining form, three regular
// expressions, kept as the reference that the hand-written classifier of
// the reader must agree with on every line. It gives the group, key and
// value as strings.

#include "inidoc/linegrammar.h"

#include <QRegularExpression>

namespace lcctest {

struct RegexLine {
    LibCommonCfg::internal::IniLine::Kind kind;
    QString name;
    QString value;
};

inline RegexLine classifyLineByRegex(const QString& rawLine)
{
    using LibCommonCfg::internal::IniLine;
    static const QRegularExpression comment(QStringLiteral(";.*$"));
    static const QRegularExpression section(QStringLiteral("^\\s*\\[([\\w\\.]+)\\]\\s*$"));
    static const QRegularExpression keyLine(QStringLiteral("^\\s*([^\\[].*)\\s*=\\s*(.*)$"));

    const QString line = QString(rawLine).remove(comment).trimmed();
    if (line.isEmpty())
        return {IniLine::Empty, {}, {}};
    const QRegularExpressionMatch header = section.match(line);
    if (header.hasMatch())
        return {IniLine::Section, header.captured(1), {}};
    const QRegularExpressionMatch key = keyLine.match(line);
    if (!key.hasMatch())
        return {IniLine::Other, {}, {}};
    // The key runs from its first character to the first "=" after it.
    const int keyStart = key.capturedStart(1);
    const int eq = line.indexOf(QLatin1Char('='), keyStart + 1);
    return {IniLine::Key, line.mid(keyStart, eq - keyStart).trimmed(), line.mid(eq + 1).trimmed()};
}

} // namespace lcctest

#endif
