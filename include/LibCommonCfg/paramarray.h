#ifndef LIBCOMMONCFG_PARAMARRAY_H
#define LIBCOMMONCFG_PARAMARRAY_H

#include <LibCommonCfg/libcommoncfg_export.h>

#include <QHash>
#include <QString>
#include <QStringList>

namespace LibCommonCfg {

/// A set of named parameters, every value held as text, with typed access.
///
/// Names are case-sensitive. The typed setters store the text form of the
/// value; the typed getters parse the text at every call and give the
/// caller's default for a missing parameter or an unreadable number.
class LIBCOMMONCFG_EXPORT ParamArray {
public:
    ParamArray();

    /// Removes every parameter.
    void clear();
    /// Every parameter name, in no defined order.
    QStringList keys() const;
    /// True when the parameter exists, even with an empty text.
    bool contains(const QString& name) const;

    /// The parameter's text, or a null string when it does not exist.
    QString operator[](const QString& name) const;
    /// The parameter's text for changing it; a missing parameter is created
    /// first with a null text.
    QString& operator[](const QString& name);

    /// The parameter's text when it exists (even empty), else `defaultValue`.
    QString getString(const QString& name, const QString& defaultValue) const;
    /// False exactly when the trimmed text is "0"; `defaultValue` when the
    /// parameter does not exist. Any other text, the empty one included, is
    /// true.
    bool get01(const QString& name, bool defaultValue) const;
    /// The text as a signed decimal number (not trimmed); `defaultValue` when
    /// the parameter does not exist or the text is not such a number.
    int getInt(const QString& name, int defaultValue) const;
    /// The text as an unsigned decimal number (not trimmed); `defaultValue`
    /// when the parameter does not exist or the text is not such a number.
    unsigned int getUInt(const QString& name, unsigned int defaultValue) const;

    /// Stores "1" for true and "0" for false.
    void set01(const QString& name, bool value);
    /// Stores the decimal form of the number.
    void setInt(const QString& name, int value);
    /// Stores the decimal form of the number.
    void setUInt(const QString& name, unsigned int value);
    /// Stores the text as given.
    void setString(const QString& name, const QString& value);

private:
    QHash<QString, QString> params;
};

} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_PARAMARRAY_H
