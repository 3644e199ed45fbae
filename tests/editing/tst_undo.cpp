// Edit > Undo and Redo on the real main window: saves, new records, deletes,
// CSV imports and option-list edits, through the same write checks as every
// write, and with care for changes made elsewhere.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "collection/CollectorFeatures.h"
#include "history/HistoryCommands.h"
#include "collection/TapeSpace.h"
#include "editing/CoverField.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/OptionListEditor.h"
#include "history/RecordCompanions.h"
#include "search/RecordListCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

// One column of every row, in key order, as another connection reads it.
QStringList column(const QString& path, const QString& name, const QString& table = QStringLiteral("archive"))
{
    auto db = catalog::Database::open(path);
    auto statement = db->connection()->prepare(QStringLiteral("select %1 from %2 order by rowid").arg(name, table));
    QStringList out;
    while (statement->step())
        out << statement->value(0).toString();
    return out;
}

void exec(const QString& path, const QString& sql) { catalog::Database::open(path)->connection()->exec(sql); }

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private slots:
    void savesAndNewRecordsAreUndoneAndRedone();
    void undoneDeleteBringsTheRecordBackWhole();
    void undoAndRedoPutTheRecordInTheOrderInForce();
    void undoOfASaveTakesBackTheCoverAndTheTapeLength();
    void importsAndOptionListsAreUndone();
    void undoGoesThroughTheWriteChecks();
    void ctrlZTakesBackTypingFirst();

private:
    QString m_path;

    void start(AppFixture& f, const QList<TestCatalog::Row>& rows)
    {
        m_path = f.file(QStringLiteral("u.mdb"));
        TestCatalog::create(m_path, rows);
        QCOMPARE(f.start(m_path), MainWindow::LoadResult::Loaded);
    }
    static TestCatalog::Row movie(const QString& title, const QString& year, const QString& id)
    {
        TestCatalog::Row row = TestCatalog::record(title, id);
        row[QStringLiteral("mv_year")] = year;
        return row;
    }
    static QAction* undoItem(AppFixture& f) { return f.menu("mnUndo"); }
    static QAction* redoItem(AppFixture& f) { return f.menu("mnRedo"); }
    static QString shownTitle(AppFixture& f) { return f.window().form().title->text(); }
};

void TestUndo::savesAndNewRecordsAreUndoneAndRedone()
{
    AppFixture f;
    start(f, {movie("Casablanca", "1942", "A1"), movie("Vertigo", "1958", "B2")});
    editing::RecordForm& r = f.window().form();
    QVERIFY(!undoItem(f)->isEnabled() && !redoItem(f)->isEnabled());
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo"));

    r.mvGenre->setEditText(QStringLiteral("Romance"));
    r.dbSave->click();
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo Save \"Casablanca (1942)\""));
    r.dbNew->click();
    r.title->setText(QStringLiteral("Alien & Co"));
    r.catalog->setText(QStringLiteral("C3"));
    r.dbSave->click();
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo New Record \"Alien && Co\""));
    QCOMPARE(column(m_path, QStringLiteral("title")), (QStringList{"Casablanca", "Vertigo", "Alien & Co"}));

    // Undo the new record: it is gone, and the record before it shows.
    undoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("title")), (QStringList{"Casablanca", "Vertigo"}));
    QCOMPARE(f.window().form().labelRecords->text(), QStringLiteral("2 records in database"));
    QCOMPARE(redoItem(f)->text(), QStringLiteral("&Redo New Record \"Alien && Co\""));
    // Undo the save: the old genre is back, on show.
    undoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("mv_genre")).first(), QStringLiteral("Casablanca.mv_genre"));
    QCOMPARE(shownTitle(f), QStringLiteral("Casablanca"));
    QCOMPARE(r.mvGenre->currentText(), QStringLiteral("Casablanca.mv_genre"));
    QVERIFY(!undoItem(f)->isEnabled());

    // Redo both, by the keys, with the focus in a field that has nothing of its own to take back.
    f.window().show();
    QApplication::setActiveWindow(&f.window());
    QVERIFY(QTest::qWaitForWindowActive(&f.window()));
    r.mvDirector->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(r.mvGenre->currentText(), QStringLiteral("Romance"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(column(m_path, QStringLiteral("title")).last(), QStringLiteral("Alien & Co"));
    QCOMPARE(shownTitle(f), QStringLiteral("Alien & Co"));
    QVERIFY(!redoItem(f)->isEnabled());

    // A new change drops what was undone.
    undoItem(f)->trigger();
    r.mv_year->setText(QStringLiteral("1943"));
    r.dbSave->click();
    QVERIFY(!redoItem(f)->isEnabled());
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo Save \"Casablanca (1943)\""));
    // A save that changes nothing is no step.
    r.dbSave->click();
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo Save \"Casablanca (1943)\""));
    QVERIFY(f.prompts().exclamations.isEmpty() && f.prompts().unexpected.isEmpty());
}

