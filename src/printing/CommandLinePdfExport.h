#pragma once

#include "printing/PdfExportRequest.h"

#include <QDate>
#include <QString>

namespace quelto::catalog {
class Database;
}

namespace quelto::printing {

// `quelto --export-pdf ...`: writes a list or the labels of one tape to a PDF
// file, pages exactly as printed (A4, 10 mm margins), without a window. The
// lists take every record in the order of a fresh start.
class CommandLinePdfExport
{
public:
    // The catalogue at databasePath; errors go to the error output. Returns
    // the program's exit code.
    static int main(const PdfExportRequest& request, const QString& databasePath);

    // Writes the PDF; an empty text when it went well, else what went wrong.
    static QString write(const PdfExportRequest& request, catalog::Database& database, const QDate& today);
};

} // namespace quelto::printing
