#include "cli.h"

#include <cstdio>

namespace commoncfg {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

int fail(int code, const QString& subject, const QString& message)
{
    out().flush();
    QTextStream err(stderr);
    err << "commoncfg: ";
    if (!subject.isEmpty())
        err << subject << ": ";
    err << message << '\n';
    return code;
}

} // namespace commoncfg
