// "Grab Again" in the main window: a record keeps the page it was grabbed
// from and the cast the page bills; a fresh read shows what would change,
// field by field; what the user takes is saved as one step for Undo, with the
// write checks of every save; personal fields stay as they are.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/MainWindow.h"
#include "catalog/Database.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/SourceStore.h"
#include "editing/RecordForm.h"
#include "editing/UnsavedChanges.h"
#include "refresh/GrabAgainCommand.h"
#include "refresh/GrabAgainDialog.h"
#include "refresh/PageRereader.h"
#include "refresh/SourceField.h"
#include "weblookup/FormFields.h"
#include "weblookup/GrabResult.h"
#include "weblookup/LookupTab.h"
#include "weblookup/LookupWorkflow.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace quelto;
using collection::CastRole;
using collection::RecordSource;
using collection::SourceStore;
using quelto::app::MainWindow;
using quelto::refresh::GrabAgainCommand;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

const QString DarkKnight = QStringLiteral("https://www.imdb.com/title/tt0468569/");

// The page as a fake site gives it; can change the file meanwhile, as
// another program would.
class FakeRereader : public refresh::PageRereader
{
public:
    refresh::Reread answer;
    QList<QUrl> asked;
    std::function<void()> meanwhile;
    refresh::Reread read(const QUrl& page) override
    {
        asked << page;
        if (meanwhile)
            meanwhile();
        return answer;
    }
};

QString stored(const QString& path, const QString& title, const QString& column)
{
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from archive where title = '%1'").arg(title));
    return set->eof() ? QStringLiteral("<none>") : set->text(column);
}

RecordSource sourceOf(const QString& path, qint64 id)
{
    auto db = catalog::Database::open(path);
    return SourceStore::load(*db->connection(), id);
}

} // namespace

class TestGrabAgain : public QObject
{
    Q_OBJECT

    // Records A (identity 1, kept page and cast, a note of the collector's)
    // and B (no page).
    static QString start(AppFixture& f, FakeRereader*& rereader)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        TestCatalog::Row a = TestCatalog::record(QStringLiteral("A"), QStringLiteral("ID-A"));
        a[QStringLiteral("mv_genre")] = QStringLiteral("Action");
        a[QStringLiteral("mv_director")] = QStringLiteral("Christopher Nolan");
        a[QStringLiteral("mv_music")] = QStringLiteral("Hans Zimmer");
        a[QStringLiteral("mv_cast6")] = QStringLiteral("Christian Bale");
        a[QStringLiteral("mv_cast1")] = QStringLiteral(" "); // the catalogue's blank
        TestCatalog::create(path, {a, TestCatalog::record(QStringLiteral("B"), QStringLiteral("ID-B"))});
        {
            auto db = catalog::Database::open(path);
            catalog::SqliteConnection& connection = *db->connection();
            connection.beginWrite();
            catalog::WriteTransaction transaction(connection);
            collection::CollectorSchema::ensure(*db);
            connection.exec(QStringLiteral("update archive set quelto_id = 1, quelto_notes = 'Mine' where title = 'A'"));
            SourceStore::store(connection, 1, {DarkKnight, {{QStringLiteral("Christian Bale"), QStringLiteral("Bruce Wayne")}}});
            transaction.commit();
        }
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        auto fake = std::make_unique<FakeRereader>();
        rereader = fake.get();
        f.window().grabAgain().setRereader(std::move(fake));
        return path;
    }

    static refresh::Reread darkKnightNow()
    {
        refresh::Reread reread;
        reread.read = true;
        reread.fields.title = QStringLiteral("A (2008)");
        reread.fields.mvGenre.set(QStringLiteral("Action / Crime / Drama"));
        reread.fields.mvDirector.set(QStringLiteral("Christopher Nolan"));
        reread.fields.mvCast[0].set(QStringLiteral("Christian Bale"));
        reread.fields.mvCast[1].set(QStringLiteral("Heath Ledger"));
        // No music on the page: the record keeps its own.
        reread.cast = {{QStringLiteral("Christian Bale"), QStringLiteral("Bruce Wayne")},
                       {QStringLiteral("Heath Ledger"), QStringLiteral("Joker")}};
        return reread;
    }

