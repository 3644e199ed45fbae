#include "PosterServer.h"
#include "WebEngineTestMain.h"
#include "weblookup/BrowserProfile.h"
#include "weblookup/HostResolver.h"
#include "weblookup/PageGuard.h"
#include "weblookup/PinnedProxy.h"

#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using namespace quelto::weblookup;
using quelto::test::PosterServer;

namespace {

const QHostAddress PublicAddress(QStringLiteral("93.184.216.34"));

// The hosts the test server was asked for, by the requests' Host headers.
QStringList hostsAsked(const PosterServer& server)
{
    QStringList hosts;
    for (const QByteArray& request : server.requests) {
        for (const QByteArray& line : request.split('\n')) {
            if (line.toLower().startsWith("host:"))
                hosts << QString::fromLatin1(line.mid(5).trimmed()).section(u':', 0, 0);
        }
    }
    hosts.removeDuplicates();
    hosts.sort();
    return hosts;
}

PosterServer::Answer html(const QByteArray& body)
{
    return {"200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n", body};
}

// The page's parts, each of a name the hostile resolver answers "public" to
// first and the loopback afterwards (or nothing at all); the title tells
// when every part has had its answer.
const QByteArray OpenPage =
    "<!doctype html><html><head><title>waiting</title></head><body>\n"
    "<iframe src=\"http://rebind-frame.example.com/part\"></iframe>\n"
    "<iframe src=\"http://nowhere-frame.example.com/part\"></iframe>\n"
    "<img src=\"http://rebind-image.example.com/part\" onload=\"done('image')\" onerror=\"done('image')\">\n"
    "<script>\n"
    "let left = 3;\n"
    "function done() { if (--left === 0) document.title = 'settled'; }\n"
    "fetch('http://rebind-fetch.example.com/part', {mode: 'no-cors'}).then(done, done);\n"
    "const socket = new WebSocket('ws://rebind-socket.example.com/part');\n"
    "socket.onopen = socket.onerror = done;\n"
    "</script></body></html>\n";

} // namespace

// The browser engine with the program's proxy: a page on the open network
// reaches nothing on the loopback through names that resolve there, however
// the name answered the page guard's own question; a page on the loopback
// still reads the loopback.
class TestPinnedEngine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    PosterServer m_server;
    QHash<QString, int> m_asked;
    QWebEngineProfile* m_profile = nullptr;

    bool load(QWebEnginePage& page, const QUrl& url, const QString& settledTitle)
    {
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.load(url);
        if (!loaded.wait(20000) || !loaded.first().first().toBool())
            return false;
        QDeadlineTimer deadline(15000);
        while (page.title() != settledTitle && !deadline.hasExpired())
            QTest::qWait(50);
        return page.title() == settledTitle;
    }

private slots:
    void initTestCase()
    {
        // Where the engine's own resolver would send every example name:
        // to the counting server on the loopback, as a rebinding DNS would.
        const QByteArray port = QByteArray::number(m_server.url(QStringLiteral("/")).port());
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --host-resolver-rules=\"MAP *.example.com 127.0.0.1:" + port + "\"");
        HostResolver::replace([this](const QString& host) -> QList<QHostAddress> {
            const int times = m_asked[host]++;
            if (host.startsWith(QLatin1String("nowhere")))
                return {};
            if (host.startsWith(QLatin1String("rebind")) && times > 0)
                return {QHostAddress(QHostAddress::LocalHost)};
            return {PublicAddress};
        });
        // Whatever the proxy judges it may reach goes to the counting server too.
        PinnedProxy::setRoute([port = quint16(port.toUInt())](const QHostAddress&, quint16) {
            return qMakePair(QHostAddress(QHostAddress::LocalHost), port);
        });
        PinnedProxy::installForApplication();
        BrowserProfile::setLocation(m_folder.path());
        m_profile = BrowserProfile::create(this);
    }
    void cleanupTestCase()
    {
        delete m_profile;
        HostResolver::replace({});
    }

    void openPageReachesNoLoopbackThroughItsParts()
    {
        m_server.answer("/page", html(OpenPage));
        QWebEnginePage page(m_profile);
        PageGuard guard(PageGuard::Mode::Watch);
        page.setUrlRequestInterceptor(&guard);
        QVERIFY(load(page, QUrl(QStringLiteral("http://movies.example.com/page")), QStringLiteral("settled")));
        QTest::qWait(300); // the frames' requests, which tell no end of their own
        QCOMPARE(hostsAsked(m_server), QStringList{QStringLiteral("movies.example.com")});
        // The guard heard "public" for each, and let them through: the proxy refused them.
        QVERIFY(m_asked.value(QStringLiteral("rebind-fetch.example.com")) >= 2);
    }

    void loopbackPageStillReadsTheLoopback()
    {
        m_server.requests.clear();
        const QUrl local = m_server.url(QStringLiteral("/local"));
        m_server.answer("/local", html("<!doctype html><title>waiting</title><iframe src=\"http://localhost:" + QByteArray::number(local.port()) +
                                     "/frame\"></iframe><script>fetch('/data').then(() => document.title = 'settled', "
                                     "() => document.title = 'refused');</script>"));
        m_server.answer("/data", {"200 OK\r\nContent-Length: 2\r\n", "ok"});
        m_server.answer("/frame", html("<p>frame</p>"));
        QWebEnginePage page(m_profile);
        PageGuard guard(PageGuard::Mode::Watch);
        page.setUrlRequestInterceptor(&guard);
        QVERIFY(load(page, local, QStringLiteral("settled")));
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requests.size(), 3, 10000); // the page, its frame and its data
    }
};

QUELTO_WEBENGINE_TEST_MAIN(TestPinnedEngine)
#include "tst_pinned_engine.moc"
