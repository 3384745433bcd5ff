// A write failing part-way leaves the old file as it was.
#include <LibCommonCfg/cinifile.h>

#include "support/files.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>

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
