// The writer against a key-by-key reference on generated documents and lists:
// every key through store() in the written order, the whole text encoded at
// once. Client converters change the list while the document is written.
#include <LibCommonCfg/inifile.h>

#include "common/devicecodec.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using LibCommonCfg::IniFile;
using Entry = IniFile::MappingEntry;

namespace {

// A document and its list from the generator's state; the same state makes the same document.
QMap<QString, QVariant> generate(IniFile& doc, std::mt19937 random)
{
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    // Characters below "/" change the order; a lone half of a surrogate pair
    // at the end of a group, name or value is still followed by text.
    const QString chars = QString::fromUtf16(u"ab1/. -\u044F\u20AC\u00A0\u4E00\u200D\U0001F600") + QChar(0) +
                          QChar(0xD800) + QChar(0xDC00);
    const auto text = [&](int max) {
        QString t;
        for (int n = below(max + 1); n > 0; --n)
            t += chars.at(below(chars.size()));
        return t;
    };
    const char* groups[] = {"", "a", "ab", "a1", "b"};
    const char* keys[] = {"k", "kx", "x", "\xE9", nullptr};
    const auto record = [&]() -> Entry {
        const int kind = below(5);
        if (kind == 4) // the client's: changes the records and the list as it goes
            return {
                groups[below(5)], keys[below(5)], {}, [&doc, calls = 0](const QVariant& v) mutable {
                    if (++calls % 3 == 1)
                        doc.getConv(QStringLiteral("a"), QStringLiteral("k")).key = "kx";
                    else if (calls % 3 == 2)
                        doc.pushConvMap({IniFile::defaultConvMap.at(calls % 4 * 2), doc.getConv("b", "x")});
                    return QStringLiteral("<%1>").arg(v.toString());
                }};
        const Entry& builtIn = IniFile::defaultConvMap.at("\0\1\4\x08"[kind]); // none, hex, 0/1 and on/off
        return {kind == 0 ? nullptr : groups[below(5)], keys[below(5)], {}, builtIn.toText};
    };
    QList<Entry> list;
    for (int n = below(6); n > 0; --n)
        list.append(record());
    doc.pushConvMap(list);
    QMap<QString, QVariant> values;
    const QVariant typed[] = {QVariant(uint(random())),          QVariant(bool(below(2))),
                              QVariant(below(99) - 50),          QVariant(below(9) / 4.0),
                              QVariant(QByteArray("b\xC3\xA9")), QVariant(QStringList{"l"})};
    for (int n = below(30); n > 0; --n) {
        const QString key =
            below(4) == 0 ? text(3) : text(3) + "/" + QString::fromLatin1(keys[below(4)]) + text(2);
        values[key] = below(3) == 0 ? typed[below(6)] : QVariant(text(6));
        doc.setValue(key, values[key]);
    }
    return values;
}

QByteArray reference(IniFile& doc, const QMap<QString, QVariant>& values)
{
    QStringList keys = values.keys();
    const auto written = [](QString key) { return key.replace(QLatin1Char('/'), QChar(0)); };
    std::stable_sort(keys.begin(), keys.end(), [&](auto& a, auto& b) { return written(a) < written(b); });
    QString out, current;
    for (const bool digits : {false, true}) {
        for (const QString& key : keys) {
            const int slash = key.indexOf(QLatin1Char('/'));
            const QString group = slash < 0 ? key : key.left(slash);
            const QString name = slash < 0 ? key : key.mid(slash + 1);
            if (group.contains(QRegularExpression(QStringLiteral("[0-9]"))) != digits)
                continue;
            if (group != current)
                out += "\n[" + group + "]\n";
            current = group;
            out += "   " + name + "=" + doc.store(group, name, values.value(key)) + "\n";
        }
    }
    return LibCommonCfg::internal::encodeDeviceText(out);
}

} // namespace

TEST(IniWriter, WritesWhatStoreGivesKeyByKey)
{
    const unsigned seed = 20261207;
    for (unsigned round = 0; round < 2000; ++round) {
        const std::mt19937 random(seed + round);
        IniFile doc, twin;
        const QMap<QString, QVariant> values = generate(doc, random);
        generate(twin, random);
        ASSERT_EQ(doc.serialize(), reference(twin, values)) << "seed " << seed << " round " << round;
    }
}
