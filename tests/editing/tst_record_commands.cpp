// The record buttons on the real main window: navigation, New, Save, Delete
// and Cancel, and what a saved record looks like in the next run.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/MainMenu.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "editing/FieldBinding.h"
#include "editing/RecordCommands.h"
#include "editing/RecordDeleter.h"
#include "editing/RecordSaver.h"
#include "editing/StatusShape.h"
#include "editing/UserPrompts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::editing::RecordCommands;
using quelto::editing::RecordDeleter;
using quelto::editing::RecordSaver;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

const QColor Browsing(192, 255, 255);
const QColor NewRecord(255, 0, 128);

QList<TestCatalog::Row> records(const QStringList& titles)
{
    QList<TestCatalog::Row> rows;
    for (const QString& title : titles)
        rows << TestCatalog::record(title, QStringLiteral("ID-") + title);
    return rows;
}

// Every archive row of a file, ordered by title, as a fresh run reads it.
QList<TestCatalog::Row> storedRows(const QString& path)
{
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from archive order by title"));
    QList<TestCatalog::Row> rows;
    for (; !set->eof(); set->moveNext()) {
        TestCatalog::Row row;
        for (const QString& column : catalog::CatalogSchema::archiveColumns())
            row[column] = set->value(column);
        rows << row;
    }
    return rows;
}

} // namespace

class TestRecordCommands : public QObject
{
    Q_OBJECT

private slots:
    void navigationStopsAtBothEnds();
    void deleteShowsTheFollowingRecord_data();
    void deleteShowsTheFollowingRecord();
    void deletingTheOnlyRecordClearsTheFields();
    void deleteAnsweredNoChangesNothing();
    void newAndCancelSwitchTheButtons();
    void newRecordNeedsTitleAndCatalogId();
    void savedNewRecordBecomesCurrent();
    void refusedNewRecordKeepsEverythingTyped();
    void recordWithoutMediumFieldsCanBeEdited();
    void mediaDefaultsCarryToNextNewAndNextRun();
    void refusedEditKeepsTheStoredRecord();
    void saveWithoutCurrentRecord();
    void searchesWaitForTheNewRecord();
    void savedRecordsSurviveARestart();

private:
    static QString start(AppFixture& f, const QList<TestCatalog::Row>& rows)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        TestCatalog::create(path, rows);
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        return path;
    }
    static editing::RecordForm& form(AppFixture& f) { return f.window().form(); }
    static void click(QPushButton* button) { button->click(); }
    static QString shownTitle(AppFixture& f) { return form(f).title->text(); }
    static QString currentTitle(AppFixture& f)
    {
        return f.window().state().current->value(QStringLiteral("title")).toString();
    }
    static QString countLabel(AppFixture& f) { return form(f).labelRecords->text(); }
    // "<<" and "<" where there is a record before, ">" and ">>" where there is one after.
    static bool navigationEnabled(AppFixture& f, bool back, bool forward)
    {
        const editing::RecordForm& r = form(f);
        return r.dbPrev->isEnabled() == back && r.dbFirst->isEnabled() == back && r.dbNext->isEnabled() == forward &&
               r.dbLast->isEnabled() == forward;
    }
};

void TestRecordCommands::navigationStopsAtBothEnds()
{
    AppFixture f;
    start(f, records({"E", "B", "D", "A", "C"}));
    editing::RecordForm& r = form(f);
    QCOMPARE(shownTitle(f), QStringLiteral("A"));
    QVERIFY(navigationEnabled(f, false, true));

    for (const char* expected : {"B", "C", "D", "E"}) {
        click(r.dbNext);
        QCOMPARE(shownTitle(f), QString::fromLatin1(expected));
    }
    // Reaching the last row is no reason for the message.
    QVERIFY(f.prompts().exclamations.isEmpty());
    QVERIFY(navigationEnabled(f, true, false));

    click(r.dbPrev);
    QCOMPARE(shownTitle(f), QStringLiteral("D"));
    QVERIFY(r.dbNext->isEnabled());
    click(r.dbFirst);
    QCOMPARE(shownTitle(f), QStringLiteral("A"));
    QVERIFY(!r.dbPrev->isEnabled());
    click(r.dbLast);
    QCOMPARE(shownTitle(f), QStringLiteral("E"));
    QCOMPARE(currentTitle(f), QStringLiteral("E"));
    QVERIFY(navigationEnabled(f, true, false));
    QVERIFY(f.prompts().exclamations.isEmpty());

    // Only a move past the last row tells "No more records."; the fields keep the last record.
    r.dbNext->setEnabled(true);
    click(r.dbNext);
    QCOMPARE(f.prompts().exclamations, QStringList{RecordCommands::NoMoreRecords});
    QVERIFY(!r.dbNext->isEnabled());
    QCOMPARE(shownTitle(f), QStringLiteral("E"));
    click(r.dbPrev);
    QCOMPARE(shownTitle(f), QStringLiteral("E"));
    QCOMPARE(currentTitle(f), QStringLiteral("E"));
}

