#include <LibCommonCfg/inifile.h>

#include "common/devicecodec.h"
#include "common/devicelines.h"
#include "common/qtcompat.h"
#include "inidoc/compositekey.h"
#include "inidoc/convlookup.h"
#include "inidoc/inireader.h"
#include "inidoc/linegrammar.h"

#include <QIODevice>
#include <QTextStream>

#include <algorithm>
#include <utility>
#include <vector>

namespace LibCommonCfg {

namespace {

using Entry = IniFile::MappingEntry;

// Lines longer than this are handled in pieces, each piece as a line.
constexpr int kMaxLinePiece = 1024;

// A text stream on a client's device, handing out its lines as DeviceLines
// does for bytes.
struct StreamLines {
    QTextStream& stream;
    bool next(QString& line) { return stream.readLineInto(&line, kMaxLinePiece); }
};

// What a text sets, gathered and then put into the map in ascending key
// order, each key with its place as the hint: no search of the map for each
// key, and the nodes are made in the order the map keeps them. A later line
// of a key wins, and keys the map held before stay unless the text sets them.
class PendingKeys {
public:
    explicit PendingKeys(QMap<QString, QVariant>& map) : map(map) {}

    // The keys that follow belong to the group of this prefix ("group/").
    void startGroup(const QString& prefix)
    {
        if (!runs.empty() && runs.back().begin == int(items.size()))
            runs.back().prefix = prefix;
        else
            runs.push_back({prefix, int(items.size()), int(items.size())});
    }

    void add(QString key, QVariant value) { items.push_back({std::move(key), std::move(value)}); }

    // Everything gathered into the map, for a client's converter to see it
    // and at the end.
    void flush()
    {
        if (items.empty())
            return;
        sortRuns();
        // Into a map without keys every key goes last; into one with keys, as
        // a rule right after the key before it.
        const bool appending = map.isEmpty();
        QMap<QString, QVariant>::const_iterator hint = map.cend();
        std::vector<Item*> group;
        for (size_t r = 0; r < order.size();) {
            // The runs of one group, in the order they were read.
            group.clear();
            const QString& prefix = order[r]->prefix;
            for (; r < order.size() && order[r]->prefix == prefix; ++r) {
                for (int i = order[r]->begin; i < order[r]->end; ++i)
                    group.push_back(&items[size_t(i)]);
            }
            sortKeys(group, prefix.size());
            for (size_t i = 0; i < group.size(); ++i) {
                Item& item = *group[i];
                if (i + 1 < group.size() && group[i + 1]->key == item.key)
                    continue;
                QMap<QString, QVariant>::iterator at = map.insert(hint, item.key, QVariant());
                at.value().swap(item.value);
                hint = appending ? map.cend() : ++at;
            }
        }
        const QString prefix = runs.back().prefix;
        items.clear();
        runs.clear();
        order.clear();
        startGroup(prefix);
    }

private:
    struct Item {
        QString key;
        QVariant value;
    };
    // The keys read under one section header: items[begin, end).
    struct Run {
        QString prefix;
        int begin;
        int end;
    };

    // The runs that hold keys, by group; a group's runs stay in the order
    // they were read. No group prefix begins another ("/" ends each and
    // section names have none), so the keys of groups in this order ascend.
    void sortRuns()
    {
        runs.back().end = int(items.size());
        for (size_t r = 0; r + 1 < runs.size(); ++r)
            runs[r].end = runs[r + 1].begin;
        for (Run& run : runs) {
            if (run.begin < run.end)
                order.push_back(&run);
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const Run* a, const Run* b) { return a->prefix < b->prefix; });
    }

    // The keys of one group by their names, stable: the later of two equal
    // keys comes last.
    static void sortKeys(std::vector<Item*>& keys, int from)
    {
        const auto less = [from](const Item* a, const Item* b) {
            const QChar* x = a->key.constData();
            const QChar* y = b->key.constData();
            const int n = std::min(a->key.size(), b->key.size());
            for (int i = from; i < n; ++i) {
                if (x[i] != y[i])
                    return x[i].unicode() < y[i].unicode();
            }
            return a->key.size() < b->key.size();
        };
        // A group holds a few keys, mostly in a few ascending stretches.
        if (keys.size() > 32) {
            std::stable_sort(keys.begin(), keys.end(), less);
            return;
        }
        for (size_t i = 1; i < keys.size(); ++i) {
            Item* key = keys[i];
            size_t j = i;
            for (; j > 0 && less(key, keys[j - 1]); --j)
                keys[j] = keys[j - 1];
            keys[j] = key;
        }
    }

    QMap<QString, QVariant>& map;
    std::vector<Item> items;
    std::vector<Run> runs;
    std::vector<Run*> order;
};

// Every line's assignment through the document's conversion list (`convs`,
// the document's own, which a client's converter may change) into the map,
// as IniFile::parse converts it; a later line of a key wins.
template <typename Lines>
void readLines(IniFile& doc, QList<Entry>& convs, Lines& lines, QMap<QString, QVariant>& map)
{
    internal::GroupConvs groupConvs;
    PendingKeys pending(map);
    QString prefix(QLatin1String("/"));
    groupConvs.reset(convs, prefix.constData(), 0);
    pending.startGroup(prefix);
    QString line;
    while (lines.next(line)) {
        const internal::IniLine parsed = internal::classifyLine(line);
        const QChar* text = line.constData();
        if (parsed.kind == internal::IniLine::Section) {
            prefix = internal::groupPrefix(text + parsed.nameBegin, parsed.nameLength);
            groupConvs.reset(convs, prefix.constData(), parsed.nameLength);
            pending.startGroup(prefix);
            continue;
        }
        if (parsed.kind != internal::IniLine::Key || parsed.valueLength == 0)
            continue;

        const QChar* key = text + parsed.nameBegin;
        const internal::ConvSlot* conv = groupConvs.find(key, parsed.nameLength);
        QString valueText(text + parsed.valueBegin, parsed.valueLength);
        QVariant value;
        if (conv == nullptr) {
            // getConv hands out its fresh record of no conversion.
            doc.getConv(QString(), QString());
            value = QVariant(valueText);
        } else if (conv->record->group == nullptr) {
            value = QVariant(valueText);
        } else if (conv->parse != internal::BuiltIn::None) {
            value = conv->record->fromText(valueText);
        } else {
            // The client's converter sees the map as it would after every
            // line before this one, and may change the list.
            pending.flush();
            value = conv->record->fromText(valueText);
            groupConvs.reset(convs, prefix.constData(), prefix.size() - 1);
        }
        if (internal::variantIsNull(value))
            continue;
        pending.add(internal::joinPrefixed(prefix, key, parsed.nameLength), std::move(value));
    }
    pending.flush();
}

} // namespace

bool IniFile::myIniReadFunc(QIODevice& device, QMap<QString, QVariant>& map)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // No Windows-1251 text stream in Qt 6: the device's bytes are split as
    // a Qt 5 text stream splits them.
    internal::DeviceLines lines(device.readAll(), kMaxLinePiece);
#else
    QTextStream stream(&device);
    internal::setDeviceCodec(stream);
    StreamLines lines{stream};
#endif
    readLines(*this, convMap, lines, map);
    return true;
}

namespace internal {

void readIniBytes(IniFile& doc, QList<IniFile::MappingEntry>& convs, const QByteArray& data,
                  QMap<QString, QVariant>& map)
{
    DeviceLines lines(data, kMaxLinePiece);
    readLines(doc, convs, lines, map);
}

} // namespace internal

} // namespace LibCommonCfg
