// Arbitrary bytes as a network setup file. Loading must never crash or
// leak, writing the same object twice gives the same bytes, and the written
// file loads back into the same entries: every key (keys are ASCII, so they
// always survive the Windows-1251 file) and every value the codec can
// represent. A value it cannot represent (only possible when the input
// began with a Unicode byte-order mark, or holds a byte the code page leaves
// undefined) is written as the codec's substitute; from then on the file is
// plain Windows-1251 and a second round trip changes nothing at all.
#include <LibCommonCfg/setupfile.h>

#include "cp1251text.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

using LibCommonCfg::SetupFile;

namespace {

SetupFile loaded(const QByteArray& text)
{
    SetupFile file;
    file.load(text);
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const SetupFile original = loaded(input);
    const QByteArray first = original.serialize();
    if (original.serialize() != first)
        std::abort();

    const SetupFile reloaded = loaded(first);
    const QStringList keys = original.allKeys();
    if (reloaded.allKeys().size() != keys.size())
        std::abort();
    bool allSurvive = true;
    for (const QString& key : keys) {
        if (!reloaded.hasKey(key))
            std::abort();
        const QString value = original.getString(key);
        if (!lccfuzz::survivesCp1251(value))
            allSurvive = false;
        else if (reloaded.getString(key) != value)
            std::abort();
    }
    if (allSurvive &&
        (reloaded != original || lccfuzz::sortedLines(reloaded.serialize()) != lccfuzz::sortedLines(first)))
        std::abort();

    const QByteArray second = reloaded.serialize();
    const SetupFile again = loaded(second);
    if (again != reloaded || lccfuzz::sortedLines(again.serialize()) != lccfuzz::sortedLines(second))
        std::abort();
    return 0;
}
