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

#include <QFile>
#include <QSet>
#include <QTextCodec>

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

// `gone`: keys the typed reader must no longer hold; `goneGroups`: groups.
QString compareTyped(const LibCommonCfg::IniFile& expected, const LibCommonCfg::IniFile& actual,
                     const QSet<QString>& gone, const QSet<QString>& goneGroups)
{
    QStringList keys = expected.allKeys() + actual.allKeys();
    keys.removeDuplicates();
    for (const QString& key : keys) {
        const LibCommonCfg::internal::KeyParts parts = LibCommonCfg::internal::splitKey(key);
        const bool isGone = gone.contains(key) || goneGroups.contains(parts.group);
        const QVariant want = isGone ? QVariant() : expected.valueFromGroup(parts.group, parts.name);
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

QString checkIniResult(const QByteArray& before, const QString& writtenName, const QList<Change>& changes)
{
    QByteArray after;
    if (!readWritten(writtenName, &after))
        return QStringLiteral("cannot read back what was written");

    LibCommonCfg::IniFile expected(before);
    QSet<QString> gone;
    QSet<QString> goneGroups;
    for (const Change& change : changes) {
        const QString key = LibCommonCfg::internal::joinKey(change.group, change.key);
        if (change.remove && change.key.isEmpty()) {
            goneGroups.insert(change.group);
        } else if (change.remove || change.text.isEmpty()) {
            gone.insert(key); // an empty value is no value for the typed reader
        } else {
            gone.remove(key);
            expected.setValueInGroup(change.group, change.key,
                                     expected.parse(change.group, change.key, change.text));
        }
    }
    QString typed = compareTyped(expected, LibCommonCfg::IniFile(after), gone, goneGroups);
    if (!typed.isEmpty())
        return typed;

    SectionDocument sections = readSections(before);
    if (!sections.error.isEmpty())
        return sections.error;
    for (const Change& change : changes)
        applyToSections(&sections, change);
    return compareSections(sections, readSectionsFromFile(writtenName));
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
