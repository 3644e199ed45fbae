// The web lookup on the real browser engine, headless, against the sample
// movie site on loopback: the IMDb tab's buttons, the grab with its two
// secondary pages, cancelling, failures, and the site setting.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "completion/SpellingMap.h"
#include "WebEngineTestMain.h"
#include "weblookup/LookupTab.h"
#include "weblookup/MovieSiteDialog.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "editing/FieldBinding.h"
#include "weblookup/LookupWorkflow.h"
#include "weblookup/MovieSite.h"
#include "weblookup/SampleSite.h"
#include "weblookup/TransferDialog.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QNetworkCookie>
#include <QWebEngineView>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;
using quelto::weblookup::LookupWorkflow;
using quelto::weblookup::MovieSite;
using quelto::weblookup::SampleSite;
using Fields = QMap<QString, QString>; // archive column -> text in the form

namespace {

constexpr int PageWait = 15000; // ms; pages load in well under a second

// The sample site, a catalogue and the main window pointed at the site.
struct Lookup
{
    SampleSite site;
    AppFixture f;

    Lookup()
    {
        if (!site.listen())
            qFatal("cannot listen on loopback");
        f.useMovieSite(site.root());
        const QString path = f.file(QStringLiteral("c.mdb"));
        TestCatalog::create(path);
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the main window did not load");
    }

    editing::RecordForm& form() { return f.window().form(); }
    weblookup::LookupTab& tab() { return f.window().lookupTab(); }
    LookupWorkflow& workflow() { return tab().workflow(); }
    QPushButton* grabit() { return tab().grabit(); }

    bool waitForPage(const QUrl& url)
    {
        QSignalSpy loaded(tab().browser(), &QWebEngineView::loadFinished);
        tab().browser()->setUrl(url);
        return loaded.wait(PageWait);
    }
    bool openTitlePage(const QString& title)
    {
        const SampleSite::Movie* movie = SampleSite::movie(title);
        return movie && waitForPage(site.titlePage(*movie)) && grabit()->isEnabled();
    }
    // Presses grabit and waits until the grab is over.
    bool grab()
    {
        QSignalSpy ended(&workflow(), &LookupWorkflow::grabEnded);
        QTest::mouseClick(grabit(), Qt::LeftButton);
        return !ended.isEmpty() || ended.wait(PageWait);
    }

    Fields fields()
    {
        Fields texts;
        for (const editing::FieldBinding& field : editing::FieldBinding::of(form()))
            texts[field.column()] = field.text();
        return texts;
    }
    void presetCast()
    {
        for (int i = 0; i < editing::RecordForm::castSlots; ++i) {
            form().mvCast[size_t(i)]->setCurrentText(QStringLiteral("keep%1").arg(i));
            form().mvCast[size_t(i)]->setToolTip(QStringLiteral("keep%1").arg(i));
        }
    }
    // The cookies the page in the pane sees.
    QString documentCookie()
    {
        auto cookies = std::make_shared<QVariant>();
        tab().browser()->page()->runJavaScript(QStringLiteral("document.cookie"),
                                               [cookies](const QVariant& v) { *cookies = v; });
        QElapsedTimer clock;
        clock.start();
        while (!cookies->isValid() && clock.elapsed() < PageWait)
            QTest::qWait(10);
        return cookies->toString();
    }
    int requestsFor(const QString& prefix) const
    {
        int n = 0;
        for (const QString& target : site.requests())
            n += target.startsWith(prefix) ? 1 : 0;
        return n;
    }
};

void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Lets the event loop run for a while, for things that must not happen.
void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QTest::qWait(20);
}

