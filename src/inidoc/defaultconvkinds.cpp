#include "inidoc/defaultconvkinds.h"

#include <cstring>
#include <iterator>

namespace LibCommonCfg {
namespace internal {

const DefaultConv defaultConvs[] = {
    {nullptr, nullptr, ValueKind::Text},         {"", "linemask", ValueKind::Hex},
    {"line", "flags", ValueKind::Hex},           {"main", "moddate", ValueKind::Hex},
    {"main", "modem", ValueKind::Flag01},        {"achan", "need_arc", ValueKind::Flag01},
    {"achan", "invertphase", ValueKind::Flag01}, {"achan", "typeust", ValueKind::Flag01},
    {"dchan", "nstate", ValueKind::OnOff},       {"dchan", "event", ValueKind::Flag01},
    {"calcchan", "wrt", ValueKind::Flag01},      {"calcchan", "event", ValueKind::Flag01},
    {"calcchan", "kzauto", ValueKind::Flag01},   {"calcchan", "transfkz", ValueKind::Flag01},
    {"main", "Debug", ValueKind::Flag01},        {"MAIN", "UseTagsWithTime", ValueKind::Flag01},
};

const int defaultConvCount = static_cast<int>(std::size(defaultConvs));

ValueKind defaultConvKind(const char* group, const char* key)
{
    if (group == nullptr || key == nullptr)
        return ValueKind::Text;
    for (const DefaultConv& conv : defaultConvs) {
        if (conv.group != nullptr && std::strcmp(conv.group, group) == 0 && std::strcmp(conv.key, key) == 0)
            return conv.kind;
    }
    return ValueKind::Text;
}

} // namespace internal
} // namespace LibCommonCfg
