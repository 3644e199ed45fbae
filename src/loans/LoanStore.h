#pragma once

#include "loans/Loan.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <optional>
#include <vector>

namespace quelto::catalog {
class Database;
class SqliteConnection;
} // namespace quelto::catalog

namespace quelto::loans {

// The loans of a catalogue, kept in Quelto's own table quelto_loans (one row
// a loan; a loan that came back keeps its row as history). The table is made
// by the first loan, inside that loan's write; until then every tape is at
// home. Media IDs and borrowers compare as the catalogue compares text
// (without case).
//
// Writes go through the catalogue's write checks and refuse with an
// EngineError whose message can be shown as it stands; a refused write leaves
// the file as it was.
class LoanStore
{
public:
    static inline const QString Table = QStringLiteral("quelto_loans");

    explicit LoanStore(catalog::Database& db) : m_db(db) {}

    bool hasTable() const;

    std::optional<Loan> currentLoan(const QString& catalog) const;
    // Tapes out now, the soonest due first (no due date last).
    std::vector<Loan> currentLoans() const;
    // A page of those: count loans from the offset on, in the same order.
    std::vector<Loan> currentLoans(int offset, int count) const;
    // Every loan of a tape, the newest first.
    std::vector<Loan> historyOfTape(const QString& catalog) const;
    // Every loan to a borrower, the newest first.
    std::vector<Loan> historyOfBorrower(const QString& borrower) const;
    // The names lent to so far, each once, in alphabetical order.
    QStringList borrowers() const;
    // The media IDs ever lent, each once, in alphabetical order.
    QStringList lentTapes() const;
    // A page of those lists: at most count of them after the given one (from
    // the first after an empty one), for lists read as they are scrolled.
    QStringList borrowers(const QString& after, int count) const;
    QStringList lentTapes(const QString& after, int count) const;
    // All of them, in order, on a connection of the caller's (a worker's).
    static QStringList borrowers(catalog::SqliteConnection& connection);
    static QStringList lentTapes(catalog::SqliteConnection& connection);
    // Tapes whose due date has passed.
    int overdueCount(const QDate& today) const;

    // The titles on each tape of the loans, keyed by tapeKey().
    QHash<QByteArray, QStringList> titlesOf(const std::vector<Loan>& loans) const;
    // The same for media IDs, on any connection to the catalogue (a reading
    // one of a worker thread: without an index on the media ID it is a pass
    // over archive).
    static QHash<QByteArray, QStringList> titlesOf(catalog::SqliteConnection& connection, const QStringList& catalogs);
    bool tapeExists(const QString& catalog) const;
    // The catalogue file the store reads.
    QString cataloguePath() const;
    // The tape's loan when the row is the tape's last record in the
    // catalogue: deleting the row leaves the loan without its tape.
    std::optional<Loan> loanOfLastRecord(qint64 rowid) const;
    // Marks a loan returned, inside the caller's write transaction (the
    // delete of the tape's last record).
    static void closeKept(catalog::SqliteConnection& connection, qint64 loanId, const QDate& returned);
    // The key two media IDs share when the catalogue takes them for one tape.
    static QByteArray tapeKey(const QString& catalog);

    // Stores a new loan, dated by the caller's today. Refused: a request the
    // rules refuse, a tape no longer in the catalogue, a tape already out, a
    // catalogue that cannot be written.
    Loan lend(const LoanRequest& request, const QDate& today);
    // Marks the tape's loan as returned on a date. Refused when the tape is
    // not on loan (it may have come back in another window).
    Loan giveBack(const QString& catalog, const QDate& returned, const QDate& today);
    // Stores a loan as another program kept it (current or returned), inside
    // the caller's write transaction; makes the table. True when it made it.
    static bool storeKept(catalog::SqliteConnection& connection, const Loan& loan);

private:
    QStringList distinctValues(const QString& column, const QString& after, int count) const;
    static QStringList distinctValues(catalog::SqliteConnection& connection, const QString& column);
    std::vector<Loan> select(const QString& where, const QString& order, const QString& argument = {}) const;

    catalog::Database& m_db;
};

} // namespace quelto::loans