Fields movieFields(const QString& title)
{
    Fields f;
    if (title == u"The Lighthouse Keeper (1956)") {
        f = {{"mv_year", "1956"}, {"mv_director", "Agnes Morrow"}, {"mv_genre", "Drama "},
             {"mv_country", "United Kingdom"}, {"mv_language", "English"}, {"mv_color", "Black and White"},
             {"mv_sound", "Mono"}, {"mv_rating", "7.4/10 (1,204 votes)"}, {"mv_book", "Agnes Morrow (screenplay)"},
             {"mv_cast6", "Edwin Marsh "}, {"mv_cast1", "Clara Vane "}, {"mv_cast2", "Rupert Dane "},
             {"mv_cast3", "Mabel Fitch "}, {"mv_cast4", "Owen Hale "}, {"mv_cast5", "Ivy Locke "},
             {"mv_music", "Felix Harlow"}, {"mv_producer", "Harbourlight Pictures"}};
    } else if (title == u"Grandma's Last Heist (1987)") {
        f = {{"mv_year", "1987"}, {"mv_director", "Dario Benedetti"}, {"mv_genre", "Comedy "}, {"mv_country", "USA"},
             {"mv_language", "English"}, {"mv_color", "Color"}, {"mv_sound", "Dolby Stereo"},
             {"mv_rating", "6.1/10 (873 votes)"}, {"mv_book", "Pam Okafor"}, {"mv_cast6", "Rosalind Keyes"},
             {"mv_cast1", "Tom Brattle"}, {"mv_cast2", "Lucy Fenn"}, {"mv_cast3", "Marcus Odell"},
             {"mv_cast4", "Hattie Crane"}, {"mv_cast5", "Gus Mendez"}, {"mv_music", "The Velvet Tones"},
             {"mv_producer", "Silver Thimble Productions"}};
    } else if (title == u"Harbour of Ashes (1949)") {
        f = {{"mv_year", "1949"}, {"mv_director", "Matteo Ruggeri"}, {"mv_genre", "War"}, {"mv_country", "Italy"},
             {"mv_language", "Italian"}, {"mv_color", "Black and White"}, {"mv_sound", "Mono"},
             {"mv_rating", "8.0/10 (2,311 votes)"}, {"mv_book", "Matteo Ruggeri (story)"}, {"mv_cast6", "Lia Moretti "},
             {"mv_cast1", "Bruno Sala "}, {"mv_cast2", "Enzo Ferri "}, {"mv_cast3", "keep3"}, {"mv_cast4", "keep4"},
             {"mv_cast5", "keep5"}, {"mv_music", "Nino Albani"}, {"mv_producer", "Cinefaro Roma"}};
    } else if (title == u"Static on Channel Nine (2003)") {
        f = {{"mv_year", "2003"}, {"mv_director", "Kenji Arakawa"}, {"mv_genre", "Horror"}, {"mv_country", "Japan"},
             {"mv_language", "Japanese"}, {"mv_color", "Color"}, {"mv_sound", "DTS"}, {"mv_rating", "No rating"},
             {"mv_book", "Yumi Sato"}, {"mv_cast6", "Aiko Mori "}, {"mv_cast1", "Daichi Ono "},
             {"mv_cast2", "Rina Kudo "}, {"mv_cast3", "Sho Imai "}, {"mv_cast4", "Emi Hara "}, {"mv_cast5", "keep5"},
             {"mv_music", "Hiro Tanabe"}, {"mv_producer", "Nightfall Eizo"}};
    }
    f[QStringLiteral("title")] = title;
    return f;
}

} // namespace

class TestLookupWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void addressesAndTheSiteSetting();
    void idleStateAtStart();
    void searchOpenAndGrab();
    void grabFillsEveryField_data();
    void grabFillsEveryField();
    void classicStepsWithoutLinks_data();
    void classicStepsWithoutLinks();
    void searchbtnDisablesGrabitUntilTheResultsHaveLoaded();
    void cancelDuringTheCreditsPage();
    void cancelDuringTheCompaniesPage();
    void classicPagesBuiltByScripts();
    void cookiesOfFurtherPagesReachTheBrowser();
    void failedPagesEndTheirStep();
    void titleSearchSendsTheWholeTitle();
    void browsersKeepTheirProfile();
    void pageWithoutBodyStopsTheGrab_data();
    void pageWithoutBodyStopsTheGrab();
    void siteDialogStoresTheServer();
    void lookedUpMovieSavedAsNewRecord();
};

void TestLookupWorkflow::addressesAndTheSiteSetting()
{
    const MovieSite site(QUrl(QStringLiteral("http://127.0.0.1:8642/some/page?x=1")));
    QCOMPARE(site.root(), QStringLiteral("http://127.0.0.1:8642"));
    // The title goes in as typed; the engine percent-encodes the space on the wire.
    auto decoded = [](const QUrl& url) { return url.path() + QLatin1Char('?') + url.query(QUrl::FullyDecoded); };
    const QUrl credits = site.credits(QStringLiteral("Casablanca (1942)"));
    QCOMPARE(decoded(credits), QStringLiteral("/Credits?Casablanca (1942)"));
    QCOMPARE(credits.toEncoded(), QByteArray("http://127.0.0.1:8642/Credits?Casablanca%20(1942)"));
    QCOMPARE(decoded(site.companies(QStringLiteral("A & B"))), QStringLiteral("/Companies?A & B"));
    QCOMPARE(decoded(site.titleSearch(QStringLiteral("Alien 3"))), QStringLiteral("/M/title-substring?title=Alien 3&tv=both"));
    // A "#" would cut the title off as a fragment that is never sent.
    const QUrl hash = site.credits(QStringLiteral("#9 (2009)"));
    QVERIFY(hash.fragment().isNull());
    QCOMPARE(hash.query(QUrl::FullyDecoded), QStringLiteral("#9 (2009)"));
    QCOMPARE(site.home().toString(), QStringLiteral("http://127.0.0.1:8642/"));
    QVERIFY(MovieSite().credits(QStringLiteral("X")).isEmpty());

    QCOMPARE(MovieSite::parseServer(QStringLiteral(" www.example.org ")), QUrl(QStringLiteral("https://www.example.org")));
    QCOMPARE(MovieSite::parseServer(QStringLiteral("http://127.0.0.1:8642/x")), QUrl(QStringLiteral("http://127.0.0.1:8642")));
    QVERIFY(!MovieSite::parseServer(QStringLiteral("ftp://example.org")));
    QVERIFY(!MovieSite::parseServer(QStringLiteral("http://")));
    QVERIFY(!MovieSite::parseServer(QString()));

    AppFixture f;
    app::Settings& s = f.settings();
    s.setValue(QStringLiteral("Settings"), QStringLiteral("MovieSite"), QStringLiteral("http://localhost:9000"));
    QCOMPARE(s.movieSite(), QUrl(QStringLiteral("http://localhost:9000")));
    s.setValue(QStringLiteral("Settings"), QStringLiteral("MovieSite"), QStringLiteral("gopher://old"));
    QCOMPARE(s.movieSite(), QUrl(MovieSite::PublicAddress));
    s.setValue(QStringLiteral("Settings"), QStringLiteral("MovieSite"), QString());
    QVERIFY(s.movieSite().isEmpty()); // the pane stays blank
    app::Settings::setLocation(f.file(QStringLiteral("other")));
    QCOMPARE(app::Settings().movieSite(), QUrl(MovieSite::PublicAddress));
}

