// The diff --dry-run prints turns the old bytes into the new ones when
// applied as patch applies it, whatever lines were removed, added or
// changed, line ends and a missing last line end included.
#include "unifieddiff.h"

#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <random>

namespace {

// Applies the diff to `before` line by line; a context or removed line that
// does not match, or a hunk whose counts are off, gives "<mismatch>".
QByteArray applied(const QByteArray& before, const QString& diff)
{
    QList<QByteArray> old;
    for (int begin = 0; begin < before.size();) {
        const int lf = before.indexOf('\n', begin);
        const int next = lf < 0 ? before.size() : lf + 1;
        old.append(before.mid(begin, next - begin));
        begin = next;
    }
    QStringList lines = diff.split(QLatin1Char('\n'));
    QByteArray result;
    int at = 0; // next old line
    static const QRegularExpression header(QStringLiteral("^@@ -(\\d+)(?:,(\\d+))? \\+\\d+(?:,(\\d+))? @@$"));
    for (int i = 2; i < lines.size() - 1;) {
        const QRegularExpressionMatch hunk = header.match(lines.at(i++));
        if (!hunk.hasMatch())
            return "<mismatch>";
        const int oldCount = hunk.captured(2).isEmpty() ? 1 : hunk.captured(2).toInt();
        const int newCount = hunk.captured(3).isEmpty() ? 1 : hunk.captured(3).toInt();
        const int start = hunk.captured(1).toInt() - (oldCount == 0 ? 0 : 1);
        while (at < start)
            result += old.value(at++);
        int seenOld = 0, seenNew = 0;
        while (i < lines.size() - 1 && !lines.at(i).startsWith(QLatin1String("@@"))) {
            const QString marker = lines.at(i).left(1);
            QByteArray text = lines.at(i++).mid(1).toLatin1() + '\n';
            if (i < lines.size() && lines.at(i) == QLatin1String("\\ No newline at end of file")) {
                text.chop(1);
                ++i;
            }
            if (marker != QLatin1String("+") && old.value(at++) != text)
                return "<mismatch>";
            seenOld += marker != QLatin1String("+");
            seenNew += marker != QLatin1String("-");
            if (marker != QLatin1String("-"))
                result += text;
        }
        if (seenOld != oldCount || seenNew != newCount)
            return "<mismatch>";
    }
    while (at < old.size())
        result += old.value(at++);
    return result;
}

TEST(UnifiedDiff, AppliedItGivesTheNewBytes)
{
    const unsigned seed = 7;
    std::mt19937 random(seed);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char* const words[] = {"[main]", "a=1", "b=2\r", "", "; note", "c=3"};
    for (int round = 0; round < 2000; ++round) {
        QList<QByteArray> lines;
        for (int i = pick(40); i > 0; --i)
            lines.append(words[pick(6)]);
        QList<QByteArray> changed = lines;
        for (int edits = pick(round % 10 == 0 ? 40 : 5); edits > 0; --edits) {
            const int where = pick(changed.size() + 1);
            if (pick(2) == 0 && where < changed.size())
                changed.removeAt(where);
            else
                changed.insert(where, words[pick(6)]);
        }
        const QByteArray before = lines.join('\n') + (pick(3) ? "\n" : "");
        const QByteArray after = changed.join('\n') + (pick(3) ? "\n" : "");
        const QString diff = commoncfg::unifiedDiff(before, after, QStringLiteral("f"));
        ASSERT_EQ(diff.isEmpty(), before == after);
        ASSERT_EQ(applied(before, diff), after) << "seed " << seed << " round " << round << "\n"
                                                << diff.toStdString();
    }
}

} // namespace
