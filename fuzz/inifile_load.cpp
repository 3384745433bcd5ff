// Arbitrary bytes as an INI document: loading must never crash, and what the
// writer produces must be stable. Serialising the same document twice gives
// the same bytes, and once the text has been through the reader and writer
// once, another round changes nothing (the reader's trimming and comment
// cutting are applied by then).
#include <LibCommonCfg/inifile.h>

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
    const QByteArray first = doc.serialize();
    if (doc.serialize() != first)
        std::abort();

    const QByteArray second = roundTrip(first);
    if (roundTrip(second) != second)
        std::abort();
    return 0;
}
