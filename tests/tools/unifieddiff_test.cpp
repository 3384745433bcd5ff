// The diff --dry-run prints turns the old bytes into the new ones when patch
// applies it, taking every hunk exactly where its header puts it (no fuzz, no
// offset), whatever lines were removed, added or changed, line ends and a
// missing last line end included.
#include "support/files.h"
#include "unifieddiff.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

// What patch makes of `before` with the diff, or what it said instead.
QByteArray applied(const QByteArray& before, const QString& diff)
{
    QTemporaryDir dir;
    EXPECT_TRUE(lcctest::writeAll(dir.filePath("before"), before) &&
                lcctest::writeAll(dir.filePath("diff"), diff.toUtf8()));
    const QByteArray command = "cd '" + QFile::encodeName(dir.path()) +
                               "' && patch --binary --fuzz=0 -o after before <diff >said 2>&1";
    const int status = std::system(command.constData());
    const QByteArray said = lcctest::readAll(dir.filePath("said"));
    return status == 0 && said == "patching file after (read from before)\n"
               ? lcctest::readAll(dir.filePath("after"))
               : "<patch: " + said + ">";
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
        if (!diff.isEmpty()) {
            ASSERT_EQ(applied(before, diff).toStdString(), after.toStdString())
                << "seed " << seed << " round " << round << "\n"
                << diff.toStdString();
        }
    }
}

} // namespace
