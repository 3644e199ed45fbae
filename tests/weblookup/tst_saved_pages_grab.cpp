// Grabs of saved pages of real movie sites, served by the sample site on
// loopback under their real paths, through the main window and the browser
// engine: the profile that reads each page, every field in the form, the
// summary line and the notice of secondary pages that are not there.
#include "AppFixture.h"
#include "SavedPages.h"
#include "TestCatalog.h"
#include "WebEngineTestMain.h"
#include "weblookup/LookupTab.h"
#include "completion/SpellingMap.h"
#include "editing/FieldBinding.h"
#include "weblookup/LookupWorkflow.h"
#include "weblookup/SampleSite.h"
#include "weblookup/TransferDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalSpy>
#include <QComboBox>
#include <QWebEngineView>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::weblookup::LookupWorkflow;
using quelto::weblookup::SampleSite;
namespace SavedPages = quelto::test::SavedPages;

namespace {

constexpr int PageWait = 30000; // ms; a saved page of a megabyte loads in about a second

const SavedPages::Page* savedPage(const QByteArray& key)
{
    for (const SavedPages::Page& page : SavedPages::pages()) {
        if (key == page.key)
            return &page;
    }
    return nullptr;
}

} // namespace

class TestSavedPagesGrab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void grabsEveryField_data();
    void grabsEveryField();
    void secondaryPagesFailOrAreCancelled();

private:
    SampleSite m_site;
    std::unique_ptr<test::AppFixture> m_app;
};

void TestSavedPagesGrab::initTestCase()
{
    // The saved pages' console reports the scripts and images the site's
    // policy keeps out, hundreds of lines of them.
    QLoggingCategory::setFilterRules(QStringLiteral("js=false"));
    const QDir folder(QFINDTESTDATA("../data/pages"));
    QVERIFY(folder.exists());
    for (const SavedPages::Page& page : SavedPages::pages()) {
        QFile file(folder.filePath(QLatin1String(page.file)));
        QVERIFY2(file.open(QIODevice::ReadOnly), page.file);
        m_site.addPage(QLatin1String(page.path), file.readAll());
    }
    QVERIFY(m_site.listen());

    m_app = std::make_unique<test::AppFixture>();
    m_app->useMovieSite(m_site.root());
    const QString catalogue = m_app->file(QStringLiteral("c.mdb"));
    test::TestCatalog::create(catalogue);
    QCOMPARE(m_app->start(catalogue), MainWindow::LoadResult::Loaded);
}

void TestSavedPagesGrab::cleanupTestCase() { m_app.reset(); }

void TestSavedPagesGrab::grabsEveryField_data()
{
    QTest::addColumn<QByteArray>("titlePage");
    QTest::addColumn<QStringList>("secondaryPages");
    QTest::addColumn<SavedPages::Fields>("expected");
    for (const SavedPages::Grab& grab : SavedPages::servedGrabs()) {
        QStringList secondary;
        for (const QByteArray& page : grab.pages.mid(1))
            secondary << QString::fromLatin1(page).section(QLatin1Char(':'), 0, 0);
        QTest::newRow(grab.name) << grab.pages.first() << secondary << grab.expected;
    }
}

