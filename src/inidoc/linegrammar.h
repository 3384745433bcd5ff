#ifndef LIBCOMMONCFG_INIDOC_LINEGRAMMAR_H
#define LIBCOMMONCFG_INIDOC_LINEGRAMMAR_H

#include <QString>

namespace LibCommonCfg {
namespace internal {

/// What one line of INI text is, once its comment is cut off and it is
/// trimmed.
struct IniLine {
    enum Kind {
        Empty,   ///< nothing left
        Section, ///< "[name]" of letters, digits, "_" and "." only
        Key,     ///< "key=value" (the value may be empty)
        Other,   ///< anything else; the reader skips it
    };
    Kind kind = Empty;
    // Where the group of a section header or the key of a key line, and the
    // value text of a key line (trimmed), stand in the line: the reader
    // copies them straight into the strings it keeps.
    int nameBegin = 0;
    int nameLength = 0;
    int valueBegin = 0;
    int valueLength = 0;

    QString name(const QString& line) const { return line.mid(nameBegin, nameLength); }
    QString value(const QString& line) const { return line.mid(valueBegin, valueLength); }
};

/// Classifies one line as the reader's grammar defines it:
///   comment        ";.*$"
///   section header "^\s*\[([\w\.]+)\]\s*$"
///   key line       "^\s*([^\[].*)\s*=\s*(.*)$"
/// with the key running to the first "=" after its first character and
/// trimmed. A line holding a broken UTF-16 surrogate is of no kind (Other),
/// as those expressions match nothing in it. The line holds no line feed:
/// the text stream has split the text there.
IniLine classifyLine(const QString& line);

} // namespace internal
} // namespace LibCommonCfg

#endif
