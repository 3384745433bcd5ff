#ifndef COMMONCFG_VALUEFORMS_H
#define COMMONCFG_VALUEFORMS_H

#include "inidoc/defaultconvkinds.h"

#include <QJsonValue>
#include <QString>
#include <QVariant>

namespace LibCommonCfg {
class IniFile;
}

namespace commoncfg {

// What the built-in conversion record of a key reads: its kind decides which
// texts the device understands and how the tool prints and accepts values.
using LibCommonCfg::internal::ValueKind;

// The kind of the record that `rules` (a document with the built-in list)
// applies to the key.
ValueKind valueKindOf(LibCommonCfg::IniFile& rules, const QString& group, const QString& key);

// Empty when the device reads `text` as a value of this kind; otherwise what
// is wrong with it and what the device makes of it instead.
QString unreadableProblem(ValueKind kind, const QString& text);

// The text to write for what the user typed: every form that `get` prints
// or the device reads is accepted, and written in the form the device's own
// writer uses ("0x1f", "1"/"0", "on"/"off"). Returns false with `problem`
// set when the input is no value of this kind.
bool textToStore(LibCommonCfg::IniFile& rules, const QString& group, const QString& key, const QString& input,
                 QString* text, QString* problem);

// How `get` and `show` print a typed value: flags as true/false, masks as
// lower-case hexadecimal, everything else as its text.
QString renderValue(const QVariant& value);
QJsonValue jsonValue(const QVariant& value);

} // namespace commoncfg

#endif
