// Arbitrary bytes as a time-zone settings file, through the round trip of
// the flat files. Keys are ASCII, so they always survive the Windows-1251
// file; a value survives unless the input began with a Unicode byte-order
// mark or holds a byte the code page leaves undefined.
#include <LibCommonCfg/tzfile.h>

#include "cp1251text.h"

#include <cstdint>

using LibCommonCfg::TZFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    // The file has no key listing; the written lines give the keys. Presence
    // is checked with getString, not hasKey: the check must not add keys.
    lccfuzz::checkRoundTrip<TZFile>(
        input, [](const TZFile&, const QByteArray& written) { return lccfuzz::writtenKeys(written); },
        [](const TZFile& original, const TZFile& reloaded, const QString& key) {
            return !original.getString(key).isNull() && !reloaded.getString(key).isNull();
        });
    return 0;
}
