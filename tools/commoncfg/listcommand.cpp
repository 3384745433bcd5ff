// list: the groups of an INI file, or the keys of one group or of a flat
// file, in file order and spelled as the file spells them.
#include "commands.h"
#include "flatlayout.h"
#include "inilayout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>

namespace commoncfg {

namespace {

QString layoutProblem(const QString& mismatch)
{
    return QStringLiteral("cannot tell which line holds which key (%1)").arg(mismatch);
}

// The names, or why there are none to list (with the exit code).
int names(const DeviceFile& file, const QString& group, QStringList* found)
{
    if (file.kind != FileKind::Ini) {
        if (!group.isNull())
            return fail(ExitError, file.path,
                        QStringLiteral("a %1 file has no groups").arg(kindName(file.kind)));
        const FlatLayout layout(file.bytes, file.kind);
        if (!layout.mismatch().isEmpty())
            return fail(ExitError, file.path, layoutProblem(layout.mismatch()));
        *found = layout.keys();
        return ExitOk;
    }
    const IniLayout layout(file.bytes);
    if (!layout.mismatch().isEmpty())
        return fail(ExitError, file.path, layoutProblem(layout.mismatch()));
    if (group.isNull()) {
        for (const IniLayout::Section& section : layout.sections()) {
            if (section.named)
                *found << deviceCodec()->toUnicode(section.name);
        }
        return ExitOk;
    }
    const IniLayout::Section* section = layout.section(group);
    if (section == nullptr)
        return fail(ExitFinding, file.path, QStringLiteral("%1: no such group").arg(group));
    for (const IniLayout::Item& item : section->items) {
        if (item.isKey)
            *found << deviceCodec()->toUnicode(item.name);
    }
    return ExitOk;
}

} // namespace

int listNames(const DeviceFile& file, const QString& group, const CommonOptions& options)
{
    QStringList found;
    const int code = names(file, group, &found);
    if (code != ExitOk)
        return code;
    if (!options.json) {
        for (const QString& name : found)
            out() << name << '\n';
        return ExitOk;
    }
    QJsonObject root{{QStringLiteral("file"), file.path}};
    if (!group.isNull())
        root.insert(QStringLiteral("group"), group);
    const bool groups = file.kind == FileKind::Ini && group.isNull();
    root.insert(groups ? QStringLiteral("groups") : QStringLiteral("keys"),
                QJsonArray::fromStringList(found));
    out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    return ExitOk;
}

} // namespace commoncfg