void TestRecordCommands::deleteShowsTheFollowingRecord_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("nextEnabled");
    QTest::newRow("second of five") << 1 << "C" << true;
    QTest::newRow("last of five") << 4 << "D" << false;
    QTest::newRow("first of five") << 0 << "B" << true;
}

void TestRecordCommands::deleteShowsTheFollowingRecord()
{
    QFETCH(int, steps);
    QFETCH(QString, shown);
    QFETCH(bool, nextEnabled);
    AppFixture f;
    const QString path = start(f, records({"A", "B", "C", "D", "E"}));
    for (int i = 0; i < steps; ++i)
        click(form(f).dbNext);
    const QString deleted = shownTitle(f);

    f.prompts().confirmAnswers << true;
    const QString id = form(f).catalog->text();
    click(form(f).dbDelete);
    // The question names the movie as it is stored.
    QCOMPARE(f.prompts().confirmations,
             QStringList{RecordDeleter::ConfirmDelete + QStringLiteral("\n\n\"%1\" (%2)").arg(deleted, id)});
    QCOMPARE(shownTitle(f), shown);
    QCOMPARE(currentTitle(f), shown);
    QCOMPARE(form(f).dbNext->isEnabled(), nextEnabled);
    QCOMPARE(countLabel(f), QStringLiteral("4 records in database"));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 4);
    for (const TestCatalog::Row& row : storedRows(path))
        QVERIFY(row.value(QStringLiteral("title")).toString() != deleted);
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestRecordCommands::deletingTheOnlyRecordClearsTheFields()
{
    AppFixture f;
    const QString path = start(f, records({"Only"}));
    f.prompts().confirmAnswers << true;
    click(form(f).dbDelete);

    editing::RecordForm& r = form(f);
    QCOMPARE(r.title->text(), QString());
    QCOMPARE(r.catalog->text(), QString());
    QCOMPARE(r.mediatype->currentText(), QStringLiteral("LaserDisk"));
    QCOMPARE(r.vidfmt->currentText(), QStringLiteral("NTSC"));
    QCOMPARE(r.mvDirector->currentText(), QString());
    QCOMPARE(r.mvCast[0]->currentText(), QString());
    QCOMPARE(countLabel(f), QStringLiteral("0 records in database"));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 0);

    // A second Delete on the empty set asks, finds no row and changes nothing.
    f.prompts().confirmAnswers << true;
    click(r.dbDelete);
    QCOMPARE(r.title->text(), QString());
    QCOMPARE(countLabel(f), QStringLiteral("0 records in database"));
    QVERIFY(f.prompts().exclamations.isEmpty());
}

void TestRecordCommands::deleteAnsweredNoChangesNothing()
{
    AppFixture f;
    const QString path = start(f, records({"A", "B", "C"}));
    click(form(f).dbNext);
    form(f).mvGenre->setEditText(QStringLiteral("typed, not saved"));
    f.prompts().confirmAnswers << false;
    click(form(f).dbDelete);

    QCOMPARE(f.prompts().confirmations.size(), 1);
    QVERIFY(f.prompts().confirmations[0].startsWith(RecordDeleter::ConfirmDelete));
    QVERIFY(f.prompts().confirmations[0].contains(QStringLiteral("\"B\"")));
    QCOMPARE(shownTitle(f), QStringLiteral("B"));
    QCOMPARE(form(f).mvGenre->currentText(), QStringLiteral("typed, not saved"));
    QCOMPARE(currentTitle(f), QStringLiteral("B"));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);
}

