#ifndef LCC_TESTS_SECTIONINI_FILEHELPERS_H
#define LCC_TESTS_SECTIONINI_FILEHELPERS_H

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

// A scratch folder with helpers to put bytes into files and take them out.
class ScratchDir {
public:
    std::string path(const char* name) const
    {
        return m_dir.filePath(QString::fromLatin1(name)).toStdString();
    }

    std::string write(const char* name, const QByteArray& bytes) const
    {
        const std::string file = path(name);
        QFile out(QString::fromStdString(file));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << file;
        EXPECT_EQ(out.write(bytes), bytes.size());
        return file;
    }

    static QByteArray read(const std::string& file)
    {
        QFile in(QString::fromStdString(file));
        EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << file;
        return in.readAll();
    }

private:
    QTemporaryDir m_dir;
};

#endif // LCC_TESTS_SECTIONINI_FILEHELPERS_H
