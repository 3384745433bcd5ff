// Runs the installed commoncfg on the cases under tests/cases/commoncfg: each
// folder holds a `case` file (a first line saying what the case pins down,
// then the arguments and the exit code), optionally the file to work on
// (`in`), the file expected afterwards (`out`; without it the file must stay
// byte for byte as it was) and the expected standard output and error
// (`stdout`, `stderr`; without them, nothing). In the arguments and the
// expected output, @FILE@ stands for the path of the copy the tool works on;
// `stdin` names a file of the case, or an absolute path such as /dev/zero.
#include "support/cases.h"
#include "toolrun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

LCC_CASE_TEST(ToolCase, "commoncfg", "arg", "exit", "stdin")
{
    ASSERT_TRUE(c.has("exit")) << "no exit line";
    const QString& folder = c.folder;
    QStringList args;
    for (const QByteArray& arg : c.all("arg"))
        args << QString::fromUtf8(arg);
    const QString stdinFile =
        c.has("stdin") ? QDir(folder).filePath(QString::fromUtf8(c.one("stdin"))) : QString();

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("device"));
    const QString input = folder + QStringLiteral("/in");
    const bool hasInput = QFile::exists(input);
    const QByteArray before = hasInput ? lcctest::readAll(input) : QByteArray();
    if (hasInput) {
        ASSERT_TRUE(lcctest::writeAll(file, before));
    }
    for (QString& arg : args)
        arg.replace(QStringLiteral("@FILE@"), file);

    const lcctest::ToolRun run = lcctest::tool(args, stdinFile);
    const auto expected = [&](const char* name) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        return QFile::exists(path) ? lcctest::readAll(path) : QByteArray();
    };
    EXPECT_EQ(run.exitCode, c.one("exit").toInt()) << run.err.toStdString();
    const auto withPath = [&](const char* name) {
        return QString::fromUtf8(expected(name)).replace(QStringLiteral("@FILE@"), file).toStdString();
    };
    EXPECT_EQ(run.out.toStdString(), withPath("stdout"));
    EXPECT_EQ(run.err.toStdString(), withPath("stderr"));
    if (hasInput) {
        const QString output = folder + QStringLiteral("/out");
        EXPECT_EQ(lcctest::readAll(file), QFile::exists(output) ? lcctest::readAll(output) : before);
        // Nothing left behind beside the file.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("device")});
    }
}

} // namespace
