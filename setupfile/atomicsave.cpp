#include "setupfile/atomicsave.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace LibCommonCfg {
namespace internal {

namespace {

// Devices and pipes are written where they are: a temporary file renamed
// over them would replace the device node itself with a regular file.
bool writeInPlace(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.error() == QFileDevice::NoError;
}

} // namespace

bool saveAtomically(const QString& fileName, const QByteArray& bytes)
{
    // QFileInfo follows symbolic links, as the save does.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile() && !target.isDir())
        return writeInPlace(fileName, bytes);

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
