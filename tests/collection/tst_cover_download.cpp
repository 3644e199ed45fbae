#include "PosterServer.h"
#include "collection/CoverDownload.h"
#include "weblookup/HostResolver.h"
#include "weblookup/LocalNetworkCheck.h"

#include <QBuffer>
#include <QImageWriter>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QSignalSpy>
#include <QtTest>

using namespace quelto::collection;
using quelto::test::PosterServer;

namespace {

QByteArray jpeg(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

PosterServer::Answer picture(const QByteArray& bytes)
{
    return {"200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " + QByteArray::number(bytes.size()) + "\r\n", bytes};
}

// Stands in for the lookup's site boundary: the loopback is local, and
// "localhost" counts as another machine's local name.
void mayFetch(const QUrl& from, const QUrl& to, QObject* context, std::function<void(bool)> answer)
{
    auto local = [](const QUrl& url) { return url.host() == QLatin1String("127.0.0.1") || url.host() == QLatin1String("localhost"); };
    const bool allowed = to.host() != QLatin1String("localhost") && (local(from) || !local(to));
    QMetaObject::invokeMethod(context, [answer, allowed] { answer(allowed); }, Qt::QueuedConnection);
}

// Names of the open network as a resolver double gives them: the poster
// hosts lead to the loopback, the picture server to a public address.
QList<QHostAddress> testNames(const QString& host)
{
    if (host == QLatin1String("cdn.example.com"))
        return {QHostAddress(QStringLiteral("93.184.216.34"))};
    if (host == QLatin1String("posters.example.com"))
        return {QHostAddress(QStringLiteral("127.0.0.1"))};
    if (host == QLatin1String("mapped.example.com"))
        return {QHostAddress(QStringLiteral("93.184.216.35")), QHostAddress(QStringLiteral("::ffff:10.1.2.3"))};
    return {};
}

} // namespace

// A poster found by a grab: fetched as the page's browser would, or refused
// with a message that says why.
class TestCoverDownload : public QObject
{
    Q_OBJECT

    struct Outcome
    {
        bool fetched = false;
        CoverPicture picture;
        QString problem;
    };

