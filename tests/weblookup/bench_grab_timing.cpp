// Time of "Grab Data !" in the main window, from the click on the button to
// the last field written (the grab's end), for saved pages of IMDb (with its
// credits, companies and technical pages), Wikipedia and Letterboxd served on
// loopback, and a title page of the sample site in the classic layout (its
// credits and companies pages). Five grabs each; prints the median and the worst. Not a test: no
// time is asserted. Run it on a real display to see what a person sees:
//
//     DISPLAY=:61 build/tests/weblookup/bench_grab_timing [RUNS]
#include "AppFixture.h"
#include "SavedPages.h"
#include "TestCatalog.h"
#include "WebEngineTestMain.h"
#include "weblookup/LookupTab.h"
#include "weblookup/LookupWorkflow.h"
#include "weblookup/SampleSite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalSpy>
#include <QWebEngineView>
#include <algorithm>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::weblookup::LookupWorkflow;
using quelto::weblookup::SampleSite;
namespace SavedPages = quelto::test::SavedPages;

class BenchGrabTiming : public QObject
{
    Q_OBJECT

private slots:
    void grabs();
};

void BenchGrabTiming::grabs()
{
    QLoggingCategory::setFilterRules(QStringLiteral("js=false"));
    const int runs = std::max(1, qEnvironmentVariableIntValue("QUELTO_BENCH_RUNS") > 0
                                     ? qEnvironmentVariableIntValue("QUELTO_BENCH_RUNS") : 5);
    SampleSite site;
    const QDir folder(QFINDTESTDATA("../data/pages"));
    QVERIFY(folder.exists());
    for (const SavedPages::Page& page : SavedPages::pages()) {
        QFile file(folder.filePath(QLatin1String(page.file)));
        QVERIFY2(file.open(QIODevice::ReadOnly), page.file);
        site.addPage(QLatin1String(page.path), file.readAll());
    }
    QVERIFY(site.listen());
    test::AppFixture app;
    app.useMovieSite(site.root());
    const QString catalogue = app.file(QStringLiteral("c.mdb"));
    test::TestCatalog::create(catalogue);
    QCOMPARE(app.start(catalogue), MainWindow::LoadResult::Loaded);
    MainWindow& window = app.window();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    weblookup::LookupTab& tab = window.lookupTab();
    LookupWorkflow& workflow = tab.workflow();

    const SampleSite::Movie* classic = SampleSite::movie(QStringLiteral("Harbour of Ashes (1949)"));
    QVERIFY(classic);
    for (const char* key : {"darkknight", "titanic", "dune", "classic"}) {
        const SavedPages::Page* page = nullptr;
        for (const SavedPages::Page& p : SavedPages::pages())
            page = qstrcmp(p.key, key) == 0 ? &p : page;
        const QUrl address = page ? QUrl(site.root().toString() + QLatin1String(page->path)) : site.titlePage(*classic);
        QList<qint64> times;
        for (int run = 0; run < runs; ++run) {
            QSignalSpy loaded(tab.browser(), &QWebEngineView::loadFinished);
            tab.browser()->setUrl(address);
            QVERIFY(loaded.wait(30000));
            QTRY_VERIFY(tab.grabit()->isEnabled());
            QSignalSpy ended(&workflow, &LookupWorkflow::grabEnded);
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(tab.grabit(), Qt::LeftButton);
            QVERIFY(!ended.isEmpty() || ended.wait(120000));
            times << clock.elapsed();
        }
        std::sort(times.begin(), times.end());
        QStringList all;
        for (qint64 t : times)
            all << QString::number(t);
        std::printf("%-12s median %5lld ms  worst %5lld ms  (%s)\n", key, static_cast<long long>(times[times.size() / 2]),
                    static_cast<long long>(times.back()), qPrintable(all.join(QLatin1String(", "))));
        std::fflush(stdout);
    }
}

QUELTO_WEBENGINE_TEST_MAIN(BenchGrabTiming)
#include "bench_grab_timing.moc"
