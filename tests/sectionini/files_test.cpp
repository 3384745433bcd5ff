// Read and Write by file name: which name they use, what they refuse, and
// that a write failing part-way leaves the old file as it was.
#include <LibCommonCfg/cinifile.h>

#include "support/files.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>

TEST(CIniFiles, NamesAndPathsThatCannotBeUsed)
{
    lcctest::ScratchDir dir;
    const std::string good = dir.write("good.ini", "[A]\nk=1\n");
    const std::string folder = dir.path("folder");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    const std::string lost = dir.path("missing/out.ini");

    // A missing file, a folder, a file used as a folder, a missing folder, an
    // empty name, no name at all: refused, the document unchanged.
    CIniFile doc;
    doc.Set("keep", "k", "v");
    for (const std::string& path : {dir.path("missing.ini"), folder, good + "/x.ini", lost, std::string()}) {
        EXPECT_EQ(doc.Read(path.c_str()), 1) << path;
        if (path != dir.path("missing.ini")) {
            EXPECT_EQ(doc.Write(path.c_str()), 1) << path;
        }
    }
    EXPECT_EQ(doc.Read(nullptr), 1);
    EXPECT_EQ(doc.Write(nullptr), 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(lost)));
    EXPECT_EQ(doc.GetSectionNum(), 1);
    EXPECT_STREQ(doc.Get("keep", "k"), "v");

    // The document's own name serves when none is given.
    CIniFile named(good);
    EXPECT_EQ(named.Read(), 0);
    EXPECT_STREQ(named.Get("A", "k"), "1");
    named.SetFileName(dir.path("copy.ini"));
    named.Set("A", "k", "2");
    EXPECT_EQ(named.Write(), 0);
    EXPECT_EQ(lcctest::ScratchDir::read(dir.path("copy.ini")), QByteArray("[A] \r\n   k=2 \r\n\r\n"));
    EXPECT_EQ(lcctest::ScratchDir::read(good), QByteArray("[A]\nk=1\n"));
    EXPECT_EQ(CIniFile().Write(dir.path("copy.ini").c_str()), 0); // replaces the old contents
    EXPECT_EQ(lcctest::ScratchDir::read(dir.path("copy.ini")), QByteArray());
}

TEST(CIniFiles, FailedWriteLeavesTheOldFile)
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
    EXPECT_EQ(QDir(dir.qpath("")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("device.ini")});
}
