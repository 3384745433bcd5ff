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
#include <QTemporaryDir>

namespace {

LCC_CASE_TEST(ToolCase, "commoncfg", "arg", "exit", "stdin")
{
    ASSERT_TRUE(c.has("exit")) << "no exit line";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("device"));
    const bool hasInput = c.hasFile(QStringLiteral("in"));
    if (hasInput) {
        ASSERT_TRUE(lcctest::writeAll(file, c.file(QStringLiteral("in"))));
    }
    QStringList args;
    for (const QByteArray& arg : c.all("arg"))
        args << QString::fromUtf8(arg).replace(QStringLiteral("@FILE@"), file);
    const lcctest::ToolRun run = lcctest::tool(
        args, c.has("stdin") ? QDir(c.folder).filePath(QString::fromUtf8(c.one("stdin"))) : QString());
    const auto expected = [&](const char* name) {
        return QString::fromUtf8(c.file(QLatin1String(name)))
            .replace(QStringLiteral("@FILE@"), file)
            .toStdString();
    };
    EXPECT_EQ(run.exitCode, c.one("exit").toInt()) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(), expected("stdout"));
    EXPECT_EQ(run.err.toStdString(), expected("stderr"));
    if (hasInput) {
        EXPECT_EQ(lcctest::readAll(file),
                  c.file(QLatin1String(c.hasFile(QStringLiteral("out")) ? "out" : "in")));
        // Nothing left behind beside the file.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("device")});
    }
}

} // namespace
