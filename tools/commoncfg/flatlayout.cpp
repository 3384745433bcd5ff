#include "flatlayout.h"

#include "flatfile/assignment.h"
#include "flatfile/entries.h"

#include <QTextCodec>

#include <algorithm>

namespace commoncfg {

static_assert(kReaderPiece == LibCommonCfg::internal::kFlatLinePiece,
              "the layout cuts lines into the pieces the library's flat readers take");

FlatLayout::FlatLayout(const QByteArray& bytes, FileKind kind) : bytes_(bytes), lines_(splitLines(bytes))
{
    for (int index = 0; index < lines_.size(); ++index) {
        const TextLine& line = lines_.at(index);
        const QString text = deviceCodec()->toUnicode(bytes_.constData() + line.begin, line.length());
        if (text.size() != line.length()) {
            mismatch_ = QStringLiteral("line %1 is not Windows-1251 text").arg(index + 1);
            return;
        }
        if (text.size() > kReaderPiece)
            splitLines_.insert(index,
                               QStringLiteral("line %1 is longer than the %2 characters the device reads "
                                              "at once, and it reads the rest as further lines")
                                   .arg(index + 1)
                                   .arg(kReaderPiece));
        for (int at = 0; at < text.size(); at += kReaderPiece) {
            const QString piece = text.mid(at, kReaderPiece);
            const LibCommonCfg::internal::Assignment assignment =
                LibCommonCfg::internal::matchAssignment(piece);
            if (!assignment.found)
                continue;
            KeyPlace place;
            place.line = index;
            place.name = assignment.key(piece);
            place.value = assignment.value(piece);
            place.nameBegin = line.begin + at + assignment.keyBegin;
            place.nameEnd = place.nameBegin + assignment.keyLength;
            place.valueBegin = line.begin + at + assignment.valueBegin;
            place.valueEnd = place.valueBegin + assignment.valueLength;
            keys_.insert(place.name, place);
            last_ = place;
        }
    }
    checkAgainstLibrary(kind);
}

QStringList FlatLayout::keys() const
{
    QStringList names = keys_.keys();
    std::sort(names.begin(), names.end(), [this](const QString& a, const QString& b) {
        return keys_.value(a).valueBegin < keys_.value(b).valueBegin;
    });
    return names;
}

KeyReading FlatLayout::read(const QString& key) const
{
    KeyReading reading;
    const auto found = keys_.constFind(key);
    if (found == keys_.cend())
        return reading;
    const QString split = splitLines_.value(found->line);
    if (!split.isEmpty()) {
        reading.state = KeyReading::Disputed;
        reading.problem = split;
        return reading;
    }
    reading.state = KeyReading::Agreed;
    reading.place = *found;
    return reading;
}

void FlatLayout::checkAgainstLibrary(FileKind kind)
{
    // SetupFile and TZFile both hold what the library's one flat reader
    // makes of the bytes: compared with that reading itself.
    LibCommonCfg::internal::FlatEntries theirs;
    LibCommonCfg::internal::loadEntries(theirs, bytes_);
    LibCommonCfg::internal::FlatEntries mine;
    for (auto it = keys_.cbegin(); it != keys_.cend(); ++it)
        mine.insert(it.key(), it->value);
    if (mine != theirs)
        mismatch_ = kind == FileKind::Setup
                        ? QStringLiteral("the setup file reader reads the keys differently")
                        : QStringLiteral("the time-zone reader reads the keys differently");
}

} // namespace commoncfg
