#include "setupfile/atomicsave.h"

#include <QSaveFile>

namespace LibCommonCfg {
namespace internal {

bool saveAtomically(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace internal
} // namespace LibCommonCfg
