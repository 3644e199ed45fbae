#include "loans/LoanStore.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/TextKeys.h"
#include "catalog/WriteTransaction.h"
#include "loans/LoanRules.h"
#include "loans/LoanText.h"

#include <QSet>
#include <algorithm>
#include <string>
#include <vector>

namespace quelto::loans {

using catalog::EngineError;

namespace {

const QString CreateTable = QStringLiteral(
    "create table if not exists quelto_loans (id INTEGER PRIMARY KEY, catalog TEXT COLLATE NOCASE NOT NULL, "
    "borrower TEXT COLLATE NOCASE NOT NULL, lent TEXT NOT NULL, due TEXT, returned TEXT, note TEXT)");
const QString Columns = QStringLiteral("id, catalog, borrower, lent, due, returned, note");

Loan loanFrom(const catalog::SqliteStatement& row)
{
    Loan loan;
    loan.id = row.int64(0);
    loan.catalog = row.value(1).toString();
    loan.borrower = row.value(2).toString();
    loan.lent = LoanText::fromIso(row.value(3).toString());
    loan.due = LoanText::fromIso(row.value(4).toString());
    loan.returned = LoanText::fromIso(row.value(5).toString());
    loan.note = row.value(6).toString();
    return loan;
}

} // namespace

bool LoanStore::hasTable() const { return m_db.hasTable(Table); }

QByteArray LoanStore::tapeKey(const QString& catalog)
{
    const QByteArray utf8 = catalog.toUtf8();
    const std::string key = catalog::TextKeys::sortKey({utf8.constData(), size_t(utf8.size())});
    return QByteArray(key.data(), qsizetype(key.size()));
}

std::vector<Loan> LoanStore::select(const QString& where, const QString& order, const QString& argument) const
{
    std::vector<Loan> loans;
    if (!hasTable())
        return loans;
    auto query = m_db.connection()->prepare(
        QStringLiteral("select %1 from quelto_loans %2 order by %3").arg(Columns, where, order));
    if (where.contains(QLatin1String("?1")))
        query->bind(1, argument);
    while (query->step())
        loans.push_back(loanFrom(*query));
    return loans;
}

std::optional<Loan> LoanStore::currentLoan(const QString& catalog) const
{
    std::vector<Loan> loans =
        select(QStringLiteral("where returned is null and catalog = ?1"), QStringLiteral("id desc"), catalog);
    if (loans.empty())
        return std::nullopt;
    return loans.front();
}

std::vector<Loan> LoanStore::currentLoans() const
{
    return select(QStringLiteral("where returned is null"),
                  QStringLiteral("due is null, due, lent, catalog, id"));
}

std::vector<Loan> LoanStore::currentLoans(int offset, int count) const
{
    return select(QStringLiteral("where returned is null"),
                  QStringLiteral("due is null, due, lent, catalog, id limit %1 offset %2").arg(count).arg(offset));
}

std::vector<Loan> LoanStore::historyOfTape(const QString& catalog) const
{
    return select(QStringLiteral("where catalog = ?1"), QStringLiteral("lent desc, id desc"), catalog);
}

std::vector<Loan> LoanStore::historyOfBorrower(const QString& borrower) const
{
    return select(QStringLiteral("where borrower = ?1"), QStringLiteral("lent desc, id desc"), borrower);
}

QStringList LoanStore::borrowers() const
{
    QStringList names;
    if (!hasTable())
        return names;
    auto query = m_db.connection()->prepare(
        QStringLiteral("select min(borrower) from quelto_loans group by borrower order by borrower"));
    while (query->step())
        names << query->value(0).toString();
    return names;
}

QStringList LoanStore::lentTapes() const
{
    QStringList tapes;
    if (!hasTable())
        return tapes;
    auto query = m_db.connection()->prepare(
        QStringLiteral("select min(catalog) from quelto_loans group by catalog order by catalog"));
    while (query->step())
        tapes << query->value(0).toString();
    return tapes;
}

QStringList LoanStore::borrowers(const QString& after, int count) const
{
    return distinctValues(QStringLiteral("borrower"), after, count);
}

QStringList LoanStore::lentTapes(const QString& after, int count) const
{
    return distinctValues(QStringLiteral("catalog"), after, count);
}

QStringList LoanStore::distinctValues(const QString& column, const QString& after, int count) const
{
    QStringList values;
    if (!hasTable())
        return values;
    auto query = m_db.connection()->prepare(QStringLiteral("select min(%1) from quelto_loans where ?1 = '' or %1 > ?1 "
                                                           "group by %1 order by %1 limit %2")
                                                .arg(column)
                                                .arg(count));
    query->bind(1, after);
    while (query->step())
        values << query->value(0).toString();
    return values;
}

QStringList LoanStore::borrowers(catalog::SqliteConnection& connection)
{
    return distinctValues(connection, QStringLiteral("borrower"));
}

QStringList LoanStore::lentTapes(catalog::SqliteConnection& connection)
{
    return distinctValues(connection, QStringLiteral("catalog"));
}

QStringList LoanStore::distinctValues(catalog::SqliteConnection& connection, const QString& column)
{
    auto table = connection.prepare(QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?1"));
    table->bind(1, Table);
    if (!table->step())
        return {};
    // SQLite would sort every loan by the catalogue's collation, a call per
    // comparison (seconds at 200,000 loans); each distinct value's order key
    // is made once instead, and the keys compare as bytes in the same order.
    auto query = connection.prepare(QStringLiteral("select %1 from quelto_loans order by id").arg(column));
    QSet<QString> seen;
    std::vector<std::pair<std::string, QString>> keyed;
    while (query->step()) {
        const QString value = query->value(0).toString();
        if (seen.contains(value))
            continue;
        seen.insert(value);
        const QByteArray utf8 = value.toUtf8();
        keyed.emplace_back(catalog::TextKeys::orderKey({utf8.constData(), size_t(utf8.size())}), value);
    }
    // Of the spellings the order takes as one, the first lent stands for them.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList values;
    values.reserve(qsizetype(keyed.size()));
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || keyed[i].first != keyed[i - 1].first)
            values << keyed[i].second;
    }
    return values;
}

