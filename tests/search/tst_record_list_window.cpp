// The record list and its filter field in the real main window.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "editing/RecordCommands.h"
#include "editing/RecordDisplay.h"
#include "editing/StatusShape.h"
#include "editing/UserPrompts.h"
#include "search/RecordListCommands.h"
#include "search/RecordListModel.h"
#include "search/RecordListPane.h"
#include "search/SearchCommands.h"
#include "search/SubstringSearchDialog.h"
#include "tasks/CommandRunner.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <sqlite3.h>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::editing::StatusShape;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

class TestRecordListWindow : public QObject
{
    Q_OBJECT

    static TestCatalog::Row row(const QString& title, const QString& director, const QString& year,
                                const QString& catalog, const QString& cast = QStringLiteral(" "))
    {
        TestCatalog::Row r = TestCatalog::record(title, catalog);
        r[QStringLiteral("mv_director")] = director;
        r[QStringLiteral("mv_year")] = year;
        r[QStringLiteral("mv_cast6")] = cast;
        return r;
    }
    static void start(AppFixture& f)
    {
        const QString path = f.file(QStringLiteral("l.mdb"));
        TestCatalog::create(path, {row(QStringLiteral("Key Largo"), QStringLiteral("John Huston"), QStringLiteral("1948"), QStringLiteral("B2")),
                                   row(QStringLiteral("The Maltese Falcon"), QStringLiteral("John Huston"), QStringLiteral("1941"), QStringLiteral("A1"), QStringLiteral("Humphrey Bogart")),
                                   row(QStringLiteral("Big"), QStringLiteral("Penny Marshall"), QStringLiteral("1988"), QStringLiteral("C3")),
                                   row(QStringLiteral("Abbey Road"), QStringLiteral("Ann Marsh"), QStringLiteral("1970"), QStringLiteral("D4")),
                                   row(QStringLiteral("Casablanca"), QStringLiteral("Michael Curtiz"), QStringLiteral("1942"), QStringLiteral("E5"), QStringLiteral("Humphrey Bogart"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        f.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
    }
    static QTableView* table(AppFixture& f) { return f.find<QTableView>(QStringLiteral("recordTable")); }
    static QLineEdit* filterField(AppFixture& f) { return f.find<QLineEdit>(QStringLiteral("quickFilter")); }
    static QStringList listTitles(AppFixture& f)
    {
        QAbstractItemModel* model = table(f)->model();
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->data(model->index(r, 1)).toString();
        return out;
    }
    // The list, the fields and the record set agree on the records and the current one.
    static void verifyInStep(AppFixture& f)
    {
        QCoreApplication::processEvents();
        catalog::RecordSet& set = *f.window().state().current;
        QTableView* view = table(f);
        QCOMPARE(view->model()->rowCount(), set.recordCount());
        const int row = view->selectionModel()->currentIndex().row();
        QCOMPARE(row, set.absolutePosition());
        if (row >= 0) {
            QCOMPARE(view->model()->data(view->model()->index(row, 1)).toString(), f.window().form().title->text());
            QCOMPARE(set.text(QStringLiteral("title")), f.window().form().title->text());
        }
    }
    static void typeFilter(AppFixture& f, const QString& text)
    {
        QLineEdit* field = filterField(f);
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
        QTRY_VERIFY(!f.window().recordList().isFiltering() && f.window().state().filterActive == !text.isEmpty());
        QTest::qWait(search::RecordListCommands::FilterDelayMs + 50);
        QTRY_VERIFY(!f.window().recordList().isFiltering());
    }
    static void clickRow(AppFixture& f, int row)
    {
        QTableView* view = table(f);
        const QRect cell = view->visualRect(view->model()->index(row, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }

private slots:
    void listFollowsEveryCommand()
    {
        AppFixture f;
        start(f);
        QCOMPARE(listTitles(f), (QStringList{"Abbey Road", "Big", "Casablanca", "Key Largo", "The Maltese Falcon"}));
        verifyInStep(f);

        f.window().form().dbNext->click();
        verifyInStep(f);
        QCOMPARE(table(f)->selectionModel()->currentIndex().row(), 1);

        f.menu("mnOrdDir")->trigger();
        QCOMPARE(listTitles(f).first(), QStringLiteral("Abbey Road")); // Ann Marsh
        QCOMPARE(listTitles(f).at(1), QStringLiteral("The Maltese Falcon")); // Huston 1941 before 1948
        verifyInStep(f);

        f.prompts().dialogScripts << [](QDialog& d) {
            auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
            dialog.srchString()->setText(QStringLiteral("mars"));
            dialog.cmdSearch()->click();
        };
        f.menu("mnSrchDir")->trigger();
        QCOMPARE(listTitles(f), (QStringList{"Abbey Road", "Big"}));
        verifyInStep(f);

        clickRow(f, 1);
        f.window().form().title->setText(QStringLiteral("Big (1988)"));
        f.window().form().dbSave->click();
        QCOMPARE(listTitles(f), (QStringList{"Abbey Road", "Big (1988)"}));
        verifyInStep(f);

        f.prompts().confirmAnswers << true;
        f.window().form().dbDelete->click();
        QCOMPARE(listTitles(f), QStringList{"Abbey Road"});
        verifyInStep(f);

        f.window().form().dbNoFilter->click();
        QCOMPARE(listTitles(f).size(), 4);
        verifyInStep(f);

        // New clears the selection; Cancel shows the current record again.
        f.window().form().dbNew->click();
        QVERIFY(!filterField(f)->isEnabled());
        clickRow(f, 2);
        QCOMPARE(f.prompts().exclamations.last(), search::SearchCommands::FinishNewRecord);
        QVERIFY(f.window().form().title->text().isEmpty());
        f.window().form().title->setText(QStringLiteral("Aardvark"));
        f.window().form().catalog->setText(QStringLiteral("F6"));
        f.window().form().dbSave->click();
        QCOMPARE(listTitles(f).size(), 5);
        verifyInStep(f);
        QCOMPARE(f.window().form().title->text(), QStringLiteral("Aardvark"));
        QCOMPARE(f.window().form().labelRecords->text(), QStringLiteral("5 records in database"));
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    void choosingARowShowsItsRecord()
    {
        AppFixture f;
        start(f);
        clickRow(f, 3);
        QCOMPARE(f.window().form().title->text(), QStringLiteral("Key Largo"));
        QCOMPARE(f.window().form().mvDirector->currentText(), QStringLiteral("John Huston"));
        verifyInStep(f);
        QTest::keyClick(table(f), Qt::Key_Down);
        QCOMPARE(f.window().form().title->text(), QStringLiteral("The Maltese Falcon"));
        QVERIFY(!f.window().form().dbNext->isEnabled());
        verifyInStep(f);
        QTest::keyClick(table(f), Qt::Key_Return);
        QCOMPARE(f.window().tabs()->currentIndex(), int(MainWindow::MovieTabIndex));
        f.window().form().dbPrev->click();
        QCOMPARE(f.window().form().title->text(), QStringLiteral("Key Largo"));
        verifyInStep(f);
    }

    void headerClickSortsLikeTheSortMenu()
    {
        AppFixture f;
        start(f);
        QHeaderView* header = table(f)->horizontalHeader();
        const auto click = [&](const QString& column) {
            const int section = search::RecordListModel::columnOf(column);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
        };
        click(QStringLiteral("catalog"));
        QVERIFY(f.menu("mnOrdCat")->isChecked());
        QCOMPARE(f.window().state().orderClause, QStringLiteral("order by catalog"));
        QCOMPARE(listTitles(f).first(), QStringLiteral("The Maltese Falcon"));
        QCOMPARE(header->sortIndicatorSection(), search::RecordListModel::columnOf(QStringLiteral("catalog")));
        verifyInStep(f);

        click(QStringLiteral("mv_year"));
        QVERIFY(!f.menu("mnOrdCat")->isChecked() && !f.menu("mnOrdTitle")->isChecked());
        QCOMPARE(listTitles(f), (QStringList{"The Maltese Falcon", "Casablanca", "Key Largo", "Abbey Road", "Big"}));
        verifyInStep(f);

        f.menu("mnOrdTitle")->trigger();
        QCOMPARE(header->sortIndicatorSection(), search::RecordListModel::columnOf(QStringLiteral("title")));
    }

    void filterFieldNarrowsLikeASearch()
    {
        AppFixture f;
        start(f);
        editing::RecordForm& form = f.window().form();

        typeFilter(f, QStringLiteral("BOGART")); // a cast member
        QCOMPARE(listTitles(f), (QStringList{"Casablanca", "The Maltese Falcon"}));
        QCOMPARE(form.filterset->text(), QStringLiteral("Quick: BOGART [2]"));
        QCOMPARE(form.Shape1->mode(), StatusShape::Mode::Filtered);
        QVERIFY(form.dbNoFilter->isEnabled() && !form.dbNew->isEnabled());
        verifyInStep(f);

        // A sort keeps the filter, as it keeps a search.
        f.menu("mnOrdCat")->trigger();
        QCOMPARE(listTitles(f), (QStringList{"The Maltese Falcon", "Casablanca"}));
        verifyInStep(f);

        typeFilter(f, QStringLiteral("zzz"));
        QCOMPARE(listTitles(f), QStringList{});
        QCOMPARE(form.filterset->text(), QStringLiteral("Quick: zzz [0]"));
        QVERIFY(form.title->text().isEmpty());

        // Emptying the field is "All Data".
        typeFilter(f, QString());
        QCOMPARE(listTitles(f).size(), 5);
        QCOMPARE(form.Shape1->mode(), StatusShape::Mode::Browsing);
        QVERIFY(form.filterset->text().isEmpty());

        // Typing on while all records are found again (held up here by
        // another program's lock) loses nothing typed.
        typeFilter(f, QStringLiteral("zzz"));
        f.window().commandRunner().setPatience(0);
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(f.window().state().databasePath.toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
        QLineEdit* field = filterField(f);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::qWait(search::RecordListCommands::FilterDelayMs + 50);
        QTest::keyClicks(field, QStringLiteral("bog"));
        sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QTRY_COMPARE(form.filterset->text(), QStringLiteral("Quick: bog [2]"));
        QCOMPARE(field->text(), QStringLiteral("bog"));
        QCOMPARE(listTitles(f), (QStringList{"The Maltese Falcon", "Casablanca"}));
        QVERIFY(f.prompts().exclamations.isEmpty());
        f.window().commandRunner().setPatience(tasks::CommandRunner::DefaultPatienceMs);

        // "All Data" and a menu search take the field's text away.
        typeFilter(f, QStringLiteral("b2"));
        QCOMPARE(listTitles(f), QStringList{"Key Largo"});
        form.dbNoFilter->click();
        QVERIFY(filterField(f)->text().isEmpty());
        QCOMPARE(listTitles(f).size(), 5);
        QVERIFY(f.prompts().unexpected.isEmpty());
        QVERIFY(f.prompts().exclamations.isEmpty());
    }

    void columnChoiceIsKept()
    {
        AppFixture f;
        start(f);
        QHeaderView* header = table(f)->horizontalHeader();
        QVERIFY(!header->isSectionHidden(search::RecordListModel::columnOf(QStringLiteral("md_type"))));
        QVERIFY(header->isSectionHidden(search::RecordListModel::columnOf(QStringLiteral("mv_country"))));
        header->setSectionHidden(search::RecordListModel::columnOf(QStringLiteral("mv_country")), false);
        header->moveSection(1, 0);
        f.window().close();
        f.start(f.file(QStringLiteral("l.mdb")));
        header = table(f)->horizontalHeader();
        QVERIFY(!header->isSectionHidden(search::RecordListModel::columnOf(QStringLiteral("mv_country"))));
        QCOMPARE(header->logicalIndex(0), 1);
    }

    void savedRecordTakesItsPlaceInTheOrderShown()
    {
        AppFixture f;
        start(f);
        editing::RecordForm& form = f.window().form();
        // A new record, in title order.
        form.dbNew->click();
        form.title->setText(QStringLiteral("Dial M"));
        form.catalog->setText(QStringLiteral("F6"));
        form.dbSave->click();
        QCOMPARE(listTitles(f), (QStringList{"Abbey Road", "Big", "Casablanca", "Dial M", "Key Largo", "The Maltese Falcon"}));
        verifyInStep(f);
        form.dbNext->click();
        QCOMPARE(form.title->text(), QStringLiteral("Key Largo"));
        form.dbPrev->click();
        form.dbPrev->click();
        QCOMPARE(form.title->text(), QStringLiteral("Casablanca"));

        // A changed title moves its record, here to the end: ">" cannot go on.
        form.title->setText(QStringLiteral("Zanzibar"));
        form.dbSave->click();
        QCOMPARE(listTitles(f).last(), QStringLiteral("Zanzibar"));
        QVERIFY(!form.dbNext->isEnabled() && !form.dbLast->isEnabled());
        verifyInStep(f);

        // In a reversed order the same.
        f.window().recordList().sortByColumn(QStringLiteral("title")); // title order in force: reversed
        QCOMPARE(listTitles(f).first(), QStringLiteral("Zanzibar"));
        form.dbLast->click();
        form.title->setText(QStringLiteral("Zz Top"));
        form.dbSave->click();
        QCOMPARE(listTitles(f).first(), QStringLiteral("Zz Top"));
        QCOMPARE(f.window().state().current->absolutePosition(), 0);
        verifyInStep(f);
        QVERIFY(f.prompts().unexpected.isEmpty() && f.prompts().exclamations.isEmpty());
    }

    void secondHeaderClickReversesTheOrder()
    {
        AppFixture f;
        start(f);
        QHeaderView* header = table(f)->horizontalHeader();
        const auto click = [&](const QString& column) {
            const int section = search::RecordListModel::columnOf(column);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
        };
        const int title = search::RecordListModel::columnOf(QStringLiteral("title"));
        const int director = search::RecordListModel::columnOf(QStringLiteral("mv_director"));
        QCOMPARE(header->sortIndicatorSection(), title);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

        typeFilter(f, QStringLiteral("john"));
        const QString description = f.window().form().filterset->text();
        const QString count = f.window().form().labelRecords->text();
        QCOMPARE(listTitles(f), (QStringList{"Key Largo", "The Maltese Falcon"}));
        click(QStringLiteral("title"));
        QCOMPARE(listTitles(f), (QStringList{"The Maltese Falcon", "Key Largo"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(f.menu("mnOrdTitle")->isChecked()); // still the menu's order, reversed
        QCOMPARE(f.window().form().filterset->text(), description);
        QCOMPARE(f.window().form().labelRecords->text(), count);
        QCOMPARE(filterField(f)->text(), QStringLiteral("john"));
        verifyInStep(f);
        click(QStringLiteral("title"));
        QCOMPARE(listTitles(f), (QStringList{"Key Largo", "The Maltese Falcon"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        typeFilter(f, QString());

        // A Sort menu order with two columns reverses both; the menu item
        // itself always sorts ascending.
        click(QStringLiteral("mv_director"));
        QCOMPARE(f.window().state().orderClause, QStringLiteral("order by mv_director,mv_year"));
        QVERIFY(f.menu("mnOrdDir")->isChecked());
        click(QStringLiteral("mv_director"));
        QCOMPARE(f.window().state().orderClause, QStringLiteral("order by mv_director desc,mv_year desc"));
        QCOMPARE(listTitles(f), (QStringList{"Big", "Casablanca", "Key Largo", "The Maltese Falcon", "Abbey Road"}));
        QCOMPARE(header->sortIndicatorSection(), director);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(f.menu("mnOrdDir")->isChecked());
        f.menu("mnOrdDir")->trigger();
        QCOMPARE(f.window().state().orderClause, QStringLiteral("order by mv_director,mv_year"));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

        // After "No records found" the arrow still shows the order in force.
        click(QStringLiteral("mv_year"));
        click(QStringLiteral("mv_year"));
        f.prompts().dialogScripts << [](QDialog& d) {
            auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
            dialog.srchString()->setText(QStringLiteral("nothing at all"));
            dialog.cmdSearch()->click();
            dialog.cmdCancel()->click();
        };
        f.menu("mnSrchTitle")->trigger();
        QCOMPARE(f.prompts().exclamations, QStringList{search::SearchCommands::NoRecordsFound});
        QCOMPARE(header->sortIndicatorSection(), search::RecordListModel::columnOf(QStringLiteral("mv_year")));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(listTitles(f).first(), QStringLiteral("Big"));
        verifyInStep(f);
    }

    void selectionMarksTheRecordShown()
    {
        AppFixture f;
        start(f);
        clickRow(f, 1);
        f.window().form().mvGenre->setEditText(QStringLiteral("Changed"));
        // Cancel in the question: the record stays, and so does its row's mark.
        f.prompts().saveAnswers << editing::SaveChoice::Cancel;
        clickRow(f, 3);
        QCOMPARE(f.prompts().saveQuestions.size(), 1);
        QCOMPARE(f.window().form().title->text(), QStringLiteral("Big"));
        QTRY_COMPARE(table(f)->selectionModel()->selectedRows().value(0).row(), 1);
        QCOMPARE(table(f)->selectionModel()->selectedRows().size(), 1);
        verifyInStep(f);
        // Discard shows the row clicked.
        f.prompts().saveAnswers << editing::SaveChoice::Discard;
        clickRow(f, 3);
        QCOMPARE(f.window().form().title->text(), QStringLiteral("Key Largo"));
        QTRY_COMPARE(table(f)->selectionModel()->selectedRows().value(0).row(), 3);
        verifyInStep(f);
    }

    void titleTakesTheSpareWidthAndWidthsAreKept()
    {
        AppFixture f;
        start(f);
        QHeaderView* header = table(f)->horizontalHeader();
        const int title = search::RecordListModel::columnOf(QStringLiteral("title"));
        const int director = search::RecordListModel::columnOf(QStringLiteral("mv_director"));
        const int media = search::RecordListModel::columnOf(QStringLiteral("md_type"));
        const auto spare = [&] {
            int others = 0;
            for (int s = 0; s < header->count(); ++s)
                others += s != title && !header->isSectionHidden(s) ? header->sectionSize(s) : 0;
            const int least = search::RecordListPane::MinimumTitleCharacters * table(f)->fontMetrics().averageCharWidth() + 12;
            return std::max(least, table(f)->viewport()->width() - others);
        };
        QTRY_COMPARE(header->sectionSize(title), spare()); // once the window has its size
        const int mediaWidth = header->sectionSize(media);
        const int narrow = header->sectionSize(title);
        f.window().resize(f.window().width() + 600, f.window().height());
        QTRY_VERIFY(header->sectionSize(title) > narrow);
        QTRY_COMPARE(header->sectionSize(title), spare());
        QCOMPARE(header->sectionSize(media), mediaWidth); // the last column keeps its width

        // A width the user gives a column is kept for the next run.
        header->resizeSection(director, 222);
        QTRY_VERIFY(f.stored(QStringLiteral("Settings"), QStringLiteral("ListColumns")) != QLatin1String("<absent>"));
        f.window().close();
        f.start(f.file(QStringLiteral("l.mdb")));
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        f.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        header = table(f)->horizontalHeader();
        QCOMPARE(header->sectionSize(director), 222);
        QTRY_COMPARE(header->sectionSize(title), spare());

        // In a list too narrow for all columns the title keeps a readable width and the list scrolls.
        f.window().resize(f.window().minimumSize());
        QCoreApplication::processEvents();
        const int least = search::RecordListPane::MinimumTitleCharacters * table(f)->fontMetrics().averageCharWidth();
        QTRY_VERIFY(header->sectionSize(title) >= least);
        QTRY_VERIFY(header->length() > table(f)->viewport()->width());
    }

    void countAndFilterDescriptionFitTheWindow()
    {
        AppFixture f;
        start(f);
        QTest::qWait(50);
        QLabel* count = f.window().form().labelRecords;
        count->setText(editing::RecordDisplay::recordCountText(1000000, QLocale(QLocale::English)));
        QCoreApplication::processEvents();
        QVERIFY(count->width() >= count->fontMetrics().horizontalAdvance(count->text()));

        const int titleWidth = f.window().form().title->width();
        f.window().state().filterDescription = QStringLiteral("Quick: ") + QString(120, QLatin1Char('x')) + QStringLiteral(" [1]");
        f.window().display().showFilterState();
        QCoreApplication::processEvents();
        QCOMPARE(f.window().form().title->width(), titleWidth);
        QCOMPARE(f.window().form().filterset->toolTip(), f.window().state().filterDescription);
    }
};

QTEST_MAIN(TestRecordListWindow)
#include "tst_record_list_window.moc"