void TestRecordCommands::newAndCancelSwitchTheButtons()
{
    AppFixture f;
    const QString path = start(f, records({"A", "B", "C"}));
    editing::RecordForm& r = form(f);
    click(r.dbNext);
    const QString countBefore = countLabel(f);

    click(r.dbNew);
    QVERIFY(f.window().state().newRecordMode);
    QVERIFY(navigationEnabled(f, false, false));
    QVERIFY(!r.dbNew->isEnabled());
    QCOMPARE(r.dbDelete->text(), RecordCommands::CancelNewCaption);
    QVERIFY(r.catalog->isEnabled());
    QCOMPARE(r.Shape1->fillColour(), NewRecord);
    QCOMPARE(r.title->text(), QString());
    QCOMPARE(r.screenformat->currentText(), QStringLiteral("Widescreen"));
    QCOMPARE(r.mv_year->text(), QString());

    r.title->setText(QStringLiteral("Abandoned"));
    r.catalog->setText(QStringLiteral("X1"));
    click(r.dbDelete);
    QVERIFY(f.prompts().confirmations.isEmpty()); // Cancel asks nothing
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(r.dbDelete->text(), RecordCommands::DeleteCaption);
    QVERIFY(r.dbNew->isEnabled());
    QVERIFY(!r.catalog->isEnabled());
    QVERIFY(navigationEnabled(f, true, true));
    QCOMPARE(r.Shape1->fillColour(), Browsing);
    // The current record is shown again, and nothing was stored.
    QCOMPARE(shownTitle(f), QStringLiteral("B"));
    QCOMPARE(r.catalog->text(), QStringLiteral("ID-B"));
    QCOMPARE(countLabel(f), countBefore);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);

    // Cancel on an empty catalogue leaves the fields cleared, not as typed.
    AppFixture empty;
    start(empty, {});
    click(form(empty).dbNew);
    form(empty).title->setText(QStringLiteral("Abandoned"));
    click(form(empty).dbDelete);
    QCOMPARE(shownTitle(empty), QString());
}

void TestRecordCommands::newRecordNeedsTitleAndCatalogId()
{
    AppFixture f;
    const QString path = start(f, records({"A"}));
    editing::RecordForm& r = form(f);
    click(r.dbNew);
    r.mvDirector->setEditText(QStringLiteral("Typed Director"));
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations, QStringList{RecordSaver::NoTitle});
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(r.dbDelete->text(), RecordCommands::CancelNewCaption);
    QCOMPARE(r.mvDirector->currentText(), QStringLiteral("Typed Director"));

    r.title->setText(QStringLiteral("Titled"));
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations.last(), RecordSaver::NoCatalogId);
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(r.title->text(), QStringLiteral("Titled"));
    QCOMPARE(r.mvDirector->currentText(), QStringLiteral("Typed Director"));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);

    // Spaces alone are no title and no ID: they are dropped on saving.
    r.title->setText(QStringLiteral(" "));
    r.catalog->setText(QStringLiteral("  "));
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations.last(), RecordSaver::NoTitle);
    r.title->setText(QStringLiteral(" Spaced "));
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations.last(), RecordSaver::NoCatalogId);
    QCOMPARE(f.prompts().exclamations.size(), 4);
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);
}

