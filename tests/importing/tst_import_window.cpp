// File > Import > "From Another Catalogue..." in the window: the preview
// names the format and what the file holds before anything is written, the
// import adds what is new as one step of Undo, a watch list updates the
// records it matches, and declining or cancelling leaves the file as it was.
#include "AppFixture.h"
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
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

const QString Tellico = QStringLiteral(QUELTO_TEST_DATA "/importing/tellico/collection.tc");
const QString ImdbRatings = QStringLiteral(QUELTO_TEST_DATA "/importing/imdb/ratings.csv");

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

} // namespace

class TestImportWindow : public QObject
{
    Q_OBJECT

private slots:
    void previewThenImportThenUndo();
    void declinedOrCancelledImportWritesNothing();
    void watchListUpdatesMatchesAndAddsOnlyWhenAsked();
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

    importThroughMenu(f, ImdbRatings, 0); // Update and Add
    QCOMPARE(shownCount(f), int(movies));

    // A second time every row matches: it updates, and adds no duplicate.
    importThroughMenu(f, ImdbRatings, 0);
    QVERIFY2(f.prompts().choices.last().contains(
                 QStringLiteral("%1 of the movies are in this catalogue already").arg(movies)),
             qPrintable(f.prompts().choices.last()));
    QCOMPARE(shownCount(f), int(movies));
}

QTEST_MAIN(TestImportWindow)
#include "tst_import_window.moc"
