#include "exchange/CommandLineExchange.h"

#include "catalog/ArchiveReader.h"
#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "exchange/AccessConversionProcess.h"
#include "exchange/ConversionLeftovers.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvExport.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace quelto::exchange {

using catalog::EngineError;

int CommandLineExchange::importAccess(const QString& accessPath, const QString& newPath, bool acceptNull,
                                      QTextStream& out, QTextStream& err)
{
    try {
        ConversionLeftovers::removeStale();
        if (QFileInfo::exists(newPath)) {
            err << QStringLiteral("quelto: \"%1\" exists already; name a new file for the converted catalogue.\n")
                       .arg(QDir::toNativeSeparators(newPath));
            return 1;
        }
        if (catalog::CatalogFileCheck::inspect(accessPath) != catalog::CatalogFileCheck::Kind::AccessDatabase) {
            err << QStringLiteral("quelto: \"%1\" is not an Access database.\n").arg(QDir::toNativeSeparators(accessPath));
            return 1;
        }
        // The file is read by the converter process, which a damaged file cannot take down.
        AccessConversionProcess converter(accessPath, ConversionLimits::forFile(accessPath));
        const ConversionPlan plan = converter.plan();
        if (plan.refusedCount > 0 && !acceptNull) {
            err << QStringLiteral("quelto: %1 values of \"%2\" cannot be stored in a Quelto catalogue:\n%3\n"
                                  "Nothing was written. Run again with --accept-null to store them as Null.\n")
                       .arg(plan.refusedCount)
                       .arg(QDir::toNativeSeparators(accessPath),
                            ConversionSummary::describe(plan.refused, plan.refusedCount, 50));
            return 1;
        }
        ConversionSummary summary = converter.write(newPath);
        summary.oldPath = accessPath;
        out << summary.text() << '\n';
        return 0;
    } catch (const EngineError& error) {
        err << QStringLiteral("quelto: %1\n").arg(error.message());
        return 1;
    }
}

int CommandLineExchange::exportCsv(const QString& cataloguePath, const QString& csvPath, QTextStream& out,
                                   QTextStream& err)
{
    try {
        if (catalog::CatalogFileCheck::inspect(cataloguePath) == catalog::CatalogFileCheck::Kind::AccessDatabase) {
            err << QStringLiteral("quelto: \"%1\" is an old Access catalogue; copy it into a Quelto catalogue first "
                                  "with --import-access.\n")
                       .arg(QDir::toNativeSeparators(cataloguePath));
            return 1;
        }
        std::unique_ptr<catalog::Database> db = catalog::Database::open(cataloguePath);
        if (!db->hasTable(QStringLiteral("archive")))
            throw EngineError(QStringLiteral("The catalogue \"%1\" has no records (no table archive).")
                                  .arg(QDir::toNativeSeparators(cataloguePath)));
        const QString query = db->translate(catalog::CatalogSchema::ArchiveQuery + catalog::CatalogState::InitialFilter +
                                            catalog::CatalogState::InitialOrder);
        const QStringList columns = CsvColumns::namesIn(*db->connection());
        db->close();
        catalog::ArchiveReader rows(cataloguePath, columns);
        rows.readQuery(query);
        const qint64 count = CsvExport::writeFile(rows, csvPath);
        out << QStringLiteral("%1 records written to \"%2\".\n").arg(count).arg(QDir::toNativeSeparators(csvPath));
        return 0;
    } catch (const EngineError& error) {
        err << QStringLiteral("quelto: %1\n").arg(error.message());
        return 1;
    }
}

} // namespace quelto::exchange
