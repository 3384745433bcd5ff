#ifndef LCC_TESTS_COMMON_FOLDERVIEW_H
#define LCC_TESTS_COMMON_FOLDERVIEW_H

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sys/stat.h>

// What a save left in a folder and on a file, and the ACLs tests give them.
namespace folderview {

// Hidden files too: a save's temporary file is one.
inline QStringList filesIn(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

inline QByteArray name(const QString& path)
{
    return QFile::encodeName(path);
}

inline struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(name(path).constData(), &st);
    return st;
}

// POSIX ACLs as the kernel stores them in xattrs: version 2, then tag,
// rights and id of the owner, user 1234, the group, the mask and others.
inline const QByteArray kAccessAcl = QByteArray::fromHex(
    "02000000 01000600ffffffff 02000600d2040000 04000400ffffffff 10000600ffffffff 20000000ffffffff");
inline const QByteArray kDefaultAcl = QByteArray::fromHex(
    "02000000 01000700ffffffff 02000700d2040000 04000500ffffffff 10000700ffffffff 20000000ffffffff");

} // namespace folderview

#endif