void TestUndo::undoneDeleteBringsTheRecordBackWhole()
{
    AppFixture f;
    start(f, {movie("Casablanca", "1942", "A1"), movie("Vertigo", "1958", "B2")});
    // Columns and a table of other parts of the program, keyed by the record's identity.
    exec(m_path, QStringLiteral("alter table archive add column quelto_id integer; alter table archive add column "
                                "quelto_notes text; update archive set quelto_id = rowid, quelto_notes = 'seen ' || title; "
                                "create table quelto_covers (record_id integer primary key, picture blob); "
                                "insert into quelto_covers values (1, x'89504e47'), (2, x'ffd8')"));
    history::RecordCompanions::add({QStringLiteral("quelto_covers"), QStringLiteral("record_id"), QStringLiteral("quelto_id")});
    f.window().state().database->schemaChanged();
    f.window().state().current->requery();
    f.window().display().recordToForm();

    f.prompts().confirmAnswers << true;
    f.window().form().dbDelete->click();
    QCOMPARE(column(m_path, QStringLiteral("title")), QStringList{"Vertigo"});
    QCOMPARE(column(m_path, QStringLiteral("hex(picture)"), QStringLiteral("quelto_covers")), QStringList{"FFD8"});
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo Delete \"Casablanca (1942)\""));

    undoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("title")), (QStringList{"Casablanca", "Vertigo"}));
    QCOMPARE(column(m_path, QStringLiteral("quelto_notes")), (QStringList{"seen Casablanca", "seen Vertigo"}));
    QCOMPARE(column(m_path, QStringLiteral("rowid")), (QStringList{"1", "2"})); // its own key again
    QCOMPARE(column(m_path, QStringLiteral("mv_cast6")).first(), QStringLiteral("Casablanca.mv_cast6"));
    QCOMPARE(column(m_path, QStringLiteral("hex(picture)"), QStringLiteral("quelto_covers")), (QStringList{"89504E47", "FFD8"}));
    QCOMPARE(shownTitle(f), QStringLiteral("Casablanca"));
    QCOMPARE(f.window().form().labelRecords->text(), QStringLiteral("2 records in database"));
    // It sorts again: the engine's keys were made for it.
    f.window().recordList().sortByColumn(QStringLiteral("title"));
    f.window().recordList().sortByColumn(QStringLiteral("title"));
    QCOMPARE(shownTitle(f), QStringLiteral("Casablanca"));

    // Redo deletes it again, cover and all.
    redoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("title")), QStringList{"Vertigo"});
    QCOMPARE(column(m_path, QStringLiteral("hex(picture)"), QStringLiteral("quelto_covers")), QStringList{"FFD8"});
    QCOMPARE(shownTitle(f), QStringLiteral("Vertigo"));
}

