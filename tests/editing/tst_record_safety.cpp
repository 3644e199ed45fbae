// Two main windows on one catalogue, and a catalogue that cannot be written,
// carries foreign objects or vanishes: what the user is told and asked, and
// that nothing typed or stored is lost.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/CatalogSafety.h"
#include "catalog/CatalogBackup.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorFeatures.h"
#include "editing/OptionListEditor.h"
#include "editing/CoverField.h"
#include "editing/RecordCommands.h"
#include "editing/RecordSaver.h"
#include "editing/RecordDisplay.h"
#include "editing/UnsavedChanges.h"
#include "tasks/CommandRunner.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <sqlite3.h>

using namespace quelto;
using quelto::app::CatalogSafety;
using quelto::app::MainWindow;
using quelto::editing::RecordCommands;
using quelto::editing::RecordSaver;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

QString storedValue(const QString& path, const QString& title, const QString& column)
{
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from archive where title = '%1'").arg(title));
    return set->eof() ? QStringLiteral("<none>") : set->value(column).toString();
}

void runSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// Damage where Quelto does not read: only the engine's check finds it.
void damageUnreadPages(const QString& path)
{
    runSql(path, "create table notes (x); insert into notes select hex(randomblob(900)) from genre, genre;");
    int root = 0;
    int pageSize = 0;
    {
        auto db = catalog::Database::open(path);
        auto s = db->connection()->prepare(QStringLiteral("select rootpage from sqlite_master where name = 'notes'"));
        s->step();
        root = int(s->int64(0));
        auto p = db->connection()->prepare(QStringLiteral("pragma page_size"));
        p->step();
        pageSize = int(p->int64(0));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(qint64(root - 1) * pageSize);
    file.write(QByteArray(64, '\x7f'));
}

} // namespace

class TestRecordSafety : public QObject
{
    Q_OBJECT

    static editing::RecordForm& form(AppFixture& f) { return f.window().form(); }

