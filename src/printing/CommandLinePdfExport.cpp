#include "printing/CommandLinePdfExport.h"

#include "catalog/ArchiveReader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "printing/ListPrintCommands.h"
#include "printing/ListPrintJob.h"
#include "printing/PrintCanvas.h"
#include "printing/TapeRecords.h"

#include <QFileInfo>
#include <QLocale>
#include <cstdio>

namespace quelto::printing {
namespace {

using What = PdfExportRequest::What;

// The labels the request names, or the form factor's usual ones.
LabelChoice labelChoice(const PdfExportRequest& request, FormFactor factor)
{
    LabelChoice choice{factor, request.back, request.face, request.box};
    if (!request.back && !request.face && !request.box) {
        choice.backLabel = true;
        choice.faceLabel = factor == FormFactor::Vhs;
        choice.boxCover = factor == FormFactor::EightMm;
    }
    if (factor == FormFactor::EightMm)
        choice.faceLabel = false; // 8 mm tapes have no face label
    return choice;
}

} // namespace

QString CommandLinePdfExport::write(const PdfExportRequest& request, catalog::Database& database, const QDate& today)
{
    PdfCanvas pdf(request.output);
    PrintDocument document;
    QString title;
    if (request.what == What::Labels) {
        const TapeRecords::Lookup found = TapeRecords::lookup(database, request.mediaId);
        if (found.titles.isEmpty())
            return QStringLiteral("No record found with Media-ID %1.").arg(request.mediaId);
        const std::optional<FormFactor> factor =
            request.formFactor ? request.formFactor : TapeLabels::formFactorFor(found.mediaType);
        if (!factor) {
            return QStringLiteral("The medium \"%1\" is neither VHS nor 8 mm; choose one with --vhs or --8mm.")
                .arg(found.mediaType);
        }
        const LabelChoice choice = labelChoice(request, *factor);
        document = TapeLabels::layout(TapeRecords::entries(database, request.mediaId, found.titles), request.mediaId,
                                      choice);
        if (document.isEmpty())
            return QStringLiteral("8 mm tapes have no face label; choose --back or --box.");
        title = TapeLabels::documentTitle(request.mediaId);
    } else {
        // Every record by title, laid out and written a page at a time.
        const ListKind kind = request.what == What::LongList ? ListKind::Long : ListKind::Short;
        const QString query = database.translate(catalog::CatalogSchema::ArchiveQuery +
                                                 catalog::CatalogState::InitialFilter +
                                                 catalog::CatalogState::InitialOrder);
        catalog::ArchiveReader rows(database.path(), ListLayout::columns(kind));
        rows.readQuery(query);
        const QString date = QLocale().toString(today, QLocale::ShortFormat);
        qint64 rowsRead = 0;
        if (ListPrintJob::print(kind, rows, ListPrintCommands::heading(kind, false, {}, date), pdf,
                                ListPrintCommands::title(kind), nullptr, &rowsRead, request.covers))
            return {};
        if (rowsRead == 0)
            return QStringLiteral("No records found.");
        return (QStringLiteral("Cannot write \"%1\". ").arg(request.output) + pdf.error()).trimmed();
    }
    if (!pdf.print(document, title))
        return (QStringLiteral("Cannot write \"%1\". ").arg(request.output) + pdf.error()).trimmed();
    return {};
}

int CommandLinePdfExport::main(const PdfExportRequest& request, const QString& databasePath)
{
    QString error;
    if (databasePath.isEmpty()) {
        error = QStringLiteral("No catalogue is stored in the settings; name one with --database.");
    } else if (!QFileInfo(databasePath).isFile()) {
        error = QStringLiteral("There is no catalogue at \"%1\".").arg(databasePath);
    } else {
        try {
            std::unique_ptr<catalog::Database> database = catalog::Database::open(databasePath);
            error = write(request, *database, QDate::currentDate());
            database->close();
        } catch (const catalog::EngineError& e) {
            error = e.message();
        }
    }
    if (!error.isEmpty()) {
        std::fprintf(stderr, "quelto: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

} // namespace quelto::printing