void TestUndo::undoAndRedoPutTheRecordInTheOrderInForce()
{
    AppFixture f;
    start(f, {movie("Zorro", "1940", "Z1"), movie("Casablanca", "1942", "A1"), movie("Vertigo", "1958", "B2"),
              movie("Alien", "1979", "C3")});
    catalog::RecordSet& set = *f.window().state().current;
    const auto titlesInSet = [&] {
        auto db = catalog::Database::open(m_path);
        auto title = db->connection()->prepare(QStringLiteral("select title from archive where rowid = ?"));
        QStringList out;
        for (int i = 0; i < set.recordCount(); ++i) {
            title->reset();
            title->bindInt64(1, set.keyAt(i));
            out << (title->step() ? title->value(0).toString() : QStringLiteral("(gone)"));
        }
        return out;
    };
    QCOMPARE(titlesInSet(), (QStringList{"Alien", "Casablanca", "Vertigo", "Zorro"}));
    set.setBookmark(2); // Casablanca
    f.window().display().recordToForm();
    f.prompts().confirmAnswers << true;
    f.window().form().dbDelete->click();
    QCOMPARE(titlesInSet(), (QStringList{"Alien", "Vertigo", "Zorro"}));

    // Back at its place in the title order, on show.
    undoItem(f)->trigger();
    QCOMPARE(titlesInSet(), (QStringList{"Alien", "Casablanca", "Vertigo", "Zorro"}));
    QCOMPARE(shownTitle(f), QStringLiteral("Casablanca"));
    QCOMPARE(set.absolutePosition(), 1);
    QCOMPARE(f.window().form().labelRecords->text(), QStringLiteral("4 records in database"));
    // Redo takes it out again; the record that followed it shows.
    redoItem(f)->trigger();
    QCOMPARE(titlesInSet(), (QStringList{"Alien", "Vertigo", "Zorro"}));
    QCOMPARE(shownTitle(f), QStringLiteral("Vertigo"));
    QCOMPARE(f.window().form().labelRecords->text(), QStringLiteral("3 records in database"));

    // An undone save moves the record back to its place.
    set.setBookmark(4); // Alien
    f.window().display().recordToForm();
    f.window().form().title->setText(QStringLiteral("Xanadu"));
    f.window().form().dbSave->click();
    QCOMPARE(titlesInSet(), (QStringList{"Vertigo", "Xanadu", "Zorro"}));
    undoItem(f)->trigger();
    QCOMPARE(titlesInSet(), (QStringList{"Alien", "Vertigo", "Zorro"}));
    QCOMPARE(shownTitle(f), QStringLiteral("Alien"));

    // Another program's change meanwhile: the set is found again, its record included.
    exec(m_path, QStringLiteral("insert into archive (catalog, title) values ('D4', 'Bambi')"));
    undoItem(f)->trigger(); // the delete of Casablanca
    QCOMPARE(titlesInSet(), (QStringList{"Alien", "Bambi", "Casablanca", "Vertigo", "Zorro"}));
    QCOMPARE(shownTitle(f), QStringLiteral("Casablanca"));
    QVERIFY(f.prompts().exclamations.isEmpty() && f.prompts().unexpected.isEmpty());
}

