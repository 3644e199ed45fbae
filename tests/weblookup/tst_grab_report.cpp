// The grab in the main window, as far as it concerns where pages come from and
// what the user is told: a title page sent on from another site is not read,
// a further page is asked of the title page's site alone, the result carries
// the running time and the poster, and broken site profiles are reported in
// the summary and in the help.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "WebEngineTestMain.h"
#include "app/HelpCommands.h"
#include "weblookup/LookupTab.h"
#include "weblookup/LookupWorkflow.h"
#include "weblookup/PageGuard.h"
#include "weblookup/SampleSite.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QWebEngineView>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::weblookup::GrabResult;
using quelto::weblookup::LookupWorkflow;
using quelto::weblookup::PageGuard;
using quelto::weblookup::SampleSite;

namespace {

constexpr int PageWait = 15000; // ms

// The main window on the sample site, with a data folder of its own for the
// user's site profiles.
struct Window
{
    QTemporaryDir data;
    QByteArray oldData = qgetenv("XDG_DATA_HOME");
    SampleSite site;
    std::unique_ptr<test::AppFixture> f;

    explicit Window(const QHash<QString, QByteArray>& profileFiles = {})
    {
        QDir(data.path()).mkpath(QStringLiteral("quelto/profiles"));
        for (auto it = profileFiles.cbegin(); it != profileFiles.cend(); ++it) {
            QFile file(data.filePath(QStringLiteral("quelto/profiles/") + it.key()));
            if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
                qFatal("cannot write a profile");
        }
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        if (!site.listen())
            qFatal("cannot listen on loopback");
        f = std::make_unique<test::AppFixture>();
        f->useMovieSite(site.root());
        const QString path = f->file(QStringLiteral("c.mdb"));
        test::TestCatalog::create(path);
        if (f->start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the main window did not load");
    }
    ~Window()
    {
        f.reset();
        if (oldData.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", oldData);
    }

    weblookup::LookupTab& tab() { return f->window().lookupTab(); }
    LookupWorkflow& workflow() { return tab().workflow(); }

    bool open(const QUrl& url)
    {
        QSignalSpy loaded(tab().browser(), &QWebEngineView::loadFinished);
        tab().browser()->setUrl(url);
        return loaded.wait(PageWait) && tab().grabit()->isEnabled();
    }
    bool grab()
    {
        QSignalSpy ended(&workflow(), &LookupWorkflow::grabEnded);
        QTest::mouseClick(tab().grabit(), Qt::LeftButton);
        return !ended.isEmpty() || ended.wait(PageWait);
    }
};

} // namespace

class TestGrabReport : public QObject
{
    Q_OBJECT

private slots:
    void titlePageFromAnotherSiteIsNotRead();
    void furtherPagesStayOnTheSite();
    void resultCarriesRunningTimeAndPoster();
    void brokenProfilesAreReported();
};

void TestGrabReport::titlePageFromAnotherSiteIsNotRead()
{
    Window w;
    SampleSite other;
    QVERIFY(other.listen());
    const SampleSite::Movie& movie = *SampleSite::movie(QStringLiteral("Harbour of Ashes (1949)"));
    w.site.redirect(QStringLiteral("/title/tt9000103/"), other.titlePage(movie));
    w.f->window().form().title->setText(QStringLiteral("Kept"));

    // The pane shows the other site's page; the grab does not read it.
    QVERIFY(w.open(w.site.titlePage(movie)));
    QCOMPARE(w.tab().browser()->url().port(), int(other.port()));
    other.clearRequests();
    QVERIFY(w.grab());
    QCOMPARE(w.f->prompts().exclamations, QStringList{PageGuard::leftSiteMessage(w.site.titlePage(movie), other.titlePage(movie))});
    QVERIFY2(w.workflow().notice().startsWith(QStringLiteral("title page not read: it was sent on from 127.0.0.1:%1 to 127.0.0.1:%2")
                                                  .arg(w.site.port())
                                                  .arg(other.port())),
             qPrintable(w.workflow().notice()));
    QCOMPARE(w.f->window().form().title->text(), QStringLiteral("Kept"));
    QTest::qWait(300);
    QCOMPARE(other.requests(), QStringList());
    QVERIFY(w.tab().grabit()->isEnabled());

    // The same page opened on its own site is read.
    QVERIFY(w.open(other.titlePage(movie)));
    QVERIFY(w.grab());
    QCOMPARE(w.f->window().form().title->text(), movie.title);
    QVERIFY(other.requests().contains(QStringLiteral("/Credits?") + movie.title));
}

void TestGrabReport::furtherPagesStayOnTheSite()
{
    Window w;
    SampleSite other;
    QVERIFY(other.listen());
    // The credits page is sent on to another site: it is not read there, and
    // the title read from the page goes to no other site.
    w.site.redirect(QStringLiteral("/Credits"), QUrl(other.root().toString() + QStringLiteral("/Credits?x")));
    const SampleSite::Movie& movie = *SampleSite::movie(QStringLiteral("Static on Channel Nine (2003)"));
    QVERIFY(w.open(w.site.titlePage(movie)));
    QVERIFY(w.grab());
    QVERIFY2(w.workflow().notice().startsWith(
                 QStringLiteral("credits page was sent on to 127.0.0.1:%1, another site, and was not read").arg(other.port())),
             qPrintable(w.workflow().notice()));
    QCOMPARE(other.requests(), QStringList());
    // The grab went on with the next page of the title page's site.
    QCOMPARE(w.f->window().form().mvProducer->currentText(), QStringLiteral("Nightfall Eizo"));
}

void TestGrabReport::resultCarriesRunningTimeAndPoster()
{
    Window w;
    QSignalSpy finished(&w.workflow(), &LookupWorkflow::grabFinished);
    const SampleSite::Movie& movie = *SampleSite::movie(QStringLiteral("The Lighthouse Keeper (1956)"));
    QVERIFY(w.open(w.site.titlePage(movie)));
    QVERIFY(w.grab());
    QCOMPARE(finished.size(), 1);
    const GrabResult result = finished.first().first().value<GrabResult>();
    QCOMPARE(result.titlePage, w.site.titlePage(movie));
    QCOMPARE(result.profile, QStringLiteral("classic"));
    QCOMPARE(result.fields.runningTime, QStringLiteral("94"));
    QCOMPARE(result.fields.cover, w.site.root().toString() + QStringLiteral("/poster/tt9000101.svg"));
    QCOMPARE(result.fields.mvDirector.text, QStringLiteral("Agnes Morrow"));
    QCOMPARE(result.sources.value(QStringLiteral("cover")), QStringLiteral("poster picture (title page)"));

    // The summary counts them; its tooltip says where each field came from.
    QLabel* summary = w.f->find<QLabel>(QStringLiteral("grabSummary"));
    QCOMPARE(summary->text(), QStringLiteral("classic: filled 20 of 20"));
    QVERIFY2(summary->toolTip().contains(QStringLiteral("Running time: label Runtime: (title page)")),
             qPrintable(summary->toolTip()));
    QVERIFY(summary->toolTip().contains(QStringLiteral("Cover: poster picture (title page)")));
}

void TestGrabReport::brokenProfilesAreReported()
{
    Window w({{QStringLiteral("broken.json"), QByteArrayLiteral("{\"name\": \"Mine\", ")},
              {QStringLiteral("nofields.json"), QByteArrayLiteral("{\"name\": \"Empty\"}")}});
    const QStringList errors = w.workflow().profiles().errors();
    QCOMPARE(errors.size(), 2);

    // The grab summary names each file left out, with the reason.
    QVERIFY(w.open(w.site.titlePage(*SampleSite::movie(QStringLiteral("2040 Overdrive (2012)")))));
    QVERIFY(w.grab());
    const QString summary = w.f->find<QLabel>(QStringLiteral("grabSummary"))->text();
    QVERIFY2(summary.contains(QStringLiteral("; site profile left out: ")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("broken.json: not valid JSON")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("nofields.json: a structured profile needs \"fields\"")), qPrintable(summary));

    // So does the help's list of the profiles.
    w.f->window().helpCommands().showContents();
    QTextBrowser* help = w.f->window().helpCommands().helpWindow();
    QVERIFY(help);
    const QString text = help->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("Wikipedia (shipped with Quelto)")), qPrintable(text.right(2000)));
    for (const QString& error : errors)
        QVERIFY2(text.contains(error), qPrintable(error));
    help->close();
}

QUELTO_WEBENGINE_TEST_MAIN(TestGrabReport)
#include "tst_grab_report.moc"
