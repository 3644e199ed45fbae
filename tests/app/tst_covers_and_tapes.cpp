// Covers given to a record, shown on the Movie tab and in the Covers view,
// kept with the record and gone with it; what a tape holds and how much is
// left on it.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "collection/CollectorFeatures.h"
#include "collection/CoversCommands.h"
#include "collection/CoversPane.h"
#include "app/MainWindow.h"
#include "collection/TapePanel.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CoverGridModel.h"
#include "collection/CoverThumbnails.h"
#include "editing/CoverField.h"
#include "editing/CoverView.h"
#include "editing/CoverViewer.h"
#include "editing/RecordForm.h"
#include "editing/UnsavedChanges.h"

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

QString writePicture(const QString& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QImageWriter writer(path, "jpeg");
    writer.write(image);
    return path;
}

int coverCount(const QString& path)
{
    auto db = catalog::Database::open(path);
    if (!db->hasTable(QStringLiteral("quelto_covers")))
        return 0;
    auto query = db->connection()->prepare(QStringLiteral("select count(*) from quelto_covers"));
    query->step();
    return int(query->int64(0));
}

} // namespace

class TestCoversAndTapes : public QObject
{
    Q_OBJECT

    static QString start(AppFixture& f, const QList<TestCatalog::Row>& rows)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        TestCatalog::create(path, rows);
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        return path;
    }
    static QList<TestCatalog::Row> titles(const QStringList& names, const QString& mediaId = QStringLiteral("T1"))
    {
        QList<TestCatalog::Row> rows;
        for (const QString& name : names)
            rows << TestCatalog::record(name, mediaId);
        return rows;
    }

