#include <LibCommonCfg/encoding.h>

std::string encPath(const QString& path)
{
    const QByteArray local = path.toLocal8Bit();
    // Sized copy: a converted name may contain any byte, 0 included.
    return std::string(local.constData(), static_cast<std::size_t>(local.size()));
}
