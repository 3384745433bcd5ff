// Runs the installed commoncfg binary on copies of device files and checks
// its output, exit codes and what it leaves on disk.
#include "childprocess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

QString dataFile(const char* name)
{
    return QStringLiteral(LCC_TEST_DATA_DIR "/") + QLatin1String(name);
}

QString exampleFile(const char* name)
{
    return QStringLiteral(COMMONCFG_EXAMPLES_DIR "/") + QLatin1String(name);
}

ToolRun runProgram(const QString& program, const QStringList& args)
{
    const lcctest::ChildRun child = lcctest::runChild(program, args, "C.UTF-8");
    ToolRun run;
    if (!child.finished) {
        run.err = QStringLiteral("did not finish normally: ") + program;
        return run;
    }
    run.exitCode = child.exitCode;
    run.out = QString::fromUtf8(child.out);
    run.err = QString::fromUtf8(child.err);
    return run;
}

// The command line that starts the tool's binary: the binary itself, or the
// build's emulator followed by it.
QStringList toolCommand(const QString& binary)
{
    const QString launcher = QStringLiteral(COMMONCFG_LAUNCHER);
    return launcher.isEmpty() ? QStringList{binary} : QStringList{launcher, binary};
}

ToolRun tool(const QStringList& args)
{
    QStringList command = toolCommand(QStringLiteral(COMMONCFG_BINARY));
    const QString program = command.takeFirst();
    return runProgram(program, command + args);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QSet<QByteArray> lineSet(const QByteArray& bytes)
{
    QSet<QByteArray> lines;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.isEmpty())
            lines.insert(line);
    }
    return lines;
}

class CommonCfgTool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A private copy of a device file, so that tests may change it.
    QString copy(const QString& source, const char* name)
    {
        const QString target = dir.filePath(QLatin1String(name));
        EXPECT_TRUE(QFile::copy(source, target)) << source.toStdString();
        QFile::setPermissions(target,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        return target;
    }

    QTemporaryDir dir;
};

TEST_F(CommonCfgTool, ShowPrintsTypedValuesWithComments)
{
    const QString ini = copy(dataFile("small.ini"), "small.ini");
    const ToolRun run = tool({QStringLiteral("show"), ini});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(), R"(;тестовый файл
[main]  ;общие
   moddate = 0x1f  ;дата
   modem = true
   name = Регистратор
[dchan1]
   nstate = false
   ;примечание
   event = true
)");
    EXPECT_EQ(run.err, QString());

    const ToolRun json = tool({QStringLiteral("show"), QStringLiteral("--json"), ini});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(root.value(QStringLiteral("format")).toString(), QStringLiteral("ini"));
    const QJsonArray groups = root.value(QStringLiteral("groups")).toArray();
    ASSERT_EQ(groups.size(), 2);
    const QJsonObject main = groups.at(0).toObject();
    EXPECT_EQ(main.value(QStringLiteral("group")).toString(), QStringLiteral("main"));
    EXPECT_EQ(main.value(QStringLiteral("comment")).toString(), QString::fromUtf8("общие"));
    const QJsonArray keys = main.value(QStringLiteral("keys")).toArray();
    ASSERT_EQ(keys.size(), 3);
    EXPECT_EQ(keys.at(0).toObject().value(QStringLiteral("value")).toDouble(), 31.0);
    EXPECT_EQ(keys.at(1).toObject().value(QStringLiteral("value")), QJsonValue(true));
    EXPECT_EQ(keys.at(2).toObject().value(QStringLiteral("value")).toString(),
              QString::fromUtf8("Регистратор"));

    const QString tz = copy(exampleFile("timezone.tz"), "timezone.tz");
    const ToolRun flat = tool({QStringLiteral("show"), tz});
    EXPECT_EQ(flat.exitCode, 0);
    EXPECT_EQ(flat.out.toStdString(), "DST=N\nNTP=Y\nTZ=MSK-3\nUTC=Y\nZONE=Europe/Moscow\nZONENAME=Москва\n");
}

