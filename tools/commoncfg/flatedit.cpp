// A change of a network setup or time-zone file on its own bytes: the value
// on the line the device reads the key from, or a new line at the end.
#include "edits.h"
#include "flatlayout.h"

#include <QTextCodec>

namespace commoncfg {

EditOutcome editFlat(const QByteArray& bytes, FileKind kind, const Change& change, bool create)
{
    const FlatLayout layout(bytes, kind);
    if (!layout.mismatch().isEmpty())
        return refusedEdit(
            QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    const QByteArray text = deviceCodec()->fromUnicode(change.text);
    const KeyReading reading = layout.read(change.key);
    if (reading.state == KeyReading::Disputed)
        return refusedEdit(reading.problem);
    EditOutcome outcome;
    if (reading.state == KeyReading::Agreed) {
        const TextLine& line = layout.lines().at(reading.place.line);
        const QString tooLong = lineLengthProblem(
            line.length() - (reading.place.valueEnd - reading.place.valueBegin) + text.size());
        if (!tooLong.isEmpty())
            return refusedEdit(tooLong);
        outcome.bytes = applySplice(bytes, Splice{reading.place.valueBegin, reading.place.valueEnd, text});
        return outcome;
    }
    if (!create)
        return refusedEdit(QStringLiteral("no such key (use --create to add it)"), 1);

    // A new last line in the style of the last assignment: its indentation,
    // the blanks around its "=" and its line end.
    QByteArray indent;
    QByteArray separator = "=";
    QByteArray lineEnd = dominantLineEnd(bytes, layout.lines());
    if (const KeyPlace* last = layout.lastAssignment()) {
        const TextLine& line = layout.lines().at(last->line);
        const QByteArray before = bytes.mid(line.begin, last->nameBegin - line.begin);
        if (allBlanks(before))
            indent = before;
        const QByteArray between = bytes.mid(last->nameEnd, last->valueBegin - last->nameEnd);
        if (between.count('=') == 1 && allBlanks(QByteArray(between).replace('=', "")))
            separator = between;
        const QByteArray end = bytes.mid(line.end, line.next - line.end);
        if (end.endsWith('\n'))
            lineEnd = end;
    }
    const QByteArray added = indent + deviceCodec()->fromUnicode(change.key) + separator + text;
    const QString tooLong = lineLengthProblem(added.size());
    if (!tooLong.isEmpty())
        return refusedEdit(tooLong);
    const bool ended = bytes.isEmpty() || bytes.endsWith('\n');
    outcome.bytes = ended ? bytes + added + lineEnd : bytes + lineEnd + added;
    return outcome;
}

} // namespace commoncfg