void TestRecordCommands::savedNewRecordBecomesCurrent()
{
    AppFixture f;
    const QString path = start(f, records({"A", "C"}));
    editing::RecordForm& r = form(f);
    click(r.dbNew);
    r.title->setText(QStringLiteral("B"));
    r.catalog->setText(QStringLiteral("N1"));
    r.mv_country->setEditText(QString());
    click(r.dbSave);

    QVERIFY(f.prompts().exclamations.isEmpty());
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(r.dbDelete->text(), RecordCommands::DeleteCaption);
    QVERIFY(!r.catalog->isEnabled());
    QVERIFY(r.dbNew->isEnabled());
    QCOMPARE(r.Shape1->fillColour(), Browsing);
    QCOMPARE(currentTitle(f), QStringLiteral("B"));
    QCOMPARE(r.title->text(), QStringLiteral("B"));
    QCOMPARE(r.mv_country->currentText(), QString()); // the stored blank shows empty
    QCOMPARE(r.mvRanking->text(), QString());
    QCOMPARE(f.window().state().current->value(QStringLiteral("mv_country")).toString(), QStringLiteral(" "));
    QCOMPARE(countLabel(f), QStringLiteral("3 records in database"));

    // The next Save writes into the new record, not into the one shown before New.
    r.mvGenre->setEditText(QStringLiteral("Drama"));
    click(r.dbSave);
    QVERIFY(f.prompts().exclamations.isEmpty());
    const QList<TestCatalog::Row> rows = storedRows(path);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].value(QStringLiteral("mv_genre")).toString(), QStringLiteral("A.mv_genre"));
    QCOMPARE(rows[1].value(QStringLiteral("title")).toString(), QStringLiteral("B"));
    QCOMPARE(rows[1].value(QStringLiteral("mv_genre")).toString(), QStringLiteral("Drama"));
    QCOMPARE(rows[1].value(QStringLiteral("mv_rating")).toString(), QStringLiteral(" "));

    // Delete now removes the new record.
    f.prompts().confirmAnswers << true;
    click(r.dbDelete);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
    QCOMPARE(storedRows(path)[1].value(QStringLiteral("title")).toString(), QStringLiteral("C"));
}

void TestRecordCommands::refusedNewRecordKeepsEverythingTyped()
{
    AppFixture f;
    const QString path = start(f, records({"A", "B"}));
    editing::RecordForm& r = form(f);
    click(r.dbNext);
    click(r.dbNew);
    r.title->setText(QStringLiteral("Refused"));
    r.catalog->setText(QStringLiteral("R1"));
    r.mediatype->setEditText(QStringLiteral("DVD"));
    r.mdLang->setEditText(QString()); // a medium field may not be empty
    r.mvMusic->setEditText(QStringLiteral("Typed Composer"));
    click(r.dbSave);

    QCOMPARE(f.prompts().exclamations, QStringList{RecordSaver::NotAllFieldsFilled});
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(r.dbDelete->text(), RecordCommands::CancelNewCaption);
    QCOMPARE(r.Shape1->fillColour(), NewRecord);
    QVERIFY(r.catalog->isEnabled());
    QCOMPARE(r.title->text(), QStringLiteral("Refused"));
    QCOMPARE(r.mediatype->currentText(), QStringLiteral("DVD"));
    QCOMPARE(r.mvMusic->currentText(), QStringLiteral("Typed Composer"));
    QCOMPARE(f.window().state().mediaDefaults, catalog::MediaDefaults());
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);

    // Too long a text is refused the same way.
    r.mdLang->setEditText(QStringLiteral("German"));
    r.title->setText(QString(256, QLatin1Char('x')));
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations.size(), 2);
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(r.title->text().size(), 256);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);

    // The refused buffer is gone: Cancel shows the record that was current.
    click(r.dbDelete);
    QCOMPARE(shownTitle(f), QStringLiteral("B"));
    QCOMPARE(r.catalog->text(), QStringLiteral("ID-B"));
    QCOMPARE(r.mediatype->currentText(), QStringLiteral("B.md_type"));
    QCOMPARE(f.window().state().mediaDefaults, catalog::MediaDefaults());
}

