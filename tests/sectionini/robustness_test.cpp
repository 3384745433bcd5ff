// Files that no device writes but damaged storage and careless hands do:
// the engine must neither crash nor read out of bounds, and keeps what the
// line rules allow.
#include <LibCommonCfg/cinifile.h>

#include "support/files.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads the bytes into a document that held something before.
void readBytes(CIniFile& doc, const QByteArray& bytes)
{
    lcctest::ScratchDir dir;
    doc.Set("before", "k", "v");
    ASSERT_EQ(doc.Read(dir.write("in.ini", bytes).c_str()), 0);
    EXPECT_EQ(doc.GetSect("before"), nullptr);
}

} // namespace

TEST(CIniRobustness, LongLinesAreCutInPiecesOf4095Bytes)
{
    {
        // 4095 bytes: one whole read; the line end alone is a blank line.
        CIniFile doc;
        readBytes(doc, "[s]\nk=" + QByteArray(4093, 'v') + "\nafter=1\n");
        ASSERT_NE(doc.Get("s", "k"), nullptr);
        EXPECT_EQ(std::string(doc.Get("s", "k")), std::string(4093, 'v'));
        EXPECT_STREQ(doc.Get("s", "after"), "1");
        EXPECT_EQ(doc.GetKeyNum(0), 2);
    }
    {
        // 4096 bytes: the last byte comes as a line of its own.
        CIniFile doc;
        readBytes(doc, "[s]\nk=" + QByteArray(4093, 'v') + "w\nafter=1\n");
        EXPECT_EQ(std::string(doc.Get("s", "k")), std::string(4093, 'v'));
        EXPECT_EQ(doc.Get("s", "w"), nullptr);
        EXPECT_EQ(doc.GetKeyNum(0), 2);
        // With a "=" in it, the second piece is a key line.
        readBytes(doc, "[s]\nk=" + QByteArray(4093, 'v') + "=\nafter=1\n");
        EXPECT_EQ(doc.GetKeyNum(0), 2);
        readBytes(doc, "[s]\nk=" + QByteArray(4092, 'v') + "w=x\n");
        EXPECT_EQ(std::string(doc.Get("s", "k")), std::string(4092, 'v') + "w");
        EXPECT_STREQ(doc.Get("s", "=x"), nullptr);
    }
    {
        // 100,000 bytes with the "=" in the second piece.
        QByteArray line(100000, 'b');
        line.replace(0, 5000, QByteArray(5000, 'a'));
        line[5000] = '=';
        CIniFile doc;
        readBytes(doc, "[s]\n" + line + "\nafter=1\n");
        ASSERT_EQ(doc.GetKeyNum(0), 2);
        EXPECT_EQ(std::string(doc.GetKeyName(0, 0)), std::string(5000 - 4095, 'a'));
        EXPECT_EQ(std::string(doc.GetKeyValue(0, 0)), std::string(2 * 4095 - 5001, 'b'));
        EXPECT_STREQ(doc.Get("s", "after"), "1");
    }
    {
        // A header longer than the buffer loses its "]" and is no header.
        CIniFile doc;
        readBytes(doc, "[" + QByteArray(5000, 'h') + "]\nk=1\n[t]\nk=2\n");
        EXPECT_EQ(doc.GetSectionNum(), 1);
        EXPECT_STREQ(doc.Get("t", "k"), "2");
    }
}

TEST(CIniRobustness, NulBytesAndLineEnds)
{
    CIniFile doc;
    static const char bytes[] = "[s]\nk=ab\0cd=ef\n\0x=1\n[t\0]\ny=2\nlast=3";
    readBytes(doc, QByteArray(bytes, sizeof bytes - 1));
    EXPECT_EQ(doc.GetSectionNum(), 1);
    EXPECT_STREQ(doc.Get("s", "k"), "ab");
    EXPECT_EQ(doc.Get("s", "x"), nullptr);
    EXPECT_STREQ(doc.Get("s", "y"), "2");
    // No final line end.
    EXPECT_STREQ(doc.Get("s", "last"), "3");
    EXPECT_EQ(doc.GetKeyNum(0), 3);

    // A lone CR is no line end; it is trimmed as a blank at the end of a key.
    readBytes(doc, "[s]\r\nk=1\rj=2\r\n[t]\rk=9\r\n");
    EXPECT_STREQ(doc.Get("s", "k"), "1\rj=2");
    EXPECT_STREQ(doc.Get("t", "k"), nullptr);
    EXPECT_EQ(doc.GetSectionNum(), 2);
}

