#ifndef COMMONCFG_UNIFIEDDIFF_H
#define COMMONCFG_UNIFIEDDIFF_H

#include <QByteArray>
#include <QString>

namespace commoncfg {

// The unified diff (three lines of context) that turns `before` into
// `after`, both device text, with `name` in its "---" and "+++" lines; empty
// when they are equal. A last line without a line end is marked as diff
// marks it; a CR before the LF stays part of the line.
QString unifiedDiff(const QByteArray& before, const QByteArray& after, const QString& name);

} // namespace commoncfg

#endif
