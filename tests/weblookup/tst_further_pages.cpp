// The further pages of a grab asked for over the network: all at once, told
// in the order asked, read without the browser, kept on the title page's site
// and off the local network, bounded in time and size.
#include "weblookup/FurtherPages.h"
#include "weblookup/HostResolver.h"
#include "weblookup/HtmlSnapshotReader.h"
#include "weblookup/LabelDictionary.h"
#include "weblookup/LookupNetwork.h"
#include "weblookup/PageFetcher.h"
#include "weblookup/SampleSite.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTest>

using namespace quelto::weblookup;

namespace {

constexpr int Wait = 10000;

const QByteArray Credits = "<html><head><title>Full credits</title></head><body><h1>Harbour of Ashes</h1>"
                           "<h4>Music by</h4><table><tr><td><a href='/name/nm1/'>Ada Quill</a></td></tr></table>"
                           "</body></html>";
const QByteArray Shell = "<html><head><title>Loading</title><script src='/app.js'></script></head>"
                         "<body><div id='root'></div></body></html>";

struct Pages
{
    QNetworkAccessManager* network = LookupNetwork::create(nullptr);
    PageFetcher fetcher{*network};
    FurtherPages further{fetcher, std::make_shared<HtmlSnapshotReader>(LabelDictionary::shipped(), QStringList{})};
    QSignalSpy ready{&further, &FurtherPages::pageReady};
    QSignalSpy finished{&further, &FurtherPages::finished};

    ~Pages() { delete network; }

    FurtherPage page(qsizetype i) const { return ready.at(i).first().value<FurtherPage>(); }
};

} // namespace

Q_DECLARE_METATYPE(quelto::weblookup::FurtherPage)

class TestFurtherPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<FurtherPage>(); }
    void askedAtOnceToldInOrder();
    void readOrLeftToTheBrowserOrFailed();
    void staysOnTheSite();
    void neverReachesTheLocalNetworkFromAPublicSite();
    void boundedInTimeAndSize();
};

void TestFurtherPages::askedAtOnceToldInOrder()
{
    SampleSite site;
    QVERIFY(site.listen());
    for (const char* path : {"/one", "/two", "/three"})
        site.addPage(QLatin1String(path), Credits);
    site.hold(QStringLiteral("/one"));
    Pages p;
    p.fetcher.setSite(QUrl(site.root().toString() + QStringLiteral("/title/tt1/")));
    p.further.start({{QStringLiteral("one"), QUrl(site.root().toString() + QStringLiteral("/one"))},
                     {QStringLiteral("two"), QUrl(site.root().toString() + QStringLiteral("/two"))},
                     {QStringLiteral("three"), QUrl(site.root().toString() + QStringLiteral("/three"))}});
    // Every page is asked for while the first is still held.
    QTRY_COMPARE_WITH_TIMEOUT(site.requests().size(), 3, Wait);
    QTest::qWait(200);
    QCOMPARE(p.ready.size(), 0); // the first page is told first
    QTRY_COMPARE_WITH_TIMEOUT(p.further.waitingFor(), QStringList{"one"}, Wait); // the others have come
    site.release();
    QVERIFY(p.finished.wait(Wait));
    QCOMPARE(p.ready.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(p.page(i).index, i);
        QCOMPARE(p.page(i).outcome, FurtherPage::Outcome::Read);
        QCOMPARE(p.page(i).snapshot.labelValues(QStringLiteral("Music by")), QStringList{QStringLiteral("Ada Quill")});
    }
    QCOMPARE(p.page(2).name, QStringLiteral("three"));
}

void TestFurtherPages::readOrLeftToTheBrowserOrFailed()
{
    SampleSite site;
    QVERIFY(site.listen());
    site.addPage(QStringLiteral("/shell"), Shell);
    site.addPage(QStringLiteral("/landing"), Credits);
    site.redirect(QStringLiteral("/moved"), QUrl(site.root().toString() + QStringLiteral("/landing")));
    site.refuse(QStringLiteral("/gone"));
    Pages p;
    p.fetcher.setSite(QUrl(site.root().toString() + QStringLiteral("/title/tt1/")));
    p.further.start({{QStringLiteral("shell"), QUrl(site.root().toString() + QStringLiteral("/shell"))},
                     {QStringLiteral("moved"), QUrl(site.root().toString() + QStringLiteral("/moved"))},
                     {QStringLiteral("gone"), QUrl(site.root().toString() + QStringLiteral("/gone"))}});
    QVERIFY(p.finished.wait(Wait));
    QCOMPARE(p.page(0).outcome, FurtherPage::Outcome::NeedsBrowser);
    QCOMPARE(p.page(1).outcome, FurtherPage::Outcome::Read); // a redirect on the site is followed
    QCOMPARE(p.page(1).snapshot.address, QUrl(site.root().toString() + QStringLiteral("/landing")));
    QCOMPARE(p.page(2).outcome, FurtherPage::Outcome::Failed);
    QCOMPARE(p.page(2).failure, QStringLiteral("not found (404)"));
}

