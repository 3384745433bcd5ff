#ifndef LIBCOMMONCFG_FLATFILE_ASSIGNMENT_H
#define LIBCOMMONCFG_FLATFILE_ASSIGNMENT_H

#include <QString>

namespace LibCommonCfg {
namespace internal {

/// Where the key and the value of a KEY=VALUE line stand in it.
struct Assignment {
    bool found = false;
    int keyBegin = 0;
    int keyLength = 0;
    int valueBegin = 0; ///< the value without white space at its ends
    int valueLength = 0;

    QString key(const QString& line) const { return line.mid(keyBegin, keyLength); }
    QString value(const QString& line) const { return line.mid(valueBegin, valueLength); }
};

/// The assignment in one line of a network setup or time-zone file: what
/// the expression "\s*([\w.]+)\s*=\s*(.*)\s*", searched anywhere in the
/// line without Unicode properties, finds. The key is the first run of ASCII
/// letters, digits, "_" and "." followed, after optional ASCII white space,
/// by "="; the value runs from the first character after that "=" that is
/// not ASCII white space (line feeds are) to the next line feed, trimmed as
/// QString::trimmed trims. There is no comment syntax: "# TZ=UTC" sets TZ. A
/// line holding half a surrogate pair anywhere has no assignment.
Assignment matchAssignment(const QString& line);

/// The same on a line of Windows-1251 bytes, where a byte is a character
/// and places in the bytes are places in the text they decode to.
Assignment matchAssignment(const char* bytes, int length);

} // namespace internal
} // namespace LibCommonCfg

#endif
