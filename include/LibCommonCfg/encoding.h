#ifndef LIBCOMMONCFG_ENCODING_H
#define LIBCOMMONCFG_ENCODING_H

#include <LibCommonCfg/libcommoncfg_export.h>

#include <QByteArray>
#include <QString>

#include <string>

/// Scrambles a password in place with a fixed repeating key so that it is
/// not kept in clear text. The operation is its own inverse: a second call
/// restores the original bytes. Every byte value is processed alike and the
/// size never changes. The array's data is made private first, so copies
/// that shared it keep their values.
LIBCOMMONCFG_EXPORT void encryptPassword(QByteArray& password);

/// The path in the local 8-bit encoding of the system (the process locale's
/// character set here, the ANSI code page on Windows), for file interfaces
/// that take 8-bit names. Characters the encoding lacks are replaced.
LIBCOMMONCFG_EXPORT std::string encPath(const QString& path);

#endif // LIBCOMMONCFG_ENCODING_H
