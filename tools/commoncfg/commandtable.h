#ifndef COMMONCFG_COMMANDTABLE_H
#define COMMONCFG_COMMANDTABLE_H

#include "cli.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>

namespace commoncfg {

// The options a command may accept, one bit each.
enum Option : unsigned {
    OptJson = 1U << 0,
    OptFormat = 1U << 1,
    OptInterfaces = 1U << 2,
    OptCreate = 1U << 3,
    OptWait = 1U << 4,
    OptDryRun = 1U << 5,
};

struct OptionRow {
    Option bit;
    const char* name;      // the long name, without "--"
    const char* valueName; // nullptr for an option without a value
    const char* description;
    // Puts the option's value into `options`; returns why the value is
    // refused, or an empty string.
    QString (*apply)(const QString& value, CommonOptions* options);
};

// One positional argument as the help shows it.
struct PositionalRow {
    const char* name = nullptr; // "FILE|-", "[KEY VALUE...]"
    const char* description = nullptr;
    const char* syntax = nullptr; // in the usage line, when other than the name
};

// How many positional arguments a command takes: from `min` to `max` (-1:
// no limit), those beyond `min` coming in groups of `step`.
struct Arity {
    int min = 0;
    int max = 0;
    int step = 1;

    bool accepts(int count) const
    {
        return count >= min && (max < 0 || count <= max) && (count - min) % step == 0;
    }
};

struct CommandRow {
    const char* name;
    const char* summary;
    std::array<PositionalRow, 4> positionals; // unused entries have no name
    Arity arity;
    unsigned options;    // Option bits the command accepts
    const char* expects; // the arguments in words, for "NAME expects ..."
    // Runs the command on positional arguments the arity accepts.
    int (*handler)(const QStringList& arguments, const CommonOptions& options);
    // Whether the argument at this position (0: the first after the command)
    // is a value, taken as it stands even when it begins with "-"; nullptr
    // for a command without values.
    bool (*isValueAt)(int position) = nullptr;
};

// A table's rows, for range-for.
template <typename Row> struct Rows {
    const Row* first;
    std::size_t count;

    const Row* begin() const { return first; }
    const Row* end() const { return first + count; }
};

Rows<CommandRow> commandTable();
Rows<OptionRow> optionTable();

// The row of the command called `name`, or nullptr.
const CommandRow* findCommand(const QString& name);

} // namespace commoncfg

#endif
