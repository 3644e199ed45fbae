#pragma once

#include <QDate>
#include <QString>

class QTextStream;

namespace quelto::statistics {

// quelto --statistics CATALOGUE: the Statistics window's figures for the
// whole catalogue as JSON on out, without a window. The catalogue is opened
// read-only: nothing is written to it, not even Quelto's own helper columns.
// The figures are kept outside it (KeptStatistics) and shown at once while
// it stays as it was.
class CommandLineStatistics
{
public:
    // Returns the program's exit code: 0, or 1 with the reason on err.
    static int run(const QString& cataloguePath, QTextStream& out, QTextStream& err,
                   const QDate& today = QDate::currentDate());
};

} // namespace quelto::statistics
