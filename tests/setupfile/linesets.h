#ifndef LIBCOMMONCFG_TESTS_SETUPFILE_LINESETS_H
#define LIBCOMMONCFG_TESTS_SETUPFILE_LINESETS_H

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <string>
#include <vector>

// The setup file writes its lines in hash order, so saved text is compared
// as a sorted list of lines. Every line must end with "\n"; a missing final
// line end shows up as a line with a "<no LF>" marker.
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

inline std::vector<std::string> sortedLines(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

#endif // LIBCOMMONCFG_TESTS_SETUPFILE_LINESETS_H