int LoanStore::overdueCount(const QDate& today) const
{
    if (!hasTable())
        return 0;
    auto query = m_db.connection()->prepare(QStringLiteral(
        "select count(distinct catalog) from quelto_loans where returned is null and due is not null and due < ?1"));
    query->bind(1, LoanText::isoDate(today));
    return query->step() ? int(query->int64(0)) : 0;
}

QHash<QByteArray, QStringList> LoanStore::titlesOf(const std::vector<Loan>& loans) const
{
    if (loans.empty() || !m_db.hasTable(QStringLiteral("archive")))
        return {};
    QStringList catalogs;
    for (const Loan& loan : loans)
        catalogs << loan.catalog;
    return titlesOf(*m_db.connection(), catalogs);
}

QHash<QByteArray, QStringList> LoanStore::titlesOf(catalog::SqliteConnection& connection, const QStringList& catalogs)
{
    QHash<QByteArray, QStringList> titles;
    if (catalogs.isEmpty())
        return titles;
    QStringList marks;
    for (qsizetype i = 0; i < catalogs.size(); ++i)
        marks << QStringLiteral("?%1").arg(i + 1);
    // The catalogue's text order compares the IDs.
    auto query = connection.prepare(
        QStringLiteral("select catalog, title from archive where catalog in (%1) order by title").arg(marks.join(u',')));
    for (qsizetype i = 0; i < catalogs.size(); ++i)
        query->bind(int(i) + 1, catalogs.at(i));
    while (query->step())
        titles[tapeKey(query->value(0).toString())] << query->value(1).toString();
    return titles;
}

QString LoanStore::cataloguePath() const { return m_db.path(); }

bool LoanStore::tapeExists(const QString& catalog) const
{
    if (!m_db.hasTable(QStringLiteral("archive")))
        return false;
    auto query = m_db.connection()->prepare(QStringLiteral("select 1 from archive where catalog = ?1 limit 1"));
    query->bind(1, catalog);
    return query->step();
}

std::optional<Loan> LoanStore::loanOfLastRecord(qint64 rowid) const
{
    if (!hasTable() || !m_db.hasTable(QStringLiteral("archive")))
        return std::nullopt;
    auto row = m_db.connection()->prepare(QStringLiteral("select catalog from archive where rowid = ?1"));
    row->bindInt64(1, rowid);
    if (!row->step() || row->value(0).isNull())
        return std::nullopt;
    const QString catalog = row->value(0).toString();
    row.reset();
    auto others = m_db.connection()->prepare(
        QStringLiteral("select 1 from archive where catalog = ?1 and rowid <> ?2 limit 1"));
    others->bind(1, catalog);
    others->bindInt64(2, rowid);
    if (others->step())
        return std::nullopt;
    return currentLoan(catalog);
}

