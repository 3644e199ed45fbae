// No silent loss: every command that replaces the record on screen, closing
// the window and Quit ask "Save changes to ...?" when the fields were changed.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "weblookup/LookupTab.h"
#include "app/MainMenu.h"
#include "catalog/Database.h"
#include "editing/RecordCommands.h"
#include "editing/RecordSaver.h"
#include "editing/RecordForm.h"
#include "editing/UnsavedChanges.h"
#include "search/SearchCommands.h"
#include "weblookup/LookupWorkflow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::editing::SaveChoice;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

QString question(const QString& title) { return QStringLiteral("Save changes to \"%1\"?").arg(title); }

QString storedGenre(const QString& path, const QString& title)
{
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from archive where title = '%1'").arg(title));
    return set->eof() ? QStringLiteral("<none>") : set->value(QStringLiteral("mv_genre")).toString();
}

} // namespace

class TestUnsavedChanges : public QObject
{
    Q_OBJECT

private slots:
    void editThenNavigate();
    void nothingTypedAsksNothing();
    void refusedSaveStopsTheCommand();
    void everyCommandThatReplacesTheRecordAsks_data();
    void everyCommandThatReplacesTheRecordAsks();
    void newRecordSavedOrDiscardedBeforeASearch();
    void closeWithChanges();
    void quitWithChanges();
    void grabIntoAShownRecord();

private:
    static QString start(AppFixture& f, const QStringList& titles)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        QList<TestCatalog::Row> rows;
        for (const QString& title : titles)
            rows << TestCatalog::record(title, QStringLiteral("ID-") + title);
        TestCatalog::create(path, rows);
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        return path;
    }
    static editing::RecordForm& form(AppFixture& f) { return f.window().form(); }
    static QString shownTitle(AppFixture& f) { return form(f).title->text(); }
};

void TestUnsavedChanges::editThenNavigate()
{
    AppFixture f;
    const QString path = start(f, {"A", "B", "C"});
    editing::RecordForm& r = form(f);

    // Cancel: nothing moves, the typing stays.
    r.mvGenre->setEditText(QStringLiteral("Noir"));
    f.prompts().saveAnswers << SaveChoice::Cancel;
    r.dbNext->click();
    QCOMPARE(f.prompts().saveQuestions, QStringList{question("A")});
    QCOMPARE(shownTitle(f), QStringLiteral("A"));
    QCOMPARE(r.mvGenre->currentText(), QStringLiteral("Noir"));
    QCOMPARE(storedGenre(path, "A"), QStringLiteral("A.mv_genre"));

    // Discard: the move goes on and nothing is stored.
    f.prompts().saveAnswers << SaveChoice::Discard;
    r.dbNext->click();
    QCOMPARE(shownTitle(f), QStringLiteral("B"));
    QCOMPARE(storedGenre(path, "A"), QStringLiteral("A.mv_genre"));

    // Save: stored, then the move; the question names the title as typed.
    r.title->setText(QStringLiteral("B2"));
    r.mvGenre->setEditText(QStringLiteral("Western"));
    f.prompts().saveAnswers << SaveChoice::Save;
    r.dbLast->click();
    QCOMPARE(f.prompts().saveQuestions.last(), question("B2"));
    QCOMPARE(shownTitle(f), QStringLiteral("C"));
    QCOMPARE(storedGenre(path, "B2"), QStringLiteral("Western"));

    // Going back to the saved record asks nothing: it shows what is stored.
    r.dbFirst->click();
    r.dbNext->click();
    QCOMPARE(shownTitle(f), QStringLiteral("B2"));
    QCOMPARE(f.prompts().saveQuestions.size(), 3);
    QVERIFY2(f.prompts().unexpected.isEmpty(), qPrintable(f.prompts().unexpected.join(u'|')));
}

