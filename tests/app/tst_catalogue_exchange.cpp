// The window's side of catalogue exchange: old Access files met at start-up
// or opened from the File menu, New and Open Catalogue, and CSV export and
// import of the record set in force: through the catalogue's write checks,
// with rows that are in the catalogue already, cancelled half-way; and the
// progress dialog these commands run in.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "exchange/AccessConversionFlow.h"
#include "exchange/CsvCommands.h"
#include "app/MainMenu.h"
#include "app/RecentCatalogues.h"
#include "app/TaskProgressDialog.h"
#include "catalog/CatalogBackup.h"
#include "catalog/CatalogSchema.h"
#include "catalog/EngineError.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/UserPrompts.h"
#include "exchange/CsvReader.h"
#include "search/SearchCommands.h"
#include "search/SubstringSearchDialog.h"
#include "tasks/BackgroundTask.h"

#include <QAction>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

QString copyFixture(AppFixture& f, const char* name, const QString& as)
{
    const QString target = f.file(as);
    QFile::copy(QStringLiteral(QUELTO_TEST_DATA "/access/") + QString::fromLatin1(name), target);
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QByteArray checksum(const QString& path)
{
    return QCryptographicHash::hash(TestCatalog::fileBytes(path), QCryptographicHash::Sha256);
}

TestCatalog::Row movie(const char* title, const char* catalog, const char* director)
{
    TestCatalog::Row row = TestCatalog::record(QString::fromUtf8(title), QString::fromLatin1(catalog));
    row[QStringLiteral("mv_director")] = QString::fromUtf8(director);
    return row;
}

void searchDirector(AppFixture& f, const QString& text)
{
    f.prompts().dialogScripts << [text](QDialog& d) {
        auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
        dialog.srchString()->setText(text);
        dialog.cmdSearch()->click();
        if (dialog.isVisible())
            dialog.cmdCancel()->click();
    };
    f.menu("mnSrchDir")->trigger();
}

QString statusName(AppFixture& f) { return f.find<QLabel>(QStringLiteral("catalogueName"))->text(); }

int records(AppFixture& f) { return f.window().state().current->recordCount(); }

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void importFile(AppFixture& f, const QString& csv)
{
    f.prompts().fileAnswers << csv;
    f.menu("mnImportCsv")->trigger();
}

} // namespace

class TestCatalogueExchange : public QObject
{
    Q_OBJECT

private slots:
    void accessFileChosenAtStartIsConvertedAndOpened();
    void accessFileDeclinedOrRefusedBringsTheDialogBack();
    void largeAccessFileNamedOnTheCommandLine();
    void openAndNewCatalogueSwitchTheWindow();
    void switchingIsRefusedWithoutLosingAnything();
    void exportWritesTheRecordSetInForce();
    void importAppendsOnlyAcceptedRows();
    void recentCataloguesKeepTheLastFive();
    void importIsRefusedWhereWritesAre();
    void importingTheSameRowsAgainAsksFirst();
    void cancelLeavesCatalogueAndFileAsTheyWere();
    void damagedOrCancelledConversionMakesNothing();
    void progressDialogShowsTheStepAndCancelsTheTask();
};

void TestCatalogueExchange::accessFileChosenAtStartIsConvertedAndOpened()
{
    AppFixture f;
    const QString old = copyFixture(f, "jet4-catalogue.mdb", QStringLiteral("quelto.mdb"));
    const QByteArray before = checksum(old);
    const QString converted = f.file(QStringLiteral("mine.mdb"));
    f.prompts().databaseAnswers << old;
    f.prompts().fileAnswers << converted;
    QCOMPARE(f.start(), MainWindow::LoadResult::Loaded);

    QCOMPARE(f.prompts().fileRequests.at(0).fileName, f.file(QStringLiteral("quelto-converted.mdb")));
    QCOMPARE(f.prompts().messages.at(0), exchange::AccessConversionFlow::OldFormat);
    QVERIFY(f.prompts().messages.at(1).contains(QStringLiteral("archive 10")));
    QCOMPARE(f.window().state().databasePath, converted);
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Filename")), converted);
    QCOMPARE(checksum(old), before);
    QCOMPARE(records(f), 10);
    QCOMPARE(f.window().form().title->text(), QStringLiteral("Casablanca (1942)"));
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvGenre"))->itemText(0), QStringLiteral("Film noir"));
    QCOMPARE(statusName(f), QStringLiteral("Catalogue: mine.mdb"));

    // The same from the File menu, with the old layout: the four lists arrive seeded.
    const QString older = copyFixture(f, "jet4-old-layout.mdb", QStringLiteral("older.mdb"));
    const QString second = f.file(QStringLiteral("second.mdb"));
    f.prompts().fileAnswers << older << second;
    f.menu("mnOpenCatalogue")->trigger();
    QCOMPARE(f.window().state().databasePath, second);
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvProducer"))->count(), 5);
    QCOMPARE(records(f), 10);
    QCOMPARE(statusName(f), QStringLiteral("Catalogue: second.mdb"));
    QVERIFY(f.prompts().unexpected.isEmpty());
    QVERIFY(f.prompts().exclamations.isEmpty());
}

