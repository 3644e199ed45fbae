#include "importing/CommandLineImport.h"

#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogLoader.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "importing/CatalogueImport.h"
#include "tasks/TaskControl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace quelto::importing {

int CommandLineImport::run(const QString& source, const QString& cataloguePath, QTextStream& out, QTextStream& err,
                           const QString& mediaIdPrefix)
{
    bool created = false;
    try {
        CatalogueImport::Options options;
        options.addUnmatched = true;
        options.mediaIdPrefix = mediaIdPrefix;
        CatalogueImport import(source, options); // refuses an unknown file before a catalogue is made
        if (QFileInfo::exists(cataloguePath)) {
            if (catalog::CatalogFileCheck::inspect(cataloguePath) == catalog::CatalogFileCheck::Kind::AccessDatabase)
                throw catalog::EngineError(
                    QStringLiteral("\"%1\" is an old Access catalogue; copy it into a Quelto catalogue first with "
                                   "--import-access.")
                        .arg(QDir::toNativeSeparators(cataloguePath)));
        } else {
            catalog::CatalogLoader::createCatalogFile(cataloguePath);
            created = true;
        }
        std::unique_ptr<catalog::Database> db = catalog::Database::open(cataloguePath);
        tasks::TaskControl control;
        const ImportSummary summary = import.run(*db, control);
        db->close();
        out << summary.text(50) << '\n';
        return 0;
    } catch (const catalog::EngineError& error) {
        if (created)
            QFile::remove(cataloguePath);
        err << QStringLiteral("quelto: %1\n").arg(error.message());
        return 1;
    }
}

} // namespace quelto::importing
