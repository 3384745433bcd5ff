// The hand-written KEY=VALUE matcher of the network setup and time-zone
// files against the regular expression that defines it: on every line both
// find the same key and value at the same places. Lines come as
// Windows-1251 bytes, matched as bytes and as the text they decode to, or,
// to reach every UTF-16 unit (broken surrogates included, as text with a
// byte-order mark can hold them), as raw UTF-16; the first byte chooses.
// Line feeds stay: the tool hands the matcher text it has not split.
#include "flatfile/assignment.h"
#include "fuzzline.h"
#include "tests/flatfile/regexassignment.h"

#include <cstdint>
#include <cstdlib>

using LibCommonCfg::internal::matchAssignment;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 4096)
        return 0;
    const lccfuzz::FuzzLine input = lccfuzz::fuzzLine(data, size);
    const QString& line = input.text;
    const LibCommonCfg::internal::Assignment reference = lcctest::matchAssignmentByRegex(line);
    if (!lcctest::sameAssignment(matchAssignment(line), reference))
        std::abort();
    if (!input.raw && !lcctest::sameAssignment(matchAssignment(input.bytes, input.length), reference))
        std::abort();
    return 0;
}
