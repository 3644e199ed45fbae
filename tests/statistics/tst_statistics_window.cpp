// The Statistics window in the real main window: the figures of the whole
// catalogue or of the records shown, and each chart copied, saved as PNG or
// PDF, and printed.
#include "app/CollectionMenu.h"
#include "AppFixture.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordForm.h"
#include "statistics/CatalogueStamp.h"
#include "statistics/ChartPrinter.h"
#include "statistics/KeptStatistics.h"
#include "statistics/StatisticsCharts.h"
#include "statistics/StatisticsWindow.h"
#include "TestCatalog.h"

#include <QAbstractAxis>
#include <QAbstractBarSeries>
#include <QAction>
#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QPainter>
#include <QPieSeries>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

// Prints onto an image and keeps what was printed.
class RecordingPrinter : public statistics::ChartPrinter
{
public:
    QStringList titles;
    QImage page;
    bool answer = true;

    bool print(QWidget*, const QString& title, const Painting& paint) override
    {
        if (!answer)
            return false;
        titles << title;
        page = QImage(1100, 800, QImage::Format_ARGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        paint(painter, QRectF(page.rect()));
        return true;
    }
};

bool hasInk(const QImage& image)
{
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) {
            if (image.pixelColor(x, y) != QColor(Qt::white))
                return true;
        }
    }
    return false;
}

} // namespace

