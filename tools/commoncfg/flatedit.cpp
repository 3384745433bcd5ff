// A change of a network setup or time-zone file on its own bytes: the value
// on the line the device reads the key from, or a new line at the end.
#include "edits.h"
#include "flatlayout.h"

#include <QTextCodec>

namespace commoncfg {

namespace {

bool allBlanks(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (c != ' ' && c != '\t')
            return false;
    }
    return true;
}

EditOutcome refused(const QString& problem, int exitCode = 2)
{
    EditOutcome outcome;
    outcome.problem = problem;
    outcome.exitCode = exitCode;
    return outcome;
}

QString lengthProblem(int length)
{
    if (length <= kReaderPiece)
        return QString();
    return QStringLiteral("the line would be %1 characters long, and the device reads at most %2 at once")
        .arg(length)
        .arg(kReaderPiece);
}

} // namespace

EditOutcome editFlat(const QByteArray& bytes, FileKind kind, const Change& change, bool create)
{
    const FlatLayout layout(bytes, kind);
    if (!layout.mismatch().isEmpty())
        return refused(QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    const QByteArray text = deviceCodec()->fromUnicode(change.text);
    const KeyReading reading = layout.read(change.key);
    if (reading.state == KeyReading::Disputed)
        return refused(reading.problem);
    EditOutcome outcome;
    if (reading.state == KeyReading::Agreed) {
        const TextLine& line = layout.lines().at(reading.place.line);
        const QString tooLong =
            lengthProblem(line.length() - (reading.place.valueEnd - reading.place.valueBegin) + text.size());
        if (!tooLong.isEmpty())
            return refused(tooLong);
        outcome.bytes = applySplice(bytes, Splice{reading.place.valueBegin, reading.place.valueEnd, text});
        return outcome;
    }
    if (!create)
        return refused(QStringLiteral("no such key (use --create to add it)"), 1);

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
    const QString tooLong = lengthProblem(added.size());
    if (!tooLong.isEmpty())
        return refused(tooLong);
    const bool ended = bytes.isEmpty() || bytes.endsWith('\n');
    outcome.bytes = ended ? bytes + added + lineEnd : bytes + lineEnd + added;
    return outcome;
}

} // namespace commoncfg
