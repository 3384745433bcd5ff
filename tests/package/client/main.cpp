#include <LibCommonCfg/libcommoncfg.h>

#include <cstdio>

int main()
{
    LibCommonCfg::IniFile ini(QByteArray("[main]\nmodem=1\nmoddate=42\n"));
    ini.setValueInGroup("main", "modem", ini.valueFromGroup("main", "modem"));
    const QByteArray text = ini.serialize();
    LibCommonCfg::IniFile back(text);
    std::printf("modem=%s moddate=0x%x\n", back.valueFromGroup("main", "modem").toBool() ? "1" : "0",
                back.valueFromGroup("main", "moddate").toUInt());
    return 0;
}