void TestSavedPagesGrab::grabsEveryField()
{
    QFETCH(QByteArray, titlePage);
    QFETCH(QStringList, secondaryPages);
    QFETCH(SavedPages::Fields, expected);

    MainWindow& window = m_app->window();
    weblookup::LookupTab& tab = window.lookupTab();
    LookupWorkflow& workflow = tab.workflow();
    const SavedPages::Page* page = savedPage(titlePage);
    QVERIFY(page);

    QSignalSpy loaded(tab.browser(), &QWebEngineView::loadFinished);
    tab.browser()->setUrl(QUrl(m_site.root().toString() + QLatin1String(page->path)));
    QVERIFY(loaded.wait(PageWait));
    QVERIFY(tab.grabit()->isEnabled());

    QSignalSpy ended(&workflow, &LookupWorkflow::grabEnded);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(tab.grabit(), Qt::LeftButton);
    // Each page of the grab may take its own wait on a busy machine.
    const int grabWait = PageWait * int(1 + secondaryPages.size());
    QVERIFY(!ended.isEmpty() || ended.wait(grabWait));
    qInfo("%s: grab took %lld ms", page->key, static_cast<long long>(clock.elapsed()));

    QStringList wrong;
    int right = 0;
    // The form holds the page's values under the spellings of the alias table a new user starts with.
    const completion::SpellingMap spellings;
    for (const editing::FieldBinding& field : editing::FieldBinding::of(window.form())) {
        if (!expected.contains(field.column()))
            continue;
        const QString want = spellings.spell(expected.value(field.column()), {});
        if (field.text() == want)
            ++right;
        else
            wrong << QStringLiteral("%1: \"%2\", expected \"%3\"").arg(field.column(), field.text(), want);
    }
    // The running time and the poster are in the grab's result, not in the form.
    const weblookup::GrabResult& result = workflow.lastResult();
    for (const auto& [column, value] : {std::pair{QStringLiteral("quelto_running_time"), result.fields.runningTime},
                                        std::pair{QStringLiteral("cover"), result.fields.cover}}) {
        if (value == expected.value(column))
            ++right;
        else
            wrong << QStringLiteral("%1: \"%2\", expected \"%3\"").arg(column, value, expected.value(column));
    }
    qInfo("%s: %d of %lld fields right", page->key, right, static_cast<long long>(expected.size()));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));

    // The summary names the profile and what was not found; the pages read
    // are not in the notice.
    const QString summary = m_app->find<QLabel>(QStringLiteral("grabSummary"))->text();
    const QString path = QLatin1String(page->path);
    // IMDb and Wikipedia by their addresses; a page without structured data
    // by the profile for any page.
    const QString profile = path.startsWith(QLatin1String("/title/"))   ? QStringLiteral("IMDb")
                            : path.contains(QLatin1String("/wiki/")) || path.startsWith(QLatin1String("/api/"))
                                ? QStringLiteral("Wikipedia")
                            : titlePage == "kinopoisk-2019" ? QStringLiteral("any site")
                                                            : QStringLiteral("schema.org");
    QVERIFY2(summary.startsWith(profile + QLatin1String(": filled ")), qPrintable(summary));
    int filled = 0;
    for (const QString& value : expected)
        filled += value.isEmpty() ? 0 : 1;
    QVERIFY2(summary.contains(QStringLiteral("filled %1 of %2").arg(filled).arg(expected.size())), qPrintable(summary));
    for (const QString& name : secondaryPages)
        QVERIFY2(!workflow.notice().contains(name), qPrintable(workflow.notice()));
    QVERIFY(!workflow.transf()->isVisible());
}

void TestSavedPagesGrab::secondaryPagesFailOrAreCancelled()
{
    MainWindow& window = m_app->window();
    weblookup::LookupTab& tab = window.lookupTab();
    LookupWorkflow& workflow = tab.workflow();
    auto open = [&](const QString& path) {
        QSignalSpy loaded(tab.browser(), &QWebEngineView::loadFinished);
        tab.browser()->setUrl(QUrl(m_site.root().toString() + path));
        return loaded.wait(PageWait) && tab.grabit()->isEnabled();
    };

    // The Matrix's credits page is not there: its step ends with the notice,
    // and the title page's values stay.
    QVERIFY(open(QStringLiteral("/title/tt0133093/")));
    QSignalSpy ended(&workflow, &LookupWorkflow::grabEnded);
    QTest::mouseClick(tab.grabit(), Qt::LeftButton);
    QVERIFY(ended.wait(PageWait));
    QVERIFY2(workflow.notice().startsWith(QStringLiteral("credits page not found (404); companies page not found (404)")),
             qPrintable(workflow.notice()));
    QCOMPARE(window.form().mvCast[0]->currentText(), QStringLiteral("Keanu Reeves"));

    // The further pages are asked for at once, and the progress window names
    // those still awaited, in the same place. Cancel while the credits page loads ends the grab:
    // what the title page gave stays, and the pages that came are not read.
    m_site.hold(QStringLiteral("/title/tt0468569/fullcredits"));
    QVERIFY(open(QStringLiteral("/title/tt0468569/")));
    m_site.clearRequests();
    QTest::mouseClick(tab.grabit(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(workflow.transf()->isVisible(), PageWait);
    QTRY_VERIFY_WITH_TIMEOUT(m_site.requests().filter(QStringLiteral("technical")).size() == 1, PageWait);
    QVERIFY(m_site.requests().filter(QStringLiteral("companycredits")).size() == 1);
    const QPoint placed = workflow.transf()->pos();
    QTest::qWait(300); // the companies and technical pages have come; the credits page holds the rest
    QCOMPARE(workflow.transf()->label1()->text(), LookupWorkflow::CreditsText);
    QCOMPARE(workflow.transf()->pos(), placed);
    QTest::mouseClick(workflow.transf()->cancelButton(), Qt::LeftButton);
    QVERIFY(ended.wait(PageWait));
    QVERIFY(!workflow.transf()->isVisible());
    QCOMPARE(window.form().mvDirector->currentText(), QStringLiteral("Christopher Nolan"));
    QCOMPARE(window.form().mvCast[2]->currentText(), QStringLiteral("Aaron Eckhart"));
    QCOMPARE(window.form().mvMusic->currentText(), QString());
    m_site.release();
    QTest::qWait(300);
    QCOMPARE(window.form().mvMusic->currentText(), QString());
    QVERIFY(workflow.notice().isEmpty());
}

QUELTO_WEBENGINE_TEST_MAIN(TestSavedPagesGrab)
#include "tst_saved_pages_grab.moc"
