// validate: what a technician should see before a file goes onto a device.
// In an INI file: keys the two readers would read differently (repeats,
// names compared with or without case), values that are no value of their
// key's kind, lines a reader skips or takes in pieces. In a flat file: keys
// assigned more than once, keys the reader finds behind other text on a
// line (a comment that assigns a key still assigns it), lines taken in
// pieces, and in a network setup file all that check-network finds. In
// both, lines saved as UTF-8, which the device misreads.
#include "commands.h"
#include "flatlayout.h"
#include "inilayout.h"

#include "flatfile/assignment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTextCodec>

#include <algorithm>

namespace commoncfg {

namespace {

QList<Finding> flatFindings(const FlatLayout& layout)
{
    QList<Finding> findings;
    for (auto it = layout.longLines().cbegin(); it != layout.longLines().cend(); ++it)
        findings.append({it.key(), QString(), it.value()});
    QHash<QString, int> assigned;
    const QByteArray& bytes = layout.bytes();
    for (int index = 0; index < layout.lines().size(); ++index) {
        const TextLine& line = layout.lines().at(index);
        const QString text = deviceCodec()->toUnicode(bytes.constData() + line.begin, line.length());
        const LibCommonCfg::internal::Assignment assignment =
            LibCommonCfg::internal::matchAssignment(text.left(kReaderPiece));
        if (!assignment.found)
            continue;
        const QString key = assignment.key(text);
        if (!text.left(assignment.keyBegin).trimmed().isEmpty())
            findings.append({index, key,
                             QStringLiteral("the device reads the key %1 behind \"%2\" on this line")
                                 .arg(key, text.left(assignment.keyBegin).trimmed())});
        if (assigned.contains(key))
            findings.append({index, key,
                             QStringLiteral("assigned again after line %1; the device takes the last")
                                 .arg(assigned.value(key) + 1)});
        assigned.insert(key, index);
    }
    return findings;
}

// Text saved as UTF-8 where the device reads Windows-1251: every byte
// decodes, but a Cyrillic letter becomes two other characters.
QList<Finding> encodingFindings(const QByteArray& bytes)
{
    QList<Finding> findings;
    QTextCodec* utf8 = QTextCodec::codecForMib(106);
    const QVector<TextLine> lines = splitLines(bytes);
    for (int index = 0; index < lines.size(); ++index) {
        const QByteArray line = bytes.mid(lines.at(index).begin, lines.at(index).length());
        if (std::all_of(line.cbegin(), line.cend(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            continue;
        QTextCodec::ConverterState state;
        const QString text = utf8->toUnicode(line.constData(), line.size(), &state);
        if (state.invalidChars == 0)
            findings.append({index, QString(),
                             QStringLiteral("the line is UTF-8 text (\"%1\"), which the device reads as "
                                            "Windows-1251 (\"%2\")")
                                 .arg(text.trimmed(), deviceCodec()->toUnicode(line).trimmed())});
    }
    return findings;
}

// A line a reader skips is told once: with its key, where it has one.
void addSkippedLines(const QMap<int, QString>& skipped, QList<Finding>* findings)
{
    QSet<int> told;
    for (const Finding& finding : *findings)
        told.insert(finding.line);
    for (auto it = skipped.cbegin(); it != skipped.cend(); ++it) {
        if (!told.contains(it.key()))
            findings->append({it.key(), QString(), it.value()});
    }
}

} // namespace

int validateFile(const DeviceFile& file, const CommonOptions& options)
{
    QList<Finding> findings;
    QString unreadable;
    if (file.kind == FileKind::Ini) {
        const IniLayout layout(file.bytes);
        unreadable = layout.mismatch();
        if (unreadable.isEmpty()) {
            findings = iniFindings(layout);
            addSkippedLines(layout.skippedLines(), &findings);
        }
    } else {
        const FlatLayout layout(file.bytes, file.kind);
        unreadable = layout.mismatch();
        if (unreadable.isEmpty())
            findings = flatFindings(layout);
    }
    findings += encodingFindings(file.bytes);
    if (!unreadable.isEmpty())
        findings.append(
            {-1, QString(), QStringLiteral("cannot tell which line holds which key (%1)").arg(unreadable)});
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    if (file.kind == FileKind::Setup && unreadable.isEmpty()) {
        QJsonArray interfaces;
        for (const QString& text : networkFindings(file, -1, &interfaces))
            findings.append({-1, QString(), text});
    }

    if (options.json) {
        QJsonArray list;
        for (const Finding& finding : findings) {
            QJsonObject entry{{QStringLiteral("text"), finding.text}};
            if (finding.line >= 0)
                entry.insert(QStringLiteral("line"), finding.line + 1);
            if (!finding.key.isEmpty())
                entry.insert(QStringLiteral("key"), finding.key);
            list.append(entry);
        }
        out() << QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("file"), file.path},
                                                             {QStringLiteral("format"), kindName(file.kind)},
                                                             {QStringLiteral("findings"), list}})
                                       .toJson(QJsonDocument::Indented));
    } else {
        for (const Finding& finding : findings) {
            if (finding.line >= 0)
                out() << "line " << finding.line + 1 << ": ";
            if (!finding.key.isEmpty())
                out() << finding.key << ": ";
            out() << finding.text << '\n';
        }
    }
    return findings.isEmpty() ? ExitOk : ExitFinding;
}

} // namespace commoncfg
