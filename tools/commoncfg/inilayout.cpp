#include "inilayout.h"

#include "sectiondoc.h"

#include "common/asciicase.h"
#include "inidoc/compositekey.h"
#include "inidoc/linegrammar.h"

#include <LibCommonCfg/cinifile.h>
#include <LibCommonCfg/inifile.h>

#include <QTextCodec>

#include <algorithm>
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

namespace {

// Every this many lines the layout notes where a line begins; any other
// line is found from there.
constexpr int kCheckpoint = 64;

// The lines [ranges] of the file, one after the other.
QByteArray joinRanges(const QByteArray& bytes, const QVector<QPair<int, int>>& ranges)
{
    QByteArray joined;
    for (const auto& range : ranges)
        joined.append(bytes.constData() + range.first, range.second - range.first);
    return joined;
}

void extendRanges(QVector<QPair<int, int>>& ranges, const TextLine& line)
{
    if (!ranges.isEmpty() && ranges.constLast().second == line.begin)
        ranges.last().second = line.next;
    else
        ranges.append({line.begin, line.next});
}

} // namespace

IniLayout::IniLayout(const QByteArray& bytes) : IniLayout(bytes, Detail::All, QString()) {}

IniLayout::IniLayout(const QByteArray& bytes, const QString& group) : IniLayout(bytes, Detail::Group, group)
{
    // A file whose lines change the group in the middle cannot be read
    // group by group.
    if (splitHeader_)
        *this = IniLayout(bytes);
}

IniLayout::IniLayout(const QByteArray& bytes, Detail detail, const QString& focus)
    : bytes_(bytes), focus_(focus), typedGroup_(QLatin1String("")), sectionNames_(bytes, true),
      typedNames_(bytes, false), detail_(detail)
{
    if (detail_ == Detail::Group && deviceCodec()->canEncode(focus_))
        focusFolded_ = foldName(deviceCodec()->fromUnicode(focus_));
    readAll();
    if (detail_ == Detail::All)
        checkAgainstLibrary();
    else if (detail_ == Detail::Group && !splitHeader_)
        checkGroupAgainstLibrary();
}

