// Writes the manual page and the bash completion script at build time:
// referencemain VERSION MANPAGE COMPLETION.
#include "reference.h"

#include <QCoreApplication>
#include <QFile>

namespace {

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4)
        return 2;
    return writeText(arguments.at(2), commoncfg::manPage(arguments.at(1))) &&
                   writeText(arguments.at(3), commoncfg::bashCompletion())
               ? 0
               : 1;
}
