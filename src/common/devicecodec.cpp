#include "common/devicecodec.h"

#include <QTextCodec>
#include <QTextStream>

namespace LibCommonCfg {
namespace internal {

QTextCodec* deviceCodec()
{
    static QTextCodec* const codec = [] {
        QTextCodec* found = QTextCodec::codecForName("CP1251");
        if (found == nullptr)
            qFatal("LibCommonCfg: this Qt has no Windows-1251 codec; device files cannot be read or written");
        return found;
    }();
    return codec;
}

void setDeviceCodec(QTextStream& stream)
{
    stream.setCodec(deviceCodec());
}

QTextCodec* codecOrDefault(QTextCodec* given)
{
    return given ? given : deviceCodec();
}

} // namespace internal
} // namespace LibCommonCfg
