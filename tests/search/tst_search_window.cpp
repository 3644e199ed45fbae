// Searches and sorts through the real main window and its dialogs.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "editing/StatusShape.h"
#include "editing/UserPrompts.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "search/GenreSearchDialog.h"
#include "search/SearchQuery.h"
#include "search/SearchCommands.h"
#include "search/SubstringSearchDialog.h"
#include "tasks/BusyIndicator.h"
#include "tasks/CommandRunner.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QProgressBar>
#include <QtTest>
#include <sqlite3.h>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::editing::StatusShape;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

class TestSearchWindow : public QObject
{
    Q_OBJECT

private slots:
    void sortKeepsTheSearchAndOneItemIsChecked();
    void titleSearchFindsAnyCaseAnywhere();
    void castSearchLooksInTheSixthColumn();
    void nothingFoundKeepsTheRecordsSearchAndOrder();
    void emptySearchTextIsRefusedInTheDialog();
    void cancelKeepsAnEarlierSearchOnShow();
    void allDataSwitchesTheFilterOff();
    void genreListIsDistinctAndSorted();
    void cancelledGenreDialogStillShowsTheFirstRecord();
    void quotesAndPatternCharactersAreLiteral();
    void newRecordModeRefusesSearchesAndSorts();
    void wholeCharactersAndUnicodeCase();
    void windowAnswersWhileASortRunsAndCancelChangesNothing();
    void runThatChangedTheFileLeavesItsOrderForTheNext();

private:
    static TestCatalog::Row row(const QString& title, const QString& director, const QString& genre,
                                const QString& catalog = QStringLiteral("A1"))
    {
        TestCatalog::Row r = TestCatalog::record(title, catalog);
        r[QStringLiteral("mv_director")] = director;
        r[QStringLiteral("mv_genre")] = genre;
        r[QStringLiteral("mv_year")] = QStringLiteral("1950");
        return r;
    }
    static QList<TestCatalog::Row> movies()
    {
        return {
            row(QStringLiteral("Key Largo"), QStringLiteral("John Huston"), QStringLiteral("Film noir"), QStringLiteral("B2")),
            row(QStringLiteral("The Maltese Falcon"), QStringLiteral("John Huston"), QStringLiteral("Film noir"), QStringLiteral("A1")),
            row(QStringLiteral("Abbey Road"), QStringLiteral("Penny Marshall"), QStringLiteral("comedy"), QStringLiteral("C3")),
            row(QStringLiteral("Big"), QStringLiteral("Penny Marshall"), QStringLiteral("Comedy"), QStringLiteral("C3")),
            row(QStringLiteral("Grab Bag"), QStringLiteral("Ann Marsh"), QStringLiteral("Drama"), QStringLiteral("D4")),
            row(QStringLiteral("Taboo"), QStringLiteral("Zed"), QStringLiteral("Drama"), QStringLiteral("D5")),
        };
    }
    static void start(AppFixture& f, const QList<TestCatalog::Row>& rows = movies())
    {
        const QString path = f.file(QStringLiteral("s.mdb"));
        TestCatalog::create(path, rows);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    }
    static search::SearchCommands& commands(AppFixture& f) { return f.window().searchCommands(); }
    static const search::SearchCommands::SubstringSearch& kind(const char* action)
    {
        for (const auto& s : search::SearchCommands::substringSearches()) {
            if (s.actionName == QLatin1String(action))
                return s;
        }
        qFatal("no such search");
    }
    // Types text into the substring dialog and presses Search; the dialog is
    // closed afterwards if it is still open.
    static void substringSearch(AppFixture& f, const char* action, const QString& text)
    {
        f.prompts().dialogScripts << [text](QDialog& d) {
            auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
            dialog.srchString()->setText(text);
            dialog.cmdSearch()->click();
            if (dialog.isVisible())
                dialog.cmdCancel()->click();
        };
        f.menu(action)->trigger();
    }
    static QStringList titles(AppFixture& f)
    {
        QStringList out;
        catalog::RecordSet& set = *f.window().state().current;
        if (set.recordCount() == 0)
            return out;
        for (set.moveFirst(); !set.eof(); set.moveNext())
            out << set.text(QStringLiteral("title"));
        set.moveFirst();
        return out;
    }
    static QString shownTitle(AppFixture& f) { return f.window().form().title->text(); }
    static QString checkedSort(AppFixture& f)
    {
        QString checked;
        for (const char* name : {"mnOrdTitle", "mnOrdDir", "mnOrdGen", "mnOrdCat"}) {
            if (f.menu(name)->isChecked())
                checked += QString::fromLatin1(name);
        }
        return checked;
    }
};