void TestLookupWorkflow::idleStateAtStart()
{
    Lookup l;
    LookupWorkflow& w = l.workflow();
    QVERIFY(!l.tab().searchbtn()->isEnabled());
    QVERIFY(!w.timer1()->isActive() && !w.timer2()->isActive());
    QCOMPARE(w.timer1()->interval(), 0);
    QCOMPARE(w.timer2()->interval(), 0);
    QVERIFY(!w.grabCancelled() && !w.pagePending());
    QCOMPARE(w.transf()->windowTitle(), QStringLiteral("Please standby..."));
    QCOMPARE(w.transf()->label1()->text(), QStringLiteral("Transferring additional data from other IMDb pages."));
    QCOMPARE(w.transf()->cancelButton()->text(), QStringLiteral("Cancel"));
    QVERIFY(!w.transf()->isVisible());
    QVERIFY(!w.transf()->isModal());

    // Start-up sends the pane to the home page; its completion enables grabit.
    QTRY_VERIFY_WITH_TIMEOUT(l.grabit()->isEnabled(), PageWait);
    QCOMPARE(l.site.requests().value(0), QStringLiteral("/"));
    QCOMPARE(l.tab().browser()->url(), QUrl(l.site.root().toString() + QStringLiteral("/")));
    QCOMPARE(w.browser2()->windowTitle(), QStringLiteral("Additional IMDb Pages"));
    QVERIFY(!w.browser2()->isVisible()); // never shown
}

void TestLookupWorkflow::searchOpenAndGrab()
{
    Lookup l;
    QTRY_VERIFY_WITH_TIMEOUT(l.grabit()->isEnabled(), PageWait);
    QTest::keyClicks(l.form().title, QStringLiteral("harbour"));
    QCOMPARE(l.tab().titlelabel()->text(), QStringLiteral("harbour"));
    QVERIFY(l.tab().searchbtn()->isEnabled());

    QSignalSpy loaded(l.tab().browser(), &QWebEngineView::loadFinished);
    click(l.tab().searchbtn());
    QVERIFY(!l.grabit()->isEnabled());
    QVERIFY(loaded.wait(PageWait));
    QVERIFY(l.grabit()->isEnabled());
    QCOMPARE(l.site.requests().last(), QStringLiteral("/M/title-substring?title=harbour&tv=both"));

    // The user follows the result to the title page; the address field says where the pane is.
    l.tab().browser()->page()->runJavaScript(QStringLiteral("document.querySelector('ol a').click()"));
    QVERIFY(loaded.wait(PageWait));
    QVERIFY(l.tab().browser()->url().path().startsWith(QLatin1String("/title/")));
    QTRY_COMPARE(l.tab().addressField()->text(), l.tab().browser()->url().toDisplayString());
    // Reload asks the site again; an address typed and Enter go there, what is no web address goes nowhere.
    const QUrl titlePage = l.tab().browser()->url();
    const int asked = l.requestsFor(titlePage.path());
    click(l.tab().reloadButton());
    QVERIFY(loaded.wait(PageWait));
    QCOMPARE(l.requestsFor(titlePage.path()), asked + 1);
    l.tab().addressField()->setFocus();
    l.tab().addressField()->selectAll();
    QTest::keyClicks(l.tab().addressField(), l.site.root().toString() + QStringLiteral("/search"));
    QTest::keyClick(l.tab().addressField(), Qt::Key_Return);
    QVERIFY(loaded.wait(PageWait));
    QCOMPARE(l.tab().browser()->url().path(), QStringLiteral("/search"));
    l.tab().addressField()->setText(QStringLiteral("file:///etc/passwd"));
    QTest::keyClick(l.tab().addressField(), Qt::Key_Return);
    QVERIFY(!loaded.wait(500));
    QCOMPARE(l.tab().browser()->url().path(), QStringLiteral("/search"));
    QCOMPARE(weblookup::LookupTab::typedAddress(QStringLiteral("www.imdb.com/title/tt0062622")),
             QUrl(QStringLiteral("http://www.imdb.com/title/tt0062622")));
    QVERIFY(weblookup::LookupTab::typedAddress(QStringLiteral("javascript:alert(1)")).isEmpty());
    QVERIFY(weblookup::LookupTab::typedAddress(QStringLiteral("two words")).isEmpty());
    // An IMDb ID goes to the movie site's title page.
    l.tab().addressField()->setText(QStringLiteral(" tt9000101 "));
    QTest::keyClick(l.tab().addressField(), Qt::Key_Return);
    QVERIFY(loaded.wait(PageWait));
    QCOMPARE(l.tab().browser()->url().path(), QStringLiteral("/title/tt9000101/"));
    QVERIFY(l.waitForPage(titlePage)); // back on the title page for the grab

    l.presetCast();
    QVERIFY(l.grab());
    const Fields expected = movieFields(QStringLiteral("Harbour of Ashes (1949)"));
    const Fields got = l.fields();
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(got.value(it.key()), it.value());
    QCOMPARE(l.tab().titlelabel()->text(), QStringLiteral("Harbour of Ashes (1949)"));
    QVERIFY(l.site.requests().contains(QStringLiteral("/Credits?Harbour of Ashes (1949)")));
    QVERIFY(l.site.requests().contains(QStringLiteral("/Companies?Harbour of Ashes (1949)")));
    QVERIFY(l.grabit()->isEnabled()); // stays enabled after a grab
    QVERIFY(!l.workflow().transf()->isVisible());
    QVERIFY(l.workflow().notice().isEmpty());
    QVERIFY(!l.f.find<QLabel>(QStringLiteral("grabNotice"))->isVisibleTo(&l.f.window()));
}