private slots:
    void showsChangesTakesSomeAndUndoesThemInOneStep()
    {
        AppFixture f;
        FakeRereader* rereader = nullptr;
        const QString path = start(f, rereader);
        GrabAgainCommand& command = f.window().grabAgain();
        editing::RecordForm& form = f.window().form();
        QCOMPARE(form.title->text(), QStringLiteral("A"));
        QVERIFY(command.action()->isEnabled());
        QVERIFY(command.button() && command.button()->isEnabled());
        QCOMPARE(form.mvCast[0]->toolTip(), QStringLiteral("Christian Bale as Bruce Wayne"));
        // In the Edit menu and beside "Grab Data !".
        QCOMPARE(f.menu("mnEdit")->menu()->actions().last(), command.action());
        QCOMPARE(command.button()->parentWidget(), f.window().lookupTab().findChild<QPushButton*>("grabit")->parentWidget());

        rereader->answer = darkKnightNow();
        QStringList rows;
        f.prompts().dialogScripts << [&](QDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("grabAgainChanges"));
            for (int row = 0; row < table->rowCount(); ++row)
                rows << table->item(row, 0)->text() + u'|' + table->item(row, 1)->text() + u'|' + table->item(row, 2)->text();
            // Not the title.
            table->item(0, 0)->setCheckState(Qt::Unchecked);
            dialog.findChild<QPushButton*>(QStringLiteral("grabAgainTake"))->click();
        };
        command.action()->trigger();
        QCOMPARE(rereader->asked, QList<QUrl>{QUrl(DarkKnight)});
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
        QCOMPARE(rows, (QStringList{"Title|A|A (2008)", "Genre|Action|Action / Crime / Drama", "Cast 2|(empty)|Heath Ledger",
                                    "Characters|Christian Bale as Bruce Wayne|Christian Bale as Bruce Wayne; Heath Ledger as Joker"}));
        // Stored at once: the taken fields, never the title left unchecked, the music the page did not give or the note.
        QCOMPARE(stored(path, "A", "mv_genre"), QStringLiteral("Action / Crime / Drama"));
        QCOMPARE(stored(path, "A", "mv_cast1"), QStringLiteral("Heath Ledger"));
        QCOMPARE(stored(path, "A", "mv_music"), QStringLiteral("Hans Zimmer"));
        QCOMPARE(stored(path, "A", "quelto_notes"), QStringLiteral("Mine"));
        QCOMPARE(sourceOf(path, 1).cast.size(), 2);
        QCOMPARE(sourceOf(path, 1).address, DarkKnight);
        QCOMPARE(form.mvCast[1]->toolTip(), QStringLiteral("Heath Ledger as Joker"));
        QVERIFY(!f.window().unsavedChanges().hasChanges());

        // One Undo takes all of it back, the billed cast with it.
        f.menu("mnUndo")->trigger();
        QCOMPARE(stored(path, "A", "mv_genre"), QStringLiteral("Action"));
        QCOMPARE(stored(path, "A", "mv_cast1").trimmed(), QString());
        QCOMPARE(sourceOf(path, 1).cast.size(), 1);
        f.menu("mnRedo")->trigger();
        QCOMPARE(stored(path, "A", "mv_genre"), QStringLiteral("Action / Crime / Drama"));
        QCOMPARE(sourceOf(path, 1).cast.size(), 2);

        // Nothing new on the page (the title as the record has it): said so, no dialog.
        rereader->answer.fields.title = QStringLiteral("a");
        command.action()->trigger();
        QCOMPARE(f.prompts().messages.value(0), GrabAgainCommand::NothingChanged);

        // Cancel takes none.
        rereader->answer.fields.mvGenre.set(QStringLiteral("Drama"));
        f.prompts().dialogScripts << [](QDialog& dialog) { dialog.reject(); };
        command.action()->trigger();
        QCOMPARE(stored(path, "A", "mv_genre"), QStringLiteral("Action / Crime / Drama"));
        QVERIFY(!f.window().unsavedChanges().hasChanges());
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    // The page's values are compared as "Grab Data !" would have put them
    // into the form: the alias table's spellings and the catalogue's own.
    void takesTheSpellingsAGrabWouldStore()
    {
        AppFixture f;
        FakeRereader* rereader = nullptr;
        const QString path = start(f, rereader);
        rereader->answer = darkKnightNow();
        rereader->answer.fields.title = QStringLiteral("A");
        rereader->answer.fields.mvGenre.set(QStringLiteral("Sci-Fi"));
        rereader->answer.fields.mv_country.set(QStringLiteral("United States"));
        rereader->answer.fields.mvDirector.set(QStringLiteral("CHRISTOPHER NOLAN"));
        QStringList rows;
        f.prompts().dialogScripts << [&](QDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("grabAgainChanges"));
            for (int row = 0; row < table->rowCount(); ++row)
                rows << table->item(row, 0)->text() + u'|' + table->item(row, 1)->text() + u'|' + table->item(row, 2)->text();
            dialog.findChild<QPushButton*>(QStringLiteral("grabAgainTake"))->click();
        };
        f.window().grabAgain().action()->trigger();
        QVERIFY2(rows.contains(QStringLiteral("Genre|Action|Science Fiction")), qPrintable(rows.join(u'\n')));
        QVERIFY2(rows.contains(QStringLiteral("Country|A.mv_country|USA")), qPrintable(rows.join(u'\n')));
        QVERIFY2(rows.filter(QStringLiteral("Director")).isEmpty(), qPrintable(rows.join(u'\n')));
        QCOMPARE(stored(path, "A", "mv_genre"), QStringLiteral("Science Fiction"));
        QCOMPARE(stored(path, "A", "mv_country"), QStringLiteral("USA"));
        QCOMPARE(stored(path, "A", "mv_director"), QStringLiteral("Christopher Nolan"));
    }

    void aRecordWithoutPageOrChangedFieldsIsNotReadAgain()
    {
        AppFixture f;
        FakeRereader* rereader = nullptr;
        const QString path = start(f, rereader);
        GrabAgainCommand& command = f.window().grabAgain();
        editing::RecordForm& form = f.window().form();
        form.dbNext->click();
        QCOMPARE(form.title->text(), QStringLiteral("B"));
        QVERIFY(!command.action()->isEnabled());
        QCOMPARE(command.button()->toolTip(), GrabAgainCommand::NoAddress);
        command.run();
        QCOMPARE(f.prompts().exclamations.value(0), GrabAgainCommand::NoAddress);
        // A new record has no page to read again.
        form.dbNew->click();
        QVERIFY(!command.action()->isEnabled());
        form.dbDelete->click(); // Cancel
        form.dbFirst->click();
        // Unsaved typing comes first.
        form.mvGenre->setEditText(QStringLiteral("Typed"));
        command.run();
        QCOMPARE(f.prompts().exclamations.value(1), GrabAgainCommand::UnsavedFirst);
        QVERIFY(rereader->asked.isEmpty());
        // A page that cannot be read is told, with why.
        form.mvGenre->setEditText(QStringLiteral("Action"));
        rereader->answer.read = false;
        rereader->answer.error = QStringLiteral("not found (404)");
        command.run();
        QVERIFY(f.prompts().exclamations.value(2).contains(QLatin1String("not found (404)")));

        // A catalogue that refuses writes is not read for, and nothing is written to it.
        const QByteArray before = TestCatalog::fileBytes(path);
        f.window().state().database->connection()->refuseWrites(
            catalog::EngineError(catalog::EngineError::Kind::ReadOnly, QStringLiteral("read-only")));
        QVERIFY(command.whyNot().startsWith(QStringLiteral("The catalogue cannot be changed")));
        rereader->answer = darkKnightNow();
        command.run();
        QCOMPARE(rereader->asked.size(), 1); // only the read of the unreadable page above
        QCOMPARE(TestCatalog::fileBytes(path), before);
    }

    void theCharactersAloneAreSavedToo()
    {
        AppFixture f;
        FakeRereader* rereader = nullptr;
        const QString path = start(f, rereader);
        rereader->answer.read = true;
        rereader->answer.fields = weblookup::FormFields::read(f.window().form()); // the same fields
        rereader->answer.cast = {{QStringLiteral("Christian Bale"), QStringLiteral("Bruce Wayne")},
                                 {QStringLiteral("Michael Caine"), QStringLiteral("Alfred")}};
        QStringList captions;
        f.prompts().dialogScripts << [&](QDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("grabAgainChanges"));
            for (int row = 0; row < table->rowCount(); ++row)
                captions << table->item(row, 0)->text();
            dialog.accept();
        };
        f.window().grabAgain().run();
        QCOMPARE(captions, QStringList{QStringLiteral("Characters")});
        QCOMPARE(sourceOf(path, 1).cast.value(1).character, QStringLiteral("Alfred"));
        f.menu("mnUndo")->trigger();
        QCOMPARE(sourceOf(path, 1).cast.size(), 1);
    }

    void aChangeMadeElsewhereMeanwhileIsNotOverwritten()
    {
        AppFixture f;
        FakeRereader* rereader = nullptr;
        const QString path = start(f, rereader);
        rereader->answer = darkKnightNow();
        rereader->meanwhile = [&] {
            auto db = catalog::Database::open(path);
            db->connection()->exec(QStringLiteral("update archive set mv_genre = 'Elsewhere' where title = 'A'"));
        };
        f.prompts().dialogScripts << [](QDialog& dialog) { dialog.accept(); };
        f.prompts().choiceAnswers << 2; // Cancel in the question about the change made elsewhere
        f.window().grabAgain().run();
        QCOMPARE(f.prompts().choices.size(), 1);
        QCOMPARE(stored(path, "A", "mv_genre"), QStringLiteral("Elsewhere"));
        QCOMPARE(sourceOf(path, 1).cast.size(), 1);
    }

    void aGrabKeepsItsPageAndBilledCastWithTheRecord()
    {
        AppFixture f;
        FakeRereader* rereader = nullptr;
        const QString path = start(f, rereader);
        editing::RecordForm& form = f.window().form();
        form.dbNext->click(); // B, no page yet
        weblookup::GrabResult result;
        result.titlePage = QUrl(QStringLiteral("https://letterboxd.com/film/parasite-2019/"));
        result.billedCast = {{QStringLiteral("Song Kang-ho"), QStringLiteral("Kim Ki-taek")}};
        form.mvCast[0]->setEditText(QStringLiteral("Song Kang-ho"));
        emit f.window().lookupTab().workflow().grabFinished(result);
        QTRY_COMPARE(form.mvCast[0]->toolTip(), QStringLiteral("Song Kang-ho as Kim Ki-taek"));
        QVERIFY(f.window().unsavedChanges().hasChanges()); // the grab's value
        form.dbSave->click();
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
        const qint64 id = stored(path, "B", "quelto_id").toLongLong();
        QVERIFY(id > 1);
        QCOMPARE(sourceOf(path, id).address, QStringLiteral("https://letterboxd.com/film/parasite-2019/"));
        QVERIFY(f.window().grabAgain().action()->isEnabled());

        // Deleted with the record, back with its Undo.
        f.prompts().confirmAnswers << true;
        form.dbDelete->click();
        QVERIFY(sourceOf(path, id).isEmpty());
        f.menu("mnUndo")->trigger();
        QCOMPARE(sourceOf(path, id).cast.value(0).character, QStringLiteral("Kim Ki-taek"));
    }
};

QTEST_MAIN(TestGrabAgain)
#include "tst_grab_again.moc"