    static Outcome run(CoverDownload& download, const QUrl& address, const QUrl& from)
    {
        Outcome outcome;
        QEventLoop loop;
        QObject::connect(&download, &CoverDownload::finished, &loop, [&](const CoverPicture& p, const QUrl&) {
            outcome.fetched = true;
            outcome.picture = p;
            loop.quit();
        });
        QObject::connect(&download, &CoverDownload::failed, &loop, [&](const QString& problem, const QUrl&) {
            outcome.problem = problem;
            loop.quit();
        });
        if (download.start(address, from)) {
            QTimer::singleShot(20000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        QObject::disconnect(&download, nullptr, &loop, nullptr);
        return outcome;
    }

private slots:
    void posterFetchedWithTheBrowsersCookiesAndReferrer()
    {
        PosterServer server;
        const QByteArray bytes = jpeg({200, 300});
        server.answer("/poster.jpg", picture(bytes));
        server.answer("/moved.jpg", {"302 Found\r\nLocation: /poster.jpg\r\nContent-Length: 0\r\n", {}});
        QNetworkAccessManager network;
        QNetworkCookie cookie("session", "abc123");
        cookie.setDomain(QStringLiteral("127.0.0.1"));
        cookie.setPath(QStringLiteral("/"));
        network.cookieJar()->insertCookie(cookie);
        CoverDownload download(network, mayFetch);

        const QUrl page = server.url(QStringLiteral("/title/tt0078748/"));
        Outcome got = run(download, server.url(QStringLiteral("/poster.jpg")), page);
        QVERIFY2(got.fetched, qPrintable(got.problem));
        QCOMPARE(got.picture.bytes(), bytes); // kept as given
        QCOMPARE(got.picture.size(), QSize(200, 300));
        QVERIFY(server.requests.last().contains("Cookie: session=abc123"));
        QVERIFY(server.requests.last().contains("Referer: " + page.toEncoded()));

        // A redirect on the same server is followed.
        got = run(download, server.url(QStringLiteral("/moved.jpg")), page);
        QVERIFY2(got.fetched, qPrintable(got.problem));
        QCOMPARE(got.picture.bytes(), bytes);
        QVERIFY(!download.isRunning());
    }

    void localAddressesRefusedFromAPublicPage()
    {
        PosterServer server;
        server.answer("/poster.jpg", picture(jpeg({20, 30})));
        server.answer("/away.jpg", {"302 Found\r\nLocation: " + server.url(QStringLiteral("/poster.jpg"), QStringLiteral("localhost")).toEncoded() +
                                        "\r\nContent-Length: 0\r\n",
                                    {}});
        QNetworkAccessManager network;
        CoverDownload download(network, mayFetch);

        // A public page naming a poster on the loopback: nothing is asked of it.
        Outcome got = run(download, server.url(QStringLiteral("/poster.jpg")), QUrl(QStringLiteral("https://www.example.org/film")));
        QVERIFY(!got.fetched);
        QVERIFY2(got.problem.contains(QLatin1String("local network")), qPrintable(got.problem));
        QVERIFY(server.requests.isEmpty());

        // A redirect to a refused address is not followed.
        got = run(download, server.url(QStringLiteral("/away.jpg")), server.url(QStringLiteral("/film")));
        QVERIFY(!got.fetched);
        QVERIFY2(got.problem.contains(QLatin1String("localhost")), qPrintable(got.problem));
        QCOMPARE(server.requests.size(), 1);

        // Only web addresses.
        for (const char* address : {"file:///etc/passwd", "ftp://example.org/p.jpg", "data:image/png;base64,AAAA"}) {
            got = run(download, QUrl(QString::fromLatin1(address)), QUrl(QStringLiteral("https://www.example.org/film")));
            QVERIFY(!got.fetched);
            QVERIFY2(got.problem.contains(QLatin1String("no web address")), address);
        }
    }

    void namesThatLeadToTheLocalNetworkRefused()
    {
        // The server stands in as the proxy for every name, so the fetch
        // would reach it whatever the name; the check decides by address.
        PosterServer server;
        const QByteArray bytes = jpeg({20, 30});
        server.answer("http://cdn.example.com/poster.jpg", picture(bytes));
        server.answer("http://cdn.example.com/away.jpg",
                      {"302 Found\r\nLocation: http://posters.example.com/poster.jpg\r\nContent-Length: 0\r\n", {}});
        server.answer("http://posters.example.com/poster.jpg", picture(bytes));
        QNetworkAccessManager network;
        network.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"),
                                       quint16(server.url(QStringLiteral("/")).port())));
        quelto::weblookup::HostResolver::replace(testNames);
        CoverDownload download(network, &quelto::weblookup::LocalNetworkCheck::mayFetch);
        const QUrl page(QStringLiteral("https://www.example.org/film"));

        // A public name on the loopback: nothing is asked of it.
        Outcome got = run(download, QUrl(QStringLiteral("http://posters.example.com/poster.jpg")), page);
        QVERIFY(!got.fetched);
        QVERIFY2(got.problem.contains(QLatin1String("local network")), qPrintable(got.problem));
        QVERIFY(server.requests.isEmpty());
        // One of its addresses in the local network is enough, also in an IPv6 form.
        got = run(download, QUrl(QStringLiteral("http://mapped.example.com/poster.jpg")), page);
        QVERIFY2(got.problem.contains(QLatin1String("local network")), qPrintable(got.problem));
        QVERIFY(server.requests.isEmpty());

        // The picture server itself is fetched; its redirect to the loopback name is not followed.
        got = run(download, QUrl(QStringLiteral("http://cdn.example.com/poster.jpg")), page);
        QVERIFY2(got.fetched, qPrintable(got.problem));
        got = run(download, QUrl(QStringLiteral("http://cdn.example.com/away.jpg")), page);
        QVERIFY(!got.fetched);
        QVERIFY2(got.problem.contains(QLatin1String("posters.example.com")), qPrintable(got.problem));
        QCOMPARE(server.requests.size(), 2);
        QVERIFY(!server.requests.last().contains("posters"));

        // A page on the loopback by its own name may still read the loopback.
        got = run(download, QUrl(QStringLiteral("http://posters.example.com/poster.jpg")),
                  QUrl(QStringLiteral("http://127.0.0.1:8642/title/tt9000101/")));
        QVERIFY2(got.fetched, qPrintable(got.problem));
        quelto::weblookup::HostResolver::replace({});
    }

    void stalledPosterTimesOut()
    {
        QTcpServer silent; // takes the connection and never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QNetworkAccessManager network;
        CoverDownload download(network, mayFetch);
        download.setTimeout(300);
        const Outcome got = run(download, QUrl(QStringLiteral("http://127.0.0.1:%1/poster.jpg").arg(silent.serverPort())),
                                QUrl(QStringLiteral("http://127.0.0.1/film")));
        QVERIFY(!got.fetched);
        QVERIFY2(got.problem.contains(QLatin1String("timed out")), qPrintable(got.problem));
    }

    void badPostersGiveAMessage()
    {
        PosterServer server;
        const QByteArray full = jpeg({300, 450});
        server.answer("/page.jpg", {"200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 19\r\n", "<html>nothing</html"});
        server.answer("/cut.jpg", picture(full.left(full.size() / 2)));
        server.answer("/huge.jpg", {"200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 62914560\r\n", QByteArray(65536, 'x')});
        server.answer("/endless.jpg", {"200 OK\r\nContent-Type: image/jpeg\r\n", QByteArray(26 * 1024 * 1024, 'x')});
        QNetworkAccessManager network;
        CoverDownload download(network, mayFetch);
        const QUrl page = server.url(QStringLiteral("/film"));

        const struct
        {
            const char* path;
            const char* said;
        } cases[] = {
            {"/page.jpg", "is no cover"}, {"/cut.jpg", "is no cover"},     {"/huge.jpg", "at most"},
            {"/endless.jpg", "at most"},  {"/missing.jpg", "answered 404"},
        };
        for (const auto& c : cases) {
            const Outcome got = run(download, server.url(QString::fromLatin1(c.path)), page);
            QVERIFY2(!got.fetched, c.path);
            QVERIFY2(got.problem.contains(QLatin1String(c.said)), qPrintable(QString::fromLatin1(c.path) + ": " + got.problem));
        }
    }
};

QTEST_GUILESS_MAIN(TestCoverDownload)
#include "tst_cover_download.moc"