private slots:
    void aCoverChosenIsStoredWithTheRecordAndGoesWithIt()
    {
        AppFixture f;
        const QString path = start(f, titles({"A", "B"}));
        editing::RecordForm& r = f.window().form();
        editing::CoverView* view = r.cover;
        QVERIFY(!view->hasPicture());

        // Not a picture: told, nothing changes.
        const QString text = f.file(QStringLiteral("notes.jpg"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not a picture");
        file.close();
        f.prompts().fileAnswers << text;
        view->chooseAction()->trigger();
        QCOMPARE(f.prompts().exclamations.size(), 1);
        QVERIFY(!view->hasPicture());
        QVERIFY(!f.window().unsavedChanges().hasChanges());

        // A picture: shown at once, stored with Save.
        f.prompts().fileAnswers << writePicture(f.file(QStringLiteral("a.jpg")), {200, 300}, Qt::red);
        view->chooseAction()->trigger();
        QVERIFY(view->hasPicture());
        QVERIFY(f.window().unsavedChanges().hasChanges());
        QCOMPARE(coverCount(path), 0);
        r.dbSave->click();
        QCOMPARE(coverCount(path), 1);
        QVERIFY(!f.window().unsavedChanges().hasChanges());

        // Another record has none; back to the first, it is there again.
        r.dbNext->click();
        QVERIFY(!view->hasPicture());
        r.dbPrev->click();
        QVERIFY(view->hasPicture());

        // Full size: the viewer shows the stored picture.
        f.prompts().dialogScripts << [](QDialog&) {};
        view->viewAction()->trigger();
        QVERIFY(f.window().collector().cover().viewer());
        QCOMPARE(f.window().collector().cover().viewer()->picture()->pixmap().size(), QSize(200, 300));

        // Removed, then saved: gone from the file.
        view->removeAction()->trigger();
        QVERIFY(!view->hasPicture());
        r.dbSave->click();
        QCOMPARE(coverCount(path), 0);

        // Deleting a record takes its cover along.
        f.prompts().fileAnswers << writePicture(f.file(QStringLiteral("b.jpg")), {100, 150}, Qt::blue);
        view->chooseAction()->trigger();
        r.dbSave->click();
        QCOMPARE(coverCount(path), 1);
        f.prompts().confirmAnswers << true;
        r.dbDelete->click();
        QCOMPARE(coverCount(path), 0);
        QCOMPARE(r.title->text(), QStringLiteral("B"));
        QVERIFY2(f.prompts().unexpected.isEmpty(), qPrintable(f.prompts().unexpected.join(u'|')));
    }

    void theCoversViewShowsTheRecordSetAndChoosesRecords()
    {
        AppFixture f;
        start(f, titles({"A", "B", "C", "D"}));
        editing::RecordForm& r = f.window().form();
        // B gets a cover.
        r.dbNext->click();
        f.prompts().fileAnswers << writePicture(f.file(QStringLiteral("b.jpg")), {120, 180}, Qt::green);
        r.cover->chooseAction()->trigger();
        r.dbSave->click();

        collection::CollectorFeatures& collector = f.window().collector();
        f.window().tabs()->setCurrentIndex(MainWindow::CoversTabIndex);
        QListView* grid = collector.coversPane().grid();
        collection::CoverGridModel& model = collector.covers().model();
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(model.data(model.index(0)).toString(), QStringLiteral("A"));
        // The cover arrives from the worker; a record without one becomes a plain card.
        model.data(model.index(0), Qt::DecorationRole);
        model.data(model.index(1), Qt::DecorationRole);
        QTRY_VERIFY(!model.data(model.index(1), Qt::DecorationRole).value<QImage>().isNull());
        QTRY_COMPARE(model.data(model.index(0), collection::CoverGridModel::HasCoverRole), QVariant(false));

        // Choosing a card shows its record; Enter opens it on the Movie tab.
        grid->setCurrentIndex(model.index(3));
        QCOMPARE(r.title->text(), QStringLiteral("D"));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(f.window().tabs()->currentIndex(), int(MainWindow::MovieTabIndex));
        // The view follows a search.
        f.window().tabs()->setCurrentIndex(MainWindow::CoversTabIndex);
        r.dbFirst->click();
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    void aTapeShowsItsMoviesAndFreeMinutes()
    {
        AppFixture f;
        QList<TestCatalog::Row> rows = titles({"Alien", "Brazil", "Casablanca"}, QStringLiteral("VHS-7"));
        for (TestCatalog::Row& row : rows)
            row[QStringLiteral("md_type")] = QStringLiteral("VHS");
        rows << TestCatalog::record(QStringLiteral("Elsewhere"), QStringLiteral("VHS-8"));
        const QString path = start(f, rows);
        editing::RecordForm& r = f.window().form();
        collection::TapePanel& panel = f.window().collector().tapePanel();
        f.window().tabs()->setCurrentIndex(0);
        // On the Media tab, beside its fields.
        QVERIFY(panel.isVisibleTo(f.window().tabs()->widget(0)));

        // Running times and speeds, typed and saved one movie after the other.
        const struct
        {
            const char* time;
            const char* speed;
        } movies[] = {{"117", "SP"}, {"142", "LP"}, {"102", "EP"}};
        r.dbFirst->click();
        for (const auto& movie : movies) {
            r.runningTime->setText(QString::fromLatin1(movie.time));
            r.speed->setCurrentText(QString::fromLatin1(movie.speed));
            if (movie.time == movies[0].time)
                r.tapeLength->setEditText(QStringLiteral("E-240"));
            r.dbSave->click();
            r.dbNext->click();
        }
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
        r.dbFirst->click();
        panel.refresh();
        QCOMPARE(panel.movies()->topLevelItemCount(), 3);
        QCOMPARE(panel.movies()->topLevelItem(1)->text(1), QStringLiteral("Brazil"));
        QCOMPARE(panel.movies()->topLevelItem(1)->text(2), QStringLiteral("142 min"));
        // 117 + 142/2 + 102/3 = 222 of 240 minutes at SP.
        QVERIFY2(panel.summary()->text().contains(QStringLiteral("Free: 18 min SP / 36 min LP / 54 min EP")),
                 qPrintable(panel.summary()->text()));
        // Every movie of the tape shows the tape's length; another tape has none.
        r.dbNext->click();
        QCOMPARE(r.tapeLength->currentText(), QStringLiteral("E-240"));
        r.dbLast->click();
        QVERIFY(r.tapeLength->currentText().isEmpty());

        // What is typed counts before it is saved: a new record on the tape.
        r.dbNew->click();
        r.title->setText(QStringLiteral("Dune"));
        r.catalog->setText(QStringLiteral("VHS-7"));
        emit r.catalog->textEdited(r.catalog->text());
        r.mediatype->setEditText(QStringLiteral("VHS"));
        QCOMPARE(r.tapeLength->currentText(), QStringLiteral("E-240"));
        r.runningTime->setText(QStringLiteral("40"));
        panel.refresh();
        QCOMPARE(panel.movies()->topLevelItemCount(), 4);
        QVERIFY2(panel.summary()->text().contains(QStringLiteral("Over by 22 min SP")), qPrintable(panel.summary()->text()));
        // Without its running time the tape's room is unknown, and the panel names the movie.
        r.runningTime->clear();
        panel.refresh();
        QVERIFY2(panel.summary()->text().contains(QStringLiteral("Free: unknown, not free")),
                 qPrintable(panel.summary()->text()));
        QVERIFY2(!panel.summary()->text().contains(QStringLiteral("Free: 18")), qPrintable(panel.summary()->text()));
        QVERIFY2(panel.summary()->text().contains(QStringLiteral("&quot;Dune&quot; has no running time")),
                 qPrintable(panel.summary()->text()));
        r.runningTime->setText(QStringLiteral("40"));

        // A length that is no length is refused on Save.
        r.tapeLength->setEditText(QStringLiteral("long"));
        r.dbSave->click();
        QVERIFY(f.prompts().exclamations.last().contains(QStringLiteral("\"long\" is not a length")));
        QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("archive")), 4);
    }
};

QTEST_MAIN(TestCoversAndTapes)
#include "tst_covers_and_tapes.moc"
