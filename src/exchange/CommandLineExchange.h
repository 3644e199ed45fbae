#pragma once

#include <QString>

class QTextStream;

namespace quelto::exchange {

// The exchange commands run without a window: each prints what it did to out,
// a failure to err, and returns the program's exit code (0 only on success).
class CommandLineExchange
{
public:
    // quelto --import-access OLD NEW: converts the Access catalogue OLD into
    // the new catalogue NEW, which must not exist. Values the new file refuses
    // are listed and stop the conversion unless acceptNull is set.
    static int importAccess(const QString& accessPath, const QString& newPath, bool acceptNull, QTextStream& out,
                            QTextStream& err);
    // quelto --export-csv CATALOGUE OUT: the whole archive table, ordered by title.
    static int exportCsv(const QString& cataloguePath, const QString& csvPath, QTextStream& out, QTextStream& err);
};

} // namespace quelto::exchange
