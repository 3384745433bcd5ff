#ifndef COMMONCFG_DEVICEFILE_H
#define COMMONCFG_DEVICEFILE_H

#include <QByteArray>
#include <QString>

namespace LibCommonCfg {
namespace internal {
class FileLock;
}
} // namespace LibCommonCfg

namespace commoncfg {

enum class FileKind { Ini, Setup, TimeZone };

// Device files are small; a read stops at this size instead of taking
// whatever a path leads to.
constexpr qint64 kMaxFileSize = qint64{256} * 1024 * 1024;

// A device file read whole, with its kind, or the reason it cannot be used.
struct DeviceFile {
    QString path; // as given; "-" is standard input
    QByteArray bytes;
    FileKind kind = FileKind::Ini;
    QString error; // empty when the file was read and its kind is known
};

// Reads `path` (a regular file, or "-" for standard input) and tells its kind
// from the content, or takes the kind `forced` names ("ini", "setup", "tz")
// when the content does not contradict it. Devices, FIFOs and folders are
// refused at once, a read stops at kMaxFileSize, and binary data, text with
// a byte-order mark and anything too large are refused. With a lock, the
// file is locked first (waiting at most lockTimeoutMs) and read through it.
DeviceFile readDeviceFile(const QString& path, const QString& forced,
                          LibCommonCfg::internal::FileLock* lock = nullptr, int lockTimeoutMs = 0);

// Guesses the kind of a text: section headers make an INI file, the network
// keys a setup file, other KEY=VALUE lines a time-zone file. Returns false
// when the text is none of them; `headerLine` gets the number of the first
// header line of an INI file.
bool detectKind(const QByteArray& bytes, FileKind* kind, int* headerLine = nullptr);

QString kindName(FileKind kind);

} // namespace commoncfg

#endif
