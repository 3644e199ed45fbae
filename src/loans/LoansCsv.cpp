#include "loans/LoansCsv.h"

#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "exchange/CsvReader.h"
#include "exchange/CsvWriter.h"
#include "loans/LoanText.h"
#include "loans/LoanStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
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

LoansCsv::ReadCount LoansCsv::readFile(catalog::Database& db, const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be read: %2").arg(name, file.errorString()));
    ReadCount count;
    catalog::SqliteConnection& connection = *db.connection();
    bool created = false;
    try {
        exchange::CsvReader reader(file);
        exchange::CsvRecord record;
        if (!reader.next(record))
            return count;
        QHash<QString, int> at;
        for (size_t i = 0; i < record.fields.size(); ++i)
            at.insert(record.fields[i].toString().trimmed().toLower(), int(i));
        const auto field = [&record, &at](const char* column) {
            const int i = at.value(QLatin1String(column), -1);
            return i >= 0 && size_t(i) < record.fields.size() ? record.fields[size_t(i)].toString().trimmed() : QString();
        };
        const auto date = [](const QString& text) { return QDate::fromString(text, Qt::ISODate); };
        connection.beginWrite();
        catalog::WriteTransaction transaction(connection);
        LoanStore store(db);
        while (reader.next(record)) {
            Loan loan;
            loan.catalog = field("catalog");
            loan.borrower = field("borrower");
            loan.lent = date(field("lent"));
            loan.due = date(field("due"));
            loan.returned = date(field("returned"));
            loan.note = field("note");
            if (loan.catalog.isEmpty() || loan.borrower.isEmpty() || !loan.lent.isValid()) {
                ++count.refused;
                continue;
            }
            if (created || store.hasTable()) {
                auto known = connection.prepare(QStringLiteral(
                    "select 1 from quelto_loans where catalog = ?1 and borrower = ?2 and lent = ?3 limit 1"));
                known->bind(1, loan.catalog);
                known->bind(2, loan.borrower);
                known->bind(3, LoanText::isoDate(loan.lent));
                if (known->step()) {
                    ++count.known;
                    continue;
                }
                if (loan.isCurrent() && store.currentLoan(loan.catalog)) {
                    ++count.refused;
                    continue;
                }
            }
            created = LoanStore::storeKept(connection, loan) || created;
            ++count.stored;
        }
        transaction.commit();
    } catch (const catalog::EngineError& error) {
        throw catalog::EngineError(error.kind(), QStringLiteral("The loans of \"%1\" were not read: %2").arg(name, error.message()));
    }
    if (created)
        db.schemaChanged();
    return count;
}

} // namespace quelto::loans
