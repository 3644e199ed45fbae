#include "loans/LoansCsv.h"

#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "exchange/CsvWriter.h"
#include "loans/LoanStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace quelto::loans {

QString LoansCsv::besideExport(const QString& csvPath)
{
    const QFileInfo csv(csvPath);
    return csv.absoluteDir().filePath(csv.completeBaseName() + QStringLiteral("-loans.csv"));
}

int LoansCsv::writeFile(catalog::Database& db, const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    int count = 0;
    try {
        exchange::CsvWriter writer(file);
        const QStringList columns = {QStringLiteral("catalog"), QStringLiteral("borrower"), QStringLiteral("lent"),
                                     QStringLiteral("due"),     QStringLiteral("returned"), QStringLiteral("note")};
        std::vector<QVariant> fields(columns.cbegin(), columns.cend());
        writer.writeRecord(fields);
        if (LoanStore(db).hasTable()) {
            auto loans = db.connection()->prepare(QStringLiteral("select %1 from quelto_loans order by lent, id")
                                                      .arg(columns.join(QStringLiteral(", "))));
            while (loans->step()) {
                for (int c = 0; c < columns.size(); ++c)
                    fields[size_t(c)] = loans->value(c);
                writer.writeRecord(fields);
                ++count;
            }
        }
        writer.finish();
    } catch (const catalog::EngineError& error) {
        file.cancelWriting();
        throw catalog::EngineError(QStringLiteral("\"%1\" was not written: %2").arg(name, error.message()));
    }
    if (!file.commit())
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    return count;
}

} // namespace quelto::loans
