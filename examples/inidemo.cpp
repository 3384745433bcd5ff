// Loads a device configuration, prints a few typed values and writes the
// document back in the library's own layout.
#include <LibCommonCfg/libcommoncfg.h>

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: inidemo INPUT.ini OUTPUT.ini\n");
        return 2;
    }
    LibCommonCfg::IniFile ini;
    if (!ini.load(args.at(1))) {
        std::fprintf(stderr, "inidemo: %s: cannot open\n", qPrintable(args.at(1)));
        return 2;
    }
    QTextStream out(stdout);
    out << "groups: " << ini.allGroups().size() << ", keys: " << ini.allKeys().size() << '\n';
    out << "main/moddate = 0x" << QString::number(ini.valueFromGroup("main", "moddate").toUInt(), 16) << '\n';
    out << "main/modem   = " << (ini.valueFromGroup("main", "modem").toBool() ? "on" : "off") << '\n';
    out << "main/name    = " << ini.valueFromGroup("main", "name").toString() << '\n';
    out << "achan1/need_arc = " << (ini.valueFromGroup("achan1", "need_arc").toBool() ? "yes" : "no") << '\n';
    out << "dchan1/nstate   = " << (ini.valueFromGroup("dchan1", "nstate").toBool() ? "on" : "off") << '\n';
    out.flush();

    QFile file(args.at(2));
    if (!file.open(QIODevice::WriteOnly) || file.write(ini.serialize()) < 0) {
        std::fprintf(stderr, "inidemo: %s: cannot write\n", qPrintable(args.at(2)));
        return 2;
    }
    out << "written: " << args.at(2) << '\n';
    return 0;
}
