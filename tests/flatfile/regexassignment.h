#ifndef LIBCOMMONCFG_TESTS_FLATFILE_REGEXASSIGNMENT_H
#define LIBCOMMONCFG_TESTS_FLATFILE_REGEXASSIGNMENT_H

// The KEY=VALUE line of the network setup and time-zone files in its
// defining form, one regular expression searched anywhere in the line, kept
// as the reference that the hand-written matcher must agree with on every
// line: the same key and value, at the same places.

#include "flatfile/assignment.h"

#include <QRegularExpression>

namespace lcctest {

inline LibCommonCfg::internal::Assignment matchAssignmentByRegex(const QString& line)
{
    static const QRegularExpression expression(QStringLiteral("\\s*([\\w.]+)\\s*=\\s*(.*)\\s*"));
    LibCommonCfg::internal::Assignment result;
    const QRegularExpressionMatch match = expression.match(line);
    if (!match.hasMatch())
        return result;
    result.found = true;
    result.keyBegin = match.capturedStart(1);
    result.keyLength = match.capturedLength(1);
    // The value trimmed as QString::trimmed trims.
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

inline bool sameAssignment(const LibCommonCfg::internal::Assignment& a,
                           const LibCommonCfg::internal::Assignment& b)
{
    return a.found == b.found && a.keyBegin == b.keyBegin && a.keyLength == b.keyLength &&
           a.valueBegin == b.valueBegin && a.valueLength == b.valueLength;
}

} // namespace lcctest

#endif
