#include "cli.h"

#include <QFile>

#include <cstdio>

namespace commoncfg {

namespace {

QFile& standardOutput()
{
    static QFile file;
    if (!file.isOpen())
        file.open(stdout, QIODevice::WriteOnly);
    return file;
}

} // namespace

QTextStream& out()
{
    static QTextStream stream(&standardOutput());
    return stream;
}

CapturedOutput::CapturedOutput()
{
    out().flush();
    out().setString(&text);
}

CapturedOutput::~CapturedOutput()
{
    out().flush();
    out().setDevice(&standardOutput());
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