void TestUndo::undoOfASaveTakesBackTheCoverAndTheTapeLength()
{
    AppFixture f;
    start(f, {movie("Casablanca", "1942", "T1"), movie("Vertigo", "1958", "T1")});
    editing::RecordForm& r = f.window().form();
    const auto picture = [](Qt::GlobalColor colour) {
        QImage image(20, 30, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    };
    const auto tapes = [this] {
        return column(m_path, QStringLiteral("catalog || '=' || length_minutes"), QStringLiteral("quelto_tapes"));
    };
    const auto covers = [this] { return column(m_path, QStringLiteral("hex(picture)"), QStringLiteral("quelto_covers")); };
    const auto shownLength = [&r] { return collection::TapeSpace::parseLength(r.tapeLength->currentText()); };

    // The first save gives the file the collector's tables, the tape its
    // length and Casablanca a red cover.
    r.tapeLength->setEditText(QStringLiteral("240"));
    r.runningTime->setText(QStringLiteral("102"));
    QVERIFY(f.window().collector().cover().takeImage(picture(Qt::red), {}));
    r.dbSave->click();
    QCOMPARE(tapes(), QStringList{"T1=240"});
    const QStringList red = covers();
    QCOMPARE(red.size(), 1);
    // A save that changes only the length and the cover is a step too.
    r.tapeLength->setEditText(QStringLiteral("180"));
    QVERIFY(f.window().collector().cover().takeImage(picture(Qt::blue), {}));
    r.dbSave->click();
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo Save \"Casablanca (1942)\""));
    const QStringList blue = covers();
    QVERIFY(blue != red && blue.size() == 1);
    // Then the record moves to another tape, given a length of its own.
    r.catalog->setText(QStringLiteral("T2"));
    r.tapeLength->setEditText(QStringLiteral("300"));
    r.dbSave->click();
    QCOMPARE(tapes(), (QStringList{"T1=180", "T2=300"}));

    undoItem(f)->trigger();
    QCOMPARE(tapes(), QStringList{"T1=180"});
    QCOMPARE(r.catalog->text(), QStringLiteral("T1"));
    QCOMPARE(shownLength(), std::optional<int>(180));
    undoItem(f)->trigger();
    QCOMPARE(tapes(), QStringList{"T1=240"});
    QCOMPARE(covers(), red);
    QCOMPARE(shownLength(), std::optional<int>(240));
    undoItem(f)->trigger();
    QVERIFY(tapes().isEmpty() && covers().isEmpty());
    QVERIFY(!shownLength());
    // The running time, in a column that save added, is empty again.
    QCOMPARE(column(m_path, QStringLiteral("quelto_running_time is null")), (QStringList{"1", "1"}));
    QVERIFY(r.runningTime->text().isEmpty());
    QCOMPARE(column(m_path, QStringLiteral("count(*)")), QStringList{"2"}); // Vertigo untouched
    QVERIFY(!undoItem(f)->isEnabled());

    for (int i = 0; i < 3; ++i)
        redoItem(f)->trigger();
    QCOMPARE(tapes(), (QStringList{"T1=180", "T2=300"}));
    QCOMPARE(covers(), blue);
    QCOMPARE(r.catalog->text(), QStringLiteral("T2"));
    QCOMPARE(column(m_path, QStringLiteral("quelto_running_time")).first(), QStringLiteral("102"));

    // A new record on a new tape with its length: undone, the length goes too.
    r.dbNew->click();
    r.title->setText(QStringLiteral("Brazil"));
    r.catalog->setText(QStringLiteral("T3"));
    r.tapeLength->setEditText(QStringLiteral("120"));
    r.dbSave->click();
    QCOMPARE(tapes(), (QStringList{"T1=180", "T2=300", "T3=120"}));
    undoItem(f)->trigger();
    QCOMPARE(tapes(), (QStringList{"T1=180", "T2=300"}));
    redoItem(f)->trigger();
    QCOMPARE(tapes(), (QStringList{"T1=180", "T2=300", "T3=120"}));
    undoItem(f)->trigger();

    // The tape's length changed by another program since: asked first, and
    // Cancel writes nothing.
    exec(m_path, QStringLiteral("update quelto_tapes set length_minutes = 120 where catalog = 'T2'"));
    f.prompts().choiceAnswers << 1;
    undoItem(f)->trigger();
    QCOMPARE(f.prompts().choices.size(), 1);
    QVERIFY2(f.prompts().choices.first().startsWith(
                 QStringLiteral("The cover or the tape length of \"Casablanca (1942)\" was changed")),
             qPrintable(f.prompts().choices.first()));
    QCOMPARE(tapes(), (QStringList{"T1=180", "T2=120"}));
    QVERIFY(f.prompts().exclamations.isEmpty());
}

void TestUndo::importsAndOptionListsAreUndone()
{
    AppFixture f;
    start(f, {movie("Casablanca", "1942", "A1")});
    const QString csv = f.file(QStringLiteral("two.csv"));
    {
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Title,Catalog\r\nAlphaville,N1\r\nBrazil,N2\r\n");
    }
    f.prompts().fileAnswers << csv;
    f.menu("mnImportCsv")->trigger();
    QCOMPARE(column(m_path, QStringLiteral("title")).size(), 3);
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo Import of 2 Records from \"two.csv\""));

    // The genre list, edited in its editor.
    f.prompts().dialogScripts << [](QDialog& d) {
        auto& editor = static_cast<editing::OptionListEditor&>(d);
        editor.dataentry()->setPlainText(QStringLiteral("Western\nDrama"));
        editor.saveButton()->click();
    };
    f.find<QToolButton>(QStringLiteral("Image7"))->click();
    QCOMPARE(column(m_path, QStringLiteral("text"), QStringLiteral("genre")), (QStringList{"Western", "Drama"}));
    QCOMPARE(undoItem(f)->text(), QStringLiteral("&Undo Edit of the \"Genre\" List"));

    undoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("text"), QStringLiteral("genre")),
             (QStringList{"Comedy", "Drama", "Sci-Fi", "Action", "Thriller", "Film noir"}));
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvGenre"))->count(), 6);
    undoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("title")), QStringList{"Casablanca"});
    QCOMPARE(f.window().form().labelRecords->text(), QStringLiteral("1 records in database"));

    redoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("title")), (QStringList{"Casablanca", "Alphaville", "Brazil"}));
    redoItem(f)->trigger();
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvGenre"))->itemText(0), QStringLiteral("Western"));
    QVERIFY(f.prompts().exclamations.isEmpty());
}

