#ifndef LIBCOMMONCFG_INIDOC_CONVLOOKUP_H
#define LIBCOMMONCFG_INIDOC_CONVLOOKUP_H

// Which record of a conversion list applies to a key: decided here for
// IniFile::getConv and for the writer, which looks the records of a group
// up once and then matches only the names of its keys.

#include <LibCommonCfg/inifile.h>

#include <QVector>

namespace LibCommonCfg {
namespace internal {

// Record texts are Latin-1 (the built-in ones ASCII), compared char by char
// without measuring them first: every key read or written is looked up, so
// this is on the hot path of loading and saving.

/// Whether a record's group prefix applies to the group. An empty prefix
/// applies to every group, the empty (or null) group of keys outside any
/// section included.
inline bool groupMatches(const QChar* text, int length, const char* prefix)
{
    for (int i = 0; prefix[i] != '\0'; ++i) {
        if (i == length || text[i].unicode() != static_cast<unsigned char>(prefix[i]))
            return false;
    }
    return true;
}

/// Whether a record's key name is the whole name; a record without one
/// matches no key.
inline bool keyMatches(const QChar* text, int length, const char* name)
{
    if (name == nullptr)
        return false;
    int i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i == length || text[i].unicode() != static_cast<unsigned char>(name[i]))
            return false;
    }
    return i == length;
}

/// Which built-in function a converter of a record is, if any. The built-in
/// ones only compute a value; any other function is a client's, which may
/// look at the document or change its conversion list while it runs.
enum class BuiltIn : unsigned char { None, Hex, Flag01, OnOff };

/// A record with what its converters are.
struct ConvSlot {
    IniFile::MappingEntry* record;
    int keyLength; // of the record's key name
    BuiltIn parse; // its fromText
    BuiltIn store; // its toText
};

/// The records of a conversion list that can apply to the keys of one group:
/// those whose group prefix matches, in list order. A key's record found
/// among them is the one getConv hands out for the group and the key, as
/// long as the list and its records stay as they were when it was taken.
class GroupConvs {
public:
    /// Takes the records of `list` for the group. The list is walked as
    /// getConv walks it, which detaches it from any list it shares its
    /// records with.
    void reset(QList<IniFile::MappingEntry>& list, const QChar* group, int length);

    /// The key's record: the first one whose name matches, else the list's
    /// first record; null for an empty list (getConv then hands out a fresh
    /// no-conversion record of its own).
    const ConvSlot* find(const QChar* name, int length) const
    {
        for (const ConvSlot& slot : matching) {
            if (slot.keyLength == length && keyMatches(name, length, slot.record->key))
                return &slot;
        }
        return first.record != nullptr ? &first : nullptr;
    }

private:
    QVector<ConvSlot> matching;
    ConvSlot first{};
};

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_INIDOC_CONVLOOKUP_H