void TestSearchWindow::sortKeepsTheSearchAndOneItemIsChecked()
{
    AppFixture f;
    start(f);
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdTitle"));
    substringSearch(f, "mnSrchDir", QStringLiteral("marsh"));
    const QString filter = QStringLiteral("where mv_director like \"*[Mm][Aa][Rr][Ss][Hh]*\" ");
    QCOMPARE(f.window().state().filterClause, filter);
    QCOMPARE(f.window().state().current->sql(), QStringLiteral("select * from archive ") + filter + QStringLiteral(" ORDER by title"));
    QCOMPARE(f.window().form().filterset->text(), QStringLiteral("Director: marsh [3]"));

    f.menu("mnOrdDir")->trigger();
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdDir"));
    QCOMPARE(f.window().state().current->sql(),
             QStringLiteral("select * from archive ") + filter + QStringLiteral(" order by mv_director,mv_year"));
    QCOMPARE(titles(f).size(), 3);
    QCOMPARE(shownTitle(f), QStringLiteral("Grab Bag"));
    QCOMPARE(f.window().form().Shape1->mode(), StatusShape::Mode::Filtered);

    f.menu("mnOrdCat")->trigger();
    f.menu("mnOrdCat")->trigger(); // choosing it again keeps it checked
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdCat"));
    QCOMPARE(titles(f).size(), 3);
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestSearchWindow::titleSearchFindsAnyCaseAnywhere()
{
    AppFixture f;
    start(f);
    substringSearch(f, "mnSrchTitle", QStringLiteral("AB"));
    QCOMPARE(titles(f), QStringList({"Abbey Road", "Grab Bag", "Taboo"}));
    const editing::RecordForm& form = f.window().form();
    QCOMPARE(form.filterset->text(), QStringLiteral("Title: AB [3]"));
    QVERIFY(f.window().state().filterActive);
    QVERIFY(form.dbNoFilter->isEnabled());
    QVERIFY(!form.dbNew->isEnabled());
    QCOMPARE(form.Shape1->mode(), StatusShape::Mode::Filtered);
    QCOMPARE(shownTitle(f), QStringLiteral("Abbey Road"));
    QVERIFY(!form.dbPrev->isEnabled());
    QVERIFY(form.dbNext->isEnabled());
    // The dialog closed with the text emptied for the next search.
    QVERIFY(commands(f).substringDialog().srchString()->text().isEmpty());
    QVERIFY(!commands(f).substringDialog().isVisible());
    QCOMPARE(form.labelRecords->text(), QStringLiteral("6 records in database"));
}

void TestSearchWindow::castSearchLooksInTheSixthColumn()
{
    AppFixture f;
    QList<TestCatalog::Row> rows = movies();
    for (auto& r : rows) {
        for (int i = 1; i <= 6; ++i)
            r[QStringLiteral("mv_cast%1").arg(i)] = QStringLiteral("Extra %1").arg(i);
    }
    rows[4][QStringLiteral("mv_cast6")] = QStringLiteral("Lauren Bacall");
    start(f, rows);
    substringSearch(f, "mnSrchActor", QStringLiteral("bacall"));
    QCOMPARE(titles(f), QStringList({"Grab Bag"}));
    QCOMPARE(f.window().form().filterset->text(), QStringLiteral("Cast: bacall [1]"));
    // The first cast box shows the sixth column.
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvCast_0"))->currentText(), QStringLiteral("Lauren Bacall"));
}

void TestSearchWindow::nothingFoundKeepsTheRecordsSearchAndOrder()
{
    AppFixture f;
    start(f);
    f.menu("mnOrdCat")->trigger();
    f.window().form().dbNext->click();
    const QString shown = shownTitle(f);
    const QString sql = f.window().state().current->sql();
    bool stayedOpen = false;
    f.prompts().dialogScripts << [&](QDialog& d) {
        auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
        dialog.srchString()->setText(QStringLiteral("zzz"));
        dialog.cmdSearch()->click();
        stayedOpen = dialog.isVisible() && dialog.srchString()->text() == QLatin1String("zzz");
        dialog.cmdCancel()->click();
    };
    f.menu("mnSrchMedia")->trigger();
    QVERIFY(stayedOpen);
    QCOMPARE(f.prompts().exclamations, QStringList{"No records found"});
    // The records shown, the order and the record on show stay as they were.
    QVERIFY(!f.window().state().filterActive);
    QCOMPARE(f.window().state().current->sql(), sql);
    QCOMPARE(shownTitle(f), shown);
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdCat"));
    QCOMPARE(titles(f).size(), 6);

    // A search in force stays in force, with its description.
    substringSearch(f, "mnSrchTitle", QStringLiteral("key"));
    const QString description = f.window().form().filterset->text();
    substringSearch(f, "mnSrchTitle", QStringLiteral("nothing like it"));
    QVERIFY(f.window().state().filterActive);
    QCOMPARE(titles(f), QStringList{"Key Largo"});
    QCOMPARE(f.window().form().filterset->text(), description);
    QVERIFY(f.window().form().dbNoFilter->isEnabled());

    // The genre search likewise, when a genre in the list has no records left.
    const QString path = f.window().state().databasePath;
    TestCatalog::addRows(path, {row(QStringLiteral("Gone West"), QStringLiteral("X"), QStringLiteral("Western"),
                                    QStringLiteral("W1"))});
    f.prompts().dialogScripts << [&](QDialog& d) {
        auto& dialog = static_cast<search::GenreSearchDialog&>(d);
        dialog.combo()->setCurrentIndex(dialog.combo()->findText(QStringLiteral("Western")));
        catalog::Database::open(path)->connection()->exec(QStringLiteral("delete from archive where title = 'Gone West'"));
        dialog.searchButton()->click();
        dialog.cancelButton()->click();
    };
    f.menu("mnSrchGenre")->trigger();
    QCOMPARE(f.prompts().exclamations.size(), 3);
    QCOMPARE(titles(f), QStringList{"Key Largo"});
    QVERIFY(f.window().state().filterActive);
}

void TestSearchWindow::emptySearchTextIsRefusedInTheDialog()
{
    AppFixture f;
    start(f);
    bool stayedOpen = false;
    f.prompts().dialogScripts << [&](QDialog& d) {
        auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
        dialog.cmdSearch()->click();
        stayedOpen = dialog.isVisible();
        dialog.cmdCancel()->click();
    };
    f.menu("mnSrchTitle")->trigger();
    QVERIFY(stayedOpen);
    QCOMPARE(f.prompts().exclamations, QStringList{search::SearchCommands::NoSearchText});
    QVERIFY(!f.window().state().filterActive);
    QCOMPARE(titles(f).size(), 6);
}

void TestSearchWindow::cancelKeepsAnEarlierSearchOnShow()
{
    AppFixture f;
    start(f);
    substringSearch(f, "mnSrchDir", QStringLiteral("huston"));
    QCOMPARE(titles(f).size(), 2);
    f.window().state().current->moveLast();
    f.window().display().recordToForm();
    f.prompts().dialogScripts << [](QDialog& d) {
        auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
        dialog.srchString()->setText(QStringLiteral("big"));
        dialog.cmdCancel()->click();
    };
    f.menu("mnSrchTitle")->trigger();
    QVERIFY(f.window().state().filterActive);
    QCOMPARE(titles(f).size(), 2);
    QCOMPARE(f.window().form().filterset->text(), QStringLiteral("Director: huston [2]"));
    QCOMPARE(shownTitle(f), QStringLiteral("Key Largo")); // back on the first record
    QVERIFY(commands(f).substringDialog().srchString()->text().isEmpty());
}

void TestSearchWindow::allDataSwitchesTheFilterOff()
{
    AppFixture f;
    start(f);
    f.menu("mnOrdDir")->trigger();
    substringSearch(f, "mnSrchTitle", QStringLiteral("g"));
    QCOMPARE(titles(f).size(), 3);
    const editing::RecordForm& form = f.window().form();
    QCOMPARE(form.dbNoFilter->toolTip(), QStringLiteral("Switch off filter"));
    form.dbNoFilter->click();
    QCOMPARE(f.window().state().current->sql(), QStringLiteral("select * from archive  order by mv_director,mv_year"));
    QCOMPARE(titles(f).size(), 6);
    QVERIFY(!f.window().state().filterActive);
    QVERIFY(!form.dbNoFilter->isEnabled());
    QVERIFY(form.dbNew->isEnabled());
    QVERIFY(form.filterset->text().isEmpty());
    QCOMPARE(form.Shape1->mode(), StatusShape::Mode::Browsing);
    QCOMPARE(shownTitle(f), QStringLiteral("Grab Bag"));

}

void TestSearchWindow::genreListIsDistinctAndSorted()
{
    AppFixture f;
    start(f);
    // Old rows' blanks make no genre of their own, and no empty one.
    TestCatalog::addRows(f.window().state().databasePath,
                         {row(QStringLiteral("Old Drama"), QStringLiteral("X"), QStringLiteral(" Drama "), QStringLiteral("E1")),
                          row(QStringLiteral("No Genre"), QStringLiteral("X"), QStringLiteral(" "), QStringLiteral("E2")),
                          // A grab's list offers each of its genres, and is found by each.
                          row(QStringLiteral("Listed"), QStringLiteral("X"), QStringLiteral("Western / drama"),
                              QStringLiteral("E3"))});
    QStringList offered;
    QString preselected;
    f.prompts().dialogScripts << [&](QDialog& d) {
        auto& dialog = static_cast<search::GenreSearchDialog&>(d);
        QCOMPARE(dialog.heading()->text(), QStringLiteral("Show movies by Genre"));
        QCOMPARE(dialog.heading2()->text(), QStringLiteral("Select genre and search !"));
        for (int i = 0; i < dialog.combo()->count(); ++i)
            offered << dialog.combo()->itemText(i);
        preselected = dialog.combo()->currentText();
        dialog.combo()->setCurrentIndex(1);
        dialog.searchButton()->click();
    };
    f.menu("mnSrchGenre")->trigger();
    QCOMPARE(offered.size(), 4); // "comedy" and "Comedy" are one genre
    QCOMPARE(offered.at(0).toLower(), QStringLiteral("comedy"));
    QCOMPARE(offered.mid(1), QStringList({"Drama", "Film noir", "Western"}));
    QCOMPARE(preselected, offered.at(0));
    QCOMPARE(f.window().state().filterClause, search::SearchQuery::genreFilter(QStringLiteral("Drama")));
    QCOMPARE(f.window().form().filterset->text(), QStringLiteral("Genre: Drama [4]"));
    QCOMPARE(shownTitle(f), QStringLiteral("Grab Bag"));
}

void TestSearchWindow::cancelledGenreDialogStillShowsTheFirstRecord()
{
    AppFixture f;
    start(f);
    f.window().state().current->moveLast();
    f.window().display().recordToForm();
    QCOMPARE(shownTitle(f), QStringLiteral("The Maltese Falcon"));
    f.prompts().dialogScripts << [](QDialog& d) {
        static_cast<search::GenreSearchDialog&>(d).cancelButton()->click();
    };
    f.menu("mnSrchGenre")->trigger();
    QVERIFY(!f.window().state().filterActive);
    QCOMPARE(shownTitle(f), QStringLiteral("Abbey Road"));

    // An empty catalogue has no genres to offer.
    AppFixture empty;
    start(empty, {});
    empty.menu("mnSrchGenre")->trigger();
    QCOMPARE(empty.prompts().exclamations, QStringList{search::SearchCommands::NoDatasets});
    QVERIFY(empty.prompts().dialogsShown.isEmpty());
}

void TestSearchWindow::quotesAndPatternCharactersAreLiteral()
{
    AppFixture f;
    start(f, {row(QStringLiteral("Say \"Cheese\""), QStringLiteral("O'Brien"), QStringLiteral("Rock 'n' Roll")),
              row(QStringLiteral("Say Cheese"), QStringLiteral("OBrien"), QStringLiteral("Rock n Roll")),
              row(QStringLiteral("[REC] #2 - *uncut*!"), QStringLiteral("Balagueró"), QStringLiteral("Horror [uncut]")),
              row(QStringLiteral("REC 2 uncut"), QStringLiteral("Balaguero"), QStringLiteral("Horror uncut"))});
    substringSearch(f, "mnSrchTitle", QStringLiteral("\"cheese\""));
    QCOMPARE(titles(f), QStringList{"Say \"Cheese\""});
    f.window().form().dbNoFilter->click();
    substringSearch(f, "mnSrchDir", QStringLiteral("o'b"));
    QCOMPARE(titles(f), QStringList{"Say \"Cheese\""});
    f.window().form().dbNoFilter->click();
    substringSearch(f, "mnSrchTitle", QStringLiteral("] #2 - *uncut*!"));
    QCOMPARE(titles(f), QStringList{"[REC] #2 - *uncut*!"});
    f.window().form().dbNoFilter->click();
    substringSearch(f, "mnSrchDir", QStringLiteral("GUERÓ"));
    QCOMPARE(titles(f), QStringList{"[REC] #2 - *uncut*!"});
    f.window().form().dbNoFilter->click();

    for (const QString& genre : {QStringLiteral("Rock 'n' Roll"), QStringLiteral("Horror [uncut]")}) {
        f.prompts().dialogScripts << [genre](QDialog& d) {
            auto& dialog = static_cast<search::GenreSearchDialog&>(d);
            dialog.combo()->setCurrentText(genre);
            QCOMPARE(dialog.combo()->currentText(), genre);
            dialog.searchButton()->click();
        };
        f.menu("mnSrchGenre")->trigger();
        QCOMPARE(f.window().state().current->recordCount(), 1);
        QCOMPARE(f.window().state().current->text(QStringLiteral("mv_genre")), genre);
        f.window().form().dbNoFilter->click();
    }
    QVERIFY(f.prompts().exclamations.isEmpty());
}

void TestSearchWindow::newRecordModeRefusesSearchesAndSorts()
{
    AppFixture f;
    start(f);
    f.window().form().dbNew->click();
    QVERIFY(f.window().state().newRecordMode);
    // The empty form of a new record: refused.
    f.menu("mnOrdDir")->trigger();
    f.menu("mnSrchTitle")->trigger();
    f.menu("mnSrchGenre")->trigger();
    QCOMPARE(f.prompts().exclamations.size(), 3);
    QCOMPARE(f.prompts().exclamations.first(), search::SearchCommands::FinishNewRecord);
    // Typed into: the question comes first, and Cancel keeps the typing.
    f.window().form().title->setText(QStringLiteral("Typed by hand"));
    f.prompts().saveAnswers = {editing::SaveChoice::Cancel, editing::SaveChoice::Cancel, editing::SaveChoice::Cancel};
    f.menu("mnOrdDir")->trigger();
    f.menu("mnSrchTitle")->trigger();
    f.menu("mnSrchGenre")->trigger();
    QCOMPARE(f.prompts().saveQuestions.size(), 3);
    QCOMPARE(f.prompts().exclamations.size(), 3);
    QVERIFY(f.prompts().dialogsShown.isEmpty());
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdTitle"));
    QCOMPARE(shownTitle(f), QStringLiteral("Typed by hand"));
    QCOMPARE(f.window().state().current->sql(), QStringLiteral("select * from archive  ORDER by title"));
}

void TestSearchWindow::wholeCharactersAndUnicodeCase()
{
    AppFixture f;
    const auto cast = [](TestCatalog::Row r, const QString& name) {
        r[QStringLiteral("mv_cast3")] = name;
        return r;
    };
    start(f, {
                 row(QStringLiteral("\u039F\u03B4\u03C5\u03C3\u03C3\u03B5\u03B1\u03C2"), QStringLiteral("Greek"), QStringLiteral("Drama")),
                 row(QStringLiteral("\u0130stanbul"), QStringLiteral("Turkish"), QStringLiteral("Drama")),
                 row(QStringLiteral("Smile \U0001F600"), QStringLiteral("Emoji"), QStringLiteral("Comedy")),
                 row(QStringLiteral("Grin \U0001F601"), QStringLiteral("Emoji"), QStringLiteral("Comedy")),
                 cast(row(QStringLiteral("Yoshinoya"), QStringLiteral("Japan"), QStringLiteral("Drama")),
                      QStringLiteral("\U00020BB7\u91CE\u5BB6")),
                 cast(row(QStringLiteral("Other"), QStringLiteral("Japan"), QStringLiteral("Drama")),
                      QStringLiteral("\u5409\u91CE\u5BB6")),
             });
    const auto found = [&f](const char* action, const QString& text) {
        substringSearch(f, action, text);
        const QStringList out = f.window().state().filterActive ? titles(f) : QStringList();
        f.window().searchCommands().showAllData();
        return out;
    };
    // Final sigma and the Turkish dotted capital I meet their other case.
    QCOMPARE(found("mnSrchTitle", QStringLiteral("\u039F\u0394\u03A5\u03A3\u03A3\u0395\u0391\u03A3")),
             QStringList{QStringLiteral("\u039F\u03B4\u03C5\u03C3\u03C3\u03B5\u03B1\u03C2")});
    QCOMPARE(found("mnSrchTitle", QStringLiteral("istanbul")), QStringList{QStringLiteral("\u0130stanbul")});
    QCOMPARE(found("mnSrchTitle", QStringLiteral("\u0130STANBUL")), QStringList{QStringLiteral("\u0130stanbul")});
    // Two emoji that share their first half: each finds its own record only.
    QCOMPARE(found("mnSrchTitle", QStringLiteral("\U0001F600")), QStringList{QStringLiteral("Smile \U0001F600")});
    QCOMPARE(found("mnSrchTitle", QStringLiteral("\U0001F601")), QStringList{QStringLiteral("Grin \U0001F601")});
    // A name outside the Basic Multilingual Plane, through the cast columns.
    QCOMPARE(found("mnSrchActor", QStringLiteral("\U00020BB7\u91CE")), QStringList{QStringLiteral("Yoshinoya")});
    QCOMPARE(found("mnSrchActor", QStringLiteral("\u91CE\u5BB6")).size(), 2);
    QCOMPARE(f.prompts().exclamations, QStringList{});
}

// A sort whose rows take a while to find (here: another program holds the
// file for a moment): the window shows it busy and takes no command until it
// is over; cancelled, it leaves order, check and record as they were.
void TestSearchWindow::windowAnswersWhileASortRunsAndCancelChangesNothing()
{
    AppFixture f;
    start(f);
    const QString path = f.window().state().databasePath;
    tasks::CommandRunner& runner = f.window().commandRunner();
    runner.setPatience(0);
    f.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);

    const QString shown = shownTitle(f);
    f.menu("mnOrdDir")->trigger();
    QVERIFY(runner.isBusy());
    QVERIFY(runner.indicator()->isVisibleTo(&f.window()));
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdTitle")); // not yet
    // Held back while it runs: a click on Next and the Sort menu's shortcut keys.
    QTest::mouseClick(f.window().form().dbNext, Qt::LeftButton);
    QCOMPARE(shownTitle(f), shown);
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    QTRY_VERIFY(!runner.isBusy());
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdDir"));
    QCOMPARE(f.window().state().orderClause, QStringLiteral("order by mv_director,mv_year"));
    QCOMPARE(shownTitle(f), QStringLiteral("Grab Bag")); // Ann Marsh first

    QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    f.menu("mnOrdGen")->trigger();
    QVERIFY(runner.isBusy());
    QTest::mouseClick(runner.indicator()->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!runner.isBusy());
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(checkedSort(f), QStringLiteral("mnOrdDir"));
    QCOMPARE(f.window().state().orderClause, QStringLiteral("order by mv_director,mv_year"));
    QCOMPARE(shownTitle(f), QStringLiteral("Grab Bag"));
    QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'\n')));
    // The window takes commands again.
    f.window().form().dbNext->click();
    QVERIFY(shownTitle(f) != QStringLiteral("Grab Bag"));
}

