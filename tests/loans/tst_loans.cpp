// Lending and returning tapes: the loans table, its history, and what is
// refused without a byte written.
#include "catalog/ArchiveKeys.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "loans/LoanRules.h"
#include "loans/LoansCsv.h"
#include "loans/LoanStore.h"
#include "loans/LoanText.h"
#include "loans/ChoicePages.h"
#include "TestCatalog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using loans::Loan;
using loans::LoanRequest;
using loans::LoanStore;
using loans::LoanText;
using quelto::catalog::EngineError;
using quelto::test::TestCatalog;

namespace {

const QDate Today(2026, 12, 20);

LoanRequest request(const QString& catalog, const QString& borrower, const QDate& lent, const QDate& due = {})
{
    return LoanRequest{catalog, borrower, lent, due, QString()};
}

QString refusal(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EngineError& error) {
        return error.message();
    }
    return {};
}

} // namespace

class TestLoans : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void makeCatalogue()
    {
        m_path = m_dir.filePath(QStringLiteral("loans-%1.mdb").arg(QTest::currentTestFunction()));
        TestCatalog::create(m_path,
                            {TestCatalog::record(QStringLiteral("Key Largo"), QStringLiteral("T1")),
                             TestCatalog::record(QStringLiteral("Dark Passage"), QStringLiteral("T1")),
                             TestCatalog::record(QStringLiteral("Casablanca"), QStringLiteral("T2")),
                             TestCatalog::record(QStringLiteral("Vertigo"), QStringLiteral("T3"))});
    }

