// The collector's fields where records are found: the List's personal and
// cover columns and their sort, the quick filter over notes and location, and
// the search for tapes with room.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "collection/CollectorFeatures.h"
#include "collection/CoversCommands.h"
#include "collection/TapeRoomCommand.h"
#include "collection/TapeRoomDialog.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordForm.h"
#include "editing/StarRating.h"
#include "search/RecordListCommands.h"
#include "search/RecordListModel.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::search::RecordListModel;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

class TestCollectorList : public QObject
{
    Q_OBJECT

    // Five records on three tapes; personal data written as a file that
    // already holds them, with the stock tool's statements.
    static QString start(AppFixture& f, bool personal)
    {
        const QString path = f.file(QStringLiteral("l.mdb"));
        QList<TestCatalog::Row> rows;
        const char* const titles[] = {"Alien", "Brazil", "Casablanca", "Dune", "Eraserhead"};
        const char* const tapes[] = {"V1", "V1", "V2", "V2", "V3"};
        for (int i = 0; i < 5; ++i) {
            TestCatalog::Row row = TestCatalog::record(QString::fromLatin1(titles[i]), QString::fromLatin1(tapes[i]));
            row[QStringLiteral("md_type")] = QStringLiteral("VHS");
            rows << row;
        }
        TestCatalog::create(path, rows);
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        if (personal) {
            // Through the window, as a user stores them.
            editing::RecordForm& r = f.window().form();
            const struct
            {
                int rating;
                const char* notes;
                const char* location;
                const char* time;
                const char* length;
            } data[] = {{9, "Director's cut", "Shelf 1", "117", "E-180"},
                        {4, "Ads cut at the end", "Box 3", "142", ""},
                        {10, "", "Shelf 1", "102", "E-240"},
                        {0, "", "Attic", "137", ""},
                        {6, "", "", "89", ""}};
            r.dbFirst->click();
            for (const auto& d : data) {
                r.myRating->setValue(d.rating);
                r.notes->setPlainText(QString::fromUtf8(d.notes));
                r.location->setEditText(QString::fromUtf8(d.location));
                r.runningTime->setText(QString::fromLatin1(d.time));
                if (*d.length)
                    r.tapeLength->setEditText(QString::fromLatin1(d.length));
                r.dbSave->click();
                r.dbNext->click();
            }
            r.dbFirst->click();
            if (!f.prompts().exclamations.isEmpty())
                qFatal("%s", qPrintable(f.prompts().exclamations.join(u'|')));
        }
        f.window().tabs()->setCurrentIndex(MainWindow::ListTabIndex);
        return path;
    }
    static QTableView* table(AppFixture& f) { return f.find<QTableView>(QStringLiteral("recordTable")); }
    static QStringList column(AppFixture& f, const QString& name)
    {
        QAbstractItemModel* model = table(f)->model();
        const int c = RecordListModel::columnOf(name);
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->data(model->index(r, c)).toString();
        return out;
    }

private slots:
    void personalColumnsShowAndSort()
    {
        AppFixture f;
        start(f, true);
        QCOMPARE(column(f, QStringLiteral("title")),
                 (QStringList{"Alien", "Brazil", "Casablanca", "Dune", "Eraserhead"}));
        QCOMPARE(column(f, QStringLiteral("quelto_my_rating")),
                 (QStringList{"★★★★½", "★★", "★★★★★", "", "★★★"}));
        QCOMPARE(column(f, QStringLiteral("quelto_running_time")).first(), QStringLiteral("117 min"));
        QCOMPARE(column(f, QStringLiteral("quelto_notes"))[1], QStringLiteral("Ads cut at the end"));
        // Hidden until chosen from the header's menu.
        QTableView* view = table(f);
        QVERIFY(view->horizontalHeader()->isSectionHidden(RecordListModel::columnOf(QStringLiteral("quelto_notes"))));

        // A header click sorts by the column, with the arrow on it.
        f.window().recordList().sortByColumn(QStringLiteral("quelto_running_time"));
        QCOMPARE(column(f, QStringLiteral("title")),
                 (QStringList{"Eraserhead", "Casablanca", "Alien", "Dune", "Brazil"}));
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(),
                 RecordListModel::columnOf(QStringLiteral("quelto_running_time")));
        f.window().recordList().sortByColumn(QStringLiteral("quelto_location"));
        QCOMPARE(column(f, QStringLiteral("quelto_location")),
                 (QStringList{"", "Attic", "Box 3", "Shelf 1", "Shelf 1"}));
        // The cover column shows pictures and orders nothing.
        f.window().recordList().sortByColumn(RecordListModel::CoverColumn);
        QCOMPARE(column(f, QStringLiteral("quelto_location")).at(1), QStringLiteral("Attic"));
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
    }

    void aCatalogueWithoutPersonalDataSortsAndShowsWithoutError()
    {
        AppFixture f;
        const QString path = start(f, false);
        QCOMPARE(column(f, QStringLiteral("quelto_my_rating")), QStringList(5, QString()));
        f.window().recordList().sortByColumn(QStringLiteral("quelto_my_rating"));
        QCOMPARE(column(f, QStringLiteral("title")).first(), QStringLiteral("Alien"));
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
        // The first personal value stored: the list shows it at once.
        editing::RecordForm& r = f.window().form();
        r.myRating->setValue(3);
        r.dbSave->click();
        QCOMPARE(column(f, QStringLiteral("quelto_my_rating")).first(), QStringLiteral("★½"));
    }

    void theQuickFilterFindsNotesAndLocations()
    {
        AppFixture f;
        start(f, true);
        QLineEdit* field = f.find<QLineEdit>(QStringLiteral("quickFilter"));
        for (const auto& [text, expected] : {std::pair{"ADS CUT", QStringList{"Brazil"}},
                                             std::pair{"shelf 1", QStringList{"Alien", "Casablanca"}},
                                             std::pair{"attic", QStringList{"Dune"}}}) {
            field->setText(QString::fromLatin1(text));
            f.window().recordList().runFilter();
            QTRY_VERIFY(!f.window().recordList().isFiltering());
            QCOMPARE(column(f, QStringLiteral("title")), expected);
        }
    }

    void tapesWithRoomAreFound()
    {
        AppFixture f;
        start(f, true);
        // V1: E-180 with 117 + 142 min at SP: full. V2: E-240 with 102 + 137: one minute left.
        collection::TapeRoomCommand& room = f.window().collector().tapeRoom();
        room.search(1, QString());
        QCOMPARE(column(f, QStringLiteral("title")), (QStringList{"Casablanca", "Dune"}));
        QVERIFY(f.window().form().filterset->text().startsWith(QStringLiteral("Room for 1 min: 1 tape")));
        room.search(3, QStringLiteral("EP"));
        QCOMPARE(column(f, QStringLiteral("title")), (QStringList{"Casablanca", "Dune"}));
        room.search(4, QStringLiteral("EP"));
        QCOMPARE(f.prompts().exclamations.size(), 1);
        QVERIFY2(f.prompts().exclamations.first().startsWith(QStringLiteral("No tape has room for 4 minutes at EP.")),
                 qPrintable(f.prompts().exclamations.first()));
        QVERIFY(f.prompts().exclamations.first().contains(QStringLiteral("One tape without a known length")));
        // The filter in force stays after "No tape".
        QCOMPARE(column(f, QStringLiteral("title")), (QStringList{"Casablanca", "Dune"}));

        // Through the menu and its dialog.
        f.prompts().dialogScripts << [](QDialog& dialog) {
            auto& room = static_cast<collection::TapeRoomDialog&>(dialog);
            room.minutes()->setText(QStringLiteral("0:02"));
            room.speed()->setCurrentIndex(2); // at LP
            room.searchButton()->click();
        };
        f.window().form().dbNoFilter->click();
        f.menu("mnSrchRoom")->trigger();
        QCOMPARE(column(f, QStringLiteral("title")), (QStringList{"Casablanca", "Dune"}));

        // A movie of unknown running time on V2: what is left there is unknown, not free.
        editing::RecordForm& r = f.window().form();
        f.window().form().dbNoFilter->click();
        r.dbFirst->click();
        while (r.title->text() != QStringLiteral("Dune") && r.dbNext->isEnabled())
            r.dbNext->click();
        QCOMPARE(r.title->text(), QStringLiteral("Dune"));
        r.runningTime->clear();
        r.dbSave->click();
        room.search(1, QString());
        QCOMPARE(f.prompts().exclamations.size(), 2);
        QVERIFY2(f.prompts().exclamations.last().contains(QStringLiteral("V2 (\"Dune\" has no running time)")),
                 qPrintable(f.prompts().exclamations.last()));
    }
};

QTEST_MAIN(TestCollectorList)
#include "tst_collector_list.moc"
