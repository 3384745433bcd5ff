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

/// The assignment in one line of a network setup or time-zone file: the
/// expression "\s*([\w.]+)\s*=\s*(.*)\s*" searched anywhere in the line, so
/// the key is the first run of ASCII letters, digits, "_" and "." followed,
/// after optional white space, by "=", and the value is the rest of the line
/// after that "=", trimmed. There is no comment syntax: "# TZ=UTC" sets TZ.
Assignment matchAssignment(const QString& line);

} // namespace internal
} // namespace LibCommonCfg

#endif
