// File > Import > "From Another Catalogue..." in the window: the preview
// names the format and what the file holds before anything is written, the
// import adds what is new as one step of Undo, a watch list updates the
// records it matches (undone in the same step), movies without a number get
// the prefix the user chooses, a folder of .nfo files is chosen as a folder,
// and declining or cancelling leaves the file as it was.
#include "AppFixture.h"
#include "ImportTestSupport.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "importing/ImportCommands.h"
#include "importing/ImportPreview.h"
#include "ScriptedPrompts.h"
#include "tasks/TaskControl.h"
#include "TestCatalog.h"

#include <QAction>
#include <QCryptographicHash>
#include <QInputDialog>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

const QString Tellico = QStringLiteral(QUELTO_TEST_DATA "/importing/tellico/collection.tc");
const QString ImdbRatings = QStringLiteral(QUELTO_TEST_DATA "/importing/imdb/ratings.csv");
const QString KodiFolder = QStringLiteral(QUELTO_TEST_DATA "/importing/kodi");

QByteArray checksum(const QString& path)
{
    return QCryptographicHash::hash(TestCatalog::fileBytes(path), QCryptographicHash::Sha256);
}

int shownCount(AppFixture& f)
{
    return f.window().state().current->recordCount();
}

qint64 moviesIn(const QString& source)
{
    tasks::TaskControl control;
    return importing::ImportPreview::of(source, {}, control).movies;
}

void importThroughMenu(AppFixture& f, const QString& source, int choice)
{
    f.prompts().fileAnswers << source;
    f.prompts().choiceAnswers << choice;
    f.menu("mnImportOther")->trigger();
}

// The user's answer to the media ID prefix question: the text typed, then OK
// (or Cancel); what the question said is kept in asked.
std::function<void(QDialog&)> answerPrefix(const QString& prefix, bool ok = true, QString* asked = nullptr)
{
    return [=](QDialog& dialog) {
        auto* input = qobject_cast<QInputDialog*>(&dialog);
        QVERIFY(input);
        if (asked)
            *asked = input->labelText();
        input->setTextValue(prefix);
        ok ? input->accept() : input->reject();
    };
}

QStringList mediaIds(const QString& path)
{
    return test::tableLines(path, QStringLiteral("select catalog from archive order by rowid"));
}

} // namespace

class TestImportWindow : public QObject
{
    Q_OBJECT

private slots:
    void previewThenImportThenUndo();
    void declinedOrCancelledImportWritesNothing();
    void watchListUpdatesMatchesAndAddsOnlyWhenAsked();
    void updatesAreUndoneWithTheImport();
    void folderOfNfoFiles();
};

void TestImportWindow::previewThenImportThenUndo()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const qint64 movies = moviesIn(Tellico);
    QVERIFY(movies > 0);

    importThroughMenu(f, Tellico, 0);
    QCOMPARE(f.prompts().choices.size(), 1);
    const QString preview = f.prompts().choices.first();
    QVERIFY2(preview.contains(QStringLiteral("Tellico")), qPrintable(preview));
    QVERIFY2(preview.contains(QStringLiteral("holds %1 movies").arg(movies)), qPrintable(preview));
    QVERIFY2(preview.contains(QStringLiteral("0 of the movies are in this catalogue already")),
             qPrintable(preview));
    QCOMPARE(shownCount(f), int(movies));
    QVERIFY2(f.prompts().messages.last().contains(QStringLiteral("%1 added").arg(movies)),
             qPrintable(f.prompts().messages.last()));
    QVERIFY(f.prompts().unexpected.isEmpty());

    // The same file again holds nothing new.
    f.prompts().fileAnswers << Tellico;
    f.menu("mnImportOther")->trigger();
    QVERIFY(f.prompts().exclamations.last().contains(QStringLiteral("nothing new to import")));
    QCOMPARE(shownCount(f), int(movies));

    // The records added are one step of Undo.
    QAction* undo = f.menu("mnUndo");
    QVERIFY(undo->isEnabled());
    f.prompts().confirmAnswers << true;
    undo->trigger();
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 0);
}

void TestImportWindow::declinedOrCancelledImportWritesNothing()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Vertigo"), QStringLiteral("V1"))});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const QByteArray before = checksum(path);

    importThroughMenu(f, Tellico, 1); // Cancel in the preview
    QCOMPARE(checksum(path), before);
    QCOMPARE(shownCount(f), 1);

    // Cancel while the records are stored: the transaction goes whole.
    f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{1, QStringLiteral("no such step")}
                            // reading: to its end
                            << test::ScriptedPrompts::TaskCancel{};
    importThroughMenu(f, Tellico, 0);
    QCOMPARE(f.prompts().messages.last(), importing::ImportCommands::ImportCancelled);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);
    QCOMPARE(shownCount(f), 1);
}

