// Runs the installed commoncfg on the cases under tests/cases/commoncfg: each
// folder holds a `case` file (a first line saying what the case pins down,
// then the arguments and the exit code), optionally the file to work on
// (`in`), the file expected afterwards (`out`; without it the file must stay
// byte for byte as it was) and the expected standard output and error
// (`stdout`, `stderr`; without them, nothing). In the arguments and the
// expected output, @FILE@ stands for the path of the copy the tool works on.
#include "toolrun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct Case {
    QStringList args;
    int exitCode = 0;
    QString stdinFile; // a file of the case handed to the tool on standard input
};

QString caseRoot()
{
    return QStringLiteral(LCC_CASES_DIR "/commoncfg");
}

// "\n", "\r", "\t", "\\" and "\xHH" in an argument.
QByteArray unescape(const QByteArray& text)
{
    QByteArray bytes;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != '\\' || i + 1 == text.size()) {
            bytes.append(text.at(i));
            continue;
        }
        const char next = text.at(++i);
        if (next == 'x' && i + 2 < text.size()) {
            bytes.append(char(text.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else {
            bytes.append(next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next);
        }
    }
    return bytes;
}

bool parseCase(const QString& folder, Case* parsed, QString* error)
{
    const QByteArray text = lcctest::readAll(folder + QStringLiteral("/case"));
    const QList<QByteArray> lines = text.split('\n');
    if (!text.startsWith("# ")) {
        *error = QStringLiteral("the first line must say what the case pins down");
        return false;
    }
    bool sawExit = false;
    for (const QByteArray& line : lines.mid(1)) {
        if (line.startsWith("arg "))
            parsed->args << QString::fromUtf8(unescape(line.mid(4)));
        else if (line == "arg")
            parsed->args << QString();
        else if (line.startsWith("exit ")) {
            sawExit = true;
            parsed->exitCode = line.mid(5).toInt();
        }
        else if (line.startsWith("stdin "))
            parsed->stdinFile = folder + QLatin1Char('/') + QString::fromUtf8(line.mid(6));
        else if (!line.isEmpty()) {
            *error = QStringLiteral("unknown line: ") + QString::fromUtf8(line);
            return false;
        }
    }
    if (!sawExit)
        *error = QStringLiteral("no exit line");
    return sawExit;
}

std::vector<std::string> caseNames()
{
    std::vector<std::string> names;
    for (const QString& name : QDir(caseRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

class ToolCase : public ::testing::TestWithParam<std::string> {};

TEST_P(ToolCase, Runs)
{
    const QString folder = caseRoot() + QLatin1Char('/') + QString::fromStdString(GetParam());
    Case c;
    QString error;
    ASSERT_TRUE(parseCase(folder, &c, &error)) << error.toStdString();

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("device"));
    const QString input = folder + QStringLiteral("/in");
    const bool hasInput = QFile::exists(input);
    const QByteArray before = hasInput ? lcctest::readAll(input) : QByteArray();
    if (hasInput) {
        ASSERT_TRUE(lcctest::writeAll(file, before));
    }
    for (QString& arg : c.args)
        arg.replace(QStringLiteral("@FILE@"), file);

    const lcctest::ToolRun run = lcctest::tool(c.args, c.stdinFile);
    const auto expected = [&](const char* name) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        return QFile::exists(path) ? lcctest::readAll(path) : QByteArray();
    };
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
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

INSTANTIATE_TEST_SUITE_P(Cases, ToolCase, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& ch : name) {
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return name;
                         });

} // namespace