void TestUnsavedChanges::nothingTypedAsksNothing()
{
    AppFixture f;
    start(f, {"A", "B"});
    editing::RecordForm& r = form(f);
    QVERIFY(!f.window().unsavedChanges().hasChanges());

    // A change typed back to what it was is no change.
    r.mv_year->setText(QStringLiteral("1999"));
    QVERIFY(f.window().unsavedChanges().hasChanges());
    r.mv_year->setText(QStringLiteral("A.mv_year"));
    QVERIFY(!f.window().unsavedChanges().hasChanges());

    // A stored edit (its emptied fields kept as the catalogue's blank) is no change.
    r.mv_country->setEditText(QString());
    r.mvRanking->clear();
    r.dbSave->click();
    QCOMPARE(r.mvRanking->text(), QString());
    QVERIFY(!f.window().unsavedChanges().hasChanges());

    r.dbNext->click();
    r.dbNew->click();
    QVERIFY(!f.window().unsavedChanges().hasChanges()); // the empty form
    r.dbDelete->click();                                // Cancel
    f.window().menu().action(QStringLiteral("mnOrdDir"))->trigger();
    QVERIFY(f.prompts().saveQuestions.isEmpty());
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestUnsavedChanges::refusedSaveStopsTheCommand()
{
    AppFixture f;
    const QString path = start(f, {"A", "B"});
    editing::RecordForm& r = form(f);
    r.title->clear();
    f.prompts().saveAnswers << SaveChoice::Save;
    r.dbNext->click();
    QCOMPARE(f.prompts().exclamations, QStringList{editing::RecordSaver::NotAllFieldsFilled});
    QCOMPARE(shownTitle(f), QString());
    QCOMPARE(f.window().state().current->value(QStringLiteral("title")).toString(), QStringLiteral("A"));

    // A new record without its catalogue ID stays on screen too.
    f.prompts().saveAnswers << SaveChoice::Discard;
    r.dbNew->click();
    QVERIFY(f.window().state().newRecordMode);
    r.title->setText(QStringLiteral("No ID"));
    f.prompts().saveAnswers << SaveChoice::Save;
    f.window().menu().action(QStringLiteral("mnOrdDir"))->trigger();
    QCOMPARE(f.prompts().exclamations.last(), editing::RecordSaver::NoCatalogId);
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(shownTitle(f), QStringLiteral("No ID"));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
}

void TestUnsavedChanges::everyCommandThatReplacesTheRecordAsks_data()
{
    QTest::addColumn<QString>("command");
    for (const char* name : {"dbFirst", "dbPrev", "dbNext", "dbLast", "dbNew", "dbNoFilter", "mnOrdTitle",
                             "mnOrdCat", "mnSrchTitle", "mnSrchActor", "mnSrchGenre", "mnPrintShort", "mnPrintLong",
                             "mnPrintLabel"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestUnsavedChanges::everyCommandThatReplacesTheRecordAsks()
{
    QFETCH(QString, command);
    AppFixture f;
    start(f, {"A", "B", "C"});
    editing::RecordForm& r = form(f);
    r.dbNext->click();
    r.mvCast[5]->setEditText(QStringLiteral("Someone"));

    f.prompts().saveAnswers << SaveChoice::Cancel;
    if (command == QLatin1String("dbNoFilter"))
        f.window().searchCommands().showAllData(); // the button is off while no filter is in force
    else if (QPushButton* button = f.find<QPushButton>(command))
        button->click();
    else
        f.menu(command.toLatin1().constData())->trigger();

    QCOMPARE(f.prompts().saveQuestions, QStringList{question("B")});
    QCOMPARE(shownTitle(f), QStringLiteral("B"));
    QCOMPARE(r.mvCast[5]->currentText(), QStringLiteral("Someone"));
    QVERIFY(!f.window().state().newRecordMode);
    QVERIFY(f.prompts().dialogsShown.isEmpty());
    QVERIFY(f.prompts().exclamations.isEmpty());
    QCOMPARE(f.prompts().unexpected, QStringList{});
}

void TestUnsavedChanges::newRecordSavedOrDiscardedBeforeASearch()
{
    AppFixture f;
    const QString path = start(f, {"A", "B"});
    editing::RecordForm& r = form(f);

    // Saved: the new record is stored and the sort runs.
    r.dbNew->click();
    r.title->setText(QStringLiteral("0 New"));
    r.catalog->setText(QStringLiteral("N1"));
    f.prompts().saveAnswers << SaveChoice::Save;
    f.window().menu().action(QStringLiteral("mnOrdCat"))->trigger();
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);
    QCOMPARE(shownTitle(f), QStringLiteral("A")); // ID-A sorts before N1
    QVERIFY(f.window().menu().action(QStringLiteral("mnOrdCat"))->isChecked());

    // Discarded: new-record mode ends without a row, and the sort runs.
    r.dbNew->click();
    r.title->setText(QStringLiteral("Thrown away"));
    f.prompts().saveAnswers << SaveChoice::Discard;
    f.window().menu().action(QStringLiteral("mnOrdTitle"))->trigger();
    QVERIFY(!f.window().state().newRecordMode);
    QVERIFY(r.dbNew->isEnabled());
    QCOMPARE(r.dbDelete->text().remove(u'&'), QStringLiteral("Delete"));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);
    QCOMPARE(shownTitle(f), QStringLiteral("0 New"));
    QCOMPARE(f.prompts().exclamations, QStringList{});
}

void TestUnsavedChanges::closeWithChanges()
{
    AppFixture f;
    const QString path = start(f, {"A"});
    editing::RecordForm& r = form(f);
    r.dbNew->click();
    r.title->setText(QStringLiteral("Typed in"));

    // Cancel: the window stays and stores nothing.
    f.prompts().saveAnswers << SaveChoice::Cancel;
    QVERIFY(!f.window().close());
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainLeft")), QStringLiteral("<absent>"));
    QCOMPARE(shownTitle(f), QStringLiteral("Typed in"));

    // Save refused (no catalogue ID): still open.
    f.prompts().saveAnswers << SaveChoice::Save;
    QVERIFY(!f.window().close());
    QCOMPARE(f.prompts().exclamations, QStringList{editing::RecordSaver::NoCatalogId});

    // Save with the ID: stored, and the close step runs.
    r.catalog->setText(QStringLiteral("T1"));
    f.prompts().saveAnswers << SaveChoice::Save;
    QVERIFY(f.window().close());
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
    QVERIFY(f.stored(QStringLiteral("Settings"), QStringLiteral("MainLeft")) != QStringLiteral("<absent>"));
    QCOMPARE(f.prompts().saveQuestions, QStringList(3, question("Typed in")));
}

void TestUnsavedChanges::quitWithChanges()
{
    AppFixture f;
    const QString path = start(f, {"A"});
    QSignalSpy quit(&f.window(), &MainWindow::quitRequested);
    form(f).mvDirector->setEditText(QStringLiteral("Someone"));

    f.prompts().saveAnswers << SaveChoice::Cancel;
    f.menu("mnQuit")->trigger();
    QCOMPARE(quit.size(), 0);

    f.prompts().saveAnswers << SaveChoice::Discard;
    f.menu("mnQuit")->trigger();
    QCOMPARE(quit.size(), 1);
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from archive"));
    QCOMPARE(set->value(QStringLiteral("mv_director")).toString(), QStringLiteral("A.mv_director"));
}

void TestUnsavedChanges::grabIntoAShownRecord()
{
    AppFixture f;
    start(f, {"A"});
    weblookup::LookupWorkflow& lookup = f.window().lookupTab().workflow();
    form(f).mv_year->setText(QStringLiteral("1984"));
    f.prompts().saveAnswers << SaveChoice::Cancel;
    lookup.grabitClick();
    QVERIFY(!lookup.grabRunning());
    QCOMPARE(f.prompts().saveQuestions, QStringList{question("A")});
    QCOMPARE(form(f).mv_year->text(), QStringLiteral("1984"));

    // Filling a new record is what the grab is for: no question.
    f.prompts().saveAnswers << SaveChoice::Discard;
    form(f).dbNew->click();
    form(f).title->setText(QStringLiteral("Alien"));
    lookup.grabitClick();
    QCOMPARE(f.prompts().saveQuestions.size(), 2);
    QVERIFY(lookup.grabRunning());
}

QTEST_MAIN(TestUnsavedChanges)
#include "tst_unsaved_changes.moc"
