#ifndef LIBCOMMONCFG_INIDOC_DEFAULTCONVKINDS_H
#define LIBCOMMONCFG_INIDOC_DEFAULTCONVKINDS_H

// The records of the built-in conversion list as plain data: which keys of
// the device's configuration convert, and to what kind of value. The
// library builds its list from these rows; the commoncfg tool, which sees
// only the exported interface, learns from them what a key holds.
namespace LibCommonCfg {
namespace internal {

enum class ValueKind {
    Text,   // no conversion: the text as it stands
    Hex,    // an unsigned 32-bit number, written "0x" and lower-case digits
    Flag01, // a flag written "1" or "0"
    OnOff,  // a flag written "on" or "off"
};

struct DefaultConv {
    const char* group; // prefix of the groups it applies to; null for the fallback
    const char* key;   // null for the fallback
    ValueKind kind;    // Text for the fallback only
};

// In lookup order, the fallback (no conversion) first. Constant data, ready
// before any static initialisation of the library runs.
extern const DefaultConv defaultConvs[];
extern const int defaultConvCount;

// The kind of the built-in record with exactly this group prefix and key
// name, as getConv hands the record out; Text for the fallback and for a
// record that is not built in.
ValueKind defaultConvKind(const char* group, const char* key);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_INIDOC_DEFAULTCONVKINDS_H