TEST_F(CommonCfgTool, GetPrintsOneValueOrReportsItMissing)
{
    const QString ini = copy(exampleFile("device.ini"), "device.ini");
    ToolRun run = tool({QStringLiteral("get"), ini, QStringLiteral("main/moddate")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("0x6745a1f0\n"));
    run = tool({QStringLiteral("get"), ini, QStringLiteral("dchan2/nstate")});
    EXPECT_EQ(run.out, QStringLiteral("false\n"));

    run = tool({QStringLiteral("get"), ini, QStringLiteral("main/nosuchkey")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("commoncfg: %1: main/nosuchkey: no such key\n").arg(ini));

    run = tool({QStringLiteral("get"), ini, QStringLiteral("moddate")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("commoncfg: %1: \"moddate\": expected GROUP/KEY\n").arg(ini));

    const QString setup = copy(exampleFile("network.setup"), "network.setup");
    run = tool({QStringLiteral("get"), setup, QStringLiteral("LOCATION")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QString::fromUtf8("ПС-110 Северная, щит 3\n"));
    run = tool({QStringLiteral("get"), setup, QStringLiteral("GATEWAY2")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("\n"));
}

TEST_F(CommonCfgTool, SetChangesOnlyTheLinesOfTheChangedKeys)
{
    const QString ini = copy(exampleFile("device.ini"), "device.ini");
    const QByteArray before = readAll(ini);
    ASSERT_TRUE(before.contains("   moddate=0x6745A1F0 \r\n"));
    ASSERT_TRUE(before.contains("   nstate=on \r\n"));

    const ToolRun run =
        tool({QStringLiteral("set"), ini, QStringLiteral("main/moddate"), QStringLiteral("0x1f"),
              QStringLiteral("dchan3/nstate"), QStringLiteral("off")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());

    QByteArray expected = before;
    expected.replace("   moddate=0x6745A1F0 \r\n", "   moddate=0x1f \r\n");
    const int dchan3 = expected.indexOf("[dchan3]");
    ASSERT_GE(dchan3, 0);
    const int nstate = expected.indexOf("   nstate=on \r\n", dchan3);
    ASSERT_GT(nstate, dchan3);
    expected.replace(nstate, int(qstrlen("   nstate=on \r\n")), "   nstate=off \r\n");
    EXPECT_EQ(readAll(ini), expected);
    EXPECT_EQ(tool({QStringLiteral("get"), ini, QStringLiteral("main/moddate")}).out,
              QStringLiteral("0x1f\n"));

    const QString setup = copy(exampleFile("network.setup"), "network.setup");
    const QByteArray setupBefore = readAll(setup);
    const ToolRun flat =
        tool({QStringLiteral("set"), setup, QStringLiteral("IPADDR3"), QStringLiteral("192.168.30.77")});
    EXPECT_EQ(flat.exitCode, 0) << flat.err.toStdString();
    QSet<QByteArray> lines = lineSet(setupBefore);
    lines.remove("IPADDR3=192.168.10.77");
    lines.insert("IPADDR3=192.168.30.77");
    EXPECT_EQ(lineSet(readAll(setup)), lines);
}

TEST_F(CommonCfgTool, RefusedValuesLeaveTheFileByteIdentical)
{
    const QString ini = copy(exampleFile("device.ini"), "device.ini");
    const QByteArray before = readAll(ini);
    struct Case {
        QStringList args;
        int exitCode;
        QString message;
    };
    const QList<Case> cases{
        {{QStringLiteral("main/moddate"), QStringLiteral("zz")},
         2,
         QStringLiteral("main/moddate: expects a hexadecimal mask such as 0x1f")},
        // The valid first pair must not be stored when the second is refused.
        {{QStringLiteral("main/name"), QStringLiteral("x"), QStringLiteral("main/modem"),
          QStringLiteral("yes")},
         2,
         QStringLiteral("main/modem: expects 0 or 1")},
        {{QStringLiteral("dchan1/nstate"), QStringLiteral("1")},
         2,
         QStringLiteral("dchan1/nstate: expects on or off")},
        {{QStringLiteral("main/name"), QString()}, 2, QStringLiteral("main/name: empty value refused")},
        {{QStringLiteral("main/name"), QStringLiteral("a;b")},
         2,
         QStringLiteral("main/name: a value in this file cannot hold \";\" (it starts a comment)")},
        {{QStringLiteral("main/name"), QStringLiteral("a\nb")},
         2,
         QStringLiteral("main/name: a value cannot span lines")},
        {{QStringLiteral("name"), QStringLiteral("x")}, 2, QStringLiteral("\"name\": expected GROUP/KEY")},
        {{QStringLiteral("nogroup/name"), QStringLiteral("x")},
         1,
         QStringLiteral("nogroup/name: no group \"nogroup\" (use --create to add it)")},
        {{QStringLiteral("main/nokey"), QStringLiteral("x")},
         1,
         QStringLiteral("main/nokey: no such key (use --create to add it)")},
    };
    for (const Case& c : cases) {
        const ToolRun run = tool(QStringList{QStringLiteral("set"), ini} + c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.err, QStringLiteral("commoncfg: %1: %2\n").arg(ini, c.message));
        EXPECT_EQ(readAll(ini), before) << c.args.join(QLatin1Char(' ')).toStdString();
    }

    const QString setup = copy(exampleFile("network.setup"), "network.setup");
    const QByteArray setupBefore = readAll(setup);
    const ToolRun run =
        tool({QStringLiteral("set"), setup, QStringLiteral("NETMASK2"), QStringLiteral("255.255.0")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(
        run.err,
        QStringLiteral("commoncfg: %1: NETMASK2: expects a dotted-quad IPv4 address such as 192.168.1.10\n")
            .arg(setup));
    EXPECT_EQ(readAll(setup), setupBefore);

    const ToolRun created = tool({QStringLiteral("set"), QStringLiteral("--create"), ini,
                                  QStringLiteral("achan9/name"), QStringLiteral("new")});
    EXPECT_EQ(created.exitCode, 0) << created.err.toStdString();
    EXPECT_TRUE(readAll(ini).endsWith("[achan9] \r\n   name=new \r\n\r\n"));
}

TEST_F(CommonCfgTool, CheckNetworkReportsTheDeliberateProblem)
{
    const QString setup = copy(exampleFile("network.setup"), "network.setup");
    const ToolRun run = tool({QStringLiteral("check-network"), setup});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "interface 1: address 192.168.10.20, mask 255.255.255.0, gateway 192.168.10.1\n"
              "interface 2: address 10.20.0.5, mask 255.255.0.0, gateway -\n"
              "interface 3: address 192.168.10.77, mask 255.255.255.0, gateway 192.168.20.1\n"
              "findings:\n"
              "  interface 3: gateway 192.168.20.1 is not on the interface's network\n"
              "  networks of two interfaces overlap in 192.168.10.0\n");

    const ToolRun two =
        tool({QStringLiteral("check-network"), QStringLiteral("--interfaces"), QStringLiteral("2"), setup});
    EXPECT_EQ(two.exitCode, 0);
    EXPECT_TRUE(two.out.endsWith(QStringLiteral("network settings are sound\n"))) << two.out.toStdString();

    const QString sound = copy(dataFile("sound.setup"), "sound.setup");
    const ToolRun ok = tool({QStringLiteral("check-network"), sound});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.out.toStdString(),
              "interface 1: address 192.168.1.5, mask 255.255.255.0, gateway 192.168.1.1\n"
              "interface 2: address 10.0.0.5, mask 255.0.0.0, gateway -\n"
              "network settings are sound\n");

    const QString ini = copy(exampleFile("device.ini"), "device.ini");
    const ToolRun notSetup = tool({QStringLiteral("check-network"), ini});
    EXPECT_EQ(notSetup.exitCode, 2);
    EXPECT_EQ(notSetup.err,
              QStringLiteral("commoncfg: %1: not a network setup file (no IPADDR keys)\n").arg(ini));
}

TEST_F(CommonCfgTool, PasswordRoundTripsThroughHex)
{
    const ToolRun encrypted =
        tool({QStringLiteral("password"), QStringLiteral("encrypt"), QStringLiteral("s3cret!")});
    ASSERT_EQ(encrypted.exitCode, 0);
    const QString hex = encrypted.out.trimmed();
    EXPECT_EQ(hex.size(), 14);
    EXPECT_NE(QByteArray::fromHex(hex.toLatin1()), QByteArray("s3cret!"));
    const ToolRun decrypted = tool({QStringLiteral("password"), QStringLiteral("decrypt"), hex});
    EXPECT_EQ(decrypted.exitCode, 0);
    EXPECT_EQ(decrypted.out, QStringLiteral("s3cret!\n"));

    const ToolRun bad = tool({QStringLiteral("password"), QStringLiteral("decrypt"), QStringLiteral("xyz")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err,
              QStringLiteral("commoncfg: password decrypt: expects the hex text that encrypt prints\n"));
}

TEST_F(CommonCfgTool, BadInputGetsAMessageAndExitCodeTwo)
{
    const QString missing = dir.filePath(QStringLiteral("missing.ini"));
    QFile garbage(dir.filePath(QStringLiteral("garbage.bin")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray("\x7f"
                             "ELF\x02\x01\x01\x00\x00[main]\x00",
                             16));
    garbage.close();
    const QString text = dir.filePath(QStringLiteral("plain.txt"));
    QFile plain(text);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("just some words\n");
    plain.close();

    struct Case {
        QStringList args;
        QString message;
    };
    const QList<Case> cases{
        {{QStringLiteral("show"), missing}, QStringLiteral("commoncfg: %1: no such file\n").arg(missing)},
        {{QStringLiteral("show"), dir.path()},
         QStringLiteral("commoncfg: %1: is a folder, not a device file\n").arg(dir.path())},
        {{QStringLiteral("show"), garbage.fileName()},
         QStringLiteral("commoncfg: %1: holds binary data, not a device file\n").arg(garbage.fileName())},
        {{QStringLiteral("show"), text},
         QStringLiteral("commoncfg: %1: cannot tell the kind of file; name it with --format ini|setup|tz\n")
             .arg(text)},
        {{QStringLiteral("show"), QStringLiteral("--format"), QStringLiteral("xml"), text},
         QStringLiteral("commoncfg: %1: unknown format \"xml\" (expected ini, setup or tz)\n").arg(text)},
        {{}, QStringLiteral("commoncfg: no command given (see commoncfg --help)\n")},
        {{QStringLiteral("frobnicate")},
         QStringLiteral("commoncfg: unknown command \"frobnicate\" (see commoncfg --help)\n")},
        {{QStringLiteral("show")}, QStringLiteral("commoncfg: show expects FILE (see commoncfg --help)\n")},
        {{QStringLiteral("set"), text, QStringLiteral("a")},
         QStringLiteral("commoncfg: set expects FILE followed by KEY VALUE pairs (see commoncfg --help)\n")},
        {{QStringLiteral("--bogus")},
         QStringLiteral("commoncfg: Unknown option 'bogus'. (see commoncfg --help)\n")},
    };
    for (const Case& c : cases) {
        const ToolRun run = tool(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.err.toStdString(), c.message.toStdString());
        EXPECT_EQ(run.out, QString());
    }

    // A forced kind reads the plain text as a flat file with no keys.
    const ToolRun forced =
        tool({QStringLiteral("show"), QStringLiteral("--format"), QStringLiteral("tz"), text});
    EXPECT_EQ(forced.exitCode, 0);
    EXPECT_EQ(forced.out, QString());

    const ToolRun help = tool({QStringLiteral("set"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(
        help.out.startsWith(QStringLiteral("Usage: commoncfg set FILE GROUP/KEY|KEY VALUE [KEY VALUE...]\n")))
        << help.out.toStdString();
}

// As root, folder permissions do not stop a write; the tool is then run as
// the unprivileged "nobody" from a copy of the installed tree it can reach.
TEST_F(CommonCfgTool, SaveIntoAReadOnlyFolderFailsAndKeepsTheOriginal)
{
    QStringList prefix = toolCommand(QStringLiteral(COMMONCFG_BINARY));
    QString program = prefix.takeFirst();
    if (geteuid() == 0) {
        const QString setpriv = QStringLiteral("/usr/bin/setpriv");
        if (!QFileInfo::exists(setpriv))
            GTEST_SKIP() << "running as root without setpriv: folder permissions cannot be tested";
        const QString tree = dir.filePath(QStringLiteral("tree"));
        const QFileInfo binary(QStringLiteral(COMMONCFG_BINARY));
        const QDir installed(binary.absolutePath() + QStringLiteral("/.."));
        ASSERT_TRUE(QDir().mkpath(tree + QStringLiteral("/bin")));
        ASSERT_TRUE(QDir().mkpath(tree + QStringLiteral("/lib")));
        ASSERT_TRUE(QFile::copy(binary.filePath(), tree + QStringLiteral("/bin/commoncfg")));
        const QDir libs(installed.filePath(QStringLiteral(COMMONCFG_LIBDIR)));
        for (const QFileInfo& lib : libs.entryInfoList({QStringLiteral("libLibCommonCfg.so*")}, QDir::Files))
            ASSERT_TRUE(QFile::copy(lib.absoluteFilePath(), tree + QStringLiteral("/lib/") + lib.fileName()));
        program = setpriv;
        prefix = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                             QStringLiteral("--clear-groups"), QStringLiteral("env"),
                             QStringLiteral("LD_LIBRARY_PATH=") + tree + QStringLiteral("/lib")} +
                 toolCommand(tree + QStringLiteral("/bin/commoncfg"));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
        for (const QString& sub : {tree, tree + QStringLiteral("/bin"), tree + QStringLiteral("/lib")})
            QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadOther | QFile::ExeOther);
    }
    const QString folder = dir.filePath(QStringLiteral("readonly"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString ini = folder + QStringLiteral("/device.ini");
    ASSERT_TRUE(QFile::copy(exampleFile("device.ini"), ini));
    const QByteArray before = readAll(ini);
    QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadOther);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);

    const ToolRun run =
        runProgram(program, prefix + QStringList{QStringLiteral("set"), ini, QStringLiteral("main/modem"),
                                                 QStringLiteral("0")});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(run.exitCode, 2) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("commoncfg: %1: cannot write").arg(ini)))
        << run.err.toStdString();
    EXPECT_EQ(readAll(ini), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("device.ini")});
}

} // namespace
