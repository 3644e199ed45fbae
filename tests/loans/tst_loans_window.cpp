// Loans in the real main window: the Media tab's loan line with Lend and
// Return, the Loans window, the searches "On Loan" and "Overdue", the notice
// of overdue tapes at start, the loans file beside a CSV export, and every
// refusal with nothing written.
#include "app/CollectionMenu.h"
#include "AppFixture.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordDeleter.h"
#include "editing/RecordForm.h"
#include "loans/LendDialog.h"
#include "loans/LoanCommands.h"
#include "loans/LoanPanel.h"
#include "loans/LoanStore.h"
#include "loans/LoansWindow.h"
#include "loans/ReturnDialog.h"
#include "search/RecordListCommands.h"
#include "search/RecordListModel.h"
#include "TestCatalog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

QDate today = QDate(2026, 12, 3);

TestCatalog::Row movie(const QString& title, const QString& catalog)
{
    return TestCatalog::record(title, catalog);
}

} // namespace

class TestLoansWindow : public QObject
{
    Q_OBJECT

    static QString catalogue(AppFixture& f)
    {
        const QString path = f.file(QStringLiteral("loans.mdb"));
        TestCatalog::create(path, {movie(QStringLiteral("Key Largo"), QStringLiteral("T1")),
                                   movie(QStringLiteral("Dark Passage"), QStringLiteral("T1")),
                                   movie(QStringLiteral("Casablanca"), QStringLiteral("T2")),
                                   movie(QStringLiteral("Vertigo"), QStringLiteral("T3"))});
        return path;
    }
    static void start(AppFixture& f, const QString& path)
    {
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.window().collectionMenu().setToday([] { return today; });
    }
    static loans::LoanPanel& panel(AppFixture& f) { return f.window().collectionMenu().loanPanel(); }
    // Shows the record with the title (the set is in title order).
    static void showRecord(AppFixture& f, const QString& title)
    {
        f.window().form().dbFirst->click();
        while (f.window().form().title->text() != title && f.window().form().dbNext->isEnabled())
            f.window().form().dbNext->click();
        QCOMPARE(f.window().form().title->text(), title);
    }
    static void lend(AppFixture& f, const QString& borrower,
                     const std::function<void(loans::LendDialog&)>& more = {})
    {
        f.prompts().dialogScripts << [borrower, more](QDialog& d) {
            auto& dialog = static_cast<loans::LendDialog&>(d);
            dialog.borrower()->setEditText(borrower);
            if (more)
                more(dialog);
            dialog.lendButton()->click();
        };
        panel(f).lendButton()->click();
    }

private slots:
    void lendAndReturnFromTheMediaTab()
    {
        AppFixture f;
        const QString path = catalogue(f);
        start(f, path);
        showRecord(f, QStringLiteral("Dark Passage"));
        QCOMPARE(panel(f).status()->text(), QStringLiteral("Not on loan"));
        QVERIFY(panel(f).lendButton()->isEnabled());
        QVERIFY(!panel(f).returnButton()->isEnabled());
        QCOMPARE(panel(f).lendButton()->text(), QStringLiteral("Lend..."));
        QCOMPARE(panel(f).returnButton()->accessibleName(), QStringLiteral("Return this tape"));
        QVERIFY(!loans::LoanStore(*f.window().state().database).hasTable()); // opening made nothing

        QDate offeredDue;
        QString heading;
        lend(f, QStringLiteral("Anna"), [&](loans::LendDialog& dialog) {
            offeredDue = dialog.due();
            heading = dialog.findChild<QLabel*>(QStringLiteral("lendHeading"))->text();
        });
        QVERIFY(f.prompts().exclamations.isEmpty());
        QCOMPARE(offeredDue, today.addDays(14)); // the default period
        QVERIFY(heading.contains(QStringLiteral("2 movies: Dark Passage, Key Largo")));
        QCOMPARE(panel(f).status()->text(), QStringLiteral("On loan to Anna since 3 Dec 2026, due 17 Dec"));
        QVERIFY(!panel(f).showsOverdue());
        QVERIFY(!panel(f).lendButton()->isEnabled());
        // The other movie on the tape is on loan with it, in the list's Loan column too.
        showRecord(f, QStringLiteral("Key Largo"));
        QVERIFY(panel(f).status()->text().startsWith(QStringLiteral("On loan to Anna")));
        const search::RecordListModel& list = f.window().recordList().model();
        const int loanColumn = search::RecordListModel::columnOf(QStringLiteral("quelto_loan"));
        QCOMPARE(list.headerData(loanColumn, Qt::Horizontal).toString(), QStringLiteral("Loan"));
        QStringList loanTexts;
        for (int row = 0; row < list.rowCount(); ++row)
            loanTexts << list.data(list.index(row, loanColumn)).toString();
        QCOMPARE(loanTexts, (QStringList{QString(), QStringLiteral("Anna, due 17 Dec 2026"),
                                         QStringLiteral("Anna, due 17 Dec 2026"), QString()}));

        // Past the due date the line turns red, and the status bar tells.
        f.window().collectionMenu().setToday([] { return QDate(2026, 12, 20); });
        QVERIFY(panel(f).showsOverdue());
        QVERIFY(panel(f).status()->text().endsWith(QStringLiteral("(3 days overdue)")));
        QVERIFY(f.window().collectionMenu().overdueNotice()->isVisible() || !f.window().isVisible());
        QCOMPARE(f.window().collectionMenu().overdueNotice()->accessibleName(),
                 QStringLiteral("1 tape overdue"));

        f.prompts().dialogScripts << [](QDialog& d) {
            auto& dialog = static_cast<loans::ReturnDialog&>(d);
            QCOMPARE(dialog.returnDate()->date(), QDate(2026, 12, 20));
            dialog.returnDate()->setDate(QDate(2026, 12, 18));
            dialog.returnButton()->click();
        };
        panel(f).returnButton()->click();
        QCOMPARE(panel(f).status()->text(), QStringLiteral("Not on loan"));
        QCOMPARE(f.window().collectionMenu().overdueNotice()->accessibleName(), QString());

        // The next loan offers the earlier borrower.
        QStringList offered;
        lend(f, QStringLiteral("Ben"), [&](loans::LendDialog& dialog) {
            for (int i = 0; i < dialog.borrower()->count(); ++i)
                offered << dialog.borrower()->itemText(i);
            dialog.hasDue()->setChecked(false);
        });
        QCOMPARE(offered, QStringList{QStringLiteral("Anna")});
        QCOMPARE(panel(f).status()->text(), QStringLiteral("On loan to Ben since 20 Dec 2026"));
        const std::vector<loans::Loan> history =
            loans::LoanStore(*f.window().state().database).historyOfTape(QStringLiteral("T1"));
        QCOMPARE(int(history.size()), 2);
        QCOMPARE(history[1].returned, QDate(2026, 12, 18));
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    void deletingTheLastRecordOfALentTapeEndsTheLoan()
    {
        AppFixture f;
        const QString path = catalogue(f);
        start(f, path);
        showRecord(f, QStringLiteral("Casablanca"));
        lend(f, QStringLiteral("Anna"));
        showRecord(f, QStringLiteral("Key Largo"));
        lend(f, QStringLiteral("Ben"));
        const auto current = [&f] { return loans::LoanStore(*f.window().state().database).currentLoans().size(); };
        QCOMPARE(int(current()), 2);

        // Another record stays on T1: deleting one of them asks nothing more.
        f.prompts().confirmAnswers << true;
        f.window().form().dbDelete->click();
        QCOMPARE(f.prompts().confirmations.size(), 1);
        QCOMPARE(int(current()), 2);

        // Casablanca is T2's only record: asked about the loan; No keeps both.
        showRecord(f, QStringLiteral("Casablanca"));
        f.prompts().confirmAnswers << true << false;
        f.window().form().dbDelete->click();
        QCOMPARE(f.prompts().confirmations.size(), 3);
        QCOMPARE(f.prompts().confirmations.last(),
                 editing::RecordDeleter::LastOfLentTape.arg(QStringLiteral("T2"), QStringLiteral("Anna")));
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);
        QCOMPARE(int(current()), 2);
        // Yes deletes it and ends the loan in the same write.
        f.prompts().confirmAnswers << true << true;
        f.window().form().dbDelete->click();
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
        QCOMPARE(int(current()), 1);
        const std::vector<loans::Loan> history =
            loans::LoanStore(*f.window().state().database).historyOfTape(QStringLiteral("T2"));
        QCOMPARE(int(history.size()), 1);
        QVERIFY(history[0].returned.isValid());
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    void loansWindowReadsManyLoansAPageAtATime()
    {
        AppFixture f;
        const QString path = catalogue(f);
        {
            // 5,000 tapes out at once, each of its own borrower.
            auto db = catalog::Database::open(path);
            loans::LoanStore(*db).lend({QStringLiteral("T1"), QStringLiteral("Anna"), today, {}, {}}, today);
            db->connection()->exec(QStringLiteral(
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < 5000) "
                "insert into quelto_loans (catalog, borrower, lent, due) "
                "select 'X' || i, 'Friend ' || i, '2026-11-01', date('2026-12-01', '+' || i || ' days') from n"));
        }
        start(f, path);
        f.menu("mnLoans")->trigger();
        loans::LoansWindow& window = f.window().collectionMenu().loansWindow();
        QTreeWidget* list = window.currentList();
        const int first = list->topLevelItemCount();
        QVERIFY2(first > 0 && first < 1000, qPrintable(QString::number(first)));
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("X1")); // the soonest due first
        QTRY_COMPARE(list->topLevelItem(1)->text(4), QStringLiteral("(no longer in the catalogue)"));
        // Scrolled to the end, the list reads on, in the same order, to the last loan.
        for (int i = 0; i < 100 && list->topLevelItemCount() < 5001; ++i) {
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
            QCoreApplication::processEvents();
        }
        QCOMPARE(list->topLevelItemCount(), 5001);
        QCOMPARE(list->topLevelItem(4999)->text(0), QStringLiteral("X5000"));
        QCOMPARE(list->topLevelItem(5000)->text(0), QStringLiteral("T1")); // no due date last
        // The tapes and borrowers to choose from are read a page at a time too;
        // one asked for ahead of its page is there at once, and only once.
        window.showBorrower(QStringLiteral("friend 4999"));
        QComboBox* borrowers = window.borrowerChoice();
        QVERIFY2(borrowers->count() < 1000, qPrintable(QString::number(borrowers->count())));
        QCOMPARE(borrowers->currentText().toLower(), QStringLiteral("friend 4999"));
        QCOMPARE(window.borrowerHistory()->topLevelItemCount(), 1);
        QVERIFY(window.tapeChoice()->count() < 1000);
        // The whole list is read on a worker thread, then paged from memory.
        QTRY_VERIFY(borrowers->count() > 1);
        QVERIFY2(borrowers->count() < 1000, qPrintable(QString::number(borrowers->count())));
        QCOMPARE(borrowers->currentText().toLower(), QStringLiteral("friend 4999"));
        for (int i = 0; i < 100 && borrowers->model()->canFetchMore({}); ++i)
            borrowers->model()->fetchMore({});
        QCOMPARE(borrowers->count(), 5001);
        QStringList names;
        for (int i = 0; i < borrowers->count(); ++i)
            names << borrowers->itemText(i);
        QCOMPARE(names.first(), QStringLiteral("Anna"));
        QCOMPARE(names.filter(QStringLiteral("Friend 4999"), Qt::CaseInsensitive).size(), 1);
        QCOMPARE(names.mid(0, 4), (QStringList{QStringLiteral("Anna"), QStringLiteral("Friend 1"),
                                               QStringLiteral("Friend 2"), QStringLiteral("Friend 3")}));
        QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), 5001);
        QCOMPARE(borrowers->currentText().toLower(), QStringLiteral("friend 4999")); // still chosen
        window.close();
    }

    void badInputGetsAMessageAndStoresNothing()
    {
        AppFixture f;
        const QString path = catalogue(f);
        start(f, path);
        showRecord(f, QStringLiteral("Casablanca"));
        // Each refusal keeps the dialog open with what was typed; the script then cancels.
        const auto refused = [&](const QString& borrower, const QDate& due, const QString& expected) {
            f.prompts().exclamations.clear();
            f.prompts().dialogScripts << [&, borrower, due](QDialog& d) {
                auto& dialog = static_cast<loans::LendDialog&>(d);
                dialog.borrower()->setEditText(borrower);
                dialog.dueDate()->setDate(due);
                dialog.lendButton()->click();
                QVERIFY(dialog.isVisible());
                dialog.cancelButton()->click();
            };
            panel(f).lendButton()->click();
            QCOMPARE(f.prompts().exclamations.size(), 1);
            QVERIFY2(f.prompts().exclamations.first().contains(expected),
                     qPrintable(f.prompts().exclamations.first()));
        };
        refused(QString(10000, QLatin1Char('A')), today, QStringLiteral("10000 characters long"));
        refused(QStringLiteral("Anna\u0007"), today, QStringLiteral("control characters"));
        refused(QStringLiteral("Anna"), today.addDays(-1), QStringLiteral("is before the date lent"));
        QVERIFY(!loans::LoanStore(*f.window().state().database).hasTable());

        // Returning a tape that is not lent.
        f.prompts().exclamations.clear();
        f.window().collectionMenu().loans().giveBack(QStringLiteral("T2"));
        QCOMPARE(f.prompts().exclamations, QStringList{QStringLiteral("The tape \"T2\" is not on loan.")});

        // Another program deletes the tape while the dialog is open.
        f.prompts().exclamations.clear();
        f.prompts().dialogScripts << [&](QDialog& d) {
            auto& dialog = static_cast<loans::LendDialog&>(d);
            auto other = catalog::Database::open(path);
            other->connection()->exec(QStringLiteral("delete from archive where catalog = 'T2'"));
            dialog.borrower()->setEditText(QStringLiteral("Anna"));
            dialog.lendButton()->click();
        };
        panel(f).lendButton()->click();
        QCOMPARE(f.prompts().exclamations.size(), 1);
        QVERIFY(f.prompts().exclamations.first().contains(QStringLiteral("no longer in the catalogue")));
        QVERIFY(
            !loans::LoanStore(*f.window().state().database).hasTable()); // the table's making was undone too
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    void readOnlyCatalogueRefusesLending()
    {
        AppFixture f;
        const QString path = catalogue(f);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = TestCatalog::fileBytes(path);
        start(f, path);
        f.prompts().messages.clear();
        f.prompts().exclamations.clear();
        showRecord(f, QStringLiteral("Vertigo"));
        panel(f).lendButton()->click();
        QCOMPARE(f.prompts().exclamations.size(), 1);
        QVERIFY(f.prompts().exclamations.first().startsWith(QStringLiteral("Cannot lend: ")));
        QVERIFY(f.prompts().dialogsShown.isEmpty());
        f.discardWindow();
        QCOMPARE(TestCatalog::fileBytes(path), before);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    void loansWindowSearchesAndStartupNotice()
    {
        AppFixture f;
        const QString path = catalogue(f);
        {
            auto db = catalog::Database::open(path);
            loans::LoanStore loans(*db);
            loans.lend(
                {QStringLiteral("T1"), QStringLiteral("Anna"), QDate(2026, 11, 1), QDate(2026, 11, 15), {}},
                today);
            loans.lend(
                {QStringLiteral("T2"), QStringLiteral("Ben"), QDate(2026, 11, 20), QDate(2026, 11, 30), {}},
                today);
            loans.lend({QStringLiteral("T3"), QStringLiteral("Anna"), QDate(2026, 12, 1), {}, {}}, today);
        }
        start(f, path);
        // At start: the status bar, never a dialog.
        QCOMPARE(f.window().collectionMenu().overdueNotice()->accessibleName(),
                 QStringLiteral("2 tapes overdue"));
        QVERIFY(f.prompts().exclamations.isEmpty() && f.prompts().messages.isEmpty() &&
                f.prompts().unexpected.isEmpty());

        f.menu("mnSrchOverdue")->trigger();
        QTRY_COMPARE(f.window().state().filterDescription, QStringLiteral("Overdue [3]"));
        f.menu("mnSrchOnLoan")->trigger();
        QTRY_COMPARE(f.window().state().filterDescription, QStringLiteral("On loan [4]"));
        f.window().form().dbNoFilter->click();
        QVERIFY(!f.window().state().filterActive);

        f.menu("mnLoans")->trigger();
        loans::LoansWindow& window = f.window().collectionMenu().loansWindow();
        QVERIFY(window.isVisible());
        QTreeWidget* list = window.currentList();
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("T1")); // the soonest due first
        QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("15 Nov 2026 (18 days overdue)"));
        // The titles are read on a worker thread.
        QTRY_COMPARE(list->topLevelItem(0)->text(4), QStringLiteral("Dark Passage; Key Largo"));
        QCOMPARE(list->topLevelItem(0)->foreground(0).color(), QColor(192, 0, 0));
        QCOMPARE(list->topLevelItem(2)->text(3), QString()); // no due date last

        // Return from the window.
        list->setCurrentItem(list->topLevelItem(1));
        f.prompts().dialogScripts <<
            [](QDialog& d) { static_cast<loans::ReturnDialog&>(d).returnButton()->click(); };
        window.returnButton()->click();
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(f.window().collectionMenu().overdueNotice()->accessibleName(),
                 QStringLiteral("1 tape overdue"));

        window.showBorrower(QStringLiteral("anna"));
        QCOMPARE(window.borrowerHistory()->topLevelItemCount(), 2);
        // Both rows get their tape's titles once they are read.
        for (int i = 0; i < 2; ++i) {
            QTRY_VERIFY(window.borrowerHistory()->topLevelItem(i)->text(4) != QStringLiteral("..."));
            const QString movies = window.borrowerHistory()->topLevelItem(i)->text(4);
            QVERIFY2(!movies.startsWith(QLatin1Char('(')), qPrintable(movies));
        }
        window.showTape(QStringLiteral("T2"));
        QCOMPARE(window.tapeHistory()->topLevelItemCount(), 1);
        QCOMPARE(window.tapeHistory()->topLevelItem(0)->text(3), QStringLiteral("3 Dec 2026"));

        // The default period is a setting.
        window.periodBox()->setValue(21);
        QCOMPARE(f.window().collectionMenu().loans().defaultPeriod(), 21);
        QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("LoanPeriodDays")),
                 QStringLiteral("21"));
        window.close();
    }

    void csvExportWritesTheLoansBeside()
    {
        AppFixture f;
        const QString path = catalogue(f);
        {
            auto db = catalog::Database::open(path);
            loans::LoanStore(*db).lend(
                {QStringLiteral("T1"), QStringLiteral("Anna, \"the\" neighbour"), today, {}, {}}, today);
        }
        start(f, path);
        const QString csv = f.file(QStringLiteral("out.csv"));
        f.prompts().fileAnswers << csv;
        f.prompts().confirmAnswers << true; // the loans too
        f.menu("mnExportCsv")->trigger();
        QVERIFY(f.prompts().confirmations.first().contains(QStringLiteral("out-loans.csv")));
        QFile loans(f.file(QStringLiteral("out-loans.csv")));
        QVERIFY(loans.open(QIODevice::ReadOnly));
        const QByteArray text = loans.readAll();
        QVERIFY(text.contains("\"T1\",\"Anna, \"\"the\"\" neighbour\",\"2026-12-03\",,,"));
        QVERIFY(f.prompts().messages.last().contains(QStringLiteral("1 loans written")));
    }
};

QTEST_MAIN(TestLoansWindow)
#include "tst_loans_window.moc"
