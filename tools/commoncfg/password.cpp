// password: the device's password scrambler, for preparing files by hand.
// Scrambled bytes are shown as hex, since they need not be printable. The
// scrambling is reversible with a key every device shares: it keeps a
// password from being read at a glance, nothing more. A password given as
// "-" (or not at all) is read from standard input, out of sight of `ps` and
// the shell's history.
#include "commands.h"

#include <LibCommonCfg/libcommoncfg.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cctype>
#include <cstdio>

namespace commoncfg {

namespace {

// The first line of standard input, without its line end.
QString firstInputLine()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return QString();
    QByteArray line = input.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line);
}

void printResult(const QString& name, const QString& text, const CommonOptions& options)
{
    if (options.json)
        out() << QString::fromUtf8(QJsonDocument(QJsonObject{{name, text}}).toJson(QJsonDocument::Indented));
    else
        out() << text << '\n';
}

} // namespace

int password(const QString& mode, const QString& given, const CommonOptions& options)
{
    const QString text = given == QLatin1String("-") ? firstInputLine() : given;
    if (mode == QLatin1String("scramble") || mode == QLatin1String("encrypt")) {
        QByteArray bytes = text.toLocal8Bit();
        encryptPassword(bytes);
        printResult(QStringLiteral("scrambled"), QString::fromLatin1(bytes.toHex()), options);
        return ExitOk;
    }
    if (mode == QLatin1String("unscramble") || mode == QLatin1String("decrypt")) {
        const QByteArray hex = text.toLatin1();
        for (const char c : hex) {
            if (!isxdigit(static_cast<unsigned char>(c)))
                return fail(ExitError, QString(),
                            QStringLiteral("password unscramble: expects the hex text that scramble prints"));
        }
        if (hex.size() % 2 != 0)
            return fail(ExitError, QString(),
                        QStringLiteral("password unscramble: expects the hex text that scramble prints"));
        QByteArray bytes = QByteArray::fromHex(hex);
        encryptPassword(bytes);
        printResult(QStringLiteral("password"), QString::fromLocal8Bit(bytes), options);
        return ExitOk;
    }
    return fail(ExitError, QString(),
                QStringLiteral("password: expected scramble or unscramble, not \"%1\"").arg(mode));
}

} // namespace commoncfg