void TestCatalogueExchange::accessFileDeclinedOrRefusedBringsTheDialogBack()
{
    AppFixture f;
    const QString notCatalogue = copyFixture(f, "jet3-not-a-catalogue.mdb", QStringLiteral("tables.mdb"));
    const QString old = copyFixture(f, "jet4-catalogue.mdb", QStringLiteral("quelto.mdb"));
    const QStringList before = QDir(f.file(QString())).entryList(QDir::Files);
    f.prompts().databaseAnswers << notCatalogue << old << std::nullopt;
    f.prompts().fileAnswers << std::nullopt; // the file dialog for the new file is cancelled
    QCOMPARE(f.start(), MainWindow::LoadResult::Cancelled);
    QCOMPARE(f.prompts().databaseRequests, 3);
    QCOMPARE(f.prompts().exclamations.size(), 1);
    QVERIFY(f.prompts().exclamations.at(0).contains(QStringLiteral("not a Quelto catalogue")));
    QCOMPARE(QDir(f.file(QString())).entryList(QDir::Files), before);
}

void TestCatalogueExchange::largeAccessFileNamedOnTheCommandLine()
{
    AppFixture f;
    const QString old = copyFixture(f, "jet4-5000.mdb", QStringLiteral("big.mdb"));
    f.prompts().fileAnswers << f.file(QStringLiteral("big-new.mdb"));
    QCOMPARE(f.start(old), MainWindow::LoadResult::Loaded);
    QCOMPARE(records(f), 5010);
    QCOMPARE(f.window().state().databasePath, f.file(QStringLiteral("big-new.mdb")));
}

