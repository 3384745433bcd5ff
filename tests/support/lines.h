#ifndef LCC_TESTS_SUPPORT_LINES_H
#define LCC_TESTS_SUPPORT_LINES_H

// The flat files are written in hash order, so their text is compared as a
// sorted list of lines.
#include <QByteArray>

#include <algorithm>
#include <string>
#include <vector>

namespace lcctest {

// Every line must end with "\n"; a missing final line end shows up as a
// line with a "<no LF>" marker.
inline std::vector<std::string> sortedLines(const QByteArray& text)
{
    std::vector<std::string> lines;
    int start = 0;
    while (start < text.size()) {
        const int end = text.indexOf('\n', start);
        if (end < 0) {
            lines.push_back(text.mid(start).toStdString() + "<no LF>");
            break;
        }
        lines.push_back(text.mid(start, end - start).toStdString());
        start = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The same order for lines written out in a test.
inline std::vector<std::string> sortedLines(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace lcctest

#endif
