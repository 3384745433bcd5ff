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
    LibCommonCfg::internal::IniLine::Kind kind = LibCommonCfg::internal::IniLine::Empty;
    QString name;
    QString value;
};

inline RegexLine classifyLineByRegex(const QString& rawLine)
{
    using LibCommonCfg::internal::IniLine;
    static const QRegularExpression comment(QStringLiteral(";.*$"));
    static const QRegularExpression section(QStringLiteral("^\\s*\\[([\\w\\.]+)\\]\\s*$"));
    static const QRegularExpression keyLine(QStringLiteral("^\\s*([^\\[].*)\\s*=\\s*(.*)$"));

    RegexLine result;
    QString line(rawLine);
    line.remove(comment);
    line = line.trimmed();
    if (line.isEmpty())
        return result;
    const QRegularExpressionMatch header = section.match(line);
    if (header.hasMatch()) {
        result.kind = IniLine::Section;
        result.name = header.captured(1);
        return result;
    }
    const QRegularExpressionMatch key = keyLine.match(line);
    if (!key.hasMatch()) {
        result.kind = IniLine::Other;
        return result;
    }
    // The key runs from its first character to the first "=" after it.
    const int keyStart = key.capturedStart(1);
    const int eq = line.indexOf(QLatin1Char('='), keyStart + 1);
    result.kind = IniLine::Key;
    result.name = line.mid(keyStart, eq - keyStart).trimmed();
    result.value = line.mid(eq + 1).trimmed();
    return result;
}

} // namespace lcctest

#endif
