#ifndef LIBCOMMONCFG_CINIWRITERHELPER_H
#define LIBCOMMONCFG_CINIWRITERHELPER_H

#include <LibCommonCfg/cinifile.h>
#include <LibCommonCfg/libcommoncfg_export.h>

#include <QString>

class QTextCodec;

namespace LibCommonCfg {

/// Stores typed values into a section/key document, one section at a time,
/// in the text forms `CIniReaderHelper` reads back. Only the document in
/// memory changes; the caller writes the file with `CIniFile::Write`.
///
/// Values and comments are encoded with the writer's codec (Windows-1251
/// unless another one is given); names given as `QString` are taken as
/// UTF-8. Every setter acts on the current section chosen by `beginSect`;
/// without one (before the first `beginSect`, or after `deleteSect` removed
/// it) setters do nothing.
///
/// The writer owns nothing: the document and the message string must
/// outlive it. No writer operation writes the message string.
class LIBCOMMONCFG_EXPORT CIniWriterHelper {
public:
    /// `codec` null means Windows-1251.
    CIniWriterHelper(CIniFile& ini, QString& errorText, QTextCodec* codec);

    /// Selects the section (ASCII case-insensitive), appending it to the
    /// document when it is missing.
    void beginSect(const char* name);
    /// The name as UTF-8 bytes, then as above.
    void beginSect(const QString& name);
    /// Removes the first section of that name with all its keys; when it is
    /// the current one, the writer is left without a current section.
    void deleteSect(const QString& name);
    /// The current section's name, or a null string when there is none.
    QString curSect() const;

    /// Stores the trimmed value; an existing key keeps its place, the letter
    /// case of its name and its comment, a new one is appended.
    void setString(const char* key, const QString& value);
    /// The key as UTF-8 bytes, then as above.
    void setString(const QString& key, const QString& value);
    /// "on" / "off".
    void setOnOff(const char* key, bool value);
    /// "Y" / "N".
    void setYN(const char* key, bool value);
    /// "1" / "0".
    void set01(const char* key, bool value);
    /// Decimal text.
    void setInt(const char* key, int value);
    /// The key as UTF-8 bytes, then as above.
    void setInt(const QString& key, int value);
    /// Decimal text.
    void setUInt(const char* key, unsigned int value);
    /// The key as UTF-8 bytes, then as above.
    void setUInt(const QString& key, unsigned int value);
    /// "0x" and lower-case hexadecimal digits without leading zeros.
    void setUIntHex(const char* key, unsigned int value);
    /// At most six significant digits, plain or exponent form, whichever is
    /// shorter.
    void setDouble(const char* key, double value);
    /// Plain form with exactly `precision` digits after the point.
    void setDouble(const char* key, double value, int precision);
    /// Replaces the comment of an existing key (not trimmed); creates no key.
    void setKeyComment(const char* key, const QString& comment);
    /// The key as UTF-8 bytes, then as above.
    void setKeyComment(QString key, const QString& comment);

private:
    CIniFile& ini;
    // Taken like the reader's, so that both helpers are made alike; the
    // writer has nothing to report.
    [[maybe_unused]] QString& errorText;
    QTextCodec* codec;
    CSectList* sect;
};

} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_CINIWRITERHELPER_H