void TestLookupWorkflow::grabFillsEveryField_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("several genres, more than six cast") << QStringLiteral("The Lighthouse Keeper (1956)");
    QTest::newRow("apostrophe, a longer word before the cast") << QStringLiteral("Grandma's Last Heist (1987)");
    QTest::newRow("no rating, five cast") << QStringLiteral("Static on Channel Nine (2003)");
}

void TestLookupWorkflow::grabFillsEveryField()
{
    QFETCH(QString, title);
    Lookup l;
    QVERIFY(l.openTitlePage(title));
    l.presetCast();
    QVERIFY(l.grab());

    const Fields expected = movieFields(title);
    const Fields got = l.fields();
    const completion::SpellingMap spellings; // "United Kingdom" is kept as "UK"
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(got.value(it.key()), spellings.spell(it.value(), {}));
    // Each drop-down shows its value in full as its tooltip; the genre's is
    // the whole genre line.
    const SampleSite::Movie* movie = SampleSite::movie(title);
    QCOMPARE(l.form().mvGenre->toolTip(), movie->genre);
    QCOMPARE(l.form().mvDirector->toolTip(), expected.value(QStringLiteral("mv_director")));
    // The first cast member's tooltip names the character the credits page
    // bills, as for a profile's cast.
    const SampleSite::CastMember& first = movie->cast.first();
    QCOMPARE(l.form().mvCast[0]->toolTip(), first.role.isEmpty() ? expected.value(QStringLiteral("mv_cast6"))
                                                                 : first.name + QStringLiteral(" as ") + first.role);
    QCOMPARE(l.form().mvProducer->toolTip(), expected.value(QStringLiteral("mv_producer")));
    QCOMPARE(l.requestsFor(QStringLiteral("/Credits?")), 1);
    QCOMPARE(l.requestsFor(QStringLiteral("/Companies?")), 1);
    QVERIFY(l.site.requests().contains(QStringLiteral("/Credits?") + title));
}

void TestLookupWorkflow::classicStepsWithoutLinks_data()
{
    QTest::addColumn<QString>("title");
    for (const SampleSite::Movie& movie : SampleSite::movies())
        QTest::newRow(qPrintable(movie.id)) << movie.title;
}

