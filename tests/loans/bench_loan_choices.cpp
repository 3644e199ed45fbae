// The history tabs' choices at 200,000 loans, each of its own tape and
// borrower: a page read from the file (a pass and a sort each) against one
// read of the whole list and pages from memory. Not a test; the figures are
// in BENCHMARKS.md. Usage: bench_loan_choices [loans]
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "loans/ChoicePages.h"
#include "loans/LoanStore.h"
#include "TestCatalog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

using namespace quelto;

namespace {

template <typename Work> double medianMs(int runs, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("loans.mdb"));
    test::TestCatalog::create(path, {test::TestCatalog::record(QStringLiteral("Vertigo"), QStringLiteral("T1"))});
    auto db = catalog::Database::open(path);
    loans::LoanStore store(*db);
    store.lend({QStringLiteral("T1"), QStringLiteral("Anna"), QDate(2026, 11, 1), {}, {}}, QDate(2026, 12, 1));
    db->connection()->exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                                          "insert into quelto_loans (catalog, borrower, lent, returned) "
                                          "select 'X' || i, 'Friend ' || i, '2026-01-01', '2026-02-01' from n")
                               .arg(count - 1));

    QTextStream out(stdout);
    out << "loans: " << count << "\n";
    loans::ChoicePages tapes, borrowers;
    out << "whole lists read once (worker's side), both columns: " << medianMs(3, [&] {
        tapes = loans::ChoicePages(loans::LoanStore::lentTapes(*db->connection()));
        borrowers = loans::ChoicePages(loans::LoanStore::borrowers(*db->connection()));
    }) << " ms\n";
    const QString after = tapes.page(QString(), 100 * 200).last(); // the 101st page's start
    out << "file, first page of tapes: " << medianMs(5, [&] { store.lentTapes(QString(), 200); }) << " ms\n";
    out << "file, 101st page of tapes: " << medianMs(5, [&] { store.lentTapes(after, 200); }) << " ms\n";
    out << "file, 101st page of borrowers: "
        << medianMs(5, [&] { store.borrowers(QStringLiteral("Friend 50000"), 200); }) << " ms\n";
    QStringList page;
    out << "memory, 101st page of tapes: " << medianMs(101, [&] { page = tapes.page(after, 200); }) << " ms\n";
    out << "same pages: " << (page == store.lentTapes(after, 200) ? "yes" : "NO") << "\n";
    return page == store.lentTapes(after, 200) ? 0 : 1;
}
