#ifndef LCC_TESTS_SUPPORT_FILES_H
#define LCC_TESTS_SUPPORT_FILES_H

// Whole files as bytes, and a scratch folder to put them in.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace lcctest {

// A marker that no test expects, so an unreadable file fails the comparison.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// A scratch folder, removed with the object, with helpers to put bytes into
// its files and take them out; the engines take paths as std::string.
class ScratchDir {
public:
    bool isValid() const { return m_dir.isValid(); }
    std::string path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)).toStdString(); }
    QString qpath(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // The path of the named file after the bytes were written into it.
    std::string write(const char* name, const QByteArray& bytes) const
    {
        const std::string file = path(name);
        EXPECT_TRUE(writeAll(QString::fromStdString(file), bytes)) << file;
        return file;
    }

    static QByteArray read(const std::string& file) { return readAll(QString::fromStdString(file)); }

private:
    QTemporaryDir m_dir;
};

} // namespace lcctest

#endif