void TestLookupWorkflow::classicStepsWithoutLinks()
{
    // Title pages of the movie site that do not link to their credits and
    // companies pages: the classic steps build those addresses themselves.
    QFETCH(QString, title);
    Lookup l;
    l.site.setTitlePageLinks(false);
    QVERIFY(l.openTitlePage(title));
    // The progress window stays from the first further page to the last.
    bool shownBetweenPages = false;
    connect(&l.workflow(), &LookupWorkflow::creditsDone, &l.workflow(),
            [&l, &shownBetweenPages] { shownBetweenPages = l.workflow().transf()->isVisible(); });
    QVERIFY(l.grab());
    QVERIFY(shownBetweenPages);
    QVERIFY(!l.workflow().transf()->isVisible());
    const SampleSite::Movie& movie = *SampleSite::movie(title);
    QCOMPARE(l.workflow().lastResult().profile, QStringLiteral("classic"));
    const Fields got = l.fields();
    const completion::SpellingMap spellings;
    QVERIFY2(got.value(QStringLiteral("mv_book")).startsWith(movie.writers.value(0).section(QLatin1String(" ("), 0, 0)),
             qPrintable(got.value(QStringLiteral("mv_book"))));
    QCOMPARE(got.value(QStringLiteral("mv_cast6")).trimmed(), movie.cast.value(0).name);
    QCOMPARE(got.value(QStringLiteral("mv_music")), spellings.spell(movie.music, {}));
    QCOMPARE(got.value(QStringLiteral("mv_producer")), spellings.spell(movie.companies.value(0), {}));
    QCOMPARE(l.requestsFor(QStringLiteral("/Credits?")), 1);
    QCOMPARE(l.requestsFor(QStringLiteral("/Companies?")), 1);
}

void TestLookupWorkflow::searchbtnDisablesGrabitUntilTheResultsHaveLoaded()
{
    Lookup l;
    QTRY_VERIFY_WITH_TIMEOUT(l.grabit()->isEnabled(), PageWait);
    l.site.hold(QStringLiteral("/M/title-substring"));
    QTest::keyClicks(l.form().title, QStringLiteral("Nine"));

    // "<<" loads the same results but leaves grabit as it is.
    QSignalSpy requested(&l.site, &SampleSite::requested);
    click(l.tab().command2());
    QVERIFY(requested.wait(PageWait));
    QVERIFY(l.grabit()->isEnabled());

    click(l.tab().searchbtn());
    QVERIFY(!l.grabit()->isEnabled());
    QVERIFY(requested.wait(PageWait));
    settle(300);
    QVERIFY(!l.grabit()->isEnabled()); // the results have not come yet

    l.site.release();
    QTRY_VERIFY_WITH_TIMEOUT(l.grabit()->isEnabled(), PageWait);
    QVERIFY(l.tab().browser()->url().toString().contains(QLatin1String("title-substring")));
}

void TestLookupWorkflow::cancelDuringTheCreditsPage()
{
    Lookup l;
    LookupWorkflow& w = l.workflow();
    l.site.hold(QStringLiteral("/Credits"));
    QVERIFY(l.openTitlePage(QStringLiteral("The Lighthouse Keeper (1956)")));
    l.presetCast();
    l.form().mvBook->setCurrentText(QStringLiteral("old writer"));
    l.form().mvMusic->setCurrentText(QStringLiteral("old music"));
    l.form().mvProducer->setCurrentText(QStringLiteral("old producer"));

    QSignalSpy ended(&w, &LookupWorkflow::grabEnded);
    click(l.grabit());
    QTRY_VERIFY_WITH_TIMEOUT(w.transf()->isVisible(), PageWait);
    QCOMPARE(w.transf()->label1()->text(), LookupWorkflow::CreditsText);
    QCOMPARE(l.form().title->text(), QStringLiteral("The Lighthouse Keeper (1956)")); // the title page was read
    // Both pages are asked for at once; the companies page, though it has
    // come, waits for the credits step. Nothing polls: the pages come over
    // the network, not through WebBrowser2.
    QTRY_COMPARE_WITH_TIMEOUT(l.requestsFor(QStringLiteral("/Companies")), 1, PageWait);
    settle(250);
    QCOMPARE(w.transf()->label1()->text(), LookupWorkflow::CreditsText);
    QCOMPARE(l.form().mvProducer->currentText(), QStringLiteral("old producer"));
    QVERIFY(!w.pagePending());
    QVERIFY(!w.timer1()->isActive() && !w.timer2()->isActive());

    // A second grab while this one waits is refused.
    QVERIFY(!l.grabit()->isEnabled());
    w.grabitClick();
    settle(250);
    QCOMPARE(l.requestsFor(QStringLiteral("/Credits")), 1);

    // The cancel runs the cancelled form of the credits step at once: the
    // writer and the cast are emptied, the companies page is not read.
    click(w.transf()->cancelButton());
    QVERIFY(w.grabCancelled());
    QVERIFY(!w.transf()->isVisible());
    QVERIFY(ended.wait(1000));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(l.form().mvBook->currentText(), QString());
    for (QComboBox* slot : l.form().mvCast) {
        QCOMPARE(slot->currentText(), QString());
        QCOMPARE(slot->toolTip(), QString());
    }
    QCOMPARE(l.form().mvMusic->currentText(), QStringLiteral("old music"));
    QCOMPARE(l.form().mvProducer->currentText(), QStringLiteral("old producer"));
    QVERIFY(l.grabit()->isEnabled());

    // Nothing comes of the credits page once it could come.
    l.site.release();
    settle(400);
    QCOMPARE(l.form().mvBook->currentText(), QString());
    QCOMPARE(l.form().mvProducer->currentText(), QStringLiteral("old producer"));
    QCOMPARE(ended.count(), 1);
}