private slots:
    void init() { makeCatalogue(); }

    void lendAndReturnKeepHistory()
    {
        auto db = catalog::Database::open(m_path);
        LoanStore loans(*db);
        QVERIFY(!loans.hasTable()); // nothing is made before the first loan
        QVERIFY(!loans.currentLoan(QStringLiteral("T1")));
        QCOMPARE(loans.overdueCount(Today), 0);

        const Loan first = loans.lend({QStringLiteral("T1"), QStringLiteral("  Anna  "), QDate(2026, 12, 3),
                                       QDate(2026, 12, 17), QStringLiteral("with box")},
                                      Today);
        QVERIFY(loans.hasTable());
        QCOMPARE(first.borrower, QStringLiteral("Anna")); // spaces at the ends dropped
        // The tape is one: its media ID in another case finds the same loan.
        const std::optional<Loan> out = loans.currentLoan(QStringLiteral("t1"));
        QVERIFY(out);
        QCOMPARE(out->note, QStringLiteral("with box"));
        QCOMPARE(loans::LoanText::status(out, QDate(2026, 12, 10)),
                 QStringLiteral("On loan to Anna since 3 Dec 2026, due 17 Dec"));
        QCOMPARE(loans::LoanText::status(out, Today),
                 QStringLiteral("On loan to Anna since 3 Dec 2026, due 17 Dec (3 days overdue)"));
        QCOMPARE(loans.overdueCount(Today), 1);
        QCOMPARE(loans::LoanText::overdueNotice(loans.overdueCount(Today)), QStringLiteral("1 tape overdue"));

        // A tape that is out cannot go out twice.
        QVERIFY(refusal([&] {
                    loans.lend(request(QStringLiteral("T1"), QStringLiteral("Ben"), Today), Today);
                }).contains(QStringLiteral("already on loan to Anna")));

        loans.giveBack(QStringLiteral("T1"), QDate(2026, 12, 19), Today);
        QVERIFY(!loans.currentLoan(QStringLiteral("T1")));
        QCOMPARE(loans::LoanText::status(loans.currentLoan(QStringLiteral("T1")), Today),
                 loans::LoanText::NotOnLoan);
        loans.lend(request(QStringLiteral("T1"), QStringLiteral("ben"), Today), Today);
        loans.lend(
            request(QStringLiteral("T2"), QStringLiteral("Anna"), QDate(2026, 11, 1), QDate(2026, 11, 15)),
            Today);

        const std::vector<Loan> history = loans.historyOfTape(QStringLiteral("T1"));
        QCOMPARE(int(history.size()), 2);
        QCOMPARE(history[0].borrower, QStringLiteral("ben")); // the newest first
        QCOMPARE(history[1].returned, QDate(2026, 12, 19));
        QCOMPARE(int(loans.historyOfBorrower(QStringLiteral("ANNA")).size()), 2);
        QCOMPARE(loans.borrowers(), (QStringList{QStringLiteral("Anna"), QStringLiteral("ben")}));
        // Current loans: the soonest due first, no due date last.
        const std::vector<Loan> current = loans.currentLoans();
        QCOMPARE(int(current.size()), 2);
        QCOMPARE(current[0].catalog, QStringLiteral("T2"));
        QCOMPARE(current[1].catalog, QStringLiteral("T1"));
        const auto titles = loans.titlesOf(current);
        QCOMPARE(titles.value(loans::LoanStore::tapeKey(QStringLiteral("T1"))),
                 (QStringList{QStringLiteral("Dark Passage"), QStringLiteral("Key Largo")}));

        // The dates are stored as ISO text, readable by any tool.
        auto raw = db->connection()->prepare(
            QStringLiteral("select lent, due, returned from quelto_loans order by id"));
        QVERIFY(raw->step());
        QCOMPARE(raw->value(0).toString(), QStringLiteral("2026-12-03"));
        QCOMPARE(raw->value(1).toString(), QStringLiteral("2026-12-17"));
        QCOMPARE(raw->value(2).toString(), QStringLiteral("2026-12-19"));

        // The loans file beside a CSV export.
        const QString csv = loans::LoansCsv::besideExport(m_dir.filePath(QStringLiteral("movies.csv")));
        QCOMPARE(QFileInfo(csv).fileName(), QStringLiteral("movies-loans.csv"));
        QCOMPARE(loans::LoansCsv::writeFile(*db, csv), 3);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.value(0).trimmed(),
                 QByteArray("\"catalog\",\"borrower\",\"lent\",\"due\",\"returned\",\"note\""));
        QVERIFY(lines.value(1).startsWith("\"T2\",\"Anna\",\"2026-11-01\",\"2026-11-15\",,"));
        file.close();

        // Read back into another catalogue: every loan, the open ones open;
        // read again, none twice.
        const QString other = m_dir.filePath(QStringLiteral("loans-copy.mdb"));
        TestCatalog::create(other, {TestCatalog::record(QStringLiteral("Key Largo"), QStringLiteral("T1")),
                                    TestCatalog::record(QStringLiteral("Casablanca"), QStringLiteral("T2"))});
        auto copy = catalog::Database::open(other);
        const loans::LoansCsv::ReadCount read = loans::LoansCsv::readFile(*copy, csv);
        QCOMPARE(read.stored, 3);
        QCOMPARE(read.known, 0);
        LoanStore copied(*copy);
        QCOMPARE(int(copied.historyOfTape(QStringLiteral("T1")).size()), 2);
        QCOMPARE(copied.currentLoan(QStringLiteral("T1"))->borrower, QStringLiteral("ben"));
        QCOMPARE(copied.currentLoan(QStringLiteral("T2"))->due, QDate(2026, 11, 15));
        QCOMPARE(copied.historyOfTape(QStringLiteral("T1"))[1].note, QStringLiteral("with box"));
        const loans::LoansCsv::ReadCount again = loans::LoansCsv::readFile(*copy, csv);
        QCOMPARE(again.stored, 0);
        QCOMPARE(again.known, 3);
        QCOMPARE(TestCatalog::rowCount(other, QStringLiteral("quelto_loans")), 3);

        // A loan without its borrower, and a second open loan of a tape out, are left out.
        QFile odd(m_dir.filePath(QStringLiteral("odd-loans.csv")));
        QVERIFY(odd.open(QIODevice::WriteOnly));
        odd.write("catalog,borrower,lent,due,returned,note\r\nT2,,2026-12-01,,,\r\nT1,Cleo,2026-12-02,,,\r\n");
        odd.close();
        const loans::LoansCsv::ReadCount refused = loans::LoansCsv::readFile(*copy, odd.fileName());
        QCOMPARE(refused.stored, 0);
        QCOMPARE(refused.refused, 2);
    }

    // The history tabs page their choices from one read of the whole list;
    // the pages are those the file itself gives, in the catalogue's order.
    void choicesPagedFromMemoryAsFromTheFile()
    {
        auto db = catalog::Database::open(m_path);
        LoanStore loans(*db);
        QCOMPARE(LoanStore::borrowers(*db->connection()), QStringList()); // no loans table yet
        loans.lend(request(QStringLiteral("T1"), QStringLiteral("anna"), Today), Today);
        db->connection()->exec(QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 450) "
            "insert into quelto_loans (catalog, borrower, lent) "
            "select 'X' || (i % 300), case when i % 7 = 0 then 'FRIEND ' else 'Friend ' end || (i % 420), "
            "'2026-11-01' from n"));
        for (const bool tapes : {false, true}) {
            const loans::ChoicePages pages(tapes ? LoanStore::lentTapes(*db->connection())
                                                 : LoanStore::borrowers(*db->connection()));
            QStringList fromFile, fromMemory;
            QString after;
            for (int i = 0; i < 10; ++i) {
                const QStringList page = tapes ? loans.lentTapes(after, 200) : loans.borrowers(after, 200);
                QCOMPARE(pages.page(after, 200), page);
                fromFile << page;
                if (page.size() < 200)
                    break;
                after = page.last();
            }
            QCOMPARE(pages.size(), fromFile.size());
            QCOMPARE(fromFile.size(), tapes ? 301 : 421);
            // After a value in another case: the same place.
            QCOMPARE(pages.page(fromFile.at(5).toUpper(), 2), fromFile.mid(6, 2));
            QCOMPARE(pages.page(QStringLiteral("nobody lent"), 200), QStringList());
        }
    }

    void badInputIsRefusedWithNothingWritten()
    {
        auto db = catalog::Database::open(m_path);
        LoanStore loans(*db);
        loans.lend(request(QStringLiteral("T3"), QStringLiteral("Carl"), QDate(2026, 12, 1)), Today);
        db.reset();
        const QByteArray before = TestCatalog::fileBytes(m_path);
        db = catalog::Database::open(m_path);
        LoanStore again(*db);

        const QString longName(10000, QLatin1Char('x'));
        QVERIFY(refusal([&] {
                    again.lend(request(QStringLiteral("T1"), longName, Today), Today);
                }).contains(QStringLiteral("10000 characters long")));
        QVERIFY(refusal([&] {
                    again.lend(request(QStringLiteral("T1"), QStringLiteral("Anna\tB\n"), Today), Today);
                }).contains(QStringLiteral("control characters")));
        QVERIFY(refusal([&] {
                    again.lend(request(QStringLiteral("T1"), QStringLiteral("   "), Today), Today);
                }).contains(QStringLiteral("No borrower")));
        QCOMPARE(refusal([&] {
                     again.lend(request(QStringLiteral("T1"), QStringLiteral("Anna"), QDate(2026, 12, 10),
                                        QDate(2026, 12, 9)),
                                Today);
                 }),
                 QStringLiteral(
                     "The due date (9 Dec 2026) is before the date lent (10 Dec 2026). Choose a due date on "
                     "or after the date lent, or no due date."));
        QVERIFY(refusal([&] {
                    again.lend(request(QStringLiteral("T1"), QStringLiteral("Anna"), Today.addDays(1)),
                               Today);
                }).contains(QStringLiteral("in the future")));
        QCOMPARE(
            refusal([&] { again.giveBack(QStringLiteral("T2"), Today, Today); }),
            QStringLiteral("The tape \"T2\" is not on loan; it may have been returned in another window."));
        QVERIFY(refusal([&] {
                    again.giveBack(QStringLiteral("T3"), QDate(2026, 11, 30), Today);
                }).contains(QStringLiteral("before the date the tape was lent")));

        QCOMPARE(TestCatalog::fileBytes(m_path), before);

        // Another window deletes the tape's records; lending it is refused.
        {
            auto other = catalog::Database::open(m_path);
            other->connection()->exec(QStringLiteral("delete from archive where catalog = 'T2'"));
        }
        const QByteArray afterDelete = TestCatalog::fileBytes(m_path);
        QVERIFY(refusal([&] {
                    again.lend(request(QStringLiteral("T2"), QStringLiteral("Anna"), Today), Today);
                }).contains(QStringLiteral("no longer in the catalogue")));
        db.reset();
        QCOMPARE(TestCatalog::fileBytes(m_path), afterDelete);
    }

    void readOnlyCatalogueIsNeverWritten()
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = TestCatalog::fileBytes(m_path);
        {
            auto db = catalog::Database::open(m_path);
            LoanStore loans(*db);
            const QString message = refusal(
                [&] { loans.lend(request(QStringLiteral("T1"), QStringLiteral("Anna"), Today), Today); });
            QVERIFY2(message.contains(QStringLiteral("read-only")), qPrintable(message));
            QVERIFY(!loans.hasTable());
            QCOMPARE(loans.overdueCount(Today), 0);
        }
        QCOMPARE(TestCatalog::fileBytes(m_path), before);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }

    void defaultDueAndDates()
    {
        QCOMPARE(loans::LoanRules::defaultDue(QDate(2026, 12, 3), 14), QDate(2026, 12, 17));
        QVERIFY(loans::LoanRules::defaultDue(QDate(2026, 12, 3), 0).isNull());
        Loan loan{
            1, QStringLiteral("T1"), QStringLiteral("Anna"), QDate(2026, 12, 28), QDate(2027, 1, 11), {}, {}};
        QCOMPARE(loans::LoanText::status(loan, QDate(2026, 12, 30)),
                 QStringLiteral("On loan to Anna since 28 Dec 2026, due 11 Jan 2027"));
        QCOMPARE(loans::LoanText::overdueNotice(2), QStringLiteral("2 tapes overdue"));
        QVERIFY(loans::LoanText::overdueNotice(0).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLoans)
#include "tst_loans.moc"
