#include "textchecks.h"

#include "textlines.h"

#include <QStringList>
#include <QTextCodec>

namespace commoncfg {

QString textProblem(const QString& text, const char* what)
{
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QStringLiteral("a %1 cannot span lines").arg(QLatin1String(what));
    if (text.contains(QChar(0)))
        return QStringLiteral("a %1 cannot hold a NUL character").arg(QLatin1String(what));
    // The readers drop blanks and control characters at the ends.
    if (!text.isEmpty() && (text.front().isSpace() || text.front().unicode() < 32 || text.back().isSpace() ||
                            text.back().unicode() < 32))
        return QStringLiteral("a %1 cannot begin or end with blanks, which the device's readers drop")
            .arg(QLatin1String(what));
    for (const QChar c : text) {
        if (!deviceCodec()->canEncode(c))
            return QStringLiteral(
                       "\"%1\" is not a Windows-1251 character, which the device's files are made of")
                .arg(c);
    }
    return QString();
}

bool isDottedQuad(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        if (part.toUInt() > 255)
            return false;
    }
    return true;
}

} // namespace commoncfg