void TestLookupWorkflow::cancelDuringTheCompaniesPage()
{
    Lookup l;
    LookupWorkflow& w = l.workflow();
    l.site.hold(QStringLiteral("/Companies"));
    QVERIFY(l.openTitlePage(QStringLiteral("Grandma's Last Heist (1987)")));
    l.form().mvProducer->setCurrentText(QStringLiteral("old producer"));
    l.form().mvProducer->setToolTip(QStringLiteral("old producer"));

    QSignalSpy credits(&w, &LookupWorkflow::creditsDone);
    QSignalSpy ended(&w, &LookupWorkflow::grabEnded);
    click(l.grabit());
    QVERIFY(credits.wait(PageWait));
    QTRY_VERIFY_WITH_TIMEOUT(w.transf()->isVisible(), PageWait);
    QTRY_COMPARE(w.transf()->label1()->text(), LookupWorkflow::CompaniesText);
    QVERIFY(!w.grabCancelled()); // reset once the credits were read

    click(w.transf()->cancelButton());
    QVERIFY(ended.wait(1000));
    QCOMPARE(ended.count(), 1);
    QVERIFY(!w.timer2()->isActive());
    QCOMPARE(l.form().mvProducer->currentText(), QString());
    const Fields got = l.fields();
    const Fields expected = movieFields(QStringLiteral("Grandma's Last Heist (1987)"));
    for (const char* column : {"mv_book", "mv_cast6", "mv_cast5", "mv_music", "mv_director"})
        QCOMPARE(got.value(QLatin1String(column)), expected.value(QLatin1String(column)));
}

void TestLookupWorkflow::classicPagesBuiltByScripts()
{
    // A credits page that holds its cast only once its script has run loads
    // in WebBrowser2; the companies page is read as it came.
    Lookup l;
    LookupWorkflow& w = l.workflow();
    l.site.setScriptedCredits(true);
    QVERIFY(l.openTitlePage(QStringLiteral("Harbour of Ashes (1949)")));
    QVERIFY(l.grab());
    // Asked for once over the network, then once by WebBrowser2.
    QCOMPARE(l.requestsFor(QStringLiteral("/Credits?")), 2);
    QVERIFY(w.notice().isEmpty());
    const Fields got = l.fields();
    const Fields expected = movieFields(QStringLiteral("Harbour of Ashes (1949)"));
    for (const char* column : {"mv_book", "mv_cast6", "mv_cast1", "mv_music", "mv_producer"})
        QCOMPARE(got.value(QLatin1String(column)), expected.value(QLatin1String(column)));
    QCOMPARE(l.form().mvCast[0]->toolTip(), QStringLiteral("Lia Moretti as Anna"));
    QCOMPARE(l.requestsFor(QStringLiteral("/Companies?")), 1);
    QVERIFY(!w.timer1()->isActive() && !w.timer2()->isActive());
    QVERIFY(!w.transf()->isVisible());
}

void TestLookupWorkflow::cookiesOfFurtherPagesReachTheBrowser()
{
    // A cookie the companies page sets, asked for over the network, is the
    // browser's too, as if the browser had asked for the page.
    Lookup l;
    l.site.setCookie(QStringLiteral("/Companies"), "visited=companies; Path=/; Max-Age=3600");
    QVERIFY(l.openTitlePage(QStringLiteral("Grandma's Last Heist (1987)")));
    QVERIFY(l.grab());
    QTRY_VERIFY_WITH_TIMEOUT(l.documentCookie().contains(QLatin1String("visited=companies")), PageWait);
    // A cookie for another domain is refused, as the browser refuses it.
    QSignalSpy added(l.tab().browser()->page()->profile()->cookieStore(), &QWebEngineCookieStore::cookieAdded);
    l.site.setCookie(QStringLiteral("/Credits"), "evil=1; Domain=example.org; Path=/");
    QVERIFY(l.grab());
    settle(300);
    for (const QList<QVariant>& cookie : added)
        QVERIFY(cookie.value(0).value<QNetworkCookie>().name() != "evil");
    QVERIFY(l.documentCookie().contains(QLatin1String("visited=companies")));
}

