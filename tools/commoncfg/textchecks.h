#ifndef COMMONCFG_TEXTCHECKS_H
#define COMMONCFG_TEXTCHECKS_H

#include <QString>

namespace commoncfg {

// What keeps `text` from standing as a key, group name or value (`what`) on
// one line of any device file: a line break, a NUL, blanks or control
// characters at its ends (the readers drop them), a character outside
// Windows-1251. Empty when nothing does.
QString textProblem(const QString& text, const char* what);

// Strict dotted-quad IPv4 text: four decimal parts 0-255.
bool isDottedQuad(const QString& text);

} // namespace commoncfg

#endif