TEST(CIniRobustness, FilesOfBracketsAndSemicolonsOnly)
{
    for (const char* bytes : {"[\n[\n[", "]\n]\n]\n", ";\n;\n;", "[\n]\n;\n=\n==\n ; \n"}) {
        CIniFile doc;
        readBytes(doc, bytes);
        EXPECT_EQ(doc.firstSect, nullptr) << bytes;
    }
    CIniFile doc;
    readBytes(doc, "[]\n]=[\n;;\n[]\nx=1\n");
    EXPECT_EQ(doc.GetSectionNum(), 1);
    EXPECT_STREQ(doc.Get("", "]"), "[");
    EXPECT_STREQ(doc.GetSect(0)->firstKey->next->comment, ";");
    EXPECT_EQ(doc.Get("", "x"), nullptr);
}

TEST(CIniRobustness, EveryByteValue)
{
    // All bytes 1..255 except LF, "=", ";", "[" inside one key line's value.
    QByteArray value;
    for (int b = 1; b < 256; ++b) {
        if (b != '\n' && b != ';' && b != '\r')
            value.append(static_cast<char>(b));
    }
    CIniFile doc;
    readBytes(doc, "[s]\nk=" + value + "\n");
    const QByteArray trimmed = value.mid(value.indexOf('!'));
    ASSERT_NE(doc.Get("s", "k"), nullptr);
    EXPECT_EQ(QByteArray(doc.Get("s", "k")), trimmed);

    lcctest::ScratchDir dir;
    const std::string out = dir.path("out.ini");
    ASSERT_EQ(doc.Write(out.c_str()), 0);
    EXPECT_EQ(lcctest::ScratchDir::read(out), "[s] \r\n   k=" + trimmed + " \r\n\r\n");
    CIniFile back;
    ASSERT_EQ(back.Read(out.c_str()), 0);
    EXPECT_EQ(QByteArray(back.Get("s", "k")), trimmed);
}

TEST(CIniRobustness, PathsThatCannotBeUsed)
{
    lcctest::ScratchDir dir;
    const std::string folder = dir.path("folder");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    const std::string file = dir.write("file.ini", "[s]\nk=1\n");

    const std::string lost = dir.path("missing/out.ini");

    CIniFile doc;
    doc.Set("keep", "k", "v");
    // A folder, a file used as a folder, a missing folder and an empty name.
    for (const std::string& path : {folder, file + "/x.ini", lost, std::string()}) {
        EXPECT_EQ(doc.Read(path.c_str()), 1) << path;
        EXPECT_EQ(doc.Write(path.c_str()), 1) << path;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(lost)));
    EXPECT_STREQ(doc.Get("keep", "k"), "v");
    EXPECT_EQ(doc.GetSectionNum(), 1);
}

TEST(CIniRobustness, FailedWriteLeavesTheOldFile)
{
    // A file-size limit makes the write fail part-way, for root as well. The
    // file could be opened, so Write reports 0 as it always has; the old file
    // stays whole instead of cut short, with nothing beside it.
    lcctest::ScratchDir dir;
    const QByteArray old("[s]\r\nk=old\r\n");
    const std::string file = dir.write("device.ini", old);
    CIniFile doc;
    doc.Set("s", "k", std::string(1 << 20, 'v').c_str());

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = doc.Write(file.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(lcctest::ScratchDir::read(file), old);
    EXPECT_EQ(QDir(QString::fromStdString(dir.path(""))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("device.ini")});
}

namespace {

// Reads a file that the calling user may not read into a document that holds
// something; true when Read reports 1 and the document is unchanged.
bool readIsRefused(const std::string& file)
{
    CIniFile doc;
    doc.Set("keep", "k", "v");
    return doc.Read(file.c_str()) == 1 && doc.GetSectionNum() == 1 && doc.Get("keep", "k") &&
           std::strcmp(doc.Get("keep", "k"), "v") == 0;
}

} // namespace

TEST(CIniRobustness, UnreadableFile)
{
    lcctest::ScratchDir dir;
    const std::string file = dir.write("secret.ini", "[s]\nk=1\n");
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(file), QFileDevice::WriteOwner));
    if (geteuid() != 0) {
        EXPECT_TRUE(readIsRefused(file));
        return;
    }
    // Root reads every file: try it as an unprivileged user in a child process.
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(dir.path("")),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther));
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(readIsRefused(file) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not drop the rights, 1: Read did not refuse the file";
}
