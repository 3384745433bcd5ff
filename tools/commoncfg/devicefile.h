#ifndef COMMONCFG_DEVICEFILE_H
#define COMMONCFG_DEVICEFILE_H

#include <QByteArray>
#include <QString>

namespace commoncfg {

enum class FileKind { Ini, Setup, TimeZone };

// A device file read whole, with its kind, or the reason it cannot be used.
struct DeviceFile {
    QString path;
    QByteArray bytes;
    FileKind kind = FileKind::Ini;
    QString error; // empty when the file was read and its kind is known
};

// Reads `path` and tells its kind from the content, unless `forced` names
// one ("ini", "setup", "tz"). Folders, unreadable files and binary data are
// refused with a message in `error`.
DeviceFile openDeviceFile(const QString& path, const QString& forced);

// Guesses the kind of a text: section headers make an INI file, the network
// keys a setup file, other KEY=VALUE lines a time-zone file. Returns false
// when the text is none of them.
bool detectKind(const QByteArray& bytes, FileKind* kind);

QString kindName(FileKind kind);

// Replaces `path` with `bytes` through a temporary file and a rename, so
// that a failure leaves the old file as it was. Returns an error text, empty
// on success.
QString replaceFile(const QString& path, const QByteArray& bytes);

} // namespace commoncfg

#endif
