#include "edits.h"

#include "textlines.h"

namespace commoncfg {

EditOutcome refusedEdit(const QString& problem, int exitCode)
{
    EditOutcome outcome;
    outcome.problem = problem;
    outcome.exitCode = exitCode;
    return outcome;
}

QString lineLengthProblem(int length)
{
    if (length <= kReaderPiece)
        return QString();
    return QStringLiteral("the line would be %1 characters long, and the device's readers take at most %2 at "
                          "once")
        .arg(length)
        .arg(kReaderPiece);
}

} // namespace commoncfg