void TestCatalogueExchange::openAndNewCatalogueSwitchTheWindow()
{
    AppFixture f;
    const QString first = f.file(QStringLiteral("first.mdb"));
    TestCatalog::create(first, {movie("Key Largo", "A1", "John Huston"), movie("Vertigo", "A2", "Alfred Hitchcock"),
                                movie("The Maltese Falcon", "A3", "John Huston")});
    const QString second = f.file(QStringLiteral("second.mdb"));
    TestCatalog::create(second, {movie("Zardoz", "B1", "John Boorman"), movie("Alien", "B2", "Ridley Scott")});
    {
        auto db = catalog::Database::open(second);
        db->connection()->exec(QStringLiteral("insert into genre (text, ordinal) values ('Only here', 1)"));
        db->connection()->exec(QStringLiteral("alter table archive add column quelto_location TEXT"));
        db->connection()->exec(QStringLiteral("update archive set quelto_location = 'Shelf 9' where title = 'Alien'"));
    }
    QCOMPARE(f.start(first), MainWindow::LoadResult::Loaded);
    searchDirector(f, QStringLiteral("huston"));
    f.menu("mnOrdDir")->trigger();
    QVERIFY(f.window().state().filterActive);

    f.prompts().fileAnswers << second;
    f.menu("mnOpenCatalogue")->trigger();
    MainWindow& w = f.window();
    QCOMPARE(w.state().databasePath, second);
    QCOMPARE(w.state().current->sql(), QStringLiteral("select * from archive  ORDER by title"));
    QVERIFY(!w.state().filterActive);
    QVERIFY(w.form().filterset->text().isEmpty());
    QVERIFY(!w.form().dbNoFilter->isEnabled());
    QVERIFY(f.menu("mnOrdTitle")->isChecked() && !f.menu("mnOrdDir")->isChecked());
    QCOMPARE(w.form().title->text(), QStringLiteral("Alien"));
    QCOMPARE(w.form().location->currentText(), QStringLiteral("Shelf 9"));
    QCOMPARE(w.form().labelRecords->text(), QStringLiteral("2 records in database"));
    const QComboBox* genre = f.find<QComboBox>(QStringLiteral("mvGenre"));
    QCOMPARE(genre->count(), 1);
    QCOMPARE(genre->itemText(0), QStringLiteral("Only here"));
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Filename")), second);
    QCOMPARE(statusName(f), QStringLiteral("Catalogue: second.mdb"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quelto 1.2"));

    // New: offered a free name next to the open catalogue; the new file is seeded and empty.
    const QString third = f.file(QStringLiteral("third.mdb"));
    f.prompts().fileAnswers << third;
    f.menu("mnNewCatalogue")->trigger();
    QCOMPARE(f.prompts().fileRequests.back().fileName, f.file(QStringLiteral("quelto.mdb")));
    QCOMPARE(w.state().databasePath, third);
    QCOMPARE(records(f), 0);
    QVERIFY(w.form().title->text().isEmpty());
    QVERIFY(f.find<QComboBox>(QStringLiteral("mvDirector"))->currentText().isEmpty());
    QVERIFY(w.form().location->currentText().isEmpty()); // nothing of the last record stays
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mediatype"))->currentText(), QStringLiteral("LaserDisk"));
    QCOMPARE(genre->count(), 6);
    QCOMPARE(w.form().labelRecords->text(), QStringLiteral("0 records in database"));
    QCOMPARE(TestCatalog::rowCount(third, QStringLiteral("mediatype")), 6);
    QVERIFY(f.prompts().unexpected.isEmpty());
    QVERIFY(f.prompts().exclamations.isEmpty());
}

void TestCatalogueExchange::switchingIsRefusedWithoutLosingAnything()
{
    AppFixture f;
    const QString first = f.file(QStringLiteral("first.mdb"));
    TestCatalog::create(first, {movie("Key Largo", "A1", "John Huston")});
    QCOMPARE(f.start(first), MainWindow::LoadResult::Loaded);
    MainWindow& w = f.window();

    const QString text = f.file(QStringLiteral("notes.mdb"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a catalogue");
    }
    f.prompts().fileAnswers << text << first;
    f.menu("mnOpenCatalogue")->trigger(); // not a database
    f.menu("mnNewCatalogue")->trigger();  // a file that exists
    QCOMPARE(f.prompts().exclamations.size(), 2);
    QCOMPARE(TestCatalog::fileBytes(text), QByteArray("not a catalogue"));
    QCOMPARE(w.state().databasePath, first);
    QCOMPARE(w.form().title->text(), QStringLiteral("Key Largo"));
    QCOMPARE(records(f), 1);

    // Changed fields are settled first: Cancel keeps them and the catalogue.
    w.form().mv_year->setText(QStringLiteral("1948"));
    f.prompts().saveAnswers << editing::SaveChoice::Cancel;
    f.menu("mnOpenCatalogue")->trigger();
    QCOMPARE(f.prompts().saveAnswers.size(), 0);
    QCOMPARE(w.form().mv_year->text(), QStringLiteral("1948"));
    QCOMPARE(w.state().databasePath, first);
    f.prompts().saveAnswers << editing::SaveChoice::Cancel;
    f.menu("mnImportCsv")->trigger();
    QCOMPARE(f.prompts().saveAnswers.size(), 0);

    // An empty new record is not thrown away either; the user ends it first.
    f.prompts().saveAnswers << editing::SaveChoice::Discard;
    w.form().dbNew->click();
    QVERIFY(w.state().newRecordMode);
    f.menu("mnNewCatalogue")->trigger();
    QCOMPARE(f.prompts().exclamations.last(), search::SearchCommands::FinishNewRecord);
    QVERIFY(w.state().newRecordMode);
    QCOMPARE(w.state().databasePath, first);
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestCatalogueExchange::exportWritesTheRecordSetInForce()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Key Largo", "A1", "John Huston"), movie("Vertigo", "A2", "Alfred Hitchcock"),
                               movie("The Maltese Falcon", "A3", "John Huston")});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    searchDirector(f, QStringLiteral("huston"));
    f.menu("mnOrdCat")->trigger();

    const QString csv = f.file(QStringLiteral("out.csv"));
    f.prompts().fileAnswers << csv;
    f.menu("mnExportCsv")->trigger();
    QCOMPARE(f.prompts().fileRequests.back().fileName, f.file(QStringLiteral("c.csv")));
    QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(QLatin1Char('\n'))));
    const auto rows = exchange::CsvReader::parse(TestCatalog::fileBytes(csv));
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE(rows[0].fields.size(), size_t(24));
    QCOMPARE(rows[0].fields[0].toString(), QStringLiteral("catalog"));
    QCOMPARE(rows[1].fields[23].toString(), QStringLiteral("Key Largo"));
    QCOMPARE(rows[2].fields[23].toString(), QStringLiteral("The Maltese Falcon"));
    QCOMPARE(f.prompts().messages.last(), QStringLiteral("2 records written to \"%1\".").arg(QDir::toNativeSeparators(csv)));

    // An existing file is replaced only when the user says so.
    const QByteArray written = TestCatalog::fileBytes(csv);
    f.window().searchCommands().showAllData();
    f.prompts().fileAnswers << csv;
    f.prompts().confirmAnswers << false;
    f.menu("mnExportCsv")->trigger();
    QCOMPARE(TestCatalog::fileBytes(csv), written);
    f.prompts().fileAnswers << csv;
    f.prompts().confirmAnswers << true;
    f.menu("mnExportCsv")->trigger();
    QCOMPARE(exchange::CsvReader::parse(TestCatalog::fileBytes(csv)).size(), size_t(4));
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestCatalogueExchange::importAppendsOnlyAcceptedRows()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Vertigo", "A2", "Alfred Hitchcock")});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const QString csv = f.file(QStringLiteral("in.csv"));
    {
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xEF\xBB\xBFTitle,Catalog,Director,Remarks\r\n"
                   "\"Alphaville\",\"N1\",\"Godard\",\"x\"\r\n"
                   "\"No ID\",,\"Nobody\",\"x\"\r\n"
                   "\"Zazie\",\"N2\",\"Malle\",\"x\"\r\n");
    }
    f.prompts().fileAnswers << csv;
    f.prompts().confirmAnswers << false;
    f.menu("mnImportCsv")->trigger();
    QVERIFY(f.prompts().confirmations.last().contains(QStringLiteral("Line 3: no catalogue ID")));
    QVERIFY(f.prompts().confirmations.last().contains(QStringLiteral("Remarks")));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);

    f.prompts().fileAnswers << csv;
    f.prompts().confirmAnswers << true;
    f.menu("mnImportCsv")->trigger();
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);
    QCOMPARE(records(f), 3);
    QCOMPARE(f.window().form().labelRecords->text(), QStringLiteral("3 records in database"));
    QCOMPARE(f.window().form().title->text(), QStringLiteral("Vertigo")); // the record on screen stays
    QVERIFY(f.prompts().messages.last().startsWith(QStringLiteral("2 records imported")));
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestCatalogueExchange::recentCataloguesKeepTheLastFive()
{
    AppFixture f;
    QStringList paths;
    for (int i = 1; i <= 7; ++i) {
        paths << f.file(QStringLiteral("c%1.mdb").arg(i));
        TestCatalog::create(paths.last(), {movie(qPrintable(QStringLiteral("Movie %1").arg(i)), "A1", "X")});
    }
    QCOMPARE(f.start(paths[0]), MainWindow::LoadResult::Loaded);
    QMenu* recent = f.window().menu().menu(QStringLiteral("mnRecent"));
    const auto listed = [&] {
        QStringList names;
        for (QAction* item : recent->actions())
            names << item->toolTip();
        return names;
    };
    QCOMPARE(listed(), QStringList{QDir::toNativeSeparators(paths[0])});
    for (int i = 1; i < 7; ++i) {
        f.prompts().fileAnswers << paths[i];
        f.menu("mnOpenCatalogue")->trigger();
    }
    // The newest first, five of them, each with a letter of its own.
    QCOMPARE(listed(), (QStringList{QDir::toNativeSeparators(paths[6]), QDir::toNativeSeparators(paths[5]),
                                    QDir::toNativeSeparators(paths[4]), QDir::toNativeSeparators(paths[3]),
                                    QDir::toNativeSeparators(paths[2])}));
    QCOMPARE(recent->actions().at(0)->text(), QStringLiteral("&1 c7.mdb  (%1)").arg(QDir::toNativeSeparators(QFileInfo(paths[6]).absolutePath())));

    // Choosing one opens it and puts it on top; the next run lists the same.
    recent->actions().at(3)->trigger();
    QCOMPARE(f.window().state().databasePath, paths[3]);
    QCOMPARE(f.window().form().title->text(), QStringLiteral("Movie 4"));
    QCOMPARE(listed().first(), QDir::toNativeSeparators(paths[3]));
    f.window().close();
    QCOMPARE(f.start(paths[3]), MainWindow::LoadResult::Loaded);
    recent = f.window().menu().menu(QStringLiteral("mnRecent"));
    QCOMPARE(listed().size(), 5);
    QCOMPARE(listed().first(), QDir::toNativeSeparators(paths[3]));

    // A catalogue that is gone is said so and leaves the list.
    QFile::remove(paths[6]);
    QAction* gone = nullptr;
    for (QAction* item : recent->actions()) {
        if (item->toolTip() == QDir::toNativeSeparators(paths[6]))
            gone = item;
    }
    QVERIFY(gone);
    gone->trigger();
    QCOMPARE(f.prompts().exclamations.last(), app::RecentCatalogues::Missing.arg(QDir::toNativeSeparators(paths[6])));
    QCOMPARE(f.window().state().databasePath, paths[3]);
    QCOMPARE(listed().size(), 4);
    QVERIFY(!listed().contains(QDir::toNativeSeparators(paths[6])));
}

