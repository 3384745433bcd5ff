// password: the device's password scrambler, for preparing files by hand.
// Scrambled bytes are shown as hex, since they need not be printable.
#include "commands.h"

#include <LibCommonCfg/libcommoncfg.h>

#include <cctype>

namespace commoncfg {

int password(const QString& mode, const QString& text)
{
    if (mode == QLatin1String("encrypt")) {
        QByteArray bytes = text.toLocal8Bit();
        encryptPassword(bytes);
        out() << QString::fromLatin1(bytes.toHex()) << '\n';
        return ExitOk;
    }
    if (mode == QLatin1String("decrypt")) {
        const QByteArray hex = text.toLatin1();
        for (const char c : hex) {
            if (!isxdigit(static_cast<unsigned char>(c)))
                return fail(ExitError, QString(),
                            QStringLiteral("password decrypt: expects the hex text that encrypt prints"));
        }
        if (hex.size() % 2 != 0)
            return fail(ExitError, QString(),
                        QStringLiteral("password decrypt: expects the hex text that encrypt prints"));
        QByteArray bytes = QByteArray::fromHex(hex);
        encryptPassword(bytes);
        out() << QString::fromLocal8Bit(bytes) << '\n';
        return ExitOk;
    }
    return fail(ExitError, QString(),
                QStringLiteral("password: expected encrypt or decrypt, not \"%1\"").arg(mode));
}

} // namespace commoncfg
