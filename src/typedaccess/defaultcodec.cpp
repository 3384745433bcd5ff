#include "typedaccess/defaultcodec.h"

#include <QTextCodec>

namespace LibCommonCfg {
namespace internal {

QTextCodec* codecOrDefault(QTextCodec* given)
{
    if (given)
        return given;
    if (QTextCodec* cp1251 = QTextCodec::codecForName("CP1251"))
        return cp1251;
    // Qt always carries Latin-1; it keeps the helpers usable (bytes pass
    // through one to one) should a stripped-down Qt lack Windows-1251.
    return QTextCodec::codecForName("ISO-8859-1");
}

} // namespace internal
} // namespace LibCommonCfg
