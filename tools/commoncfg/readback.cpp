// The last word before a save: the written file read back with the
// library's own readers must read as the old file with exactly the intended
// changes.
#include "edits.h"
#include "inilayout.h"
#include "sectiondoc.h"

#include "inidoc/compositekey.h"

#include <LibCommonCfg/inifile.h>
#include <LibCommonCfg/setupfile.h>
#include <LibCommonCfg/tzfile.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QTextCodec>

#include <cstring>

namespace commoncfg {

namespace {

bool readWritten(const QString& name, QByteArray* bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

QString shown(const QVariant& value)
{
    return value.isValid() ? QStringLiteral("\"%1\"").arg(value.toString()) : QStringLiteral("nothing");
}

// What the changes leave of the old keys for the typed reader: `gone` keys
// and `goneGroups` it must no longer hold, apart from `readded` keys, set
// again after their group went.
struct Removals {
    QSet<QString> gone;
    QSet<QString> goneGroups;
    QSet<QString> readded;

    explicit Removals(const QList<Change>& changes)
    {
        for (const Change& change : changes) {
            const QString key = LibCommonCfg::internal::joinKey(change.group, change.key);
            if (change.remove && change.key.isEmpty()) {
                goneGroups.insert(change.group);
                for (auto it = readded.begin(); it != readded.end();) {
                    if (LibCommonCfg::internal::splitKey(*it).group == change.group)
                        it = readded.erase(it);
                    else
                        ++it;
                }
            } else if (change.remove || change.text.isEmpty()) {
                gone.insert(key); // an empty value is no value for the typed reader
                readded.remove(key);
            } else {
                gone.remove(key);
                if (goneGroups.contains(change.group))
                    readded.insert(key);
            }
        }
    }
    bool isGone(const QString& key, const QString& group) const
    {
        return (gone.contains(key) || goneGroups.contains(group)) && !readded.contains(key);
    }
};

// The old keys with the values the changes set, for the changes' groups in
// `groups` (all of them when null).
void setValues(LibCommonCfg::IniFile* expected, const QList<Change>& changes, const QSet<QString>* groups)
{
    for (const Change& change : changes) {
        if (!change.remove && !change.text.isEmpty() && (groups == nullptr || groups->contains(change.group)))
            expected->setValueInGroup(change.group, change.key,
                                      expected->parse(change.group, change.key, change.text));
    }
}

QString compareTyped(const LibCommonCfg::IniFile& expected, const LibCommonCfg::IniFile& actual,
                     const Removals& removals)
{
    QStringList keys = expected.allKeys() + actual.allKeys();
    keys.removeDuplicates();
    for (const QString& key : keys) {
        const LibCommonCfg::internal::KeyParts parts = LibCommonCfg::internal::splitKey(key);
        const QVariant want =
            removals.isGone(key, parts.group) ? QVariant() : expected.valueFromGroup(parts.group, parts.name);
        const QVariant got = actual.valueFromGroup(parts.group, parts.name);
        if (want.userType() != got.userType() || want != got)
            return QStringLiteral("the typed reader would read %1 as %2 instead of %3")
                .arg(key, shown(got), shown(want));
    }
    return QString();
}

// The section reader's view of the old file with the changes made as the
// editor makes them: a value replaced in place, a new key after the last key
// of its group, a new group at the end.
void applyToSections(SectionDocument* document, const Change& change)
{
    const QByteArray group = deviceCodec()->fromUnicode(change.group);
    const QByteArray key = deviceCodec()->fromUnicode(change.key);
    const QByteArray text = deviceCodec()->fromUnicode(change.text);
    SectionDocument::Item item;
    item.isKey = true;
    item.name = key;
    item.value = text;
    for (int s = 0; s < document->sections.size(); ++s) {
        SectionDocument::Section& section = document->sections[s];
        if (!section.named || foldName(section.name) != foldName(group))
            continue;
        if (change.remove && key.isEmpty()) {
            document->sections.remove(s);
            return;
        }
        int lastKey = -1;
        for (int i = 0; i < section.items.size(); ++i) {
            SectionDocument::Item& existing = section.items[i];
            if (!existing.isKey)
                continue;
            if (foldName(existing.name) == foldName(key)) {
                if (change.remove)
                    section.items.remove(i);
                else
                    existing.value = text;
                return;
            }
            lastKey = i;
        }
        if (!change.remove)
            section.items.insert(lastKey + 1, item);
        return;
    }
    if (change.remove)
        return;
    SectionDocument::Section added;
    added.named = true;
    added.name = group;
    added.items.append(item);
    document->sections.append(added);
}

QString compareSections(const SectionDocument& expected, const SectionDocument& actual)
{
    if (!actual.error.isEmpty())
        return actual.error;
    const int common = qMin(expected.sections.size(), actual.sections.size());
    for (int i = 0; i < common; ++i) {
        if (!(expected.sections.at(i) == actual.sections.at(i)))
            return QStringLiteral("the section reader would read the group [%1] differently")
                .arg(deviceCodec()->toUnicode(expected.sections.at(i).name));
    }
    if (expected.sections.size() != actual.sections.size())
        return QStringLiteral("the section reader would read %1 groups instead of %2")
            .arg(actual.sections.size())
            .arg(expected.sections.size());
    return QString();
}

// The keys and values a flat file's reader holds, as it writes them out.
template <typename Flat> QHash<QByteArray, QByteArray> entriesOf(const Flat& flat)
{
    QHash<QByteArray, QByteArray> entries;
    for (const QByteArray& line : flat.serialize().split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            entries.insert(line.left(equals), line.mid(equals + 1));
    }
    return entries;
}

template <typename Flat>
QString compareFlat(const QByteArray& before, const QByteArray& after, const QList<Change>& changes)
{
    Flat expected;
    expected.load(before);
    QSet<QByteArray> gone;
    for (const Change& change : changes) {
        const QByteArray key = deviceCodec()->fromUnicode(change.key);
        if (change.remove) {
            gone.insert(key);
        } else {
            gone.remove(key);
            expected.setString(change.key, change.text);
        }
    }
    QHash<QByteArray, QByteArray> wanted = entriesOf(expected);
    for (const QByteArray& key : gone)
        wanted.remove(key);
    Flat actual;
    actual.load(after);
    return wanted == entriesOf(actual) ? QString()
                                       : QStringLiteral("the device would not read the keys as intended");
}

} // namespace

namespace {

// The typed reader's groups, a few at a time: the old file's groups (with
// the new file's of the same name), the new file's others, the changes'
// others.
QString compareTypedByGroups(const IniLayout::Parts& before, const IniLayout::Parts& after,
                             const QList<Change>& changes, int groupsAtOnce)
{
    const Removals removals(changes);
    QVector<int> beforeIds, afterIds;
    QSet<QString> groups;
    const auto compareGathered = [&]() {
        LibCommonCfg::IniFile expected(before.typedParts(beforeIds));
        setValues(&expected, changes, &groups);
        QString problem =
            compareTyped(expected, LibCommonCfg::IniFile(after.typedParts(afterIds)), removals);
        beforeIds.clear();
        afterIds.clear();
        groups.clear();
        return problem;
    };
    QVector<bool> matched(after.typedCount(), false);
    for (int id = 0; id < before.typedCount(); ++id) {
        const QString name = before.typedName(id);
        const int other = after.findTyped(name);
        beforeIds.append(id);
        if (other >= 0) {
            afterIds.append(other);
            matched[other] = true;
        }
        groups.insert(name);
        if (groups.size() == groupsAtOnce) {
            QString problem = compareGathered();
            if (!problem.isEmpty())
                return problem;
        }
    }
    for (int id = 0; id < after.typedCount(); ++id) {
        if (matched.at(id))
            continue;
        afterIds.append(id);
        groups.insert(after.typedName(id));
        if (groups.size() == groupsAtOnce) {
            QString problem = compareGathered();
            if (!problem.isEmpty())
                return problem;
        }
    }
    for (const Change& change : changes) {
        if (before.findTyped(change.group) < 0 && after.findTyped(change.group) < 0)
            groups.insert(change.group);
    }
    return compareGathered();
}

void feed(QCryptographicHash& hash, const QByteArray& bytes)
{
    const qint32 size = bytes.size();
    QByteArray record(reinterpret_cast<const char*>(&size), sizeof size);
    hash.addData(record.append(bytes));
}

void feed(QCryptographicHash& hash, const SectionDocument& document)
{
    for (const SectionDocument::Section& section : document.sections) {
        feed(hash, QByteArray(section.named ? "N" : "U") + QByteArray::number(section.items.size()));
        feed(hash, section.name);
        feed(hash, section.comment);
        for (const SectionDocument::Item& item : section.items) {
            feed(hash, QByteArray(item.isKey ? "K" : "C"));
            feed(hash, item.name);
            feed(hash, item.value);
            feed(hash, item.comment);
        }
    }
}

// The section reader's groups, a few at a time, each file's in file order
// into a digest: the old file's with the changes made, then the groups the
// changes add, against the new file's.
QString compareSectionsByGroups(const IniLayout::Parts& before, const IniLayout::Parts& after,
                                const QList<Change>& changes, int groupsAtOnce, bool* same)
{
    // Whether change i finds its group among the old file's: it is there and
    // no change before it took the group out.
    QVector<int> oldGroup;
    for (int i = 0; i < changes.size(); ++i) {
        const QByteArray name = deviceCodec()->fromUnicode(changes.at(i).group);
        int id = before.findSection(name);
        for (int k = 0; k < i && id >= 0; ++k) {
            if (changes.at(k).remove && changes.at(k).key.isEmpty() &&
                foldName(deviceCodec()->fromUnicode(changes.at(k).group)) == foldName(name))
                id = -1;
        }
        oldGroup.append(id);
    }
    QCryptographicHash want(QCryptographicHash::Sha256);
    QCryptographicHash got(QCryptographicHash::Sha256);
    for (int first = -1, last = -1; first < before.sectionCount(); first = last + 1) {
        last = qMin(first + groupsAtOnce, before.sectionCount()) - 1;
        if (first <= before.sectionEnd() && before.sectionEnd() < last)
            last = before.sectionEnd();
        SectionDocument document = readSections(before.sectionParts(first, last));
        if (!document.error.isEmpty())
            return document.error;
        for (int i = 0; i < changes.size(); ++i) {
            if (oldGroup.at(i) >= qMax(first, 0) && oldGroup.at(i) <= last)
                applyToSections(&document, changes.at(i));
        }
        feed(want, document);
    }
    SectionDocument added;
    for (int i = 0; i < changes.size(); ++i) {
        if (oldGroup.at(i) < 0)
            applyToSections(&added, changes.at(i));
    }
    feed(want, added);
    for (int first = -1, last = -1; first < after.sectionCount(); first = last + 1) {
        last = qMin(first + groupsAtOnce, after.sectionCount()) - 1;
        if (first <= after.sectionEnd() && after.sectionEnd() < last)
            last = after.sectionEnd();
        const SectionDocument document = readSections(after.sectionParts(first, last));
        if (!document.error.isEmpty())
            return document.error;
        feed(got, document);
    }
    *same = want.result() == got.result();
    return QString();
}

// Whether the file holds exactly these bytes, read a block at a time.
bool holdsExactly(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray block;
    qint64 at = 0;
    for (;;) {
        block = file.read(1 << 16);
        if (block.isEmpty())
            break;
        if (at + block.size() > bytes.size() ||
            std::memcmp(block.constData(), bytes.constData() + at, size_t(block.size())) != 0)
            return false;
        at += block.size();
    }
    return file.error() == QFileDevice::NoError && at == bytes.size();
}

} // namespace

QString checkWholeIniResult(const QByteArray& before, const QByteArray& after, const QString& writtenName,
                            const QList<Change>& changes)
{
    const Removals removals(changes);
    {
        LibCommonCfg::IniFile expected(before);
        setValues(&expected, changes, nullptr);
        QString typed = compareTyped(expected, LibCommonCfg::IniFile(after), removals);
        if (!typed.isEmpty())
            return typed;
    }
    SectionDocument sections = readSections(before);
    if (!sections.error.isEmpty())
        return sections.error;
    for (const Change& change : changes)
        applyToSections(&sections, change);
    return compareSections(sections, readSectionsFromFile(writtenName));
}

QString checkIniResult(const QByteArray& before, const QByteArray& after, const QString& writtenName,
                       const QList<Change>& changes, int groupsAtOnce)
{
    if (!holdsExactly(writtenName, after))
        return QStringLiteral("the written file does not hold the bytes meant for it");
    // A group at a time: a large file is never read whole into the readers'
    // documents. Any difference is told as the whole files read at once tell it.
    const QSharedPointer<const IniLayout::Parts> old = IniLayout::partsOf(before);
    const QSharedPointer<const IniLayout::Parts> written = old ? IniLayout::partsOf(after) : old;
    if (!written)
        return checkWholeIniResult(before, after, writtenName, changes);
    bool same = compareTypedByGroups(*old, *written, changes, groupsAtOnce).isEmpty();
    if (same) {
        QString error = compareSectionsByGroups(*old, *written, changes, groupsAtOnce, &same);
        if (!error.isEmpty())
            return error;
    }
    if (same)
        return QString();
    const QString problem = checkWholeIniResult(before, after, writtenName, changes);
    return problem.isEmpty()
               ? QStringLiteral("the device's readers read the written file differently group by "
                                "group than whole")
               : problem;
}

QString checkIniResult(const QByteArray& before, const QString& writtenName, const QList<Change>& changes)
{
    QByteArray after;
    if (!readWritten(writtenName, &after))
        return QStringLiteral("cannot read back what was written");
    return checkIniResult(before, after, writtenName, changes);
}

QString checkFlatResult(const QByteArray& before, FileKind kind, const QString& writtenName,
                        const QList<Change>& changes)
{
    QByteArray after;
    if (!readWritten(writtenName, &after))
        return QStringLiteral("cannot read back what was written");
    if (kind == FileKind::Setup)
        return compareFlat<LibCommonCfg::SetupFile>(before, after, changes);
    return compareFlat<LibCommonCfg::TZFile>(before, after, changes);
}

} // namespace commoncfg
