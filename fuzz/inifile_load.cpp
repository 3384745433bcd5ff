// Arbitrary bytes as an INI document: loading must never crash, and what the
// writer produces must be stable. Serialising the same document twice gives
// the same bytes, and once the text has been through the reader and writer
// once, another round changes nothing (the reader's trimming and comment
// cutting are applied by then). Loading the bytes gives the same document
// as reading them through a text stream on a device.
#include <LibCommonCfg/inifile.h>

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray roundTrip(const QByteArray& bytes)
{
    LibCommonCfg::IniFile doc(bytes);
    return doc.serialize();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));

    LibCommonCfg::IniFile doc(input);
    {
        QByteArray copy(input);
        QBuffer device(&copy);
        device.open(QIODevice::ReadOnly);
        LibCommonCfg::IniFile streamed;
        QMap<QString, QVariant> values;
        streamed.myIniReadFunc(device, values);
        const QStringList keys = doc.allKeys();
        if (keys != values.keys())
            std::abort();
        for (const QString& key : keys) {
            // The reader joins every key as "group/name".
            const int slash = key.indexOf(QLatin1Char('/'));
            if (doc.valueFromGroup(key.left(slash), key.mid(slash + 1)) != values.value(key))
                std::abort();
        }
    }
    const QByteArray first = doc.serialize();
    if (doc.serialize() != first)
        std::abort();

    const QByteArray second = roundTrip(first);
    if (roundTrip(second) != second)
        std::abort();
    return 0;
}
