// The reader's hand-written line classifier against the regular expressions
// that define its grammar: on every line both give the same kind and the
// same group, key and value. Lines come as Windows-1251 bytes or, to reach
// every UTF-16 unit (broken surrogates included, as text with a byte-order
// mark can hold them), as raw UTF-16; the first byte chooses. Line feeds are
// dropped, since the text stream splits lines there.
#include "fuzzline.h"
#include "inidoc/linegrammar.h"
#include "tests/inidoc/regexlinegrammar.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 4096)
        return 0;
    QString line = lccfuzz::fuzzLine(data, size).text;
    line.remove(QLatin1Char('\n'));

    const LibCommonCfg::internal::IniLine parsed = LibCommonCfg::internal::classifyLine(line);
    const lcctest::RegexLine reference = lcctest::classifyLineByRegex(line);
    if (parsed.kind != reference.kind || parsed.name(line) != reference.name ||
        parsed.value(line) != reference.value)
        std::abort();
    return 0;
}
