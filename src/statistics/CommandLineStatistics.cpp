#include "statistics/CommandLineStatistics.h"

#include "catalog/CatalogFileCheck.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "groups/RawQuery.h"
#include "statistics/KeptStatistics.h"
#include "statistics/StatisticsJson.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>

namespace quelto::statistics {

int CommandLineStatistics::run(const QString& cataloguePath, QTextStream& out, QTextStream& err,
                               const QDate& today)
{
    using catalog::CatalogFileCheck;
    const QString shown = QDir::toNativeSeparators(cataloguePath);
    try {
        if (CatalogFileCheck::inspect(cataloguePath) == CatalogFileCheck::Kind::AccessDatabase) {
            err << QStringLiteral(
                       "quelto: \"%1\" is an old Access catalogue; copy it into a Quelto catalogue first "
                       "with --import-access.\n")
                       .arg(shown);
            return 1;
        }
        CatalogFileCheck::requireDatabase(cataloguePath);
        auto connection =
            catalog::SqliteConnection::open(cataloguePath, catalog::SqliteConnection::Mode::OpenReadOnly);
        if (groups::RawQuery::tableColumns(*connection, QStringLiteral("archive")).isEmpty()) {
            err << QStringLiteral("quelto: the catalogue \"%1\" has no records (no table archive).\n")
                       .arg(shown);
            return 1;
        }
        QJsonObject json = StatisticsJson::toJson(KeptStatistics::collect(*connection, today));
        json.insert(QStringLiteral("catalogue"), QFileInfo(cataloguePath).absoluteFilePath());
        json.insert(QStringLiteral("date"), today.toString(Qt::ISODate));
        out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented));
        out.flush();
        return 0;
    } catch (const catalog::EngineError& error) {
        err << QStringLiteral("quelto: %1\n").arg(error.message());
        return 1;
    }
}

} // namespace quelto::statistics