void TestLookupWorkflow::failedPagesEndTheirStep()
{
    Lookup l;
    LookupWorkflow& w = l.workflow();
    QLabel* notice = l.f.find<QLabel>(QStringLiteral("grabNotice"));
    QVERIFY(notice);

    // A credits page answered 404: the grab goes on to the companies page,
    // and the failed page empties nothing.
    l.site.refuse(QStringLiteral("/Credits"));
    QVERIFY(l.openTitlePage(QStringLiteral("Harbour of Ashes (1949)")));
    l.presetCast();
    l.form().mvBook->setCurrentText(QStringLiteral("old writer"));
    QVERIFY(l.grab());
    QCOMPARE(w.notice(), QStringLiteral("credits page not found (404)"));
    QCOMPARE(notice->text(), w.notice());
    QVERIFY(notice->isVisibleTo(&l.f.window()));
    QCOMPARE(l.form().mvBook->currentText(), QStringLiteral("old writer"));
    QCOMPARE(l.form().mvCast[0]->currentText(), QStringLiteral("keep0"));
    QCOMPARE(l.form().mvDirector->currentText(), QStringLiteral("Matteo Ruggeri"));
    QCOMPARE(l.form().mvProducer->currentText(), QStringLiteral("Cinefaro Roma"));
    QVERIFY(!w.transf()->isVisible());
    QVERIFY(!w.timer1()->isActive() && !w.timer2()->isActive());
    QVERIFY(l.grabit()->isEnabled());
    QVERIFY(l.f.prompts().exclamations.isEmpty()); // no message box

    // A companies page that never answers ends at the page timeout.
    l.site.hold(QStringLiteral("/Companies"));
    w.setPageTimeout(std::chrono::milliseconds(600));
    l.form().mvProducer->setCurrentText(QStringLiteral("old producer"));
    QSignalSpy notices(&w, &LookupWorkflow::noticeChanged);
    QVERIFY(l.grab());
    QCOMPARE(notices.value(0).value(0).toString(), QString()); // the new grab cleared the old notice
    QCOMPARE(w.notice(), QStringLiteral("credits page not found (404); companies page did not answer within 0.6 seconds"));
    QCOMPARE(l.form().mvProducer->currentText(), QStringLiteral("old producer"));
    QVERIFY(!w.transf()->isVisible());
    QVERIFY(!w.pagePending());

    // Each grab has a notice of its own.
    l.site.release();
    QVERIFY(l.openTitlePage(QStringLiteral("Static on Channel Nine (2003)")));
    w.setPageTimeout(LookupWorkflow::DefaultPageTimeout);
    QVERIFY(l.grab());
    QCOMPARE(w.notice(), QStringLiteral("credits page not found (404)"));
    QCOMPARE(l.form().mvProducer->currentText(), QStringLiteral("Nightfall Eizo"));
}

void TestLookupWorkflow::titleSearchSendsTheWholeTitle()
{
    Lookup l;
    QTRY_VERIFY_WITH_TIMEOUT(l.grabit()->isEnabled(), PageWait);
    const QString title = QStringLiteral("Romeo & Juliet + 100% #1 (1968)");
    l.form().title->setText(title);
    QSignalSpy loaded(l.tab().browser(), &QWebEngineView::loadFinished);
    click(l.tab().searchbtn());
    QVERIFY(loaded.wait(PageWait));
    QCOMPARE(l.site.searches(), QStringList{title});
}

void TestLookupWorkflow::browsersKeepTheirProfile()
{
    Lookup l;
    QWebEngineProfile* profile = l.tab().browser()->page()->profile();
    QVERIFY(!profile->isOffTheRecord());
    QCOMPARE(profile->persistentStoragePath(), l.f.file(QStringLiteral("browser")));
    QVERIFY(profile->cachePath().startsWith(l.f.file(QStringLiteral("browser"))));
    QCOMPARE(l.workflow().webBrowser2()->profile(), profile);

    // The hidden browser lays its pages out at a desktop size.
    QVERIFY(l.openTitlePage(QStringLiteral("2040 Overdrive (2012)")));
    QVERIFY(l.grab());
    QVariant width;
    l.workflow().webBrowser2()->runJavaScript(QStringLiteral("window.innerWidth"), [&](const QVariant& v) { width = v; });
    QTRY_VERIFY_WITH_TIMEOUT(width.isValid(), PageWait);
    QCOMPARE(width.toInt(), LookupWorkflow::Browser2Size.width());

    // A cookie set on the site is there again in the next run.
    QVariant set;
    l.tab().browser()->page()->runJavaScript(QStringLiteral("document.cookie = 'consent=yes; max-age=86400'; 1"),
                                             [&](const QVariant& v) { set = v; });
    QTRY_VERIFY_WITH_TIMEOUT(set.isValid(), PageWait);
    // The engine writes its cookies to disk in the background as the program
    // ends; the next run starts once they are there.
    l.f.discardWindow();
    auto stored = [&] {
        QFile cookieFile(l.f.file(QStringLiteral("browser/Cookies")));
        return cookieFile.open(QIODevice::ReadOnly) && cookieFile.readAll().contains("consent");
    };
    QTRY_VERIFY_WITH_TIMEOUT(stored(), PageWait);
    QCOMPARE(l.f.start(l.f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    QVERIFY(l.openTitlePage(QStringLiteral("2040 Overdrive (2012)")));
    QVariant cookies;
    l.tab().browser()->page()->runJavaScript(QStringLiteral("document.cookie"), [&](const QVariant& v) { cookies = v; });
    QTRY_VERIFY_WITH_TIMEOUT(cookies.isValid(), PageWait);
    QVERIFY2(cookies.toString().contains(QLatin1String("consent=yes")), qPrintable(cookies.toString()));
}

void TestLookupWorkflow::pageWithoutBodyStopsTheGrab_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("image") << QStringLiteral("/poster/tt9000101.svg") << LookupWorkflow::NoBodyMessage;
    QTest::newRow("error page") << QStringLiteral("/title/tt0000000/") << LookupWorkflow::ErrorPageMessage;
}

void TestLookupWorkflow::pageWithoutBodyStopsTheGrab()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    Lookup l;
    l.form().title->setText(QStringLiteral("Kept"));
    QVERIFY(l.waitForPage(QUrl(l.site.root().toString() + path)));
    QVERIFY(l.grabit()->isEnabled());
    QVERIFY(l.grab());

    QCOMPARE(l.f.prompts().exclamations, QStringList{message});
    QCOMPARE(l.form().title->text(), QStringLiteral("Kept"));
    QCOMPARE(l.requestsFor(QStringLiteral("/Credits")), 0);
    QVERIFY(!l.workflow().timer1()->isActive());
    QVERIFY(!l.workflow().transf()->isVisible());
    QVERIFY(l.grabit()->isEnabled());

    // The window goes on: a movie's page grabs as usual afterwards.
    QVERIFY(l.openTitlePage(QStringLiteral("Harbour of Ashes (1949)")));
    QVERIFY(l.grab());
    QCOMPARE(l.form().mvProducer->currentText(), QStringLiteral("Cinefaro Roma"));
}

