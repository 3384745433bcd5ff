#ifndef LIBCOMMONCFG_CINIREADERHELPER_H
#define LIBCOMMONCFG_CINIREADERHELPER_H

#include <LibCommonCfg/cinifile.h>
#include <LibCommonCfg/libcommoncfg_export.h>

#include <QString>
#include <QStringList>

class QTextCodec;

namespace LibCommonCfg {

/// Reads typed values out of a section/key document, one section at a time.
///
/// The strict getters (`getInt`, `getString`, ...) report a missing key or a
/// value that does not convert: they put a Russian message into the caller's
/// string (replacing what it held) and remember an error kind, and they leave
/// the output alone. The `...Default` getters never report anything; they
/// fall back to the given default instead.
///
/// Strings and comments are decoded with the reader's codec (Windows-1251
/// unless another one is given); flags and numbers are taken as UTF-8 text,
/// and so are the names and values quoted in messages.
///
/// The reader owns nothing: the document and the message string must
/// outlive it, and the current section must not be removed from the
/// document while the reader uses it.
class LIBCOMMONCFG_EXPORT CIniReaderHelper {
public:
    /// Error kinds returned by `getErrorType`.
    enum ErrorKind {
        KeyMissing = 0,     ///< a strict getter did not find its key
        SectionMissing = 1, ///< `beginSect` did not find the section
        BadValue = 2,       ///< a numeric strict getter could not read the value
        NoError = 3         ///< nothing reported since construction
    };

    /// `codec` null means Windows-1251.
    CIniReaderHelper(CIniFile& ini, QString& errorText, QTextCodec* codec);

    /// Selects the section (ASCII case-insensitive). A missing section leaves
    /// no current section and is reported.
    bool beginSect(const char* name);
    /// The name as UTF-8 bytes, then as above.
    bool beginSect(const QString& name);
    /// The current section's name, or a null string when there is none.
    QString curSect() const;
    /// One entry per line of the current section in file order; a comment
    /// line between the keys gives an empty entry.
    QStringList keys() const;

    /// Replaces the caller's message string; the error kind stays.
    void setErrorStr(const QString& text);
    /// The kind of the last report (`ErrorKind`).
    int getErrorType() const;

    /// The stored text decoded with the reader's codec.
    bool getString(const char* key, QString& value);
    /// The key as UTF-8 bytes, then as above.
    bool getString(const QString& key, QString& value);
    /// True exactly for "on" (case-sensitive).
    bool getOnOff(const char* key, bool& value);
    /// True exactly for "1".
    bool get01(const char* key, bool& value);
    /// True for "y" and "Y".
    bool getYN(const char* key, bool& value);
    /// A decimal number in the range of int; unreadable text is reported.
    bool getInt(const char* key, int& value);
    /// The key as UTF-8 bytes, then as above.
    bool getInt(const QString& key, int& value);
    /// A decimal number in the range of unsigned int; unreadable text is
    /// reported.
    bool getUInt(const char* key, unsigned int& value);
    /// The key as UTF-8 bytes, then as above.
    bool getUInt(const QString& key, unsigned int& value);
    /// The stored text after its first two characters (the "0x"), in base 16.
    bool getUIntHex(const char* key, unsigned int& value);
    /// A number with "." as the decimal point; unreadable text is reported.
    bool getDouble(const char* key, double& value);
    /// The key's comment, not trimmed; empty when the key has none.
    bool getKeyComment(const char* key, QString& comment);
    /// The key as UTF-8 bytes, then as above.
    bool getKeyComment(const QString& key, QString& comment);

    /// As `getString`; `def` when the key is missing. Reports nothing.
    void getStringDefault(const char* key, QString& value, const QString& def);
    /// The key as UTF-8 bytes, then as above.
    void getStringDefault(const QString& key, QString& value, const QString& def);
    /// As `getOnOff`; `def` when the key is missing. Reports nothing.
    void getOnOffDefault(const char* key, bool& value, bool def);
    /// As `get01`; `def` when the key is missing. Reports nothing.
    void get01Default(const char* key, bool& value, const bool& def);
    /// As `getYN`; `def` when the key is missing. Reports nothing.
    void getYNDefault(const char* key, bool& value, bool def);
    /// As `getInt`; `def` when the key is missing or unreadable. Reports
    /// nothing.
    void getIntDefault(const char* key, int& value, int def);
    /// The key as UTF-8 bytes, then as above.
    void getIntDefault(const QString& key, int& value, int def);
    /// As `getUInt`; `def` when the key is missing or unreadable. Reports
    /// nothing.
    void getUIntDefault(const char* key, unsigned int& value, unsigned int def);
    /// The key as UTF-8 bytes, then as above.
    void getUIntDefault(const QString& key, unsigned int& value, unsigned int def);
    /// As `getUIntHex`; `def` when the key is missing or unreadable. Reports
    /// nothing.
    void getUIntHexDefault(const char* key, unsigned int& value, unsigned int def);
    /// As `getDouble`; `def` when the key is missing or unreadable. Reports
    /// nothing.
    void getDoubleDefault(const char* key, double& value, double def);

private:
    /// The key node of the current section, or null. Reports nothing.
    CKeyList* findKey(const char* key) const;
    /// The key node for a strict getter; reports a missing key.
    CKeyList* requireKey(const char* key);
    /// Reports a stored value that does not convert; `message` holds the
    /// placeholders for section, key and value.
    void reportBadValue(const char* key, const CKeyList* node, const QString& message);

    CIniFile& ini;
    QString& errorText;
    int errorType;
    QTextCodec* codec;
    CSectList* sect;
};

} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_CINIREADERHELPER_H
