#include <LibCommonCfg/inifile.h>

#include "inidoc/compositekey.h"

#include <QRegularExpression>
#include <QTextCodec>
#include <QTextStream>

namespace LibCommonCfg {

namespace {

struct ReaderGrammar {
    QRegularExpression comment{QStringLiteral(";.*$")};
    QRegularExpression section{QStringLiteral("^\\s*\\[([\\w\\.]+)\\]\\s*$")};
    QRegularExpression keyLine{QStringLiteral("^\\s*([^\\[].*)\\s*=\\s*(.*)$")};
};

const ReaderGrammar& grammar()
{
    static const ReaderGrammar instance;
    return instance;
}

// Lines longer than this are handled in pieces, each piece as a line.
constexpr qint64 kMaxLinePiece = 1024;

} // namespace

bool IniFile::myIniReadFunc(QIODevice& device, QMap<QString, QVariant>& map)
{
    const ReaderGrammar& g = grammar();
    QTextStream stream(&device);
    stream.setCodec("cp1251");

    QString group(QLatin1String(""));
    QString line;
    while (stream.readLineInto(&line, kMaxLinePiece)) {
        line.remove(g.comment);
        line = line.trimmed();
        if (line.isEmpty())
            continue;

        const QRegularExpressionMatch header = g.section.match(line);
        if (header.hasMatch()) {
            group = header.captured(1);
            continue;
        }

        const QRegularExpressionMatch keyLine = g.keyLine.match(line);
        if (!keyLine.hasMatch())
            continue;
        // The key runs from its first character up to the first "=" after
        // it, without blanks around it, so that "k = v" gives the key "k"
        // and "a=b=c" the value "b=c".
        const int keyStart = keyLine.capturedStart(1);
        const int eq = line.indexOf(QLatin1Char('='), keyStart + 1);
        const QString key = line.mid(keyStart, eq - keyStart).trimmed();
        const QString text = line.mid(eq + 1).trimmed();
        if (text.isEmpty())
            continue;

        QVariant value = parse(group, key, text);
        if (value.isNull())
            continue;
        map.insert(QStringLiteral("%1/%2").arg(group, key), value);
    }
    return true;
}

} // namespace LibCommonCfg
