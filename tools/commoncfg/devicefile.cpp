#include "devicefile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QSaveFile>

namespace commoncfg {

namespace {

// Device files are small; anything bigger is not one of them.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

bool looksBinary(const QByteArray& bytes)
{
    return bytes.contains('\0');
}

} // namespace

QString kindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Ini:
        return QStringLiteral("ini");
    case FileKind::Setup:
        return QStringLiteral("setup");
    case FileKind::TimeZone:
        return QStringLiteral("tz");
    }
    return QString();
}

bool detectKind(const QByteArray& bytes, FileKind* kind)
{
    static const QRegularExpression header(QStringLiteral("^\\s*\\[[^\\]]*\\]"));
    static const QRegularExpression networkKey(QStringLiteral("^\\s*(IPADDR|NETMASK|GATEWAY)\\d*\\s*="));
    static const QRegularExpression assignment(QStringLiteral("^\\s*[\\w.]+\\s*="));
    bool sawAssignment = false;
    bool sawNetworkKey = false;
    const QList<QByteArray> lines = bytes.split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromLatin1(raw);
        if (header.match(line).hasMatch()) {
            *kind = FileKind::Ini;
            return true;
        }
        if (networkKey.match(line).hasMatch())
            sawNetworkKey = true;
        else if (assignment.match(line).hasMatch())
            sawAssignment = true;
    }
    if (sawNetworkKey) {
        *kind = FileKind::Setup;
        return true;
    }
    if (sawAssignment) {
        *kind = FileKind::TimeZone;
        return true;
    }
    return false;
}

DeviceFile openDeviceFile(const QString& path, const QString& forced)
{
    DeviceFile file;
    file.path = path;
    const QFileInfo info(path);
    if (!info.exists()) {
        file.error = QStringLiteral("no such file");
        return file;
    }
    if (info.isDir()) {
        file.error = QStringLiteral("is a folder, not a device file");
        return file;
    }
    if (info.size() > kMaxFileSize) {
        file.error = QStringLiteral("too large for a device file");
        return file;
    }
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        file.error = QStringLiteral("cannot read: %1").arg(input.errorString());
        return file;
    }
    file.bytes = input.readAll();
    if (looksBinary(file.bytes)) {
        file.error = QStringLiteral("holds binary data, not a device file");
        return file;
    }
    if (forced == QLatin1String("ini"))
        file.kind = FileKind::Ini;
    else if (forced == QLatin1String("setup"))
        file.kind = FileKind::Setup;
    else if (forced == QLatin1String("tz"))
        file.kind = FileKind::TimeZone;
    else if (!forced.isEmpty())
        file.error = QStringLiteral("unknown format \"%1\" (expected ini, setup or tz)").arg(forced);
    else if (!detectKind(file.bytes, &file.kind))
        file.error = QStringLiteral("cannot tell the kind of file; name it with --format ini|setup|tz");
    return file;
}

QString replaceFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile output(path);
    output.setDirectWriteFallback(true);
    if (!output.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write: %1").arg(output.errorString());
    if (output.write(bytes) != bytes.size()) {
        const QString reason = output.errorString();
        output.cancelWriting();
        return QStringLiteral("cannot write: %1").arg(reason);
    }
    if (!output.commit())
        return QStringLiteral("cannot write: %1").arg(output.errorString());
    return QString();
}

} // namespace commoncfg
