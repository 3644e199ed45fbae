#include "webcatalogue/CommandLineWebCatalogue.h"

#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "search/SearchQuery.h"
#include "webcatalogue/WebCatalogueExport.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace quelto::webcatalogue {

int CommandLineWebCatalogue::run(const QString& cataloguePath, const QString& folder, bool covers,
                                 const QString& titleSearch, QTextStream& out, QTextStream& err)
{
    try {
        if (!QFileInfo(cataloguePath).isFile())
            throw catalog::EngineError(
                QStringLiteral("There is no catalogue at \"%1\".").arg(QDir::toNativeSeparators(cataloguePath)));
        if (catalog::CatalogFileCheck::inspect(cataloguePath) == catalog::CatalogFileCheck::Kind::AccessDatabase)
            throw catalog::EngineError(QStringLiteral("\"%1\" is an old Access catalogue; copy it into a Quelto "
                                                      "catalogue first with --import-access.")
                                           .arg(QDir::toNativeSeparators(cataloguePath)));
        WebCatalogueRequest request;
        request.cataloguePath = cataloguePath;
        request.folder = folder;
        request.covers = covers;
        {
            std::unique_ptr<catalog::Database> db = catalog::Database::open(cataloguePath);
            if (!db->hasTable(QStringLiteral("archive")))
                throw catalog::EngineError(QStringLiteral("The catalogue \"%1\" has no records (no table archive).")
                                               .arg(QDir::toNativeSeparators(cataloguePath)));
            request.query = db->translate(
                titleSearch.isEmpty()
                    ? catalog::CatalogSchema::ArchiveQuery + catalog::CatalogState::InitialFilter +
                          catalog::CatalogState::InitialOrder
                    : search::SearchQuery::substringQuery(
                          search::SearchQuery::substringFilter(QStringLiteral("title"), titleSearch),
                          catalog::CatalogState::InitialOrder));
            db->close();
        }
        if (!titleSearch.isEmpty())
            request.search = QStringLiteral("Title: %1").arg(titleSearch);
        const WebCatalogueExport::Result result = WebCatalogueExport::write(request);
        out << QStringLiteral("%1 movies written to \"%2\"").arg(result.movies).arg(QDir::toNativeSeparators(folder));
        if (covers)
            out << QStringLiteral(", with %1 covers").arg(result.covers);
        out << QStringLiteral(".\n");
        return 0;
    } catch (const catalog::EngineError& error) {
        err << QStringLiteral("quelto: %1\n").arg(error.message());
        return 1;
    }
}

} // namespace quelto::webcatalogue
