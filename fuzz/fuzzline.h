#ifndef LIBCOMMONCFG_FUZZ_FUZZLINE_H
#define LIBCOMMONCFG_FUZZ_FUZZLINE_H

// The line a line-grammar fuzz target checks: after a first byte that
// chooses, the rest as Windows-1251 bytes or, to reach every UTF-16 unit
// (broken surrogates included, as text with a byte-order mark can hold
// them), as raw UTF-16 units, low byte first.

#include "common/devicecodec.h"

#include <QString>
#include <QTextCodec>

#include <cstddef>
#include <cstdint>

namespace lccfuzz {

struct FuzzLine {
    QString text;
    const char* bytes; // the input after the first byte
    int length;
    bool raw; // read as UTF-16 units, not as Windows-1251
};

inline FuzzLine fuzzLine(const uint8_t* data, size_t size)
{
    FuzzLine line{QString(), reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1),
                  (data[0] & 1) != 0};
    if (line.raw) {
        for (int i = 0; i + 1 < line.length; i += 2)
            line.text += QChar(ushort(uint8_t(line.bytes[i]) | (uint8_t(line.bytes[i + 1]) << 8)));
    } else {
        line.text = LibCommonCfg::internal::deviceCodec()->toUnicode(line.bytes, line.length);
    }
    return line;
}

} // namespace lccfuzz

#endif // LIBCOMMONCFG_FUZZ_FUZZLINE_H
