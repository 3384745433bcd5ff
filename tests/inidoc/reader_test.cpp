// The reader against the plainest reading of the same text: each line in
// turn through parse into the map, on generated texts of repeated keys and
// groups, keys outside any group, "/" and Windows-1251 letters in names and
// lines long enough to come in pieces, read into maps that already hold keys
// and through lists whose converter watches the map.
#include <LibCommonCfg/inifile.h>

#include "common/devicelines.h"
#include "common/qtcompat.h"
#include "inidoc/linegrammar.h"

#include <gtest/gtest.h>

#include <random>

using LibCommonCfg::IniFile;
using namespace LibCommonCfg::internal;

namespace {

void readByLines(IniFile& doc, const QByteArray& bytes, QMap<QString, QVariant>& map)
{
    DeviceLines lines(bytes, 1024);
    QString group(QLatin1String("")), line;
    while (lines.next(line)) {
        const IniLine parsed = classifyLine(line);
        if (parsed.kind == IniLine::Section)
            group = parsed.name(line);
        if (parsed.kind != IniLine::Key || parsed.valueLength == 0)
            continue;
        const QVariant value = doc.parse(group, parsed.name(line), parsed.value(line));
        if (!variantIsNull(value))
            map.insert(group + "/" + parsed.name(line), value);
    }
}

} // namespace

TEST(IniReader, ReadsAsLineByLineThroughParse)
{
    const QList<QByteArray> groups{"a", "a.b", "ab", "main", "achan7", "dchan2", "A", "\xE6", "a/b"};
    const QList<QByteArray> names{"k",   "linemask", "modem", "nstate", "x/y",
                                  "b/k", "\xE6\xF1", "K",     " k ",    "[k"};
    const QList<QByteArray> values{
        "", "1", "0", "on", "0x1F", "v ;c", "\xC0\xE1", "=", QByteArray(1500, 'w')};
    std::function<int()> watch;
    QStringList calls;
    // A client's converter, which logs what it sees and gives null for "0".
    const auto watching = [&](const char* tag) {
        return [&, tag](const QString& t) {
            calls << t + "@" + QString::number(watch());
            return t == "0" ? QVariant() : QVariant(t + tag);
        };
    };
    const QList<QList<IniFile::MappingEntry>> lists{
        IniFile::defaultConvMap,
        {},
        {{"a", "k", watching("!"), {}}, {"", "k", watching("?"), {}}, {"", "x/y", watching("/"), {}}}};
    const unsigned seed = 11;
    std::mt19937 random(seed);
    const auto pick = [&](const QList<QByteArray>& from) {
        return from.at(std::uniform_int_distribution<int>(0, from.size() - 1)(random));
    };
    for (int round = 0; round < 600; ++round) {
        QByteArray text;
        const int lines = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < lines; ++i) {
            const int kind = std::uniform_int_distribution<int>(0, 9)(random);
            text += kind < 2   ? " [" + pick(groups) + "] ;c"
                    : kind < 9 ? pick(names) + "=" + pick(values)
                               : "x";
            text += round % 2 ? "\r\n" : "\n";
        }
        IniFile doc(lists.at(round % 3)), ref(lists.at(round % 3));
        QMap<QString, QVariant> got, want{{"/k", 1}, {"a/k", 2}, {"ab/zz", 3}};
        for (auto it = want.begin(); it != want.end() && round % 4; ++it)
            doc.setValue(it.key(), it.value());
        if (round % 4 == 0)
            want.clear();
        watch = [&] { return doc.allKeys().size(); };
        calls.clear();
        doc.load(text);
        for (const QString& key : doc.allKeys())
            got.insert(key, doc.valueFromGroup(key.section('/', 0, 0), key.section('/', 1)));
        const QStringList gotCalls = calls;
        watch = [&] { return want.size(); };
        calls.clear();
        readByLines(ref, text, want);
        ASSERT_EQ(gotCalls, calls) << "seed " << seed << " round " << round;
        ASSERT_EQ(got, want) << "seed " << seed << " round " << round;
        for (auto it = want.begin(); it != want.end(); ++it)
            ASSERT_EQ(got.value(it.key()).userType(), it.value().userType()) << it.key().toStdString();
    }
}