// A record another program or an import stored without its medium fields
// (Null or the blank) is saved with them as they were; one whose medium field
// is emptied by the user is refused as before.
void TestRecordCommands::recordWithoutMediumFieldsCanBeEdited()
{
    AppFixture f;
    QList<TestCatalog::Row> rows = records({"Imported"});
    for (const char* column : {"md_format", "md_image", "md_language"})
        rows[0][QString::fromLatin1(column)] = QVariant();
    rows[0][QStringLiteral("md_sound")] = QStringLiteral(" ");
    const QString path = start(f, rows);
    editing::RecordForm& r = form(f);
    QCOMPARE(r.vidfmt->currentText(), QString());
    r.mvGenre->setEditText(QStringLiteral("Noir"));
    click(r.dbSave);
    QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'\n')));
    TestCatalog::Row stored = storedRows(path)[0];
    QCOMPARE(stored.value(QStringLiteral("mv_genre")).toString(), QStringLiteral("Noir"));
    QVERIFY(stored.value(QStringLiteral("md_format")).isNull());
    QCOMPARE(stored.value(QStringLiteral("md_sound")).toString(), QStringLiteral(" "));

    // A value typed into one of them is stored; emptied again, it is refused.
    r.vidfmt->setEditText(QStringLiteral("PAL"));
    click(r.dbSave);
    QCOMPARE(storedRows(path)[0].value(QStringLiteral("md_format")).toString(), QStringLiteral("PAL"));
    r.vidfmt->setEditText(QString());
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations, QStringList{RecordSaver::NotAllFieldsFilled});
    QCOMPARE(storedRows(path)[0].value(QStringLiteral("md_format")).toString(), QStringLiteral("PAL"));
}

void TestRecordCommands::mediaDefaultsCarryToNextNewAndNextRun()
{
    AppFixture f;
    const QString path = start(f, records({"A"}));
    editing::RecordForm& r = form(f);
    click(r.dbNew);
    r.title->setText(QStringLiteral("On DVD"));
    r.catalog->setText(QStringLiteral("D1"));
    r.mediatype->setEditText(QStringLiteral("DVD"));
    r.screenformat->setEditText(QStringLiteral("4:3"));
    r.vidfmt->setEditText(QStringLiteral("PAL"));
    r.soundfmt->setEditText(QStringLiteral("Stereo"));
    r.mdLang->setEditText(QStringLiteral("German"));
    click(r.dbSave);

    click(r.dbNew);
    QCOMPARE(r.mediatype->currentText(), QStringLiteral("DVD"));
    QCOMPARE(r.screenformat->currentText(), QStringLiteral("4:3"));
    QCOMPARE(r.vidfmt->currentText(), QStringLiteral("PAL"));
    QCOMPARE(r.soundfmt->currentText(), QStringLiteral("Stereo"));
    QCOMPARE(r.mdLang->currentText(), QStringLiteral("German"));
    click(r.dbDelete);

    // Editing an existing record leaves the defaults alone.
    click(r.dbFirst);
    r.mediatype->setEditText(QStringLiteral("VHS"));
    click(r.dbSave);
    QCOMPARE(f.window().state().mediaDefaults.media, QStringLiteral("DVD"));

    f.window().close();
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Media")), QStringLiteral("DVD"));
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Image")), QStringLiteral("4:3"));
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Language")), QStringLiteral("German"));

    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    click(form(f).dbNew);
    QCOMPARE(form(f).mediatype->currentText(), QStringLiteral("DVD"));
    QCOMPARE(form(f).soundfmt->currentText(), QStringLiteral("Stereo"));
}

void TestRecordCommands::refusedEditKeepsTheStoredRecord()
{
    AppFixture f;
    const QString path = start(f, records({"Kept"}));
    editing::RecordForm& r = form(f);
    r.title->clear();
    r.mvGenre->setEditText(QStringLiteral("Noir"));
    click(r.dbSave);

    QCOMPARE(f.prompts().exclamations, QStringList{RecordSaver::NotAllFieldsFilled});
    QCOMPARE(r.title->text(), QString());
    QCOMPARE(r.mvGenre->currentText(), QStringLiteral("Noir"));
    QCOMPARE(storedRows(path)[0].value(QStringLiteral("title")).toString(), QStringLiteral("Kept"));
    QCOMPARE(storedRows(path)[0].value(QStringLiteral("mv_genre")).toString(), QStringLiteral("Kept.mv_genre"));
    QCOMPARE(currentTitle(f), QStringLiteral("Kept")); // the buffer was dropped

    // Fixed and saved again, the edit goes through.
    r.title->setText(QStringLiteral("Renamed"));
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations.size(), 1);
    QCOMPARE(storedRows(path)[0].value(QStringLiteral("title")).toString(), QStringLiteral("Renamed"));
    QCOMPARE(storedRows(path)[0].value(QStringLiteral("mv_genre")).toString(), QStringLiteral("Noir"));
}