void TestUndo::undoGoesThroughTheWriteChecks()
{
    AppFixture f;
    start(f, {movie("Casablanca", "1942", "A1")});
    editing::RecordForm& r = f.window().form();
    r.mvGenre->setEditText(QStringLiteral("Romance"));
    r.dbSave->click();

    // Changed in another program since: asked, and Cancel writes nothing.
    exec(m_path, QStringLiteral("update archive set mv_genre = 'Noir' where title = 'Casablanca'"));
    f.prompts().choiceAnswers << 1;
    undoItem(f)->trigger();
    QCOMPARE(f.prompts().choices.size(), 1);
    QVERIFY(f.prompts().choices.first().startsWith(QStringLiteral("\"Casablanca (1942)\" was changed in another")));
    QCOMPARE(column(m_path, QStringLiteral("mv_genre")), QStringList{"Noir"});
    QVERIFY(undoItem(f)->isEnabled());
    // "Undo Anyway" overwrites the other change.
    f.prompts().choiceAnswers << 0;
    undoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("mv_genre")), QStringList{"Casablanca.mv_genre"});

    // Typing not saved yet is settled first, as before any other command.
    redoItem(f)->trigger();
    r.mv_year->setText(QStringLiteral("1999"));
    f.prompts().saveAnswers << editing::SaveChoice::Cancel;
    undoItem(f)->trigger();
    QCOMPARE(f.prompts().saveQuestions.size(), 1);
    QCOMPARE(column(m_path, QStringLiteral("mv_genre")), QStringList{"Romance"});
    f.window().display().recordToForm();

    // A new run starts without steps.
    f.window().close();
    QCOMPARE(f.start(m_path), MainWindow::LoadResult::Loaded);
    QVERIFY(!undoItem(f)->isEnabled());

    // Writes refused (a read-only or damaged file): Undo says so, writes not
    // one byte, and keeps its step.
    f.window().form().mvGenre->setEditText(QStringLiteral("Noir"));
    f.window().form().dbSave->click();
    f.window().state().database->connection()->refuseWrites(
        catalog::EngineError(catalog::EngineError::Kind::ReadOnly, QStringLiteral("The catalogue is read-only.")));
    const QByteArray before = TestCatalog::fileBytes(m_path);
    undoItem(f)->trigger();
    QCOMPARE(f.prompts().exclamations.last(),
             history::HistoryCommands::CannotUndo.arg(QStringLiteral("The catalogue is read-only.")));
    QCOMPARE(TestCatalog::fileBytes(m_path), before);
    QVERIFY(undoItem(f)->isEnabled());
    f.window().state().database->connection()->allowWrites();
    undoItem(f)->trigger();
    QCOMPARE(column(m_path, QStringLiteral("mv_genre")), QStringList{"Romance"});
}

void TestUndo::ctrlZTakesBackTypingFirst()
{
    AppFixture f;
    start(f, {movie("Casablanca", "1942", "A1")});
    editing::RecordForm& r = f.window().form();
    f.window().show();
    QApplication::setActiveWindow(&f.window());
    QVERIFY(QTest::qWaitForWindowActive(&f.window()));
    r.mv_year->setText(QStringLiteral("1943"));
    r.dbSave->click();

    r.mv_year->setFocus();
    QTRY_VERIFY(r.mv_year->hasFocus());
    r.mv_year->selectAll();
    QTest::keyClicks(r.mv_year, QStringLiteral("2001"));
    QTest::keyClick(r.mv_year, Qt::Key_Z, Qt::ControlModifier); // the typing
    QCOMPARE(r.mv_year->text(), QStringLiteral("1943"));
    QCOMPARE(column(m_path, QStringLiteral("mv_year")), QStringList{"1943"});
    QTest::keyClick(r.mv_year, Qt::Key_Z, Qt::ControlModifier); // then the save
    QCOMPARE(column(m_path, QStringLiteral("mv_year")), QStringList{"1942"});
    QCOMPARE(r.mv_year->text(), QStringLiteral("1942"));
    QVERIFY(f.prompts().saveQuestions.isEmpty());
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
