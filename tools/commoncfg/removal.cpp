// Removals on a file's own bytes: whole lines go, every other byte stays.
// A key goes with the line the device reads it from, and again while an
// earlier line would take its place; a group with its header and every line
// up to the next group.
#include "edits.h"
#include "flatlayout.h"
#include "inilayout.h"

#include <QTextCodec>

namespace commoncfg {

namespace {

TextLine lineOf(const IniLayout& layout, int index)
{
    return layout.line(index);
}

TextLine lineOf(const FlatLayout& layout, int index)
{
    return layout.lines().at(index);
}

template <typename Layout>
QByteArray withoutLines(const QByteArray& bytes, const Layout& layout, int first, int last)
{
    return applySplice(bytes, Splice{lineOf(layout, first).begin, lineOf(layout, last).next, QByteArray()});
}

// Removes the key's line as long as the layout reads the key; `Layout` reads
// a key from `read(group, key)` through `reader`.
template <typename ReadKey, typename MakeLayout>
EditOutcome removeKeyLines(QByteArray bytes, MakeLayout makeLayout, ReadKey readKey)
{
    bool removed = false;
    for (;;) {
        const auto layout = makeLayout(bytes);
        if (!layout.mismatch().isEmpty())
            return refusedEdit(
                QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
        const KeyReading reading = readKey(layout);
        if (reading.state == KeyReading::Disputed)
            return refusedEdit(reading.problem);
        if (reading.state == KeyReading::Absent)
            break;
        bytes = withoutLines(bytes, layout, reading.place.line, reading.place.line);
        removed = true;
    }
    if (!removed)
        return refusedEdit(QStringLiteral("no such key"), 1);
    EditOutcome outcome;
    outcome.bytes = bytes;
    return outcome;
}

EditOutcome removeGroup(const QByteArray& bytes, const QString& group)
{
    const IniLayout layout(bytes, group);
    if (!layout.mismatch().isEmpty())
        return refusedEdit(
            QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    const IniLayout::Section* section = layout.section(group);
    if (section == nullptr)
        return refusedEdit(QStringLiteral("no such group"), 1);
    if (section->name != deviceCodec()->fromUnicode(group))
        return refusedEdit(QStringLiteral("the file names this group [%1] (line %2)")
                               .arg(deviceCodec()->toUnicode(section->name))
                               .arg(section->line + 1));
    const int next = layout.nextGroupLine(section->line);
    const int last = next < 0 ? layout.lineCount() - 1 : next - 1;
    EditOutcome outcome;
    outcome.bytes = withoutLines(bytes, layout, section->line, last);
    return outcome;
}

} // namespace

EditOutcome removeIni(const QByteArray& bytes, const Change& change)
{
    if (change.key.isEmpty())
        return removeGroup(bytes, change.group);
    return removeKeyLines(
        bytes, [&](const QByteArray& text) { return IniLayout(text, change.group); },
        [&](const IniLayout& layout) { return layout.read(change.group, change.key); });
}

EditOutcome removeFlat(const QByteArray& bytes, FileKind kind, const Change& change)
{
    return removeKeyLines(
        bytes, [kind](const QByteArray& text) { return FlatLayout(text, kind); },
        [&](const FlatLayout& layout) { return layout.read(change.key); });
}

} // namespace commoncfg