void TestImportWindow::watchListUpdatesMatchesAndAddsOnlyWhenAsked()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const qint64 movies = moviesIn(ImdbRatings);
    QVERIFY(movies > 1);

    importThroughMenu(f, ImdbRatings, 1); // Update Only: nothing matches, nothing added
    QVERIFY2(f.prompts().choices.last().contains(QStringLiteral("watched or rated")),
             qPrintable(f.prompts().choices.last()));
    QCOMPARE(shownCount(f), 0);

    // Update and Add: the file gives no numbers, so the prefix is asked for.
    // A refused prefix is said and asked again; Cancel there stops the import.
    QString asked;
    f.prompts().dialogScripts << answerPrefix(QStringLiteral(" X"), true, &asked) << answerPrefix(QString(), false);
    importThroughMenu(f, ImdbRatings, 0);
    QVERIFY2(asked.startsWith(QStringLiteral("%1 of the movies have no number").arg(movies)), qPrintable(asked));
    QVERIFY2(f.prompts().exclamations.last().contains(QStringLiteral("begins or ends with a space")),
             qPrintable(f.prompts().exclamations.last()));
    QCOMPARE(shownCount(f), 0);

    f.prompts().dialogScripts << answerPrefix(QStringLiteral("R-"));
    importThroughMenu(f, ImdbRatings, 0);
    QCOMPARE(shownCount(f), int(movies));
    QVERIFY2(mediaIds(f.file(QStringLiteral("c.mdb"))).startsWith(QStringLiteral("R-1")),
             qPrintable(mediaIds(f.file(QStringLiteral("c.mdb"))).join(QLatin1Char(','))));

    // A second time every row matches: it updates, and adds no duplicate.
    importThroughMenu(f, ImdbRatings, 0);
    QVERIFY2(f.prompts().choices.last().contains(
                 QStringLiteral("%1 of the movies are in this catalogue already").arg(movies)),
             qPrintable(f.prompts().choices.last()));
    QCOMPARE(shownCount(f), int(movies));
}

void TestImportWindow::updatesAreUndoneWithTheImport()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::Row matrix = TestCatalog::record(QStringLiteral("The Matrix"), QStringLiteral("M1"));
    matrix.insert(QStringLiteral("title"), QStringLiteral("The Matrix"));
    matrix.insert(QStringLiteral("mv_year"), QStringLiteral("1999"));
    TestCatalog::create(path, {matrix});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const auto personal = [&] {
        return test::tableLines(path, QStringLiteral("select coalesce(quelto_my_rating, '-') || ' ' || "
                                                     "coalesce(quelto_seen, '-') from archive order by rowid"));
    };
    const QStringList before{QStringLiteral("- -")}; // the personal fields come with the import

    // Update and Add with the prefix "W-": The Matrix updated, the others added.
    f.prompts().dialogScripts << answerPrefix(QStringLiteral("W-"));
    importThroughMenu(f, ImdbRatings, 0);
    QCOMPARE(personal().first(), QStringLiteral("4.5 2024-01-15"));
    const int added = shownCount(f) - 1;
    QVERIFY(added > 0);
    QAction* undo = f.menu("mnUndo");
    QVERIFY2(undo->text().contains(QStringLiteral("Records and 1 Update from \"ratings.csv\"")),
             qPrintable(undo->text()));

    // One Undo takes back both: the records added and the update.
    undo->trigger();
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);
    QCOMPARE(personal(), before);
    f.menu("mnRedo")->trigger();
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1 + added);
    QCOMPARE(personal().first(), QStringLiteral("4.5 2024-01-15"));
    undo->trigger();
    QCOMPARE(personal(), before);

    // Update Only: the step holds the update alone.
    importThroughMenu(f, ImdbRatings, 1);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 1);
    QVERIFY2(undo->text().contains(QStringLiteral("Import of 1 Update from")), qPrintable(undo->text()));
    undo->trigger();
    QCOMPARE(personal(), before);
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestImportWindow::folderOfNfoFiles()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    f.prompts().fileAnswers << KodiFolder;
    f.prompts().dialogScripts << answerPrefix(QStringLiteral("K-"));
    f.prompts().choiceAnswers << 0;
    f.menu("mnImportNfoFolder")->trigger();
    QVERIFY(f.prompts().fileRequests.back().folder);
    QCOMPARE(f.prompts().fileRequests.back().title, importing::ImportCommands::FolderCaption);
    QVERIFY2(f.prompts().choices.last().contains(QStringLiteral("Kodi")), qPrintable(f.prompts().choices.last()));
    QCOMPARE(shownCount(f), 2);
    QCOMPARE(mediaIds(path), (QStringList{QStringLiteral("K-1"), QStringLiteral("K-2")}));
    QVERIFY(f.prompts().unexpected.isEmpty());
}

QTEST_MAIN(TestImportWindow)
#include "tst_import_window.moc"
