#ifndef LIBCOMMONCFG_CINIFILE_H
#define LIBCOMMONCFG_CINIFILE_H

#include <LibCommonCfg/libcommoncfg_export.h>

#include <string>

// The section/key INI engine: a document of sections and keys held as plain
// 8-bit character strings, in file order, with the comments of the file kept
// beside them. No character encoding is applied; bytes are stored as they are.
//
// Every string a node holds is its own heap copy (null stays null); nodes are
// allocated one by one and owned by their chain. Lookup by name ignores the
// case of the ASCII letters only (other bytes compare as themselves, whatever
// the process locale) and finds the first named node that matches. Nodes with
// a null name are comment lines: lookups, counts and indices skip them, but
// they keep their place and are written back.
//
// Returned `char*` and node pointers point into the document and stay valid
// until that string is replaced or the node is destroyed (`Set`, `SetVal`,
// `SetComment`, `ChangeSectionName`, `DeleteKey`, `DeleteSection`, `Clear`,
// `Read`, destruction). Never release them.
//
// Parameters typed `char*` are not modified. None of these classes can be
// copied or assigned.

/// One line of a section: a key, or (with a null name) a comment line
/// standing between the keys.
class LIBCOMMONCFG_EXPORT CKeyList {
public:
    /// Stores copies of the three strings (null stays null); `next` is null.
    CKeyList(const char* name, const char* value, const char* comment);
    /// Releases the three strings; the rest of the chain is left alone.
    ~CKeyList();

    CKeyList(const CKeyList&) = delete;
    CKeyList& operator=(const CKeyList&) = delete;

    /// Key name, or null for a comment line.
    char* name;
    /// Value, or null.
    char* value;
    /// Comment text without its ";" and surrounding blanks, or null.
    char* comment;
    /// Next line of the same section, or null.
    CKeyList* next;
};

/// One section, or (with a null name) a comment line standing before the
/// first section; such an unnamed node has no keys.
class LIBCOMMONCFG_EXPORT CSectList {
public:
    /// Copies name and comment; no keys; `next` is null.
    CSectList(const char* name, const char* comment);
    /// Destroys the whole key chain, then releases name and comment; the rest
    /// of the section chain is left alone.
    ~CSectList();

    CSectList(const CSectList&) = delete;
    CSectList& operator=(const CSectList&) = delete;

    /// Number of named keys.
    int GetKeyNum();
    /// The index-th named key (from 0), or null.
    CKeyList* Get(int index);
    /// First named key whose name matches, or null.
    CKeyList* Get(const char* name);
    /// Value of `Get(name)`, or null when there is no such key.
    char* GetVal(char* name);
    /// Replaces the value of the key, or appends a new key (without comment)
    /// at the end of the section when there is none.
    void SetVal(const char* name, const char* value);
    /// Replaces the comment of an existing key; creates nothing.
    void SetComment(const char* name, const char* comment);
    /// Unlinks and destroys the first named key that matches, if any.
    void DeleteKey(const char* name);

    /// Section name, or null for a comment line before the first section.
    char* name;
    /// Comment behind the header on its line (or the text of the comment
    /// line), or null.
    char* comment;
    /// First line of the section, or null.
    CKeyList* firstKey;
    /// Next section, or null.
    CSectList* next;
};

/// The document: a chain of sections and a default file name.
///
/// Text file format, read by `Read` and written by `Write`:
///
///     ;comment line
///     [Section] ;comment
///        key=value ;comment
///
/// Blanks are the bytes 1 to 32. The first occurrence of a section wins
/// whole (a repeated section is dropped with its lines) and, inside a
/// section, the first occurrence of a key wins. Lines longer than 4095 bytes
/// are cut into pieces of 4095 bytes that are read as separate lines.
/// Files are written with CR LF line ends, as on the device, on every
/// platform; both LF and CR LF are read.
///
/// `GetDouble` converts with the decimal point of the process's current
/// locale ("." unless the host program changed it).
class LIBCOMMONCFG_EXPORT CIniFile {
public:
    /// Empty document, no file name.
    CIniFile();
    /// Empty document; the file name is copied (null stays null).
    CIniFile(const char* fileName);
    /// Empty document; the characters of the string are copied.
    CIniFile(const std::string& fileName);
    /// `Clear()`, then releases the file name.
    ~CIniFile();

    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    /// Replaces the default file name used by `Read` and `Write`.
    void SetFileName(const std::string& fileName);
    /// Destroys every section with its keys; the file name stays.
    void Clear();

