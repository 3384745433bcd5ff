// Loading and saving files, and a client class that writes its own text.
#include <LibCommonCfg/setupfile.h>

#include "support/lines.h"
using lcctest::sortedLines;

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/files.h"

#include <cstdio>
#include <memory>
#include <typeinfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using LibCommonCfg::SetupFile;

using lcctest::readAll;
using lcctest::writeAll;

namespace {

// A client's own file flavour: a fixed header line before the usual lines.
class HeaderedSetupFile final : public SetupFile {
public:
    QByteArray serialize() const override
    {
        return QByteArray("# written by the client\n") + SetupFile::serialize();
    }
};

} // namespace

TEST(SetupFileSave, LoadFromFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");
    ASSERT_TRUE(writeAll(path, "IPADDR=192.168.0.10\r\nNETMASK=255.255.255.0\n"));

    SetupFile file;
    file.setString("HOSTNAME", "dev01");
    ASSERT_TRUE(file.load(path));
    EXPECT_EQ(file.getString("IPADDR"), "192.168.0.10");
    EXPECT_EQ(file.getString("NETMASK"), "255.255.255.0");
    EXPECT_EQ(file.getString("HOSTNAME"), "dev01");

    const SetupFile before = file;
    EXPECT_FALSE(file.load(dir.filePath("absent")));
    EXPECT_FALSE(file.load(dir.path())); // a folder is not a file
    EXPECT_FALSE(file.load(QString()));
    EXPECT_TRUE(file == before);

    ASSERT_TRUE(writeAll(dir.filePath("empty"), ""));
    EXPECT_TRUE(file.load(dir.filePath("empty")));
    EXPECT_TRUE(file == before);
}

TEST(SetupFileSave, SaveWritesExactlyTheSerializedBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");

    SetupFile file;
    file.setString("IPADDR", " 10.0.0.5 ");
    file.setString("HOST", QString::fromUtf8("Прибор"));
    file.setBool("DHCP", false);
    const SetupFile before = file;
    ASSERT_TRUE(file.save(path));
    EXPECT_TRUE(file == before);
    EXPECT_EQ(file.getString("IPADDR"), " 10.0.0.5 ");
    const QByteArray saved = readAll(path);
    EXPECT_EQ(saved, file.serialize());
    EXPECT_EQ(sortedLines(saved),
              sortedLines({"IPADDR=10.0.0.5", "HOST=\xcf\xf0\xe8\xe1\xee\xf0", "DHCP=N"}));

    // A longer old file is replaced, not overwritten in part.
    ASSERT_TRUE(writeAll(path, QByteArray(4096, '#')));
    SetupFile small;
    small.setInt("A", 1);
    ASSERT_TRUE(small.save(path));
    EXPECT_EQ(readAll(path), QByteArray("A=1\n"));

    // An empty store makes an empty file.
    ASSERT_TRUE(SetupFile().save(path));
    EXPECT_EQ(readAll(path), QByteArray());

    SetupFile back;
    ASSERT_TRUE(back.load(path));
    EXPECT_TRUE(back.allKeys().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"network"});
}

TEST(SetupFileSave, SaveFailuresReportFalse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SetupFile file;
    file.setString("IPADDR", "10.0.0.5");
    EXPECT_FALSE(file.save(dir.filePath("no/such/folder/network")));
    ASSERT_TRUE(writeAll(dir.filePath("plain"), "x"));
    EXPECT_FALSE(file.save(dir.filePath("plain/network")));
    EXPECT_FALSE(file.save(dir.path()));
    EXPECT_FALSE(file.save(QString()));
    EXPECT_EQ(readAll(dir.filePath("plain")), QByteArray("x"));
}