    // Window a on a new catalogue, then window b on the same file.
    static QString startBoth(AppFixture& a, AppFixture& b, const QStringList& titles)
    {
        const QString path = a.file(QStringLiteral("shared.mdb"));
        QList<TestCatalog::Row> rows;
        for (const QString& title : titles)
            rows << TestCatalog::record(title, QStringLiteral("ID-") + title);
        TestCatalog::create(path, rows);
        if (a.start(path) != MainWindow::LoadResult::Loaded || b.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the shared catalogue did not load");
        return path;
    }

private slots:
    void secondWindowIsToldTheCatalogueIsOpen()
    {
        AppFixture a;
        AppFixture b;
        const QString path = startBoth(a, b, {"Alien"});
        QVERIFY(a.prompts().exclamations.isEmpty());
        QCOMPARE(b.prompts().exclamations.size(), 1);
        QVERIFY(b.prompts().exclamations.first().startsWith(
            CatalogSafety::OpenElsewhere.arg(QDir::toNativeSeparators(path)).section(QLatin1Char('('), 0, 0)));
        // The first window gone, the next start is told nothing.
        a.discardWindow();
        b.prompts().exclamations.clear();
        QCOMPARE(b.start(path), MainWindow::LoadResult::Loaded);
        QVERIFY(b.prompts().exclamations.isEmpty());
    }

    void changeMadeElsewhereIsNeverOverwrittenSilently()
    {
        AppFixture a;
        AppFixture b;
        const QString path = startBoth(a, b, {"Alien", "Brazil"});
        b.prompts().exclamations.clear();

        form(a).mvDirector->setEditText(QStringLiteral("Ridley Scott"));
        form(a).dbSave->click();
        form(b).title->setText(QStringLiteral("Alien (1979)"));

        // Cancel keeps what B typed and stores nothing.
        b.prompts().choiceAnswers << 2;
        form(b).dbSave->click();
        QCOMPARE(b.prompts().choices, QStringList{RecordSaver::ChangedElsewhere});
        QCOMPARE(form(b).title->text(), QStringLiteral("Alien (1979)"));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_director")),
                 QStringLiteral("Ridley Scott"));

        // Show the stored record: A's director appears, B's typing is dropped.
        b.prompts().choiceAnswers << 1;
        form(b).dbSave->click();
        QCOMPARE(form(b).title->text(), QStringLiteral("Alien"));
        QCOMPARE(form(b).mvDirector->currentText(), QStringLiteral("Ridley Scott"));

        // Shown afresh, B's next change is stored with A's.
        form(b).mv_year->setText(QStringLiteral("1979"));
        form(b).dbSave->click();
        QCOMPARE(b.prompts().choices.size(), 2);
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1979"));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_director")),
                 QStringLiteral("Ridley Scott"));

        // Overwrite: what A shows replaces B's change.
        form(a).mvGenre->setEditText(QStringLiteral("Horror"));
        b.prompts().choiceAnswers.clear();
        a.prompts().choiceAnswers << 0;
        form(a).dbSave->click();
        QCOMPARE(a.prompts().choices, QStringList{RecordSaver::ChangedElsewhere});
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_genre")), QStringLiteral("Horror"));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("Alien.mv_year"));
        QVERIFY(a.prompts().unexpected.isEmpty() && b.prompts().unexpected.isEmpty());
    }

    // What is kept beside the row counts as the row: a cover, the personal
    // data or the tape's length stored by A is not replaced by B unasked.
    void coverPersonalDataAndTapeChangedElsewhereAreCaught()
    {
        AppFixture a;
        AppFixture b;
        const QString path = startBoth(a, b, {"Alien", "Brazil"});
        b.prompts().exclamations.clear();
        const auto picture = [](Qt::GlobalColor colour) {
            QImage image(20, 30, QImage::Format_RGB32);
            image.fill(colour);
            return image;
        };
        const auto covers = [&path] {
            auto db = catalog::Database::open(path);
            auto s = db->connection()->prepare(QStringLiteral("select hex(picture) from quelto_covers"));
            QStringList out;
            while (s->step())
                out << s->value(0).toString();
            return out;
        };

        // A stores a cover; B, which showed the record before, gives another.
        QVERIFY(a.window().collector().cover().takeImage(picture(Qt::red), {}));
        form(a).dbSave->click();
        const QStringList red = covers();
        QCOMPARE(red.size(), 1);
        QVERIFY(b.window().collector().cover().takeImage(picture(Qt::blue), {}));
        b.prompts().choiceAnswers << 2;
        form(b).dbSave->click();
        QCOMPARE(b.prompts().choices, QStringList{RecordSaver::ChangedElsewhere});
        QCOMPARE(covers(), red);
        // Overwrite stores B's after the question.
        b.prompts().choiceAnswers << 0;
        form(b).dbSave->click();
        QCOMPARE(b.prompts().choices.size(), 2);
        QCOMPARE(covers().size(), 1);
        QVERIFY(covers() != red);

        // The personal data, the same way: A's notes stay until B is asked.
        form(a).notes->setPlainText(QStringLiteral("seen twice"));
        form(a).dbSave->click();
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("quelto_notes")), QStringLiteral("seen twice"));
        form(b).notes->setPlainText(QStringLiteral("lent to Ann"));
        b.prompts().choiceAnswers << 2;
        form(b).dbSave->click();
        QCOMPARE(b.prompts().choices.size(), 3);
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("quelto_notes")), QStringLiteral("seen twice"));

        // The tape's length: B shows the record again, A sets the length, B sets another.
        b.prompts().choiceAnswers << 1;
        form(b).dbSave->click(); // shows the stored record
        QCOMPARE(b.prompts().choices.size(), 4);
        form(a).tapeLength->setEditText(QStringLiteral("240"));
        form(a).dbSave->click();
        form(b).tapeLength->setEditText(QStringLiteral("180"));
        b.prompts().choiceAnswers << 2;
        form(b).dbSave->click();
        QCOMPARE(b.prompts().choices.size(), 5);
        QCOMPARE(b.prompts().choices.last(), RecordSaver::ChangedElsewhere);
        auto db = catalog::Database::open(path);
        auto s = db->connection()->prepare(QStringLiteral("select length_minutes from quelto_tapes"));
        QVERIFY(s->step());
        QCOMPARE(s->value(0).toInt(), 240);
    }

    void recordDeletedElsewhereCanBeStoredAgain()
    {
        AppFixture a;
        AppFixture b;
        const QString path = startBoth(a, b, {"Alien", "Brazil"});
        a.prompts().confirmAnswers << true;
        form(a).dbDelete->click();
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);

        form(b).mv_year->setText(QStringLiteral("1979"));
        b.prompts().confirmAnswers << false;
        form(b).dbSave->click();
        QCOMPARE(b.prompts().confirmations, QStringList{RecordSaver::DeletedElsewhere});
        QVERIFY(!b.prompts().exclamations.contains(RecordSaver::NotAllFieldsFilled));
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);
        QCOMPARE(form(b).mv_year->text(), QStringLiteral("1979"));

        b.prompts().confirmAnswers << true;
        form(b).dbSave->click();
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1979"));
        QCOMPARE(b.window().state().current->value(QStringLiteral("title")).toString(), QStringLiteral("Alien"));
        QCOMPARE(b.window().state().current->recordCount(), 2);
    }

    void readOnlyCatalogueSaysSoWhereverItWouldChange()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("ro.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien"))});
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        QCOMPARE(f.prompts().exclamations, QStringList{CatalogSafety::ReadOnly.arg(QDir::toNativeSeparators(path))});

        f.prompts().exclamations.clear();
        form(f).dbDelete->click();
        form(f).dbNew->click();
        form(f).title->setText(QStringLiteral("Changed"));
        form(f).dbSave->click();
        QCOMPARE(f.prompts().exclamations.size(), 3);
        for (const QString& said : f.prompts().exclamations)
            QVERIFY2(said.contains(QLatin1String("read-only")), qPrintable(said));
        QVERIFY(f.prompts().confirmations.isEmpty()); // no delete question first
        QVERIFY(!f.window().state().newRecordMode);
        QCOMPARE(form(f).title->text(), QStringLiteral("Changed"));
        QVERIFY(f.prompts().unexpected.isEmpty());
        form(f).title->setText(QStringLiteral("Alien"));

        // The option lists: told on opening, and Save refuses.
        f.prompts().exclamations.clear();
        f.prompts().dialogScripts << [](QDialog& dialog) {
            auto& editor = static_cast<editing::OptionListEditor&>(dialog);
            editor.dataentry()->setPlainText(QStringLiteral("Only\n"));
            editor.saveButton()->click();
        };
        form(f).editButtons.front().button->click();
        QCOMPARE(f.prompts().exclamations.size(), 2);
        for (const QString& said : f.prompts().exclamations)
            QVERIFY2(said.contains(QLatin1String("read-only")), qPrintable(said));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("title")), QStringLiteral("Alien"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    // A catalogue whose writes were refused keeps every byte, whatever the
    // user then tries; one made before the application id existed does not
    // gain it either.
    void refusedCatalogueKeepsEveryByte_data()
    {
        QTest::addColumn<QString>("why");
        QTest::newRow("foreign trigger, not removed") << "trigger";
        QTest::newRow("damaged, no leave to change it") << "damaged";
        QTest::newRow("read-only file") << "readonly";
    }
    void refusedCatalogueKeepsEveryByte()
    {
        QFETCH(QString, why);
        AppFixture f;
        const QString path = f.file(QStringLiteral("refused.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien")), TestCatalog::record(QStringLiteral("Brazil"))});
        runSql(path, "pragma application_id = 0");
        if (why == QLatin1String("trigger"))
            runSql(path, "create trigger wipe after update on archive begin delete from archive; end;");
        if (why == QLatin1String("damaged"))
            damageUnreadPages(path);
        if (why == QLatin1String("readonly"))
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = QCryptographicHash::hash(TestCatalog::fileBytes(path), QCryptographicHash::Sha256);

        f.prompts().confirmAnswers << false; // remove the trigger? change the damaged file?
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        if (why == QLatin1String("readonly"))
            QCOMPARE(f.prompts().exclamations, QStringList{CatalogSafety::ReadOnly.arg(QDir::toNativeSeparators(path))});
        else
            QCOMPARE(f.prompts().confirmations.size(), 1);
        // Save, delete, a new record, a sort and a search.
        form(f).mv_year->setText(QStringLiteral("1979"));
        form(f).dbSave->click();
        f.prompts().confirmAnswers << true;
        form(f).dbDelete->click();
        form(f).dbNew->click();
        form(f).title->setText(QStringLiteral("Cobra"));
        form(f).catalog->setText(QStringLiteral("C1"));
        form(f).dbSave->click();
        f.menu("mnOrdCat")->trigger();
        QCOMPARE(QCryptographicHash::hash(TestCatalog::fileBytes(path), QCryptographicHash::Sha256), before);
        QVERIFY(catalog::CatalogBackup::existing(path).isEmpty());
        QCOMPARE(catalog::Database::open(path)->applicationId(), 0);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    // Opening and browsing write nothing; the first change stored brings the
    // backup copy and the application id.
    void firstStoredChangeBringsTheBackupAndTheId()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("older.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien")), TestCatalog::record(QStringLiteral("Brazil"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded); // an earlier run seeded the option lists
        f.discardWindow();
        for (const QString& copy : catalog::CatalogBackup::existing(path))
            QFile::remove(copy);
        runSql(path, "pragma application_id = 0");
        const QByteArray before = TestCatalog::fileBytes(path);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        form(f).dbNext->click();
        f.menu("mnOrdCat")->trigger();
        QCOMPARE(TestCatalog::fileBytes(path), before);
        QVERIFY(catalog::CatalogBackup::existing(path).isEmpty());

        form(f).mv_year->setText(QStringLiteral("1979"));
        form(f).dbSave->click();
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'\n')));
        QCOMPARE(catalog::Database::open(path)->applicationId(), catalog::Database::ApplicationId);
        const QStringList copies = catalog::CatalogBackup::existing(path);
        QCOMPARE(copies.size(), 1);
        // The copy holds the catalogue as it was before the change.
        QCOMPARE(storedValue(copies.first(), QStringLiteral("Alien"), QStringLiteral("mv_year")),
                 QStringLiteral("Alien.mv_year"));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1979"));

        // A catalogue this run created has nothing to keep: its first record comes without a copy.
        f.discardWindow();
        const QString fresh = f.file(QStringLiteral("fresh.mdb"));
        QCOMPARE(f.start(fresh), MainWindow::LoadResult::Loaded);
        form(f).dbNew->click();
        form(f).title->setText(QStringLiteral("Dune"));
        form(f).catalog->setText(QStringLiteral("D1"));
        form(f).dbSave->click();
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'\n')));
        QCOMPARE(TestCatalog::rowCount(fresh, QStringLiteral("archive")), 1);
        QVERIFY(catalog::CatalogBackup::existing(fresh).isEmpty());
    }

    // Delete's long steps run on the command runner, the window busy and
    // taking no input meanwhile: the backup before the run's first change
    // (made ahead, and taken by the delete), and the rows found again after
    // another program's change, with the count.
    void deleteTakesItsLongStepsAwayFromTheWindow()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("deleting.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien")), TestCatalog::record(QStringLiteral("Brazil")),
                                   TestCatalog::record(QStringLiteral("Casablanca")), TestCatalog::record(QStringLiteral("Dune"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded); // an earlier run seeded the option lists
        f.discardWindow();
        for (const QString& copy : catalog::CatalogBackup::existing(path))
            QFile::remove(copy);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        tasks::CommandRunner& runner = f.window().commandRunner();
        runner.setPatience(0);
        QCOMPARE(form(f).title->text(), QStringLiteral("Alien"));

        f.prompts().confirmAnswers << true;
        form(f).dbDelete->click();
        QVERIFY(runner.isBusy()); // the copy is being made
        QTest::mouseClick(form(f).dbNext, Qt::LeftButton); // held back
        QTRY_VERIFY(!runner.isBusy());
        QCOMPARE(form(f).title->text(), QStringLiteral("Brazil"));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("title")), QStringLiteral("<none>"));
        const QStringList copies = catalog::CatalogBackup::existing(path);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(storedValue(copies.first(), QStringLiteral("Alien"), QStringLiteral("title")), QStringLiteral("Alien"));
        QCOMPARE(form(f).labelRecords->text(), QStringLiteral("3 records in database"));

        // Another program adds a record; the next delete finds the rows again.
        runSql(path, "insert into archive select * from archive where title = 'Dune';"
                     "update archive set title = 'Barbarella' where rowid = (select max(rowid) from archive)");
        f.prompts().confirmAnswers << true;
        form(f).dbDelete->click();
        QTRY_VERIFY(!runner.isBusy());
        QCOMPARE(form(f).title->text(), QStringLiteral("Casablanca"));
        QCOMPARE(form(f).labelRecords->text(), QStringLiteral("3 records in database"));
        form(f).dbFirst->click();
        QCOMPARE(form(f).title->text(), QStringLiteral("Barbarella"));
        QCOMPARE(catalog::CatalogBackup::existing(path), copies); // one copy a run
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'\n')));

        // Only a count of another program's change: counted on the runner too.
        runSql(path, "delete from archive where title = 'Dune'");
        f.window().display().showRecordCount();
        QTRY_COMPARE(form(f).labelRecords->text(), QStringLiteral("2 records in database"));
    }

    // Save's long steps (the backup copy before the run's first change) run
    // on the command runner too: nothing is written before they are over,
    // the window draws and holds input back meanwhile, and a command that
    // asked "Save changes?" goes on only once the save is stored.
    void saveTakesItsLongStepsAwayFromTheWindow()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("saving.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien")), TestCatalog::record(QStringLiteral("Brazil")),
                                   TestCatalog::record(QStringLiteral("Casablanca"))});
        // Enough records that the copy takes a moment.
        runSql(path, "with recursive n(i) as (select 1 union all select i + 1 from n where i < 20000) "
                     "insert into archive (catalog, md_type, title, mv_cast1) "
                     "select 'Z' || i, 'VHS', 'Zulu ' || i, hex(randomblob(40)) from n");
        const auto startAfresh = [&] {
            f.discardWindow();
            for (const QString& copy : catalog::CatalogBackup::existing(path))
                QFile::remove(copy);
            QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
            f.window().commandRunner().setPatience(0);
        };
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded); // an earlier run seeded the option lists
        startAfresh();
        tasks::CommandRunner& runner = f.window().commandRunner();

        form(f).mv_year->setText(QStringLiteral("1979"));
        form(f).dbSave->click();
        QVERIFY(runner.isBusy()); // the copy is being made
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("Alien.mv_year"));
        QTest::mouseClick(form(f).dbNext, Qt::LeftButton); // held back
        QTRY_VERIFY(!runner.isBusy());
        QCOMPARE(form(f).title->text(), QStringLiteral("Alien"));
        QCOMPARE(form(f).mv_year->text(), QStringLiteral("1979"));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1979"));
        QStringList copies = catalog::CatalogBackup::existing(path);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(storedValue(copies.first(), QStringLiteral("Alien"), QStringLiteral("mv_year")),
                 QStringLiteral("Alien.mv_year"));
        QVERIFY(!f.window().unsavedChanges().hasChanges());

        // A new run: Next with a change answered Save waits for the copy and
        // the save, then moves on, once.
        startAfresh();
        tasks::CommandRunner& again = f.window().commandRunner();
        form(f).mv_year->setText(QStringLiteral("1980"));
        f.prompts().saveAnswers << editing::SaveChoice::Save;
        bool busyWhileWaiting = false;
        QString shownWhileWaiting;
        QString storedWhileWaiting;
        QTimer::singleShot(0, &f.window(), [&] {
            busyWhileWaiting = again.isShowingBusy();
            shownWhileWaiting = form(f).title->text();
            storedWhileWaiting = storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year"));
            QTest::mouseClick(form(f).dbLast, Qt::LeftButton); // held back
        });
        form(f).dbNext->click();
        QVERIFY(busyWhileWaiting);
        QCOMPARE(shownWhileWaiting, QStringLiteral("Alien"));
        QCOMPARE(storedWhileWaiting, QStringLiteral("1979"));
        QCOMPARE(f.prompts().saveQuestions, QStringList{QStringLiteral("Save changes to \"Alien\"?")});
        QCOMPARE(form(f).title->text(), QStringLiteral("Brazil"));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1980"));
        copies = catalog::CatalogBackup::existing(path);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(storedValue(copies.first(), QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1979"));
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'\n')));
        QVERIFY(!again.isBusy());
    }

    void failuresHaveTheirOwnMessagesAndSaveWorksOnceMended()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("gone.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        const QString copy = path + QStringLiteral(".copy");
        QVERIFY(QFile::copy(path, copy));

        QVERIFY(QFile::remove(path));
        form(f).mv_year->setText(QStringLiteral("1979"));
        form(f).dbSave->click();
        QVERIFY(!f.prompts().exclamations.isEmpty());
        QVERIFY2(f.prompts().exclamations.first().startsWith(QLatin1String("Cannot save: The catalogue file")) &&
                     f.prompts().exclamations.first().contains(QLatin1String("is gone")),
                 qPrintable(f.prompts().exclamations.first()));
        QCOMPARE(form(f).mv_year->text(), QStringLiteral("1979"));

        QVERIFY(QFile::copy(copy, path));
        f.prompts().exclamations.clear();
        form(f).dbSave->click();
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(QLatin1Char('\n'))));
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1979"));
    }

    void foreignTriggerIsRemovedOnlyWithLeaveAndBackupComesFirst()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("trap.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien")), TestCatalog::record(QStringLiteral("Brazil"))});
        runSql(path, "create trigger wipe after update on archive begin delete from archive; end;");

        f.prompts().confirmAnswers << false;
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        QCOMPARE(f.prompts().confirmations.size(), 1);
        QVERIFY(f.prompts().confirmations.first().contains(QLatin1String("trigger \"wipe\" on archive")));
        form(f).mv_year->setText(QStringLiteral("1979"));
        form(f).dbSave->click();
        QVERIFY(f.prompts().exclamations.last().startsWith(QLatin1String("Cannot save:")));
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
        QVERIFY(catalog::CatalogBackup::existing(path).isEmpty());

        f.prompts().confirmAnswers << true;
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        // The copy was made before the trigger went.
        const QStringList copies = catalog::CatalogBackup::existing(path);
        QCOMPARE(copies.size(), 1);
        auto copy = catalog::Database::open(copies.first());
        QVERIFY(copy->openRecordSet(QStringLiteral("select * from sqlite_master where type = 'trigger'"))->recordCount() == 1);

        form(f).mv_year->setText(QStringLiteral("1979"));
        form(f).dbSave->click();
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
        QCOMPARE(storedValue(path, QStringLiteral("Alien"), QStringLiteral("mv_year")), QStringLiteral("1979"));
        QCOMPARE(catalog::CatalogBackup::existing(path).size(), 1); // one copy a run
    }
};

QTEST_MAIN(TestRecordSafety)
#include "tst_record_safety.moc"
