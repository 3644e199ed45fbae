#include "exchange/CsvExport.h"

#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "exchange/CsvWriter.h"

#include <QDir>
#include <QSaveFile>

namespace quelto::exchange {

int CsvExport::write(catalog::Database& db, const QString& sql, QIODevice& out)
{
    const QStringList& columns = catalog::CatalogSchema::archiveColumns();
    CsvWriter writer(out);
    std::vector<QVariant> fields;
    for (const QString& column : columns)
        fields.emplace_back(column);
    writer.writeRecord(fields);

    std::unique_ptr<catalog::RecordSet> set = db.openRecordSet(sql);
    int count = 0;
    for (; !set->eof(); set->moveNext()) {
        for (qsizetype c = 0; c < columns.size(); ++c)
            fields[size_t(c)] = set->value(columns.at(c));
        writer.writeRecord(fields);
        ++count;
    }
    return count;
}

int CsvExport::writeFile(catalog::Database& db, const QString& sql, const QString& path)
{
    QSaveFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::WriteOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    int count = 0;
    try {
        count = write(db, sql, file);
    } catch (const catalog::EngineError& error) {
        file.cancelWriting();
        throw catalog::EngineError(QStringLiteral("\"%1\" was not written: %2").arg(name, error.message()));
    }
    if (!file.commit())
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    return count;
}

} // namespace quelto::exchange
