#include "flatfile/assignment.h"

#include <QRegularExpression>

namespace LibCommonCfg {
namespace internal {

namespace {

// Compiled once per process.
const QRegularExpression& assignmentExpression()
{
    static const QRegularExpression expression(QStringLiteral("\\s*([\\w.]+)\\s*=\\s*(.*)\\s*"));
    return expression;
}

} // namespace

Assignment matchAssignment(const QString& line)
{
    Assignment result;
    const QRegularExpressionMatch match = assignmentExpression().match(line);
    if (!match.hasMatch())
        return result;
    result.found = true;
    // "[\w.]+" holds no white space: the key needs no trimming.
    result.keyBegin = match.capturedStart(1);
    result.keyLength = match.capturedLength(1);
    // Trimmed as QString::trimmed trims, which is wider than "\s".
    int begin = match.capturedStart(2);
    int end = match.capturedEnd(2);
    while (begin < end && line.at(begin).isSpace())
        ++begin;
    while (end > begin && line.at(end - 1).isSpace())
        --end;
    result.valueBegin = begin;
    result.valueLength = end - begin;
    return result;
}

} // namespace internal
} // namespace LibCommonCfg
