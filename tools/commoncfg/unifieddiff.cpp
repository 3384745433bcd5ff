// A line diff by the greedy shortest edit script: the tool's changes touch
// few lines, so the work grows with the file's size times the number of
// changed lines. Past a bound on that number, the lines between the common
// beginning and end are shown as replaced whole.
#include "unifieddiff.h"

#include "textlines.h"

#include <QTextCodec>
#include <QVector>

#include <algorithm>

namespace commoncfg {

namespace {

constexpr int kContext = 3;
constexpr int kMaxEdits = 4000;

// Each line with its line end, so that a changed line end shows.
QVector<QByteArray> linesOf(const QByteArray& bytes)
{
    QVector<QByteArray> lines;
    int begin = 0;
    while (begin < bytes.size()) {
        const int lf = bytes.indexOf('\n', begin);
        const int next = lf < 0 ? bytes.size() : lf + 1;
        lines.append(bytes.mid(begin, next - begin));
        begin = next;
    }
    return lines;
}

// One line of the script: ' ' kept, '-' removed, '+' added, with its index in
// the old or the new lines.
struct Step {
    char kind;
    int index;
};

QVector<Step> script(const QVector<QByteArray>& a, const QVector<QByteArray>& b)
{
    const int n = a.size();
    const int m = b.size();
    int prefix = 0;
    while (prefix < n && prefix < m && a.at(prefix) == b.at(prefix))
        ++prefix;
    int suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix && a.at(n - 1 - suffix) == b.at(m - 1 - suffix))
        ++suffix;
    const int an = n - prefix - suffix;
    const int bn = m - prefix - suffix;
    const auto same = [&](int x, int y) { return a.at(prefix + x) == b.at(prefix + y); };

    // Myers' greedy forward search; `trace` keeps the frontier of each round.
    const int rounds = std::min(an + bn, kMaxEdits);
    const int offset = rounds + 1;
    QVector<int> v(2 * offset + 1, 0);
    QVector<QVector<int>> trace;
    int found = -1;
    for (int d = 0; d <= rounds && found < 0; ++d) {
        trace.append(v);
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                   : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < an && y < bn && same(x, y)) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
            if (x >= an && y >= bn) {
                found = d;
                break;
            }
        }
    }

    QVector<Step> middle;
    if (found < 0) {
        for (int i = bn - 1; i >= 0; --i)
            middle.append({'+', prefix + i});
        for (int i = an - 1; i >= 0; --i)
            middle.append({'-', prefix + i});
    } else {
        // Back from the end through the frontiers, collecting the steps in
        // reverse.
        int x = an;
        int y = bn;
        for (int d = found; d >= 0; --d) {
            const QVector<int>& prev = trace.at(d);
            const int k = x - y;
            const bool down = k == -d || (k != d && prev[offset + k - 1] < prev[offset + k + 1]);
            const int prevK = down ? k + 1 : k - 1;
            const int prevX = prev[offset + prevK];
            const int prevY = prevX - prevK;
            while (x > prevX && y > prevY) {
                middle.append({' ', prefix + --x});
                --y;
            }
            if (d > 0 && down)
                middle.append({'+', prefix + --y});
            else if (d > 0)
                middle.append({'-', prefix + --x});
        }
    }
    QVector<Step> steps;
    for (int i = 0; i < prefix; ++i)
        steps.append({' ', i});
    for (auto it = middle.crbegin(); it != middle.crend(); ++it)
        steps.append(*it);
    for (int i = n - suffix; i < n; ++i)
        steps.append({' ', i});
    return steps;
}

QString range(int start, int count)
{
    // A hunk without lines on one side names the line before it.
    return count == 1 ? QString::number(start + 1)
                      : QStringLiteral("%1,%2").arg(count == 0 ? start : start + 1).arg(count);
}

} // namespace

QString unifiedDiff(const QByteArray& before, const QByteArray& after, const QString& name)
{
    if (before == after)
        return QString();
    const QVector<QByteArray> a = linesOf(before);
    const QVector<QByteArray> b = linesOf(after);
    const QVector<Step> steps = script(a, b);

    QString text = QStringLiteral("--- %1\n+++ %1\n").arg(name);
    int i = 0;
    while (i < steps.size()) {
        if (steps.at(i).kind == ' ') {
            ++i;
            continue;
        }
        // A hunk: from kContext lines before this change to kContext lines
        // after the last change that follows within 2 * kContext kept lines.
        int first = std::max(0, i - kContext);
        int last = i;
        for (int j = i, kept = 0; j < steps.size() && kept <= 2 * kContext; ++j) {
            if (steps.at(j).kind == ' ') {
                ++kept;
            } else {
                kept = 0;
                last = j;
            }
        }
        const int end = std::min<int>(steps.size(), last + 1 + kContext);
        int oldStart = 0, newStart = 0, oldCount = 0, newCount = 0;
        // Where the hunk starts on each side: the lines before it.
        for (int j = 0; j < first; ++j) {
            oldStart += steps.at(j).kind != '+';
            newStart += steps.at(j).kind != '-';
        }
        QString body;
        for (int j = first; j < end; ++j) {
            const Step& step = steps.at(j);
            const QByteArray& line = step.kind == '+' ? b.at(step.index) : a.at(step.index);
            oldCount += step.kind != '+';
            newCount += step.kind != '-';
            body += QLatin1Char(step.kind) + deviceCodec()->toUnicode(line);
            if (!line.endsWith('\n'))
                body += QStringLiteral("\n\\ No newline at end of file\n");
        }
        text += QStringLiteral("@@ -%1 +%2 @@\n").arg(range(oldStart, oldCount), range(newStart, newCount)) +
                body;
        i = end;
    }
    return text;
}

} // namespace commoncfg
