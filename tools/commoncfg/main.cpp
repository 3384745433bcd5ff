// commoncfg: looks into and edits the configuration files of a measuring
// device, and checks its network settings, through LibCommonCfg.
#include "cli.h"
#include "commandline.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("commoncfg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(COMMONCFG_VERSION));
    const int code = commoncfg::run(QCoreApplication::arguments());
    commoncfg::out().flush();
    return code;
}
