// The group pane beside the record list in the real main window: counts by a
// field, choosing a group as a filter with its description, together with
// the filter field, "All Data", and counts that follow saves and deletes
// without counting the catalogue again.
#include "app/CollectionMenu.h"
#include "AppFixture.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordForm.h"
#include "groups/GroupCommands.h"
#include "groups/GroupModel.h"
#include "groups/GroupPane.h"
#include "search/RecordListCommands.h"
#include "TestCatalog.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

TestCatalog::Row movie(const QString& title, const QString& genre, const QString& year,
                       const QString& director)
{
    TestCatalog::Row row = TestCatalog::record(title, title.left(2));
    row[QStringLiteral("mv_genre")] = genre;
    row[QStringLiteral("mv_year")] = year;
    row[QStringLiteral("mv_director")] = director;
    return row;
}

} // namespace

class TestGroupPane : public QObject
{
    Q_OBJECT

    static void start(AppFixture& f)
    {
        const QString path = f.file(QStringLiteral("groups.mdb"));
        TestCatalog::create(path, {movie(QStringLiteral("Key Largo"), QStringLiteral("Film noir"),
                                         QStringLiteral("1948"), QStringLiteral("John Huston")),
                                   movie(QStringLiteral("The Maltese Falcon"), QStringLiteral("Film noir"),
                                         QStringLiteral("1941"), QStringLiteral("John Huston")),
                                   movie(QStringLiteral("Casablanca"), QStringLiteral("Drama"),
                                         QStringLiteral("1942"), QStringLiteral("Michael Curtiz")),
                                   movie(QStringLiteral("Big"), QStringLiteral("Comedy"),
                                         QStringLiteral("1988"), QStringLiteral("Penny Marshall")),
                                   movie(QStringLiteral("Abbey Road"), QStringLiteral(" "),
                                         QStringLiteral("1970"), QStringLiteral("Ann Marsh"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        f.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        QTRY_VERIFY(!groups(f).isCounting() && model(f).rowCount() > 0);
    }
    static groups::GroupCommands& groups(AppFixture& f) { return f.window().collectionMenu().groups(); }
    static groups::GroupModel& model(AppFixture& f)
    {
        return f.find<groups::GroupPane>(QStringLiteral("groupPane"))->model();
    }
    static QStringList rows(AppFixture& f)
    {
        QStringList out;
        for (int r = 0; r < model(f).rowCount(); ++r)
            out << model(f).index(r, 0).data().toString() + QLatin1Char('=') +
                       model(f).index(r, 1).data().toString();
        return out;
    }
    static int rowOf(AppFixture& f, const QString& name)
    {
        for (int r = 0; r < model(f).rowCount(); ++r) {
            if (model(f).index(r, 0).data().toString() == name)
                return r;
        }
        return -1;
    }
    static void clickGroup(AppFixture& f, const QString& name)
    {
        QTreeView* view = f.find<QTreeView>(QStringLiteral("groupList"));
        const int row = rowOf(f, name);
        QVERIFY2(row >= 0, qPrintable(name));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(model(f).index(row, 0)).center());
        QTRY_VERIFY(!f.window().recordList().isFiltering());
    }
    static int listRows(AppFixture& f)
    {
        return f.find<QTableView>(QStringLiteral("recordTable"))->model()->rowCount();
    }

private slots:
    // "Merge into..." renames a value in every record, list entries too, in
    // one step that Undo takes back; it asks first with the count.
    void mergeIntoRenamesEveryRecordInOneUndoableStep()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("merge.mdb"));
        QList<TestCatalog::Row> rows;
        const QStringList countries = {QStringLiteral("United States"), QStringLiteral("united states "),
                                       QStringLiteral("USA"), QStringLiteral("United States / France"),
                                       QStringLiteral("France")};
        for (int i = 0; i < countries.size(); ++i) {
            TestCatalog::Row row = movie(QStringLiteral("Movie %1").arg(i), QStringLiteral("Drama"),
                                         QStringLiteral("1950"), QStringLiteral("Someone"));
            row[QStringLiteral("mv_country")] = countries[i];
            rows << row;
        }
        TestCatalog::create(path, rows);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        f.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        auto* field = f.find<QComboBox>(QStringLiteral("groupField"));
        field->setCurrentIndex(field->findText(QStringLiteral("Country")));
        QTRY_VERIFY(!groups(f).isCounting() && rowOf(f, QStringLiteral("United States")) > 0);
        // The list "United States / France" counts in the group too, as the merge's question does.
        QCOMPARE(model(f).index(rowOf(f, QStringLiteral("United States")), 1).data().toString(), QStringLiteral("3"));

        // Cancelled in the dialog: nothing asked, nothing written.
        f.prompts().dialogScripts << [](QDialog& dialog) { dialog.reject(); };
        groups(f).mergeGroup(rowOf(f, QStringLiteral("United States")));
        QVERIFY(f.prompts().confirmations.isEmpty());

        f.prompts().dialogScripts << [](QDialog& dialog) {
            auto* target = dialog.findChild<QComboBox*>(QStringLiteral("mergeTarget"));
            QVERIFY(target && target->findText(QStringLiteral("USA")) >= 0);
            target->setEditText(QStringLiteral("USA"));
            dialog.accept();
        };
        f.prompts().confirmAnswers << true;
        groups(f).mergeGroup(rowOf(f, QStringLiteral("United States")));
        QCOMPARE(f.prompts().confirmations.value(0),
                 QStringLiteral("Merge \"United States\" into \"USA\" in 3 records?"));
        const auto stored = [&path] {
            QStringList values;
            auto db = catalog::Database::open(path);
            auto query = db->connection()->prepare(QStringLiteral("select mv_country from archive order by rowid"));
            while (query->step())
                values << query->value(0).toString();
            return values;
        };
        QCOMPARE(stored(), (QStringList{"USA", "USA", "USA", "USA / France", "France"}));
        QTRY_VERIFY(!groups(f).isCounting() && rowOf(f, QStringLiteral("United States")) < 0);
        QCOMPARE(model(f).index(rowOf(f, QStringLiteral("USA")), 1).data().toString(), QStringLiteral("4"));
        QCOMPARE(f.window().form().mv_country->currentText(), QStringLiteral("USA")); // the record on show

        // One step of Undo brings every spelling back; Redo makes the merge again.
        QAction* undo = f.menu("mnUndo");
        QVERIFY(undo->isEnabled());
        QVERIFY(undo->text().contains(QStringLiteral("Merge")));
        undo->trigger();
        QCOMPARE(stored(), countries);
        f.menu("mnRedo")->trigger();
        QCOMPARE(stored(), (QStringList{"USA", "USA", "USA", "USA / France", "France"}));
        // With the group chosen, the count shown follows an Undo that takes records away.
        QTRY_VERIFY(!groups(f).isCounting() && rowOf(f, QStringLiteral("USA")) > 0);
        clickGroup(f, QStringLiteral("USA"));
        QCOMPARE(f.window().form().filterset->text(), QStringLiteral("Country: USA [4]"));
        undo->trigger();
        QTRY_COMPARE(f.window().form().filterset->text(), QStringLiteral("Country: USA [1]"));
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    // The filter above the groups finds a group as every search does.
    void groupNamesAreFoundWithoutAccents()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("names.mdb"));
        TestCatalog::create(path, {movie(QStringLiteral("Amélie"), QStringLiteral("Comédie"), QStringLiteral("2001"),
                                         QStringLiteral("Jean-Pierre Jeunet")),
                                   movie(QStringLiteral("Léon"), QStringLiteral("Thriller"), QStringLiteral("1994"),
                                         QStringLiteral("Luc Besson")),
                                   movie(QStringLiteral("Big"), QStringLiteral("Comedy"), QStringLiteral("1988"),
                                         QStringLiteral("Penny Marshall"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        f.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        QTRY_VERIFY(!groups(f).isCounting() && model(f).rowCount() > 0);
        auto* filter = f.find<QLineEdit>(QStringLiteral("groupNameFilter"));
        QTest::keyClicks(filter, QStringLiteral("comedie"));
        QCOMPARE(rows(f), (QStringList{"All records=3", QString::fromUtf8("Comédie=1")}));
        filter->clear();
        QTest::keyClicks(filter, QStringLiteral("COMED"));
        QCOMPARE(rows(f).size(), 3);
        filter->clear();
        filter->insert(QString::fromUtf8("comé")); // typed as an input method would
        QCOMPARE(rows(f), (QStringList{"All records=3", QString::fromUtf8("Comédie=1")}));
        // A group chosen under the filter filters the list.
        clickGroup(f, QString::fromUtf8("Comédie"));
        QCOMPARE(listRows(f), 1);
    }

    void choosingAGroupFiltersTheList()
    {
        AppFixture f;
        start(f);
        QCOMPARE(rows(f), (QStringList{"All records=5", "Comedy=1", "Drama=1", "Film noir=2", "(none)=1"}));
        f.find<QComboBox>(QStringLiteral("groupOrder"))->setCurrentIndex(1);
        QCOMPARE(rows(f).at(1), QStringLiteral("Film noir=2"));

        clickGroup(f, QStringLiteral("Film noir"));
        QCOMPARE(f.window().state().filterDescription, QStringLiteral("Genre: Film noir [2]"));
        QCOMPARE(f.window().form().filterset->text(), QStringLiteral("Genre: Film noir [2]"));
        QCOMPARE(listRows(f), 2);
        QVERIFY(f.window().form().dbNoFilter->isEnabled());

        // The filter field narrows the group.
        QLineEdit* field = f.find<QLineEdit>(QStringLiteral("quickFilter"));
        QTest::keyClicks(field, QStringLiteral("largo"));
        f.window().recordList().runFilter();
        QTRY_COMPARE(f.window().state().filterDescription,
                     QStringLiteral("Genre: Film noir, Quick: largo [1]"));
        QCOMPARE(listRows(f), 1);
        field->clear();
        f.window().recordList().runFilter();
        QTRY_COMPARE(f.window().state().filterDescription, QStringLiteral("Genre: Film noir [2]"));

        // "(none)" holds the record whose genre is a single space.
        clickGroup(f, QStringLiteral("(none)"));
        QCOMPARE(f.window().state().filterDescription, QStringLiteral("Genre: (none) [1]"));
        QCOMPARE(f.window().form().title->text(), QStringLiteral("Abbey Road"));

        // All Data drops the group; the pane shows no choice.
        f.window().form().dbNoFilter->click();
        QVERIFY(!f.window().state().filterActive);
        QVERIFY(!f.window().recordList().hasRestriction());
        QVERIFY(!f.find<QTreeView>(QStringLiteral("groupList"))->selectionModel()->hasSelection());
        QCOMPARE(listRows(f), 5);

        // By decade, and back to every record with "All records".
        f.find<QComboBox>(QStringLiteral("groupField"))
            ->setCurrentIndex(
                f.find<QComboBox>(QStringLiteral("groupField"))->findText(QStringLiteral("Decade")));
        QTRY_VERIFY(!groups(f).isCounting() && rowOf(f, QStringLiteral("1940s")) > 0);
        QCOMPARE(model(f).index(rowOf(f, QStringLiteral("1940s")), 1).data().toString(), QStringLiteral("3"));
        clickGroup(f, QStringLiteral("1940s"));
        QCOMPARE(f.window().state().filterDescription, QStringLiteral("Decade: 1940s [3]"));
        clickGroup(f, QStringLiteral("All records"));
        QVERIFY(!f.window().state().filterActive);
        QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("GroupField")),
                 QStringLiteral("decade"));
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    void countsFollowSavesAndDeletes()
    {
        AppFixture f;
        start(f);
        const int counted = groups(f).fullCounts();
        f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        // Casablanca becomes a film noir.
        f.window().form().dbFirst->click();
        while (f.window().form().title->text() != QLatin1String("Casablanca"))
            f.window().form().dbNext->click();
        f.window().form().mvGenre->setEditText(QStringLiteral("film noir"));
        f.window().form().dbSave->click();
        QCOMPARE(rows(f), (QStringList{"All records=5", "Comedy=1", "Film noir=3", "(none)=1"}));
        f.prompts().confirmAnswers << true;
        f.window().form().dbDelete->click();
        QCOMPARE(rows(f), (QStringList{"All records=4", "Comedy=1", "Film noir=2", "(none)=1"}));
        QCOMPARE(groups(f).fullCounts(), counted); // no count of the whole catalogue

        // A new record joins its group.
        f.window().form().dbNew->click();
        f.window().form().title->setText(QStringLiteral("Gilda"));
        f.window().form().catalog->setText(QStringLiteral("G1"));
        f.window().form().mvGenre->setEditText(QStringLiteral("Drama"));
        f.window().form().dbSave->click();
        QCOMPARE(rows(f), (QStringList{"All records=5", "Comedy=1", "Drama=1", "Film noir=2", "(none)=1"}));
        QCOMPARE(groups(f).fullCounts(), counted);

        // Hiding the pane from the menu, and showing it again (New brought
        // a tab with fields to the front: back to the List).
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        f.menu("mnGroupPane")->trigger();
        QVERIFY(!f.find<groups::GroupPane>(QStringLiteral("groupPane"))->isVisible());
        QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("GroupPane")), QStringLiteral("0"));
        f.menu("mnGroupPane")->trigger();
        QVERIFY(f.find<groups::GroupPane>(QStringLiteral("groupPane"))->isVisible());
    }
};

QTEST_MAIN(TestGroupPane)
#include "tst_group_pane.moc"