void TestRecordCommands::saveWithoutCurrentRecord()
{
    AppFixture f;
    start(f, {});
    form(f).title->setText(QStringLiteral("Nowhere to go"));
    click(form(f).dbSave);
    QCOMPARE(f.prompts().exclamations, QStringList{RecordSaver::NoCurrentRecord});
    QCOMPARE(shownTitle(f), QStringLiteral("Nowhere to go"));
    QCOMPARE(countLabel(f), QStringLiteral("0 records in database"));
}

void TestRecordCommands::searchesWaitForTheNewRecord()
{
    AppFixture f;
    const QString path = start(f, records({"A", "B"}));
    editing::RecordForm& r = form(f);
    click(r.dbNew);
    // Nothing typed yet: the sort is refused, the empty form stays.
    f.window().menu().action(QStringLiteral("mnOrdCat"))->trigger();
    QCOMPARE(f.prompts().exclamations, QStringList{QStringLiteral("Please save or cancel the new record first.")});
    QVERIFY(f.window().state().newRecordMode);

    // Typed, the sort asks; Cancel keeps the new record as it is.
    r.title->setText(QStringLiteral("Half typed"));
    r.catalog->setText(QStringLiteral("H1"));
    f.prompts().saveAnswers << editing::SaveChoice::Cancel;
    f.window().menu().action(QStringLiteral("mnOrdCat"))->trigger();
    QCOMPARE(f.prompts().saveQuestions, QStringList{QStringLiteral("Save changes to \"Half typed\"?")});
    QCOMPARE(f.prompts().exclamations.size(), 1);
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(r.title->text(), QStringLiteral("Half typed"));
    click(r.dbSave);
    QCOMPARE(f.prompts().exclamations.size(), 1);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);
    QCOMPARE(currentTitle(f), QStringLiteral("Half typed"));
}

void TestRecordCommands::savedRecordsSurviveARestart()
{
    AppFixture f;
    const QString path = start(f, {});
    // Typed values per column; what is stored comes back character for
    // character, but for the blanks around a value, which are dropped, and an
    // empty movie field, which the catalogue keeps as a single space.
    const auto typed = [](const QString& title, const QString& column) {
        if (column == QLatin1String("title"))
            return title;
        if (column == QLatin1String("mv_language"))
            return QString();
        if (column == QLatin1String("mv_music"))
            return QString(255, QChar(0x00e9)); // the longest text a column takes
        if (column == QLatin1String("mv_sound"))
            return QStringLiteral("   ");
        if (column == QLatin1String("mv_year"))
            return QStringLiteral(" 1984 "); // four digits, or the year is refused
        return QStringLiteral("  %1 \u00d6 \"q\" 'it''s'\t").arg(column.left(3) + title.trimmed().left(1));
    };
    const auto stored = [&typed](const QString& title, const QString& column) {
        const QString text = typed(title, column).trimmed();
        return text.isEmpty() ? QStringLiteral(" ") : text;
    };
    const QStringList titles = {QStringLiteral("  Leading and trailing  "), QStringLiteral("\u00dcn\u00efcode \u2014 end ")};
    for (const QString& title : titles) {
        click(form(f).dbNew);
        for (const editing::FieldBinding& field : editing::FieldBinding::of(form(f)))
            field.setText(typed(title, field.column()));
        click(form(f).dbSave);
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
    }

    f.window().close();
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const QList<TestCatalog::Row> rows = storedRows(path);
    QCOMPARE(rows.size(), titles.size());
    for (const TestCatalog::Row& row : rows) {
        const QString title = row.value(QStringLiteral("title")).toString();
        const qsizetype typedAt = titles.indexOf(title == QLatin1String("Leading and trailing") ? titles[0] : titles[1]);
        QVERIFY2(title == titles[typedAt].trimmed(), qPrintable(title));
        for (const QString& column : catalog::CatalogSchema::archiveColumns())
            QCOMPARE(row.value(column).toString(), stored(titles[typedAt], column));
    }

    // The restarted window shows the first of them (by title) without the blanks.
    for (const editing::FieldBinding& field : editing::FieldBinding::of(form(f)))
        QCOMPARE(field.text(), typed(titles[0], field.column()).trimmed());
}

QTEST_MAIN(TestRecordCommands)
#include "tst_record_commands.moc"
