// A change of an INI file on its own bytes: the value on the one line both
// of the device's readers take for the key, or a new line beside its group's
// keys, or a new group at the end.
#include "edits.h"
#include "inilayout.h"

#include "inidoc/linegrammar.h"

#include <QTextCodec>

namespace commoncfg {

namespace {

// How the key lines of a file look: what stands before the key, between key
// and value, after the value, and how the line ends.
struct KeyLineStyle {
    QByteArray indent;
    QByteArray separator = "=";
    QByteArray trailer;
    QByteArray lineEnd;

    QByteArray line(const QByteArray& key, const QByteArray& value) const
    {
        return indent + key + separator + value + trailer;
    }
};

QByteArray lineEndOf(const IniLayout& layout, int index)
{
    const TextLine line = layout.line(index);
    const QByteArray end = layout.bytes().mid(line.end, line.next - line.end);
    return end.endsWith('\n') ? end : QByteArray();
}

KeyLineStyle styleOf(const IniLayout& layout, const IniLayout::Item* item)
{
    KeyLineStyle style;
    style.lineEnd = layout.lineEnd();
    if (item == nullptr)
        return style;
    const QByteArray& bytes = layout.bytes();
    const TextLine line = layout.line(item->line);
    const QByteArray indent = bytes.mid(line.begin, item->nameBegin - line.begin);
    if (allBlanks(indent))
        style.indent = indent;
    const QByteArray separator = bytes.mid(item->nameEnd, item->valueBegin - item->nameEnd);
    if (allBlanks(QByteArray(separator).replace('=', "")) && separator.count('=') == 1)
        style.separator = separator;
    const QByteArray trailer = bytes.mid(item->valueEnd, line.end - item->valueEnd);
    if (!item->value.isEmpty() && allBlanks(trailer))
        style.trailer = trailer;
    const QByteArray end = lineEndOf(layout, item->line);
    if (!end.isEmpty())
        style.lineEnd = end;
    return style;
}

// The last key line of the section reader's group, or of the whole file
// (for the style of a line in a new group), or null.
const IniLayout::Item* lastKeyItem(const IniLayout& layout, const IniLayout::Section* section)
{
    if (section == nullptr)
        return layout.lastKey();
    const IniLayout::Item* found = nullptr;
    for (const IniLayout::Item& item : section->items) {
        if (item.isKey)
            found = &item;
    }
    return found;
}

EditOutcome insertLine(const IniLayout& layout, int after, const QByteArray& line, const KeyLineStyle& style)
{
    EditOutcome outcome;
    const QString tooLong = lineLengthProblem(line.size());
    if (!tooLong.isEmpty())
        return refusedEdit(tooLong);
    const TextLine anchor = layout.line(after);
    // After the last line of a file without a final line end, the new line
    // becomes the last one, also without.
    const bool ended = !lineEndOf(layout, after).isEmpty();
    const QByteArray inserted = ended ? line + style.lineEnd : style.lineEnd + line;
    outcome.bytes = applySplice(layout.bytes(), Splice{anchor.next, anchor.next, inserted});
    return outcome;
}

EditOutcome appendGroup(const IniLayout& layout, const QByteArray& group, const QByteArray& keyLine,
                        const KeyLineStyle& style)
{
    const QByteArray& bytes = layout.bytes();
    // The header in the style of the last header: its indentation and what
    // follows its "]".
    QByteArray header = "[" + group + "]";
    bool blankBefore = false;
    const int last = layout.lastGroupLine();
    if (last >= 0) {
        const TextLine line = layout.line(last);
        const QByteArray text = bytes.mid(line.begin, line.length());
        const int open = text.indexOf('[');
        const int close = text.indexOf(']', open);
        if (open >= 0 && close > open && allBlanks(text.left(open)) && allBlanks(text.mid(close + 1)))
            header = text.left(open) + header + text.mid(close + 1);
        blankBefore = last > 0 && layout.line(last - 1).length() == 0;
    }
    const QString tooLong = lineLengthProblem(qMax(header.size(), keyLine.size()));
    if (!tooLong.isEmpty())
        return refusedEdit(tooLong);

    QByteArray added;
    const bool ended = bytes.isEmpty() || bytes.endsWith('\n');
    if (!ended)
        added += style.lineEnd;
    if (blankBefore && layout.lineCount() > 0 && layout.line(layout.lineCount() - 1).length() != 0)
        added += style.lineEnd;
    added += header + style.lineEnd + keyLine;
    if (ended)
        added += style.lineEnd;
    EditOutcome outcome;
    outcome.bytes = bytes + added;
    return outcome;
}

} // namespace

EditOutcome editIni(const QByteArray& bytes, const Change& change, bool create)
{
    const IniLayout layout(bytes, change.group);
    if (!layout.mismatch().isEmpty())
        return refusedEdit(
            QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    const QByteArray text = deviceCodec()->fromUnicode(change.text);
    const KeyReading reading = layout.read(change.group, change.key);
    if (reading.state == KeyReading::Disputed)
        return refusedEdit(reading.problem);
    if (reading.state == KeyReading::Agreed) {
        const TextLine line = layout.line(reading.place.line);
        const int length = line.length() - (reading.place.valueEnd - reading.place.valueBegin) + text.size();
        const QString tooLong = lineLengthProblem(length);
        if (!tooLong.isEmpty())
            return refusedEdit(tooLong);
        EditOutcome outcome;
        outcome.bytes = applySplice(bytes, Splice{reading.place.valueBegin, reading.place.valueEnd, text});
        return outcome;
    }

    const IniLayout::Section* section = layout.section(change.group);
    const QByteArray group = deviceCodec()->fromUnicode(change.group);
    const QByteArray key = deviceCodec()->fromUnicode(change.key);
    if (!create) {
        if (section == nullptr)
            return refusedEdit(QStringLiteral("no group \"%1\" (use --create to add it)").arg(change.group),
                               1);
        return refusedEdit(QStringLiteral("no such key (use --create to add it)"), 1);
    }
    if (section == nullptr) {
        const QString header = QLatin1Char('[') + change.group + QLatin1Char(']');
        const LibCommonCfg::internal::IniLine parsed = LibCommonCfg::internal::classifyLine(header);
        if (parsed.kind != LibCommonCfg::internal::IniLine::Section || parsed.name(header) != change.group)
            return refusedEdit(
                QStringLiteral("a new group's name is made of ASCII letters, digits, \"_\" and \".\""));
        const KeyLineStyle style = styleOf(layout, lastKeyItem(layout, nullptr));
        return appendGroup(layout, group, style.line(key, text), style);
    }
    if (section->name != group)
        return refusedEdit(
            QStringLiteral("the file names this group [%1] (line %2); one of the device's readers "
                           "compares group names without case, the other with it")
                .arg(deviceCodec()->toUnicode(section->name))
                .arg(section->line + 1));
    const IniLayout::Item* last = lastKeyItem(layout, section);
    const int after = last != nullptr ? last->line : section->line;
    if (layout.typedGroupAfter(after) != change.group)
        return refusedEdit(
            QStringLiteral("the typed reader does not count line %1 to the group [%2], so a key "
                           "added there would not be read as %2/%3%4")
                .arg(after + 1)
                .arg(change.group, change.key, layout.loneCrHint(after)));
    const KeyLineStyle style = styleOf(layout, last != nullptr ? last : lastKeyItem(layout, nullptr));
    return insertLine(layout, after, style.line(key, text), style);
}

} // namespace commoncfg