void IniLayout::readAll()
{
    typedNames_.add(0, 0, -1); // the unnamed group before the first header
    int crlf = 0;
    int lf = 0;
    const int size = bytes_.size();
    for (int begin = 0; begin < size; ++lineCount_) {
        const TextLine line = lineAt(bytes_, begin);
        begin = line.next;
        if (lineCount_ % kCheckpoint == 0)
            checkpoints_.append(line.begin);
        if (line.next - line.end == 2)
            ++crlf;
        else if (line.next > line.end && bytes_.at(line.end) == '\n')
            ++lf;

        const int index = lineCount_;
        readLine(index, line);
        // The lines of the focus group, for either reader.
        const bool typedAfter = typedGroup_ == focus_;
        const bool detailed = detail_ == Detail::All ||
                              (detail_ == Detail::Group &&
                               (typedAfter || (focusSection_ >= 0 && sectionState_ == focusSection_)));
        if (!detailed) {
            typedSkips_.remove(index);
            sectionSkips_.remove(index);
        } else if (typedGroupFrom_.isEmpty() || typedGroupFrom_.last() != typedGroup_) {
            // A line read in detail finds its typed group at or before it.
            typedGroupFrom_.insert(index, typedGroup_);
        }
        if (detail_ == Detail::Group) {
            if (typedAfter)
                extendRanges(typedRanges_, line);
            if (focusSection_ >= 0 && sectionState_ == focusSection_)
                extendRanges(sectionRanges_, line);
        } else if (detail_ == Detail::None && (runs_.isEmpty() || runs_.constLast().typed != typedId_ ||
                                               runs_.constLast().section != sectionState_)) {
            runs_.append(Run{line.begin, typedId_, sectionState_});
        }
    }
    lineEnd_ = crlf > lf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

TextLine IniLayout::line(int index) const
{
    Q_ASSERT(index >= 0 && index < lineCount_);
    TextLine line = lineAt(bytes_, checkpoints_.at(index / kCheckpoint));
    for (int i = index % kCheckpoint; i > 0; --i)
        line = lineAt(bytes_, line.next);
    return line;
}

int IniLayout::nextGroupLine(int line) const
{
    const auto next = std::upper_bound(namedLines_.cbegin(), namedLines_.cend(), line);
    return next == namedLines_.cend() ? -1 : *next;
}

QString IniLayout::typedGroupAfter(int line) const
{
    auto found = typedGroupFrom_.upperBound(line);
    Q_ASSERT(found != typedGroupFrom_.cbegin());
    return found == typedGroupFrom_.cbegin() ? QString() : (--found).value();
}

void IniLayout::readLine(int index, const TextLine& line)
{
    const QString text = deviceCodec()->toUnicode(bytes_.constData() + line.begin, line.length());
    if (text.size() != line.length()) {
        mismatch_ = QStringLiteral("line %1 is not Windows-1251 text").arg(lineNumber(index));
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
        readTypedPiece(index, line.begin + at, text.mid(at, kReaderPiece), whole, at == 0);

    // The section reader: the line with its line end, in pieces of 4095 bytes.
    const int total = line.next - line.begin;
    if (total > kSectionPiece)
        sectionSkips_.insert(index, QStringLiteral("line %1 is longer than the %2 bytes the section reader "
                                                   "takes at once")
                                        .arg(lineNumber(index))
                                        .arg(kSectionPiece));
    for (int at = 0; at < total; at += kSectionPiece)
        readSectionPiece(index, line.begin + at, qMin(kSectionPiece, total - at), at == 0);
}

void IniLayout::readTypedPiece(int index, int begin, const QString& text, bool wholeLine, bool firstPiece)
{
    const IniLine parsed = LibCommonCfg::internal::classifyLine(text);
    if (parsed.kind == IniLine::Section) {
        typedGroup_ = parsed.name(text);
        splitHeader_ = splitHeader_ || !firstPiece;
        if (detail_ == Detail::None)
            typedId_ = typedNames_.add(begin + parsed.nameBegin, parsed.nameLength, index);
        return;
    }
    if (parsed.kind != IniLine::Key || !detailedTyped())
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

void IniLayout::readSectionPiece(int index, int begin, int length, bool firstPiece)
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
        splitHeader_ = splitHeader_ || !firstPiece;
        const QByteArray name(sect);
        bool added = false;
        const int id = sectionNames_.add(begin + int(sect - base), name.size(), index, &added);
        sectionState_ = id;
        if (!added) {
            accepting_ = false;
            droppedHeader_ = index;
            sectionSkips_.insert(
                index, QStringLiteral("line %1 repeats the group [%2] of line %3, and the "
                                      "section reader skips a repeated group whole")
                           .arg(lineNumber(index), fromDevice(name), lineNumber(sectionNames_.line(id))));
            return;
        }
        namedLines_.append(index);
        current_ = id;
        currentDetail_ = -1;
        currentKeys_.clear();
        accepting_ = true;
        if (detail_ == Detail::Group && foldName(name) == focusFolded_)
            focusSection_ = id;
        if (detail_ == Detail::All || (detail_ == Detail::Group && focusSection_ == id)) {
            Section section;
            section.line = index;
            section.named = true;
            section.name = name;
            section.comment = QByteArray(comment);
            currentDetail_ = sections_.size();
            detailed_.insert(id, currentDetail_);
            sections_.append(section);
        }
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
            if (detail_ == Detail::All) {
                Section leading;
                leading.line = index;
                leading.comment = item.comment;
                sections_.append(leading);
            }
        } else if (currentDetail_ >= 0) {
            sections_[currentDetail_].items.append(item);
        }
        return;
    }
    if (current_ < 0) {
        sectionSkips_.insert(index, QStringLiteral("line %1 stands before the first group, where the section "
                                                   "reader takes no keys")
                                        .arg(lineNumber(index)));
        return;
    }
    const QByteArray name(key);
    const QByteArray folded = foldName(name);
    if (currentDetail_ >= 0) {
        const Section& section = sections_.at(currentDetail_);
        const auto seen = section.keys.constFind(folded);
        if (seen != section.keys.cend()) {
            sectionSkips_.insert(
                index,
                QStringLiteral("line %1 repeats the key \"%2\" of line %3, and the section "
                               "reader takes the first")
                    .arg(lineNumber(index), fromDevice(name), lineNumber(section.items.at(*seen).line)));
            return;
        }
    } else {
        const auto seen = currentKeys_.constFind(folded);
        if (seen != currentKeys_.cend()) {
            sectionSkips_.insert(index, QStringLiteral("line %1 repeats the key \"%2\" of line %3, and the "
                                                       "section reader takes the first")
                                            .arg(lineNumber(index), fromDevice(name), lineNumber(*seen)));
            return;
        }
        currentKeys_.insert(folded, index);
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
    lastKey_ = item;
    hasLastKey_ = true;
    if (currentDetail_ >= 0) {
        Section& section = sections_[currentDetail_];
        section.keys.insert(folded, section.items.size());
        section.items.append(item);
    }
}

const IniLayout::Section* IniLayout::section(const QString& group) const
{
    // A name the file's encoding cannot hold names no group of the file.
    if (!deviceCodec()->canEncode(group))
        return nullptr;
    const QByteArray folded = foldName(deviceCodec()->fromUnicode(group));
    Q_ASSERT(detail_ == Detail::All || folded == focusFolded_);
    const auto found = detailed_.constFind(sectionNames_.find(folded.constData(), folded.size()));
    return found == detailed_.cend() ? nullptr : &sections_.at(*found);
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
    const TextLine text = this->line(line);
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

namespace {

// Whether the section reader reads a group as the tool does.
bool sameSection(const SectionDocument::Section& theirs, const IniLayout::Section& ours)
{
    bool same = theirs.named == ours.named && theirs.name == ours.name && theirs.comment == ours.comment &&
                theirs.items.size() == ours.items.size();
    for (int k = 0; same && k < ours.items.size(); ++k) {
        const SectionDocument::Item& item = theirs.items.at(k);
        const IniLayout::Item& mine = ours.items.at(k);
        same = item.isKey == mine.isKey && item.name == mine.name && item.value == mine.value &&
               item.comment == mine.comment;
    }
    return same;
}

} // namespace

QString IniLayout::typedMismatch(const LibCommonCfg::IniFile& typed, const QString& where) const
{
    LibCommonCfg::IniFile rules;
    const QStringList keys = typed.allKeys();
    if (keys.size() != typedKeys_.size())
        return QStringLiteral("the typed reader reads %1 keys%2, the tool found %3")
            .arg(keys.size())
            .arg(where)
            .arg(typedKeys_.size());
    for (const QString& key : keys) {
        const KeyPlace place = typedPlace(key);
        if (!place.found() || typed.valueFromGroup(place.group, place.name) !=
                                  rules.parse(place.group, place.name, place.value))
            return QStringLiteral("the typed reader reads %1 differently").arg(key);
    }
    return QString();
}

void IniLayout::checkAgainstLibrary()
{
    if (!mismatch_.isEmpty())
        return;
    // The typed reader's keys and values.
    mismatch_ = typedMismatch(LibCommonCfg::IniFile(bytes_), QString());
    if (!mismatch_.isEmpty())
        return;
    // The section reader's groups, keys and comments, in file order.
    const SectionDocument document = readSections(bytes_);
    if (!document.error.isEmpty()) {
        mismatch_ = document.error;
        return;
    }
    bool same = document.sections.size() == sections_.size();
    for (int i = 0; same && i < sections_.size(); ++i)
        same = sameSection(document.sections.at(i), sections_.at(i));
    if (!same)
        mismatch_ = QStringLiteral("the section reader reads the groups differently");
}

void IniLayout::checkGroupAgainstLibrary()
{
    if (!mismatch_.isEmpty())
        return;
    // The typed reader's keys of the group, from the group's lines alone.
    mismatch_ = typedMismatch(LibCommonCfg::IniFile(joinRanges(bytes_, typedRanges_)),
                              QStringLiteral(" of the group [%1]").arg(focus_));
    if (!mismatch_.isEmpty() || sections_.isEmpty())
        return;
    // The section reader's group, from its lines alone.
    const SectionDocument document = readSections(joinRanges(bytes_, sectionRanges_));
    if (!document.error.isEmpty()) {
        mismatch_ = document.error;
        return;
    }
    if (document.sections.size() != 1 || !sameSection(document.sections.constFirst(), sections_.constFirst()))
        mismatch_ = QStringLiteral("the section reader reads the group [%1] differently").arg(focus_);
}

uint IniLayout::NameTable::hashOf(const char* name, int length) const
{
    uint hash = 2166136261u;
    for (int i = 0; i < length; ++i)
        hash = (hash ^ uchar(fold_ ? LibCommonCfg::internal::foldAscii(name[i]) : name[i])) * 16777619u;
    return hash;
}

int IniLayout::NameTable::slotOf(const char* name, int length) const
{
    const int mask = slots_.size() - 1;
    for (int slot = int(hashOf(name, length)) & mask;; slot = (slot + 1) & mask) {
        const int id = slots_.at(slot);
        if (id < 0)
            return slot;
        const Entry& entry = entries_.at(id);
        if (entry.length != length)
            continue;
        const char* other = bytes_.constData() + entry.begin;
        bool same = true;
        for (int i = 0; same && i < length; ++i)
            same = fold_ ? LibCommonCfg::internal::foldAscii(other[i]) ==
                               LibCommonCfg::internal::foldAscii(name[i])
                         : other[i] == name[i];
        if (same)
            return slot;
    }
}

int IniLayout::NameTable::find(const char* name, int length) const
{
    return slots_.isEmpty() ? -1 : slots_.at(slotOf(name, length));
}

int IniLayout::NameTable::add(int begin, int length, int line, bool* added)
{
    if (2 * (entries_.size() + 1) > slots_.size()) {
        slots_.fill(-1, qMax(16, 2 * slots_.size()));
        for (int id = 0; id < entries_.size(); ++id)
            slots_[slotOf(bytes_.constData() + entries_.at(id).begin, entries_.at(id).length)] = id;
    }
    const int slot = slotOf(bytes_.constData() + begin, length);
    if (added != nullptr)
        *added = slots_.at(slot) < 0;
    if (slots_.at(slot) < 0) {
        slots_[slot] = entries_.size();
        entries_.append(Entry{begin, length, line});
    }
    return slots_.at(slot);
}

QSharedPointer<const IniLayout::Parts> IniLayout::partsOf(const QByteArray& bytes)
{
    IniLayout layout(bytes, Detail::None, QString());
    if (layout.splitHeader_ || !layout.mismatch_.isEmpty())
        return QSharedPointer<const Parts>();
    QSharedPointer<Parts> parts(new Parts(bytes));
    parts->bytes_ = bytes;
    parts->typedNames_ = layout.typedNames_;
    parts->sectionNames_ = layout.sectionNames_;
    parts->runs_ = layout.runs_;
    const int runs = parts->runs_.size();
    parts->firstTyped_.fill(-1, parts->typedNames_.size());
    parts->firstSection_.fill(-1, parts->sectionNames_.size() + 1);
    parts->nextTyped_.fill(-1, runs);
    parts->nextSection_.fill(-1, runs);
    for (int run = runs - 1; run >= 0; --run) {
        const Run& each = parts->runs_.at(run);
        parts->nextTyped_[run] = parts->firstTyped_.at(each.typed);
        parts->firstTyped_[each.typed] = run;
        parts->nextSection_[run] = parts->firstSection_.at(each.section + 1);
        parts->firstSection_[each.section + 1] = run;
    }
    return parts;
}

QString IniLayout::Parts::typedName(int id) const
{
    return fromDevice(typedNames_.name(id));
}

int IniLayout::Parts::findTyped(const QString& name) const
{
    if (!deviceCodec()->canEncode(name))
        return -1;
    const QByteArray encoded = deviceCodec()->fromUnicode(name);
    return typedNames_.find(encoded.constData(), encoded.size());
}

int IniLayout::Parts::findSection(const QByteArray& name) const
{
    return sectionNames_.find(name.constData(), name.size());
}

void IniLayout::Parts::append(QByteArray& out, int run) const
{
    const int begin = runs_.at(run).begin;
    const int end = run + 1 < runs_.size() ? runs_.at(run + 1).begin : bytes_.size();
    out.append(bytes_.constData() + begin, end - begin);
}

QByteArray IniLayout::Parts::typedParts(const QVector<int>& ids) const
{
    // The group of the file's last line goes last: that line may lack a
    // line end.
    QByteArray out;
    bool holdsEnd = false;
    for (const int id : ids) {
        holdsEnd = holdsEnd || id == typedEnd();
        for (int run = firstTyped_.at(id); run >= 0 && id != typedEnd(); run = nextTyped_.at(run))
            append(out, run);
    }
    for (int run = holdsEnd ? firstTyped_.at(typedEnd()) : -1; run >= 0; run = nextTyped_.at(run))
        append(out, run);
    return out;
}

QByteArray IniLayout::Parts::sectionParts(int first, int last) const
{
    QByteArray out;
    for (int id = first; id <= last; ++id) {
        for (int run = firstSection_.at(id + 1); run >= 0; run = nextSection_.at(run))
            append(out, run);
    }
    return out;
}

} // namespace commoncfg
