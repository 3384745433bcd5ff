// Loading and saving files, and a client class that writes its own text.
#include <LibCommonCfg/setupfile.h>

#include "linesets.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

using LibCommonCfg::SetupFile;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A client's own file flavour: a fixed header line before the usual lines.
class HeaderedSetupFile : public SetupFile {
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
    ASSERT_TRUE(writeFile(path, "IPADDR=192.168.0.10\r\nNETMASK=255.255.255.0\n"));

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

    ASSERT_TRUE(writeFile(dir.filePath("empty"), ""));
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
    const QByteArray saved = readFile(path);
    EXPECT_EQ(saved, file.serialize());
    EXPECT_EQ(sortedLines(saved),
              sortedLines({"IPADDR=10.0.0.5", "HOST=\xcf\xf0\xe8\xe1\xee\xf0", "DHCP=N"}));

    // A longer old file is replaced, not overwritten in part.
    ASSERT_TRUE(writeFile(path, QByteArray(4096, '#')));
    SetupFile small;
    small.setInt("A", 1);
    ASSERT_TRUE(small.save(path));
    EXPECT_EQ(readFile(path), QByteArray("A=1\n"));

    // An empty store makes an empty file.
    ASSERT_TRUE(SetupFile().save(path));
    EXPECT_EQ(readFile(path), QByteArray());

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
    ASSERT_TRUE(writeFile(dir.filePath("plain"), "x"));
    EXPECT_FALSE(file.save(dir.filePath("plain/network")));
    EXPECT_FALSE(file.save(dir.path()));
    EXPECT_FALSE(file.save(QString()));
    EXPECT_EQ(readFile(dir.filePath("plain")), QByteArray("x"));
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
    EXPECT_EQ(readFile(path), QByteArray("# written by the client\nIPADDR=10.0.0.5\n"));
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
