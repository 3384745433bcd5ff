// Arbitrary bytes as a network setup file, through the round trip of the
// flat files. Keys are ASCII, so they always survive the Windows-1251 file;
// a value survives unless the input began with a Unicode byte-order mark or
// holds a byte the code page leaves undefined.
#include <LibCommonCfg/setupfile.h>

#include "cp1251text.h"

#include <QStringList>

#include <cstdint>

using LibCommonCfg::SetupFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    lccfuzz::checkRoundTrip<SetupFile>(
        input, [](const SetupFile& file, const QByteArray&) { return file.allKeys(); },
        [](const SetupFile&, const SetupFile& reloaded, const QString& key) { return reloaded.hasKey(key); });
    return 0;
}
