#include "inilayout.h"

#include "sectiondoc.h"

#include "common/asciicase.h"
#include "inidoc/compositekey.h"
#include "inidoc/linegrammar.h"

#include <LibCommonCfg/cinifile.h>
#include <LibCommonCfg/inifile.h>

#include <QTextCodec>

#include <vector>

namespace commoncfg {

using LibCommonCfg::internal::IniLine;

namespace {

QString lineNumber(int index)
{
    return QString::number(index + 1);
}

QString fromDevice(const QByteArray& bytes)
{
    return deviceCodec()->toUnicode(bytes);
}

} // namespace

QMap<int, QString> IniLayout::skippedLines() const
{
    QMap<int, QString> skipped;
    for (auto it = typedSkips_.cbegin(); it != typedSkips_.cend(); ++it)
        skipped.insert(it.key(), it.value());
    for (auto it = sectionSkips_.cbegin(); it != sectionSkips_.cend(); ++it) {
        const QString typed = skipped.value(it.key());
        skipped.insert(it.key(), typed.isEmpty() ? it.value() : typed + QStringLiteral("; ") + it.value());
    }
    return skipped;
}

QByteArray foldName(const QByteArray& name)
{
    QByteArray folded(name);
    for (char& c : folded)
        c = LibCommonCfg::internal::foldAscii(c);
    return folded;
}

IniLayout::IniLayout(const QByteArray& bytes)
    : bytes_(bytes), lines_(splitLines(bytes)), typedGroup_(QLatin1String(""))
{
    typedGroupAfter_.reserve(lines_.size());
    for (int i = 0; i < lines_.size(); ++i)
        readLine(i);
    checkAgainstLibrary();
}

void IniLayout::readLine(int index)
{
    const TextLine& line = lines_.at(index);
    const QString text = deviceCodec()->toUnicode(bytes_.constData() + line.begin, line.length());
    if (text.size() != line.length()) {
        mismatch_ = QStringLiteral("line %1 is not Windows-1251 text").arg(lineNumber(index));
        typedGroupAfter_.append(typedGroup_);
        return;
    }
    // The typed reader: the line, or its pieces of 1024 characters.
    const bool whole = text.size() <= kReaderPiece;
    if (!whole)
        typedSkips_.insert(index, QStringLiteral("line %1 is longer than the %2 characters the typed reader "
                                                 "takes at once")
                                      .arg(lineNumber(index))
                                      .arg(kReaderPiece));
    for (int at = 0; at < text.size() || at == 0; at += kReaderPiece)
        readTypedPiece(index, line.begin + at, text.mid(at, kReaderPiece), whole);
    typedGroupAfter_.append(typedGroup_);

    // The section reader: the line with its line end, in pieces of 4095 bytes.
    const int total = line.next - line.begin;
    if (total > kSectionPiece)
        sectionSkips_.insert(index, QStringLiteral("line %1 is longer than the %2 bytes the section reader "
                                                   "takes at once")
                                        .arg(lineNumber(index))
                                        .arg(kSectionPiece));
    for (int at = 0; at < total; at += kSectionPiece)
        readSectionPiece(index, line.begin + at, qMin(kSectionPiece, total - at));
}

void IniLayout::readTypedPiece(int index, int begin, const QString& text, bool wholeLine)
{
    const IniLine parsed = LibCommonCfg::internal::classifyLine(text);
    if (parsed.kind == IniLine::Section) {
        typedGroup_ = parsed.name(text);
        return;
    }
    if (parsed.kind != IniLine::Key)
        return;
    const QString name = parsed.name(text);
    const QString mapKey = LibCommonCfg::internal::joinKey(typedGroup_, name);
    if (parsed.valueLength == 0) {
        if (wholeLine)
            typedEmptyKeyAt_.insert(index, mapKey);
        return;
    }
    TypedKey place;
    place.line = index;
    place.valueBegin = begin + parsed.valueBegin;
    place.valueEnd = place.valueBegin + parsed.valueLength;
    typedKeys_.insert(mapKey, place);
}

void IniLayout::readSectionPiece(int index, int begin, int length)
{
    // The piece as the section reader's buffer holds it: without its LF.
    QByteArray piece = bytes_.mid(begin, length);
    if (piece.endsWith('\n'))
        piece.chop(1);
    std::vector<char> buffer(piece.constData(), piece.constData() + piece.size() + 1);
    char* base = buffer.data();
    char *sect = nullptr, *comment = nullptr, *key = nullptr, *value = nullptr;
    static CIniFile grammar;
    if (grammar.ParseLine(base, &sect, &comment, &key, &value) != 0)
        return;

    if (sect != nullptr) {
        const QByteArray name(sect);
        const QByteArray folded = foldName(name);
        const auto seen = sectionIndex_.constFind(folded);
        if (seen != sectionIndex_.cend()) {
            accepting_ = false;
            droppedHeader_ = index;
            sectionSkips_.insert(
                index, QStringLiteral("line %1 repeats the group [%2] of line %3, and the "
                                      "section reader skips a repeated group whole")
                           .arg(lineNumber(index), fromDevice(name), lineNumber(sections_.at(*seen).line)));
            return;
        }
        Section section;
        section.line = index;
        section.named = true;
        section.name = name;
        section.comment = QByteArray(comment);
        sectionIndex_.insert(folded, sections_.size());
        sections_.append(section);
        current_ = sections_.size() - 1;
        accepting_ = true;
        // A header the typed reader does not take leaves its keys in the
        // group before.
        const QString decoded = fromDevice(piece);
        if (LibCommonCfg::internal::classifyLine(decoded).kind != IniLine::Section)
            typedSkips_.insert(index, QStringLiteral("the typed reader takes no group from line %1 (a group "
                                                     "name there is made of ASCII letters, digits, \"_\" and "
                                                     "\".\" alone)")
                                          .arg(lineNumber(index)));
        return;
    }

    if (!accepting_) {
        sectionSkips_.insert(index,
                             QStringLiteral("line %1 stands in the repeated group of line %2, which the "
                                            "section reader skips")
                                 .arg(lineNumber(index), lineNumber(droppedHeader_)));
        return;
    }
    if (key == nullptr) {
        Item item;
        item.line = index;
        item.comment = QByteArray(comment);
        if (current_ < 0) {
            Section leading;
            leading.line = index;
            leading.comment = item.comment;
            sections_.append(leading);
        } else {
            sections_[current_].items.append(item);
        }
        return;
    }
    if (current_ < 0) {
        sectionSkips_.insert(index, QStringLiteral("line %1 stands before the first group, where the section "
                                                   "reader takes no keys")
                                        .arg(lineNumber(index)));
        return;
    }
    Section& section = sections_[current_];
    const QByteArray name(key);
    const QByteArray folded = foldName(name);
    const auto seen = section.keys.constFind(folded);
    if (seen != section.keys.cend()) {
        sectionSkips_.insert(
            index, QStringLiteral("line %1 repeats the key \"%2\" of line %3, and the section "
                                  "reader takes the first")
                       .arg(lineNumber(index), fromDevice(name), lineNumber(section.items.at(*seen).line)));
        return;
    }
    Item item;
    item.line = index;
    item.isKey = true;
    item.name = name;
    item.value = QByteArray(value);
    item.comment = QByteArray(comment);
    item.nameBegin = begin + int(key - base);
    item.nameEnd = item.nameBegin + name.size();
    if (item.value.isEmpty()) {
        // An empty value stands right behind the "=".
        const int equals = piece.indexOf('=', int(key - base));
        item.valueBegin = item.valueEnd = begin + equals + 1;
    } else {
        item.valueBegin = begin + int(value - base);
        item.valueEnd = item.valueBegin + item.value.size();
    }
    section.keys.insert(folded, section.items.size());
    section.items.append(item);
}

const IniLayout::Section* IniLayout::section(const QString& group) const
{
    // A name the file's encoding cannot hold names no group of the file.
    if (!deviceCodec()->canEncode(group))
        return nullptr;
    const auto found = sectionIndex_.constFind(foldName(deviceCodec()->fromUnicode(group)));
    return found == sectionIndex_.cend() ? nullptr : &sections_.at(*found);
}

KeyPlace IniLayout::typedPlace(const QString& groupKey) const
{
    KeyPlace place;
    const auto found = typedKeys_.constFind(groupKey);
    if (found == typedKeys_.cend())
        return place;
    // Typed groups hold no "/": the key's first one separates group and name.
    const LibCommonCfg::internal::KeyParts parts = LibCommonCfg::internal::splitKey(groupKey);
    place.line = found->line;
    place.group = parts.group;
    place.name = parts.name;
    place.value =
        deviceCodec()->toUnicode(bytes_.constData() + found->valueBegin, found->valueEnd - found->valueBegin);
    place.valueBegin = found->valueBegin;
    place.valueEnd = found->valueEnd;
    return place;
}

KeyPlace IniLayout::sectionPlace(const QString& group, const QString& key) const
{
    KeyPlace place;
    const Section* found = section(group);
    if (found == nullptr)
        return place;
    const auto item = found->keys.constFind(foldName(deviceCodec()->fromUnicode(key)));
    if (!deviceCodec()->canEncode(key) || item == found->keys.cend())
        return place;
    const Item& entry = found->items.at(*item);
    place.line = entry.line;
    place.group = fromDevice(found->name);
    place.name = fromDevice(entry.name);
    place.value = fromDevice(entry.value);
    place.nameBegin = entry.nameBegin;
    place.nameEnd = entry.nameEnd;
    place.valueBegin = entry.valueBegin;
    place.valueEnd = entry.valueEnd;
    return place;
}

KeyReading IniLayout::read(const QString& group, const QString& key) const
{
    KeyReading reading;
    const KeyPlace typed = typedPlace(LibCommonCfg::internal::joinKey(group, key));
    const KeyPlace sectioned = sectionPlace(group, key);
    if (!typed.found() && !sectioned.found())
        return reading;

    const bool sameNames = sectioned.group == group && sectioned.name == key;
    const bool split = typedSkips_.contains(sectioned.line) || sectionSkips_.contains(sectioned.line);
    if (sectioned.found() && sameNames && !split) {
        if (typed.found() && typed.line == sectioned.line && typed.value == sectioned.value) {
            reading.state = KeyReading::Agreed;
            reading.place = sectioned;
            return reading;
        }
        // A key with an empty value: the typed reader stores nothing for it,
        // but takes the line as that key all the same.
        if (!typed.found() && sectioned.value.isEmpty() &&
            typedEmptyKeyAt_.value(sectioned.line) == LibCommonCfg::internal::joinKey(group, key)) {
            reading.state = KeyReading::Agreed;
            reading.place = sectioned;
            return reading;
        }
    }

    reading.state = KeyReading::Disputed;
    if (typed.found() && sectioned.found() && typed.line != sectioned.line) {
        reading.problem = QStringLiteral("the device's two readers take it from different lines: the typed "
                                         "reader from line %1, the section reader from line %2")
                              .arg(lineNumber(typed.line), lineNumber(sectioned.line));
        const QString why = sectionSkips_.value(typed.line);
        reading.problem += why.isEmpty() ? QStringLiteral(" (one takes the last of repeated keys and groups, "
                                                          "the other the first)")
                                         : QStringLiteral(" (%1)").arg(why);
    } else if (typed.found() && sectioned.found()) {
        const QString why = typedSkips_.value(typed.line, sectionSkips_.value(typed.line));
        if (!why.isEmpty())
            reading.problem = QStringLiteral("the device's two readers read it differently: %1").arg(why);
        else if (typed.value != sectioned.value)
            reading.problem = QStringLiteral("the device's two readers take different values from line %1: "
                                             "\"%2\" and \"%3\"")
                                  .arg(lineNumber(typed.line), typed.value, sectioned.value);
        else
            reading.problem =
                QStringLiteral("the device's two readers read line %1 as different keys: %2/%3 "
                               "and %4/%5")
                    .arg(lineNumber(typed.line), typed.group, typed.name, sectioned.group, sectioned.name);
    } else if (typed.found()) {
        const QString why = sectionSkips_.value(typed.line);
        reading.problem =
            QStringLiteral("only the typed reader takes it, from line %1; the section reader "
                           "does not%2")
                .arg(lineNumber(typed.line), why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    } else {
        reading.problem = QStringLiteral("only the section reader takes it, from line %1 (as %2/%3); %4")
                              .arg(lineNumber(sectioned.line), sectioned.group, sectioned.name,
                                   explainTypedMiss(sectioned));
    }
    return reading;
}

QString IniLayout::loneCrHint(int line) const
{
    const TextLine& text = lines_.at(line);
    if (bytes_.indexOf('\r', text.begin) < 0 || bytes_.indexOf('\r', text.begin) >= text.end)
        return QString();
    return QStringLiteral(
               " (line %1 holds CR characters without LF, which the device's readers do not take as "
               "line ends)")
        .arg(lineNumber(line));
}

QString IniLayout::explainTypedMiss(const KeyPlace& sectioned) const
{
    QString why = typedSkips_.value(sectioned.line);
    if (!why.isEmpty())
        return why;
    const QString group = typedGroupAfter(sectioned.line);
    const Section* own = section(sectioned.group);
    if (group != sectioned.group && own != nullptr && typedSkips_.contains(own->line))
        return QStringLiteral("%1, and counts line %2 to the group [%3]")
            .arg(typedSkips_.value(own->line), lineNumber(sectioned.line), group);
    if (group != sectioned.group && !loneCrHint(sectioned.line).isEmpty())
        return QStringLiteral("the typed reader counts that line to the group [%1]%2")
            .arg(group, loneCrHint(sectioned.line));
    if (group != sectioned.group) {
        if (QString::compare(group, sectioned.group, Qt::CaseInsensitive) == 0)
            return QStringLiteral("the typed reader reads the group as [%1], and it compares names with case")
                .arg(group);
        return QStringLiteral("the typed reader counts that line to the group [%1]").arg(group);
    }
    return QStringLiteral("the typed reader reads it as %1/%2 and compares names with case")
        .arg(sectioned.group, sectioned.name);
}

void IniLayout::checkAgainstLibrary()
{
    if (!mismatch_.isEmpty())
        return;
    // The typed reader's keys and values.
    LibCommonCfg::IniFile typed(bytes_);
    LibCommonCfg::IniFile rules;
    const QStringList keys = typed.allKeys();
    if (keys.size() != typedKeys_.size()) {
        mismatch_ = QStringLiteral("the typed reader reads %1 keys, the tool found %2")
                        .arg(keys.size())
                        .arg(typedKeys_.size());
        return;
    }
    for (const QString& key : keys) {
        const KeyPlace place = typedPlace(key);
        if (!place.found() || typed.valueFromGroup(place.group, place.name) !=
                                  rules.parse(place.group, place.name, place.value)) {
            mismatch_ = QStringLiteral("the typed reader reads %1 differently").arg(key);
            return;
        }
    }
    // The section reader's groups, keys and comments, in file order.
    const SectionDocument document = readSections(bytes_);
    if (!document.error.isEmpty()) {
        mismatch_ = document.error;
        return;
    }
    bool same = document.sections.size() == sections_.size();
    for (int i = 0; same && i < sections_.size(); ++i) {
        const SectionDocument::Section& theirs = document.sections.at(i);
        const Section& ours = sections_.at(i);
        same = theirs.named == ours.named && theirs.name == ours.name && theirs.comment == ours.comment &&
               theirs.items.size() == ours.items.size();
        for (int k = 0; same && k < ours.items.size(); ++k) {
            const SectionDocument::Item& item = theirs.items.at(k);
            const Item& mine = ours.items.at(k);
            same = item.isKey == mine.isKey && item.name == mine.name && item.value == mine.value &&
                   item.comment == mine.comment;
        }
    }
    if (!same)
        mismatch_ = QStringLiteral("the section reader reads the groups differently");
}

} // namespace commoncfg