    /// Number of named sections.
    int GetSectionNum();
    /// The index-th named section (from 0), or null.
    CSectList* GetSect(int index);
    /// First named section whose name matches, or null.
    CSectList* GetSect(const char* name);
    /// Whether `GetSect(name)` finds a section.
    bool FindSection(char* name);
    /// The existing section of that name (unchanged), or a new empty one
    /// appended at the end.
    CSectList* CreateSect(const char* name);
    /// Unlinks and destroys the first named section that matches, with its
    /// keys, if any.
    void DeleteSection(const char* name);
    /// When both sections exist, exchanges their names only; comments, keys
    /// and places in the chain stay.
    void SwapSection(char* name1, char* name2);
    /// Renames the section when it exists, without checking the other names.
    void ChangeSectionName(char* oldName, char* newName);
    /// Name of the index-th named section, or null.
    char* GetSectionName(int index);
    /// Comment of the index-th named section, or null.
    char* GetSectionComment(int index);

    /// Number of named keys of the sectIndex-th named section, 0 if none.
    int GetKeyNum(int sectIndex);
    /// The keyIndex-th named key of the sectIndex-th named section, or null.
    CKeyList* GetKey(int sectIndex, int keyIndex);
    /// Name of `GetKey(...)`, or null.
    char* GetKeyName(int sectIndex, int keyIndex);
    /// Value of `GetKey(...)`, or null.
    char* GetKeyValue(int sectIndex, int keyIndex);
    /// Comment of `GetKey(...)`, or null.
    char* GetKeyComment(int sectIndex, int keyIndex);

    /// Value of the key in the section, or null when either is missing. When
    /// the key is found and `comment` is not null, the key's comment (maybe
    /// null) is stored through it; otherwise `*comment` is left untouched.
    char* Get(const char* sect, const char* key, char** comment = nullptr);
    /// Finds or appends the section, then sets the key as `SetVal` does.
    void Set(const char* sect, const char* key, const char* value);
    /// `*out` = the value converted as `atoi` does (0 when it holds no
    /// number), or `def` when there is no value.
    void GetInt(char* sect, char* key, int* out, int def);
    /// `*out` = the value converted as `strtod` does, with the decimal point
    /// of the current locale (0 when it holds no number), or `def` when
    /// there is no value.
    void GetDouble(char* sect, char* key, double* out, double def);
    /// Deletes the key from the section when the section exists.
    void DeleteKey(char* sect, const char* key);

    /// Replaces the document with the contents of the file (the document's
    /// own file name when `fileName` is null). Returns 0 when the file was
    /// opened, 1 when it could not be opened; then the document is unchanged.
    int Read(const char* fileName = nullptr);
    /// Writes the document to the file (the document's own file name when
    /// `fileName` is null), creating it or replacing its contents. Returns 0
    /// when the file could be opened for writing, 1 when it could not; a
    /// write that fails after that is not reported, but leaves the old file
    /// as it was. A regular file is replaced by a new one in its folder that
    /// keeps its owner, mode and extended attributes; where that cannot be
    /// done (a read-only folder, further hard links, an owner this process
    /// cannot give) and for devices, the file is written in place. Waits up
    /// to 10 s while another program holds the file's lock.
    int Write(const char* fileName = nullptr);
    /// Splits one line (without its line end) in place by writing zero bytes
    /// into it; the results point into `line`. Returns 0 when the line holds
    /// a section header, a key or a comment, 1 when it is to be ignored.
    int ParseLine(char* line, char** sect, char** comment, char** key, char** value);
    /// Trims the blanks (bytes 1 to 32) around `text` in place. Returns 1
    /// when it holds only blanks (`*start` untouched); else stores the first
    /// non-blank byte's address in `*start`, ends the text after the last
    /// non-blank byte and returns 0.
    static int TruncateSpace(char* text, char** start);

    /// First section (or leading comment line), or null when empty.
    CSectList* firstSect;
    /// Default file name, or null.
    char* fileName;
};

#endif // LIBCOMMONCFG_CINIFILE_H