void LoanStore::closeKept(catalog::SqliteConnection& connection, qint64 loanId, const QDate& returned)
{
    auto update = connection.prepare(
        QStringLiteral("update quelto_loans set returned = ?1 where id = ?2 and returned is null"));
    update->bind(1, LoanText::isoDate(returned));
    update->bindInt64(2, loanId);
    update->step();
}

Loan LoanStore::lend(const LoanRequest& request, const QDate& today)
{
    LoanRequest clean = request;
    clean.borrower = LoanRules::cleanBorrower(request.borrower);
    if (const QString problem = LoanRules::check(clean, today); !problem.isEmpty())
        throw EngineError(EngineError::Kind::Refused, problem);

    catalog::SqliteConnection& connection = *m_db.connection();
    connection.beginWrite();
    catalog::WriteTransaction transaction(connection);
    // Checked inside the write, so another window cannot slip in between.
    if (!tapeExists(clean.catalog)) {
        throw EngineError(EngineError::Kind::Deleted,
                          QStringLiteral("The tape \"%1\" is no longer in the catalogue: its records were deleted "
                                         "in another window or program.")
                              .arg(clean.catalog));
    }
    const bool created = !hasTable();
    if (created)
        connection.exec(CreateTable);
    if (const std::optional<Loan> current = currentLoan(clean.catalog)) {
        throw EngineError(EngineError::Kind::Changed,
                          QStringLiteral("The tape \"%1\" is already on loan to %2 since %3.")
                              .arg(current->catalog, current->borrower, LoanText::date(current->lent)));
    }
    auto insert = connection.prepare(
        QStringLiteral("insert into quelto_loans (catalog, borrower, lent, due, returned, note) "
                       "values (?1, ?2, ?3, ?4, null, ?5)"));
    insert->bind(1, clean.catalog);
    insert->bind(2, clean.borrower);
    insert->bind(3, LoanText::isoDate(clean.lent));
    insert->bind(4, clean.due.isValid() ? QVariant(LoanText::isoDate(clean.due)) : QVariant());
    insert->bind(5, clean.note.isEmpty() ? QVariant() : QVariant(clean.note));
    insert->step();
    Loan loan;
    loan.id = connection.lastInsertRowId();
    loan.catalog = clean.catalog;
    loan.borrower = clean.borrower;
    loan.lent = clean.lent;
    loan.due = clean.due;
    loan.note = clean.note;
    insert.reset();
    transaction.commit();
    if (created)
        m_db.schemaChanged();
    return loan;
}

bool LoanStore::storeKept(catalog::SqliteConnection& connection, const Loan& loan)
{
    auto exists = connection.prepare(QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?"));
    exists->bind(1, Table);
    const bool created = !exists->step();
    exists.reset();
    if (created)
        connection.exec(CreateTable);
    auto insert = connection.prepare(
        QStringLiteral("insert into quelto_loans (catalog, borrower, lent, due, returned, note) "
                       "values (?1, ?2, ?3, ?4, ?5, ?6)"));
    const auto date = [](const QDate& d) { return d.isValid() ? QVariant(LoanText::isoDate(d)) : QVariant(); };
    insert->bind(1, loan.catalog);
    insert->bind(2, loan.borrower);
    insert->bind(3, LoanText::isoDate(loan.lent));
    insert->bind(4, date(loan.due));
    insert->bind(5, date(loan.returned));
    insert->bind(6, loan.note.isEmpty() ? QVariant() : QVariant(loan.note));
    insert->step();
    return created;
}

Loan LoanStore::giveBack(const QString& catalog, const QDate& returned, const QDate& today)
{
    const auto notLent = [&] {
        return EngineError(EngineError::Kind::Changed,
                           QStringLiteral("The tape \"%1\" is not on loan; it may have been returned in another "
                                          "window.")
                               .arg(catalog));
    };
    if (!hasTable())
        throw notLent();
    catalog::SqliteConnection& connection = *m_db.connection();
    connection.beginWrite();
    catalog::WriteTransaction transaction(connection);
    std::optional<Loan> loan = currentLoan(catalog);
    if (!loan)
        throw notLent();
    if (const QString problem = LoanRules::checkReturn(*loan, returned, today); !problem.isEmpty())
        throw EngineError(EngineError::Kind::Refused, problem);
    auto update = connection.prepare(QStringLiteral("update quelto_loans set returned = ?1 where id = ?2"));
    update->bind(1, LoanText::isoDate(returned));
    update->bindInt64(2, loan->id);
    update->step();
    update.reset();
    transaction.commit();
    loan->returned = returned;
    return *loan;
}

} // namespace quelto::loans