void TestFurtherPages::staysOnTheSite()
{
    SampleSite site, other;
    QVERIFY(site.listen() && other.listen());
    other.addPage(QStringLiteral("/credits"), Credits);
    site.redirect(QStringLiteral("/credits"), QUrl(other.root().toString() + QStringLiteral("/credits")));
    Pages p;
    p.fetcher.setSite(QUrl(site.root().toString() + QStringLiteral("/title/tt1/")));
    p.further.start({{QStringLiteral("credits"), QUrl(site.root().toString() + QStringLiteral("/credits"))},
                     {QStringLiteral("elsewhere"), QUrl(other.root().toString() + QStringLiteral("/credits"))}});
    QVERIFY(p.finished.wait(Wait));
    const QString elsewhere = QStringLiteral("127.0.0.1:%1").arg(other.port());
    QCOMPARE(p.page(0).failure, QStringLiteral("was sent on to %1, another site, and was not read").arg(elsewhere));
    QCOMPARE(p.page(1).failure, QStringLiteral("was sent on to %1, another site, and was not read").arg(elsewhere));
    QCOMPARE(other.requests(), QStringList());
}

void TestFurtherPages::neverReachesTheLocalNetworkFromAPublicSite()
{
    // movies.example is on the open network; its www. form, the same site,
    // resolves to this machine. The site is reached through a proxy.
    HostResolver::replace([](const QString& host) {
        if (host == u"movies.example")
            return QList<QHostAddress>{QHostAddress(QStringLiteral("93.184.216.34"))};
        if (host == u"www.movies.example")
            return QList<QHostAddress>{QHostAddress::LocalHost};
        return QList<QHostAddress>{};
    });
    SampleSite proxy;
    QVERIFY(proxy.listen());
    proxy.addPage(QStringLiteral("/credits"), Credits);
    proxy.redirect(QStringLiteral("/companies"), QUrl(QStringLiteral("http://www.movies.example/companies")));
    Pages p;
    p.network->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxy.port()));
    p.fetcher.setSite(QUrl(QStringLiteral("http://movies.example/title/tt1/")));
    p.further.start({{QStringLiteral("credits"), QUrl(QStringLiteral("http://movies.example/credits"))},
                     {QStringLiteral("companies"), QUrl(QStringLiteral("http://movies.example/companies"))},
                     {QStringLiteral("technical"), QUrl(QStringLiteral("http://www.movies.example/technical"))}});
    QVERIFY(p.finished.wait(Wait));
    HostResolver::replace({});
    QCOMPARE(p.page(0).outcome, FurtherPage::Outcome::Read);
    const QString local = QStringLiteral("was not read: it asks for www.movies.example, an address on the local network");
    QCOMPARE(p.page(1).failure, local);
    QCOMPARE(p.page(2).failure, local);
    QVERIFY(!proxy.requests().join(u' ').contains(QLatin1String("technical")));
}

void TestFurtherPages::boundedInTimeAndSize()
{
    SampleSite site;
    QVERIFY(site.listen());
    site.addPage(QStringLiteral("/large"), "<html><body>" + QByteArray(300 * 1024, 'x') + "</body></html>");
    site.hold(QStringLiteral("/slow"));
    Pages p;
    p.fetcher.setMaxBytes(200 * 1024);
    p.fetcher.setTimeout(std::chrono::milliseconds(500));
    p.fetcher.setSite(QUrl(site.root().toString() + QStringLiteral("/title/tt1/")));
    p.further.start({{QStringLiteral("large"), QUrl(site.root().toString() + QStringLiteral("/large"))},
                     {QStringLiteral("slow"), QUrl(site.root().toString() + QStringLiteral("/slow"))}});
    QVERIFY(p.finished.wait(Wait));
    QCOMPARE(p.page(0).failure, QStringLiteral("is larger than 200 KB and was not read"));
    QCOMPARE(p.page(1).failure, QStringLiteral("did not answer within 0.5 seconds"));
    site.release();

    // A cancelled set tells nothing more.
    site.hold(QStringLiteral("/slow"));
    p.fetcher.setTimeout(std::chrono::milliseconds(30000));
    p.ready.clear();
    p.finished.clear();
    p.further.start({{QStringLiteral("slow"), QUrl(site.root().toString() + QStringLiteral("/slow"))}});
    QTRY_VERIFY_WITH_TIMEOUT(site.requests().filter(QStringLiteral("/slow")).size() == 2, Wait);
    p.further.cancel();
    site.release();
    QTest::qWait(300);
    QCOMPARE(p.ready.size(), 0);
    QCOMPARE(p.finished.size(), 0);
}

QTEST_GUILESS_MAIN(TestFurtherPages)
#include "tst_further_pages.moc"