TEST(SetupFileSave, FileThatVanishesBetweenLoadAndSave)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("etc"));
    const QString path = dir.filePath("etc/network");
    ASSERT_TRUE(writeAll(path, "IPADDR=10.0.0.5\nNETMASK=255.0.0.0\n"));

    SetupFile file;
    ASSERT_TRUE(file.load(path));
    file.setString("GATEWAY", "10.0.0.1");

    // The file alone is gone: saving puts it back with the loaded content.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(file.save(path));
    SetupFile back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.getString("IPADDR"), "10.0.0.5");
    EXPECT_EQ(back.getString("GATEWAY"), "10.0.0.1");

    // Its whole folder is gone (storage unmounted): false, and nothing appears.
    ASSERT_TRUE(QDir(dir.filePath("etc")).removeRecursively());
    EXPECT_FALSE(file.save(path));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("etc")));
}

TEST(SetupFileSave, ClientSubclassSerializeIsWhatSaveWrites)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network");

    std::unique_ptr<HeaderedSetupFile> client(new HeaderedSetupFile);
    client->setString("IPADDR", "10.0.0.5");
    SetupFile& base = *client;
    ASSERT_TRUE(base.save(path));
    EXPECT_EQ(readAll(path), QByteArray("# written by the client\nIPADDR=10.0.0.5\n"));
    EXPECT_EQ(base.serialize(), QByteArray("# written by the client\nIPADDR=10.0.0.5\n"));

    // The type information of the library's class is usable from here.
    EXPECT_TRUE(typeid(base) == typeid(HeaderedSetupFile));
    EXPECT_TRUE(dynamic_cast<HeaderedSetupFile*>(&base) != nullptr);
    SetupFile plain;
    SetupFile* plainPtr = &plain;
    EXPECT_TRUE(typeid(*plainPtr) == typeid(SetupFile));
    EXPECT_TRUE(dynamic_cast<HeaderedSetupFile*>(plainPtr) == nullptr);

    // The header line loads back as nothing: it holds no "=".
    SetupFile back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.allKeys(), QStringList{"IPADDR"});
    EXPECT_TRUE(back == base);
}

TEST(SetupFileSave, FailedSavesLeaveTheOldFileIntact)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray old("IPADDR=10.0.0.1\nNETMASK=255.0.0.0\n");
    const QString path = dir.filePath("network");
    ASSERT_TRUE(writeAll(path, old));
    SetupFile file;
    file.setString("IPADDR", "10.0.0.2");

    // A path through the old file as if it were a folder fails for root too.
    EXPECT_FALSE(file.save(path + "/network"));
    EXPECT_EQ(readAll(path), old);

    // A full device behind a link: the write fails and is reported. The
    // device node is made in the test's folder, so that a save that wrongly
    // renamed over it could only harm that folder.
    const QString device = dir.filePath("full");
    const QByteArray name = QFile::encodeName(device);
    if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        const QString link = dir.filePath("full-link");
        ASSERT_TRUE(QFile::link(device, link));
        EXPECT_FALSE(file.save(link));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_FALSE(QFileInfo(device).isFile());
    } else if (::geteuid() != 0 && QFileInfo::exists("/dev/full")) {
        const QString link = dir.filePath("full-link");
        ASSERT_TRUE(QFile::link("/dev/full", link));
        EXPECT_FALSE(file.save(link));
    }
    EXPECT_EQ(readAll(path), old);
}

TEST(SetupFileSave, NewFileInReadOnlyFolderIsRefused)
{
    // Root ignores folder permissions: the save is tried by an unprivileged
    // child process then.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("ro");
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    const QString old = folder + "/old";
    ASSERT_TRUE(writeAll(old, "A=1\n"));
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                  QFile::ExeOther));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther));
    SetupFile file;
    file.setString("IPADDR", "10.0.0.2");
    bool refused = false;
    if (::geteuid() != 0) {
        refused = !file.save(folder + "/network");
    } else {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            ::_exit(file.save(folder + "/network") ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 2) << "could not drop the rights";
        refused = WEXITSTATUS(status) == 0;
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(refused);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"old"});
    EXPECT_EQ(readAll(old), QByteArray("A=1\n"));
}