void TestCatalogueExchange::importIsRefusedWhereWritesAre()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Vertigo", "A2", "Alfred Hitchcock")});
    {
        auto db = catalog::Database::open(path);
        db->connection()->exec(QStringLiteral("create trigger wipe after insert on archive begin delete from archive; end"));
    }
    const QString csv = f.file(QStringLiteral("in.csv"));
    writeFile(csv, "Title,Catalog\r\n\"Alphaville\",\"N1\"\r\n");
    const QByteArray before = checksum(path);

    // "No" to removing the trigger: writes are barred, the import too, with the same reason.
    f.prompts().confirmAnswers << false;
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    f.prompts().fileAnswers << csv;
    f.menu("mnImportCsv")->trigger();
    QCOMPARE(f.prompts().exclamations.size(), 1);
    QVERIFY2(f.prompts().exclamations.at(0).startsWith(QStringLiteral("Cannot import: The catalogue")) &&
                 f.prompts().exclamations.at(0).contains(QStringLiteral("wipe")),
             qPrintable(f.prompts().exclamations.at(0)));
    QVERIFY(f.prompts().tasksRun.isEmpty());
    f.discardWindow();
    QCOMPARE(checksum(path), before);
    QVERIFY(catalog::CatalogBackup::existing(path).isEmpty());

    // A read-only catalogue: told at opening, and the import says so too.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    f.prompts().exclamations.clear();
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    importFile(f, csv);
    QCOMPARE(f.prompts().exclamations.size(), 2);
    QVERIFY2(f.prompts().exclamations.at(1).startsWith(QStringLiteral("Cannot import: ")) &&
                 f.prompts().exclamations.at(1).contains(QStringLiteral("read-only")),
             qPrintable(f.prompts().exclamations.at(1)));
    f.discardWindow();
    QCOMPARE(checksum(path), before);

    // Removed: the import goes ahead.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    f.prompts().confirmAnswers << true;
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    importFile(f, csv);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 2);
    QCOMPARE(records(f), 2);
    QCOMPARE(f.prompts().tasksRun, (QStringList{QStringLiteral("Reading \"%1\"").arg(QDir::toNativeSeparators(csv)),
                                                QStringLiteral("Importing \"%1\"").arg(QDir::toNativeSeparators(csv))}));

    // When the import is the run's first change, the backup is made before it.
    const QString plain = f.file(QStringLiteral("plain.mdb"));
    TestCatalog::create(plain, {movie("Vertigo", "A2", "Alfred Hitchcock")});
    QCOMPARE(f.start(plain), MainWindow::LoadResult::Loaded); // a first opening may add the sort keys
    f.discardWindow();
    for (const QString& made : catalog::CatalogBackup::existing(plain))
        QFile::remove(made);
    QCOMPARE(f.start(plain), MainWindow::LoadResult::Loaded);
    QVERIFY(catalog::CatalogBackup::existing(plain).isEmpty());
    importFile(f, csv);
    QCOMPARE(TestCatalog::rowCount(plain, QStringLiteral("archive")), 2);
    const QStringList backups = catalog::CatalogBackup::existing(plain);
    QCOMPARE(backups.size(), 1);
    QCOMPARE(TestCatalog::rowCount(backups.first(), QStringLiteral("archive")), 1);
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestCatalogueExchange::importingTheSameRowsAgainAsksFirst()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Vertigo", "A2", "Alfred Hitchcock")});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const QString csv = f.file(QStringLiteral("in.csv"));
    writeFile(csv, "Title,Catalog,Director\r\n\"Alphaville\",\"N1\",\"Godard\"\r\n\"Zazie\",\"N2\",\"Malle\"\r\n");
    importFile(f, csv);
    QCOMPARE(records(f), 3);
    QVERIFY(f.prompts().choices.isEmpty());

    // The same file again: the user is asked; Cancel stores nothing.
    f.prompts().choiceAnswers << 1;
    importFile(f, csv);
    QCOMPARE(f.prompts().choices.size(), 1);
    QVERIFY2(f.prompts().choices.last().contains(QStringLiteral("All 2 rows")), qPrintable(f.prompts().choices.last()));
    QCOMPARE(records(f), 3);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 3);

    // Some new, some not: skipping stores the new ones and says how many were left out.
    writeFile(csv, "Title,Catalog,Director\r\n\"Alphaville\",\"N1\",\"Godard\"\r\n\"Zazie\",\"N2\",\"Malle\"\r\n"
                   "\"Le Samouraï\",\"N3\",\"Melville\"\r\n");
    f.prompts().choiceAnswers << 0;
    importFile(f, csv);
    QVERIFY(f.prompts().choices.last().contains(QStringLiteral("2 rows")));
    QVERIFY(f.prompts().choices.last().contains(QStringLiteral("1 rows are new")));
    QCOMPARE(records(f), 4);
    QVERIFY2(f.prompts().messages.last().contains(QStringLiteral("2 rows identical to records in the catalogue were skipped")),
             qPrintable(f.prompts().messages.last()));

    // Adding them all on purpose.
    f.prompts().choiceAnswers << 0;
    importFile(f, csv);
    QCOMPARE(f.prompts().choices.size(), 3);
    QVERIFY(f.prompts().choices.last().contains(QStringLiteral("All 3 rows")));
    QCOMPARE(records(f), 7);
    QVERIFY(f.prompts().messages.last().startsWith(QStringLiteral("3 records imported")));
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestCatalogueExchange::cancelLeavesCatalogueAndFileAsTheyWere()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Vertigo", "A2", "Alfred Hitchcock")});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    QByteArray csv = "Title,Catalog\r\n";
    // Enough rows that Cancel, pressed at the 300th, comes long before the last
    // one even on a loaded machine.
    for (int i = 0; i < 20000; ++i)
        csv += "\"Title " + QByteArray::number(i) + "\",\"C" + QByteArray::number(i) + "\"\r\n";
    const QString file = f.file(QStringLiteral("in.csv"));
    writeFile(file, csv);

    // Cancel while the rows are stored: none of them is.
    f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{} // the reading runs to its end
                            << test::ScriptedPrompts::TaskCancel{300, QStringLiteral("Storing the records...")};
    f.prompts().taskCancels.first().atDone = std::numeric_limits<qint64>::max();
    importFile(f, file);
    QCOMPARE(f.prompts().messages.last(), exchange::CsvCommands::ImportCancelled);
    QVERIFY(f.prompts().taskSteps.contains(QStringLiteral("Storing the records...")));
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);
    QCOMPARE(records(f), 1);
    // Cancel while the file is read.
    f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{};
    importFile(f, file);
    QCOMPARE(f.prompts().messages.last(), exchange::CsvCommands::ImportCancelled);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);

    // An export cancelled over an existing file leaves the file as it was.
    const QString out = f.file(QStringLiteral("out.csv"));
    writeFile(out, "kept");
    f.prompts().fileAnswers << out;
    f.prompts().confirmAnswers << true;
    f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{};
    f.menu("mnExportCsv")->trigger();
    QCOMPARE(f.prompts().messages.last(), exchange::CsvCommands::ExportCancelled.arg(QDir::toNativeSeparators(out)));
    QCOMPARE(TestCatalog::fileBytes(out), QByteArray("kept"));
    QVERIFY(QDir(f.file(QString())).entryList({QStringLiteral("out.csv*")}, QDir::Files).size() == 1);
    QVERIFY(f.prompts().exclamations.isEmpty());
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestCatalogueExchange::damagedOrCancelledConversionMakesNothing()
{
    AppFixture f;
    const QString old = copyFixture(f, "jet4-catalogue.mdb", QStringLiteral("quelto.mdb"));
    const QStringList before = QDir(f.file(QString())).entryList(QDir::Files);

    // The converter dies on the file: it is called damaged, and the dialog comes back.
    const QByteArray helper = qgetenv("QUELTO_CONVERT_HELPER");
    qputenv("QUELTO_CONVERT_HELPER", QUELTO_FAKE_CONVERTER);
    qputenv("QUELTO_FAKE_CONVERTER", "crash");
    f.prompts().databaseAnswers << old << std::nullopt;
    QCOMPARE(f.start(), MainWindow::LoadResult::Cancelled);
    qputenv("QUELTO_CONVERT_HELPER", helper);
    qunsetenv("QUELTO_FAKE_CONVERTER");
    QCOMPARE(f.prompts().exclamations.size(), 1);
    QVERIFY2(f.prompts().exclamations.at(0).contains(QStringLiteral("appears to be damaged")),
             qPrintable(f.prompts().exclamations.at(0)));
    QCOMPARE(f.prompts().tasksRun.size(), 1);
    QVERIFY(f.prompts().tasksRun.at(0).startsWith(QStringLiteral("Reading the old catalogue")));
    QCOMPARE(QDir(f.file(QString())).entryList(QDir::Files), before);

    // Cancel while the records are copied: no new file, the dialog again.
    f.prompts().databaseAnswers << old << std::nullopt;
    f.prompts().fileAnswers << f.file(QStringLiteral("new.mdb"));
    f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{std::numeric_limits<qint64>::max(), {}}
                            << test::ScriptedPrompts::TaskCancel{0, QStringLiteral("Copying the records...")};
    QCOMPARE(f.start(), MainWindow::LoadResult::Cancelled);
    QCOMPARE(f.prompts().messages.last(), exchange::AccessConversionFlow::Cancelled);
    QCOMPARE(QDir(f.file(QString())).entryList(QDir::Files), before);
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestCatalogueExchange::progressDialogShowsTheStepAndCancelsTheTask()
{
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // A short task shows no dialog; what it throws comes back to the caller.
    {
        app::TaskProgressDialog dialog(QStringLiteral("Reading \"in.csv\""), &window);
        bool shown = false;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] { shown = shown || dialog.isVisible(); });
        look.start(5);
        const auto task = dialog.run([](tasks::TaskControl& control) {
            control.begin(QStringLiteral("Checking the rows of the file..."), 10);
            throw catalog::EngineError(QStringLiteral("\"in.csv\" cannot be read."));
        });
        QVERIFY(!shown);
        QVERIFY(!task->stoppedOnCancel());
        QVERIFY_THROWS_EXCEPTION(catalog::EngineError, task->rethrow());
    }

    // A long one: its step with the units done, then Cancel as the user presses it.
    app::TaskProgressDialog dialog(QStringLiteral("Importing \"in.csv\""), &window);
    QString stepShown;
    QString afterCancel;
    int barShown = -1;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* step = dialog.findChild<QLabel*>(QStringLiteral("taskStep"));
        if (!dialog.isVisible() || !step->text().endsWith(QStringLiteral("records")))
            return;
        look.stop();
        stepShown = step->text();
        barShown = dialog.findChild<QProgressBar*>(QStringLiteral("taskBar"))->value();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("taskCancel")), Qt::LeftButton);
        afterCancel = step->text();
    });
    look.start(20);
    bool throughTheEnd = false;
    const auto task = dialog.run([&](tasks::TaskControl& control) {
        control.begin(QStringLiteral("Storing the records..."), 2500, QStringLiteral("records"));
        control.add(1200);
        while (!control.cancelled())
            QThread::msleep(2);
        control.throwIfCancelled();
        throughTheEnd = true;
    });
    const QLocale locale;
    QCOMPARE(stepShown, QStringLiteral("Storing the records... %1 of %2 records")
                            .arg(locale.toString(1200), locale.toString(2500)));
    QCOMPARE(barShown, 480);
    QCOMPARE(afterCancel, app::TaskProgressDialog::Cancelling);
    QVERIFY(task->stoppedOnCancel());
    QVERIFY(!throughTheEnd);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestCatalogueExchange)
#include "tst_catalogue_exchange.moc"