class TestStatisticsWindow : public QObject
{
    Q_OBJECT

private slots:
    void chartsOfTheCatalogueAndOfTheRecordsShown()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("stats.mdb"));
        QList<TestCatalog::Row> rows;
        for (int i = 0; i < 30; ++i) {
            TestCatalog::Row row =
                TestCatalog::record(QStringLiteral("Movie %1").arg(i), QStringLiteral("T%1").arg(i / 2));
            row[QStringLiteral("mv_genre")] = i % 3 == 0 ? QStringLiteral("Drama") : QStringLiteral("Comedy");
            row[QStringLiteral("md_type")] = i % 5 == 0 ? QStringLiteral("DVD") : QStringLiteral("VHS");
            row[QStringLiteral("mv_year")] = QString::number(1950 + i);
            rows << row;
        }
        TestCatalog::create(path, rows);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        auto printer = std::make_unique<RecordingPrinter>();
        RecordingPrinter* printed = printer.get();
        f.window().collectionMenu().setChartPrinter(std::move(printer));

        f.menu("mnStatistics")->trigger();
        statistics::StatisticsWindow& window = f.window().collectionMenu().statisticsWindow();
        QVERIFY(window.isVisible());
        QTRY_VERIFY(!window.isCounting());
        QCOMPARE(window.figures().records, 30);
        QVERIFY(window.summary()->text().contains(QStringLiteral("30 records</b> on 15 tapes")));
        // The genre chart: one bar a genre, the largest at the top.
        QVERIFY(window.chartView(QStringLiteral("genre")));
        QChart* genre = window.chartView(QStringLiteral("genre"))->chart();
        QCOMPARE(genre->series().size(), 1);
        auto* bars = static_cast<QAbstractBarSeries*>(genre->series().first());
        QCOMPARE(bars->barSets().first()->count(), 2);
        QCOMPARE(bars->barSets().first()->at(1), 20.0);
        auto* media =
            static_cast<QPieSeries*>(window.chartView(QStringLiteral("medium"))->chart()->series().first());
        QCOMPARE(media->count(), 2);
        QCOMPARE(media->slices().first()->label(), QStringLiteral("80%"));
        const QList<QLegendMarker*> legend =
            window.chartView(QStringLiteral("medium"))->chart()->legend()->markers(media);
        QCOMPARE(legend.first()->label(), QStringLiteral("VHS<br>24, 80%"));

        // Top lists say how many more there are: the directors beyond the top 20, and the
        // borrowers beyond the 15 bars (those of the figures' top 20 and the rest).
        statistics::StatisticsFigures top;
        top.topDirectors = {{QStringLiteral("John Huston"), 9, 0.3}};
        top.otherDirectors = {4, 12};
        for (int i = 0; i < 18; ++i)
            top.loansPerBorrower.push_back({QStringLiteral("Friend %1").arg(i), 20 - i, 1, 0});
        top.otherBorrowers = 2;
        top.otherBorrowersLoans = 3;
        std::unique_ptr<QChart> directors(statistics::StatisticsCharts::build(QStringLiteral("directors"), top));
        QVERIFY2(directors->title().contains(QStringLiteral("4 more directors in 12 records")),
                 qPrintable(directors->title()));
        std::unique_ptr<QChart> lenders(statistics::StatisticsCharts::build(QStringLiteral("borrowers"), top));
        auto* loanBars = static_cast<QAbstractBarSeries*>(lenders->series().first());
        QCOMPARE(loanBars->barSets().first()->count(), statistics::StatisticsCharts::MaxBars);
        // Friends 15, 16 and 17 (5 + 4 + 3 loans) and the two others (3 loans).
        QVERIFY2(lenders->title().contains(QStringLiteral("5 more borrowers in 15 loans")),
                 qPrintable(lenders->title()));
        // No loans: the chart says so.
        std::unique_ptr<QChart> none(statistics::StatisticsCharts::build(QStringLiteral("borrowers"), {}));
        auto* noLoans = qobject_cast<QPieSeries*>(none->series().first());
        QVERIFY(noLoans);
        QCOMPARE(noLoans->slices().first()->label(), QStringLiteral("No loans yet"));
        top.otherDirectors = {};
        std::unique_ptr<QChart> few(statistics::StatisticsCharts::build(QStringLiteral("directors"), top));
        QCOMPARE(few->title(), QStringLiteral("Top 20 directors"));

        // Saved as PNG and as PDF.
        const QString png = f.file(QStringLiteral("genre.png"));
        f.prompts().fileAnswers << png;
        window.findChild<QToolButton*>(QStringLiteral("save_genre"))->click();
        QCOMPARE(f.prompts().fileRequests.back().fileName, f.file(QStringLiteral("stats-genre.png")));
        QVERIFY(f.prompts().fileRequests.back().save);
        const QImage saved(png);
        QCOMPARE(saved.size(), QSize(1800, 1200));
        QVERIFY(hasInk(saved));
        const QString pdf = f.file(QStringLiteral("decade.PDF"));
        f.prompts().fileAnswers << pdf;
        window.saveChart(QStringLiteral("decade"));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        // A name without a known ending becomes a PNG.
        f.prompts().fileAnswers << f.file(QStringLiteral("seen"));
        window.saveChart(QStringLiteral("seen"));
        QVERIFY(QFile::exists(f.file(QStringLiteral("seen.png"))));
        // A file that cannot be written: a message.
        f.prompts().fileAnswers << f.file(QStringLiteral("no/such/folder/x.png"));
        window.saveChart(QStringLiteral("seen"));
        QCOMPARE(f.prompts().exclamations.size(), 1);

        window.findChild<QToolButton*>(QStringLiteral("copy_medium"))->click();
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(1800, 1200));

        window.findChild<QToolButton*>(QStringLiteral("print_directors"))->click();
        QCOMPARE(printed->titles, QStringList{QStringLiteral("Top 20 directors")});
        QVERIFY(hasInk(printed->page));
        printed->answer = false;
        window.printChart(QStringLiteral("cast"));
        QCOMPARE(window.status()->text(), QStringLiteral("Not printed."));

        // The records a search shows.
        f.prompts().dialogScripts <<
            [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("Search"))->click(); };
        f.menu("mnSrchGenre")->trigger(); // the first genre: Comedy
        QVERIFY(f.window().state().filterActive);
        window.setScope(statistics::StatisticsWindow::Scope::RecordsShown);
        QTRY_VERIFY(!window.isCounting());
        QCOMPARE(window.figures().records, 20);
        QVERIFY(window.scopeBox()->currentText().contains(QStringLiteral("Genre: Comedy [20]")));
        window.setScope(statistics::StatisticsWindow::Scope::WholeCatalogue);
        QTRY_VERIFY(!window.isCounting());
        QCOMPARE(window.figures().records, 30);
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    // A million records: fifteen genres and countries, eleven decades, counts
    // of six digits. At the size the window gives each chart, no name of a
    // bar and no count of an axis is cut to "...".
    void chartsOfAMillionRecordsShowEveryLabel()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("labels.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien"), QStringLiteral("T1"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.menu("mnStatistics")->trigger();
        statistics::StatisticsWindow& window = f.window().collectionMenu().statisticsWindow();
        QTRY_VERIFY(!window.isCounting());

        statistics::StatisticsFigures big;
        big.records = 1000000;
        const QStringList genres = {QStringLiteral("Drama"),   QStringLiteral("Comedy"),    QStringLiteral("Thriller"),
                                    QStringLiteral("Action"),  QStringLiteral("Romance"),   QStringLiteral("Crime"),
                                    QStringLiteral("Horror"),  QStringLiteral("Documentary"), QStringLiteral("Adventure"),
                                    QStringLiteral("Sci-Fi"),  QStringLiteral("Family"),    QStringLiteral("Mystery"),
                                    QStringLiteral("Fantasy"), QStringLiteral("Animation"), QStringLiteral("War"),
                                    QStringLiteral("Western"), QStringLiteral("Musical")};
        for (int i = 0; i < genres.size(); ++i) {
            const int count = 240000 / (i + 1) + 7; // no round number, as the axis has
            big.byGenre.push_back({genres[i], count, count / 1e6});
            big.byCountry.push_back({genres[i] + QStringLiteral("land"), count, count / 1e6});
        }
        big.myRating.push_back({QStringLiteral("(none)"), 1000003, 1.0}); // seven digits, written whole
        for (int decade = 1920; decade <= 2020; decade += 10)
            big.byDecade.push_back({QStringLiteral("%1s").arg(decade), 90007 + decade, 0.09});

        for (const QString& id :
             {QStringLiteral("genre"), QStringLiteral("country"), QStringLiteral("decade"), QStringLiteral("myrating")}) {
            QChartView view;
            view.setChart(statistics::StatisticsCharts::build(id, big));
            view.resize(window.chartView(id)->minimumSize());
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            QCoreApplication::processEvents();
            for (QAbstractAxis* axis : view.chart()->axes())
                QVERIFY2(!axis->labelsTruncated(), qPrintable(id + QStringLiteral(": labels cut short")));
            // Each bar's count is written whole, inside the plot: a short
            // bar's count, written inside it, lost its first digits.
            const QRectF plot = view.chart()->plotArea().adjusted(-1, -1, 1, 1);
            int counts = 0, ticks = 0;
            for (QGraphicsItem* item : view.scene()->items()) {
                const auto* text = dynamic_cast<QGraphicsTextItem*>(item);
                bool number = false;
                const int value = text ? QLocale().toInt(text->toPlainText(), &number) : 0;
                if (!number || !item->isVisible())
                    continue;
                if (value % 10 == 0) { // an axis label
                    ++ticks;
                    continue;
                }
                ++counts;
                QVERIFY2(plot.contains(item->sceneBoundingRect()),
                         qPrintable(QStringLiteral("%1: the count %2 is cut by the plot's edge").arg(id).arg(value)));
            }
            QCOMPARE(counts, id == QStringLiteral("decade") ? 11 : id == QStringLiteral("myrating") ? 1 : 15);
            QVERIFY2(ticks >= 3, qPrintable(id + QStringLiteral(": the count axis has no labels")));
        }
    }

    // After a save in the window, the kept figures are made again in the
    // background, so that the next Statistics shows them at once.
    void keptFiguresFollowTheWindowsSaves()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("kept.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Casablanca"), QStringLiteral("A1")),
                                   TestCatalog::record(QStringLiteral("Vertigo"), QStringLiteral("B2"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.menu("mnStatistics")->trigger();
        statistics::StatisticsWindow& window = f.window().collectionMenu().statisticsWindow();
        QTRY_VERIFY(!window.isCounting());
        window.close();
        const auto keptGenres = [&path] {
            auto reader =
                catalog::SqliteConnection::open(path, catalog::SqliteConnection::Mode::OpenReadOnly);
            const auto stamp = statistics::CatalogueStamp::take(*reader);
            const auto kept = stamp ? statistics::KeptStatistics::read(path, *stamp) : std::nullopt;
            QStringList genres;
            for (const statistics::Share& share : kept ? kept->byGenre : std::vector<statistics::Share>{})
                genres << share.name;
            return genres;
        };
        QCOMPARE(keptGenres().size(), 2);

        editing::RecordForm& form = f.window().form();
        form.mvGenre->setEditText(QStringLiteral("Western"));
        form.dbSave->click();
        QVERIFY(keptGenres().isEmpty()); // stale at once
        QTRY_VERIFY_WITH_TIMEOUT(keptGenres().contains(QStringLiteral("Western")), 20000);
        f.menu("mnStatistics")->trigger();
        QTRY_VERIFY(!window.isCounting());
        QCOMPARE(window.figures().byGenre.size(), size_t(2));
        QVERIFY(f.prompts().unexpected.isEmpty());
    }
};

QTEST_MAIN(TestStatisticsWindow)
#include "tst_statistics_window.moc"