// A run that stored a change leaves the title order in the file at its end;
// the next run opens on it, and a run that changed nothing writes nothing.
void TestSearchWindow::runThatChangedTheFileLeavesItsOrderForTheNext()
{
    AppFixture f;
    start(f);
    const QString path = f.window().state().databasePath;
    f.window().form().title->setText(QStringLiteral("Zorro"));
    f.window().form().dbSave->click();
    f.window().close();
    f.discardWindow();

    const auto kept = [&path] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        QStringList names;
        if (sqlite3_prepare_v2(db, "select name, rows from quelto_kept_orders", -1, &s, nullptr) == SQLITE_OK) {
            while (sqlite3_step(s) == SQLITE_ROW)
                names << QStringLiteral("%1 %2").arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))))
                             .arg(sqlite3_column_int(s, 1));
        }
        sqlite3_finalize(s);
        sqlite3_close(db);
        return names;
    };
    QCOMPARE(kept(), QStringList{"natural:title asc 6"});

    const QByteArray before = TestCatalog::fileBytes(path);
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    QCOMPARE(titles(f), (QStringList{"Big", "Grab Bag", "Key Largo", "Taboo", "The Maltese Falcon", "Zorro"}));
    f.menu("mnOrdCat")->trigger();
    f.window().close();
    QCOMPARE(TestCatalog::fileBytes(path), before);
}

QTEST_MAIN(TestSearchWindow)
#include "tst_search_window.moc"