void TestLookupWorkflow::siteDialogStoresTheServer()
{
    Lookup l;
    SampleSite other;
    QVERIFY(other.listen());
    const QString typed = other.root().toString() + QStringLiteral("/search?ignored=1");
    bool refusedFirst = false;
    l.f.prompts().dialogScripts << [&](QDialog& d) {
        auto& dialog = static_cast<weblookup::MovieSiteDialog&>(d);
        QCOMPARE(dialog.address()->text(), l.site.root().toString());
        dialog.address()->setText(QStringLiteral("ftp://example.org"));
        click(dialog.okButton());
        refusedFirst = dialog.isVisible() && dialog.problem()->isVisible();
        dialog.address()->setText(typed);
        click(dialog.okButton());
    };
    QSignalSpy requested(&other, &SampleSite::requested);
    click(l.tab().siteButton());
    QVERIFY(refusedFirst);
    QCOMPARE(l.f.stored(QStringLiteral("Settings"), QStringLiteral("MovieSite")), other.root().toString());
    QCOMPARE(l.tab().server(), other.root());
    QVERIFY(requested.wait(PageWait)); // the pane went to the new site's home page
    QCOMPARE(other.requests().value(0), QStringLiteral("/"));

    // Cancel keeps the server; a new run reads the stored one.
    l.f.prompts().dialogScripts << [](QDialog& d) { d.reject(); };
    click(l.tab().siteButton());
    QCOMPARE(l.tab().server(), other.root());
    QCOMPARE(l.f.start(l.f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    QCOMPARE(l.tab().server(), other.root());
}

void TestLookupWorkflow::lookedUpMovieSavedAsNewRecord()
{
    Lookup l;
    click(l.form().dbNew);
    QVERIFY(l.openTitlePage(QStringLiteral("The Lighthouse Keeper (1956)")));
    QVERIFY(l.grab());
    QTest::keyClicks(l.form().catalog, QStringLiteral("T-100"));
    click(l.form().dbSave);
    QCOMPARE(l.f.prompts().errors, QStringList());
    QCOMPARE(l.f.prompts().exclamations, QStringList());

    auto db = catalog::Database::open(l.f.file(QStringLiteral("c.mdb")));
    auto set = db->openRecordSet(QStringLiteral("select * from archive"));
    QVERIFY(!set->eof());
    Fields expected = movieFields(QStringLiteral("The Lighthouse Keeper (1956)"));
    expected[QStringLiteral("catalog")] = QStringLiteral("T-100");
    expected[QStringLiteral("mv_country")] = QStringLiteral("UK"); // the page's "United Kingdom", respelled
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        // Saved without the blanks around a value, as everything typed.
        const QString value = it.value().trimmed();
        QCOMPARE(set->value(it.key()).toString(), value.isEmpty() ? it.value() : value);
    }
    set->moveNext();
    QVERIFY(set->eof());

    // The grab's line in the status bar stays with the saved record and goes when another comes up.
    auto* summary = l.f.find<QLabel>(QStringLiteral("grabSummary"));
    QVERIFY(!summary->text().isEmpty());
    click(l.form().dbNew);
    QCOMPARE(summary->text(), QString());
}

QUELTO_WEBENGINE_TEST_MAIN(TestLookupWorkflow)
#include "tst_lookup_workflow.moc"
