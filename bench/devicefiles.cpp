#include "devicefiles.h"

#include <QList>
#include <QSettings>

namespace devicefiles {
namespace {

// "Канал" and "Датчик" in Windows-1251.
const char kChannel[] = "\xCA\xE0\xED\xE0\xEB";
const char kSensor[] = "\xC4\xE0\xF2\xF7\xE8\xEA";

QByteArray num(int n)
{
    return QByteArray::number(n);
}

QByteArray hex(unsigned n)
{
    return "0x" + QByteArray::number(n, 16);
}

void mainGroup(QByteArray& out, int& left)
{
    const QByteArray lines[] = {
        "; " + QByteArray(kSensor) + " main settings",
        "[main]",
        "name=" + QByteArray(kSensor) + " 1",
        "moddate=0x5f3e2a10",
        "modem=1",
        "Debug=0",
        "linemask=0xff",
        "serial=100234",
        "period=1000",
        "timeout=30",
        "address=192.168.1.10",
        "baud=115200",
        "retries=3",
        "units=" + QByteArray(kChannel),
        "version=2.4.1",
        "location=" + QByteArray(kSensor) + " hall 3",
        "archive=/var/lib/device/arc",
    };
    for (const QByteArray& line : lines) {
        out += line + "\r\n";
        if (line.contains('='))
            --left;
    }
}

void channel(QByteArray& out, int& left, int kind, int n)
{
    const QByteArray id = num(n);
    const QByteArray name = QByteArray(kChannel) + " " + id;
    if (kind == 0) {
        out += "[achan" + id + "] ; " + name +
               "\r\n"
               "name=" +
               name +
               "\r\n"
               "need_arc=" +
               num(n % 2) +
               "\r\n"
               "invertphase=0\r\n"
               "typeust=" +
               num((n / 3) % 2) +
               "\r\n"
               "linemask=" +
               hex(0x10u + unsigned(n) * 7u) +
               "\r\n"
               "kz=1.0\r\n"
               "offset=0.0\r\n"
               "min=-10.5\r\n"
               "max=10.5\r\n"
               "ust_low=" +
               num(-n) +
               "\r\n"
               "ust_high=" +
               num(n) +
               "\r\n"
               "units=mA\r\n"
               "precision=3\r\n"
               "aperture=0.01\r\n"
               "input=" +
               num(n % 64) + "\r\n";
    } else if (kind == 1) {
        out += "; " + name + "\r\n[dchan" + id +
               "]\r\n"
               "name=" +
               name +
               "\r\n"
               "nstate=" +
               QByteArray(n % 2 ? "on" : "off") +
               "\r\n"
               "event=1\r\n"
               "linemask=" +
               hex(1u << (n % 32)) +
               "\r\n"
               "input=" +
               num(n % 64) +
               "\r\n"
               "debounce=20\r\n"
               "text_on=" +
               QByteArray(kSensor) +
               " on\r\n"
               "text_off=" +
               QByteArray(kSensor) +
               " off\r\n"
               "priority=2\r\n"
               "group=" +
               num(n % 8) +
               "\r\n"
               "delay=0\r\n"
               "color_on=0xff0000\r\n"
               "color_off=0x00ff00\r\n"
               "sound=0\r\n"
               "journal=1\r\n";
    } else {
        out += "[calcchan" + id +
               "]\r\n"
               "name=" +
               name +
               "\r\n"
               "wrt=1\r\n"
               "event=0\r\n"
               "kzauto=" +
               num(n % 2) +
               "\r\n"
               "transfkz=0\r\n"
               "formula=achan" +
               id + "*1.5+dchan" + id +
               "\r\n"
               "period=1000\r\n"
               "units=kW\r\n"
               "precision=2\r\n"
               "min=0\r\n"
               "max=1000\r\n"
               "linemask=" +
               hex(0xabcu + unsigned(n)) +
               "\r\n"
               "ust_low=0\r\n"
               "ust_high=900\r\n"
               "comment=" +
               QByteArray(kSensor) + "\r\n";
    }
    left -= 15;
}

} // namespace

QByteArray device(int keys)
{
    QByteArray out;
    out.reserve(keys * 24);
    int left = keys;
    mainGroup(out, left);
    for (int n = 1; left > 0; ++n)
        for (int kind = 0; kind < 3 && left > 0; ++kind)
            channel(out, left, kind, n);
    return out;
}

QByteArray manySections(int keys)
{
    QByteArray out;
    out.reserve(keys * 24);
    for (int i = 0; i < keys; ++i)
        out += "[sect" + num(i) + "]\r\nvalue=" + num(i) + "\r\n";
    return out;
}

QByteArray oneSection(int keys)
{
    QByteArray out;
    out.reserve(keys * 20);
    out += "[big]\r\n";
    for (int i = 0; i < keys; ++i)
        out += "key" + num(i) + "=" + num(i * 3) + "\r\n";
    return out;
}

QByteArray flat(int keys)
{
    QByteArray out;
    QByteArray group;
    const QByteArray ini = device(keys);
    for (const QByteArray& line : ini.split('\n')) {
        if (line.startsWith('[')) {
            group = line.mid(1, line.indexOf(']') - 1).toUpper();
        } else if (line.contains('=')) {
            out += group + "_" + line.trimmed() + "\n";
        }
    }
    return out;
}

} // namespace devicefiles

void devicefiles::readAsDevice(QSettings& settings)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    settings.setIniCodec("CP1251");
#else
    (void)settings;
#endif
}
