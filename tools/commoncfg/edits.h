#ifndef COMMONCFG_EDITS_H
#define COMMONCFG_EDITS_H

#include "devicefile.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace commoncfg {

// One value to store, or (`remove`) a key or a whole INI group (the key
// empty) to take out: the key is GROUP/KEY split for an INI file, the group
// empty in a flat file. `label` names the change in messages as the user
// named it.
struct Change {
    QString group;
    QString key;
    QString text;
    bool remove = false;
    QString label = QString();
};

// The bytes of a file after one change, or why the change cannot be made
// (and the exit code that says so).
struct EditOutcome {
    QByteArray bytes;
    QString problem;
    int exitCode = 0;
};

// A change refused, with the reason and the exit code that says so.
EditOutcome refusedEdit(const QString& problem, int exitCode = 2);

// Empty when a line of this many characters is read whole; a longer one the
// device's readers would take in pieces.
QString lineLengthProblem(int length);

// Changes the value on exactly the line the device reads the key from and
// leaves every other byte as it was; a new key (`create`) is added as one
// line in the style of its neighbours, a new group at the end.
EditOutcome editIni(const QByteArray& bytes, const Change& change, bool create);
EditOutcome editFlat(const QByteArray& bytes, FileKind kind, const Change& change, bool create);

// Takes out the lines of a key (every line the device would read it from),
// or of a group: its header and every line up to the next group.
EditOutcome removeIni(const QByteArray& bytes, const Change& change);
EditOutcome removeFlat(const QByteArray& bytes, FileKind kind, const Change& change);

// Reads the file `writtenName` back with the library's readers and compares
// with what they read from `before`: empty when every changed key reads
// exactly as intended (a removed key, or one set to an empty value in an
// INI file, not at all for the typed reader) and nothing else changed,
// otherwise what differs.
QString checkIniResult(const QByteArray& before, const QString& writtenName, const QList<Change>& changes);
// The same for a file written with exactly the bytes `after`, which need
// not be read again. It reads the files `groupsAtOnce` groups at a time;
// checkWholeIniResult reads them whole, as the device does, and words every
// refusal.
QString checkIniResult(const QByteArray& before, const QByteArray& after, const QString& writtenName,
                       const QList<Change>& changes, int groupsAtOnce = 512);
QString checkWholeIniResult(const QByteArray& before, const QByteArray& after, const QString& writtenName,
                            const QList<Change>& changes);
QString checkFlatResult(const QByteArray& before, FileKind kind, const QString& writtenName,
                        const QList<Change>& changes);

} // namespace commoncfg

#endif
