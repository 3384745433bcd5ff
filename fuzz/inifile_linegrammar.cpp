// The reader's hand-written line classifier against the regular expressions
// that define its grammar: on every line both give the same kind and the
// same group, key and value. Lines come as Windows-1251 bytes or, to reach
// every UTF-16 unit (broken surrogates included, as text with a byte-order
// mark can hold them), as raw UTF-16; the first byte chooses. Line feeds are
// dropped, since the text stream splits lines there.
#include "common/devicecodec.h"
#include "inidoc/linegrammar.h"
#include "tests/inidoc/regexlinegrammar.h"

#include <QTextCodec>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 4096)
        return 0;
    QString line;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const int length = static_cast<int>(size - 1);
    if (data[0] & 1) {
        for (int i = 0; i + 1 < length; i += 2)
            line += QChar(ushort(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
    } else {
        line = LibCommonCfg::internal::deviceCodec()->toUnicode(bytes, length);
    }
    line.remove(QLatin1Char('\n'));

    const LibCommonCfg::internal::IniLine parsed = LibCommonCfg::internal::classifyLine(line);
    const lcctest::RegexLine reference = lcctest::classifyLineByRegex(line);
    if (parsed.kind != reference.kind || parsed.name(line) != reference.name ||
        parsed.value(line) != reference.value)
        std::abort();
    return 0;
}
