#include "PosterServer.h"
#include "collection/CoverDownload.h"
#include "weblookup/HostResolver.h"
#include "weblookup/LocalNetworkCheck.h"
#include "weblookup/PinnedProxy.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImageWriter>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QtTest>

using namespace quelto::weblookup;
using quelto::collection::CoverDownload;
using quelto::test::PosterServer;

namespace {

const QHostAddress PublicAddress(QStringLiteral("93.184.216.34"));

// Names as a hostile resolver gives them: "rebind" names answer a public
// address to the first question and the loopback to every later one.
struct Names
{
    QHash<QString, int> asked;
    QList<QHostAddress> operator()(const QString& host)
    {
        const int times = asked[host]++;
        if (host.startsWith(QLatin1String("rebind")))
            return {times == 0 ? PublicAddress : QHostAddress(QHostAddress::LocalHost)};
        if (host == QLatin1String("loopback.example.com"))
            return {QHostAddress(QHostAddress::LocalHost)};
        if (host == QLatin1String("mapped.example.com"))
            return {PublicAddress, QHostAddress(QStringLiteral("::ffff:192.168.1.9"))};
        if (host.startsWith(QLatin1String("nowhere")))
            return {};
        if (host.endsWith(QLatin1String(".example.com")) || host == QLatin1String("intranet"))
            return {PublicAddress};
        return {};
    }
};

// The hosts the test server was asked for, by the requests' Host headers.
QStringList hostsAsked(const PosterServer& server)
{
    QStringList hosts;
    for (const QByteArray& request : server.requests) {
        for (const QByteArray& line : request.split('\n')) {
            if (line.toLower().startsWith("host:"))
                hosts << QString::fromLatin1(line.mid(5).trimmed());
        }
    }
    return hosts;
}

QByteArray jpeg()
{
    QImage image(QSize(20, 30), QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

QNetworkReply* finished(QNetworkReply* reply)
{
    if (!reply->isFinished()) {
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(15000);
    }
    return reply;
}

} // namespace

// The program's own proxy: a name is resolved once and the address judged is
// the address connected to, for the program's fetches and the browser's.
class TestPinnedProxy : public QObject
{
    Q_OBJECT

    PosterServer* m_server = nullptr;
    PinnedProxy* m_proxy = nullptr;
    std::shared_ptr<Names> m_names;

    QNetworkProxy proxySetting(const QString& password) const
    {
        return QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), m_proxy->port(), m_proxy->user(),
                             password);
    }

private slots:
    void init()
    {
        m_server = new PosterServer;
        m_proxy = new PinnedProxy;
        QVERIFY(m_proxy->listen());
        m_names = std::make_shared<Names>();
        HostResolver::replace([names = m_names](const QString& host) { return (*names)(host); });
        // Every connection, wherever judged to go, reaches the test server:
        // only the proxy's judgement keeps it away.
        const quint16 port = quint16(m_server->url(QStringLiteral("/")).port());
        PinnedProxy::setRoute([port](const QHostAddress&, quint16) { return qMakePair(QHostAddress(QHostAddress::LocalHost), port); });
    }
    void cleanup()
    {
        PinnedProxy::setRoute({});
        HostResolver::replace({});
        delete m_proxy;
        delete m_server;
    }

    void judgesNamesByTheirAddresses_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QByteArray>("refusal");
        const QStringList open{QStringLiteral("93.184.216.34")};
        QTest::newRow("public") << "www.example.com" << open << QByteArray();
        QTest::newRow("two public") << "www.example.com" << QStringList{"93.184.216.34", "2606:2800:220:1::1"} << QByteArray();
        QTest::newRow("unresolved") << "nowhere.example.com" << QStringList() << QByteArray("unknown");
        for (const char* local : {"127.0.0.1", "127.8.9.10", "10.0.0.1", "172.16.4.4", "192.168.1.1", "169.254.1.1",
                                  "100.64.0.1", "0.0.0.0", "::1", "::", "fe80::1", "fc00::1", "fd12::1",
                                  "::ffff:127.0.0.1", "::ffff:10.1.1.1", "::127.0.0.1"})
            QTest::newRow(local) << "www.example.com" << QStringList{open.first(), QString::fromLatin1(local)} << QByteArray("local");
        // The page's guard judges these by the page that asks.
        QTest::newRow("address as host") << "127.0.0.1" << QStringList{"127.0.0.1"} << QByteArray();
        QTest::newRow("local name") << "nas.local" << QStringList{"192.168.1.2"} << QByteArray();
        QTest::newRow("single label") << "intranet" << QStringList{"10.1.1.1"} << QByteArray();
    }
    void judgesNamesByTheirAddresses()
    {
        QFETCH(QString, host);
        QFETCH(QStringList, addresses);
        QFETCH(QByteArray, refusal);
        QList<QHostAddress> resolved;
        for (const QString& a : addresses)
            resolved << QHostAddress(a);
        QCOMPARE(PinnedProxy::refusal(host, resolved), refusal);
    }

    void plainRequestsReachOnlyTheAddressJudged()
    {
        m_server->answer("/page", {"200 OK\r\nContent-Length: 5\r\n", "hello"});
        QNetworkAccessManager network;
        network.setProxy(proxySetting(m_proxy->password()));

        std::unique_ptr<QNetworkReply> reply(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://www.example.com/page"))))));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(reply->readAll(), QByteArray("hello"));
        // The site is asked in origin form, without the proxy's password, on
        // a connection of its own.
        QCOMPARE(m_server->requests.size(), 1);
        const QByteArray& asked = m_server->requests.first();
        QVERIFY2(asked.startsWith("GET /page HTTP/1.1\r\n"), asked.constData());
        QVERIFY(!asked.toLower().contains("proxy-authorization"));
        QVERIFY(asked.contains("Connection: close"));

        for (const char* host : {"loopback.example.com", "mapped.example.com", "nowhere.example.com"}) {
            reply.reset(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://%1/page").arg(QLatin1String(host)))))));
            QVERIFY2(reply->error() != QNetworkReply::NoError, host);
            QCOMPARE(reply->rawHeader(PinnedProxy::RefusalHeader),
                     QByteArray(QByteArrayView(host) == "nowhere.example.com" ? "unknown" : "local"));
        }
        // Keep-alive never carries a request on to the host of the one before.
        reply.reset(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://rebind.example.com/page"))))));
        QCOMPARE(reply->error(), QNetworkReply::NoError); // its first answer was public
        reply.reset(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://rebind.example.com/page"))))));
        QCOMPARE(reply->rawHeader(PinnedProxy::RefusalHeader), QByteArray("local"));
        QCOMPARE(hostsAsked(*m_server), (QStringList{"www.example.com", "rebind.example.com"}));
    }

    // A name this machine cannot resolve goes to the user's own proxy, when
    // there is one, as it came and without this proxy's password.
    void unresolvedNamesGoToTheUsersProxy()
    {
        m_server->answer("http://nowhere.example.com/page", {"200 OK\r\nContent-Length: 2\r\n", "up"});
        QNetworkAccessManager network;
        network.setProxy(proxySetting(m_proxy->password()));
        qputenv("http_proxy", m_server->url(QStringLiteral("/")).toEncoded());
        std::unique_ptr<QNetworkReply> reply(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://nowhere.example.com/page"))))));
        qunsetenv("http_proxy");
        QCOMPARE(reply->readAll(), QByteArray("up"));
        QCOMPARE(m_server->requests.size(), 1);
        QVERIFY(m_server->requests.first().startsWith("GET http://nowhere.example.com/page HTTP/1.1\r\n"));
        QVERIFY(!m_server->requests.first().toLower().contains("proxy-authorization"));
        // A name that resolves is never sent there: the address judged is the one reached.
        qputenv("http_proxy", m_server->url(QStringLiteral("/")).toEncoded());
        reply.reset(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://loopback.example.com/page"))))));
        qunsetenv("http_proxy");
        QCOMPARE(reply->rawHeader(PinnedProxy::RefusalHeader), QByteArray("local"));
        QCOMPARE(m_server->requests.size(), 1);
    }

    void onlyThisProcessMayUseIt()
    {
        QNetworkAccessManager network;
        network.setProxy(proxySetting(QStringLiteral("guessed")));
        std::unique_ptr<QNetworkReply> reply(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://www.example.com/page"))))));
        QCOMPARE(reply->error(), QNetworkReply::ProxyAuthenticationRequiredError);

        QTcpSocket raw;
        raw.setProxy(QNetworkProxy::NoProxy);
        raw.connectToHost(QHostAddress::LocalHost, m_proxy->port());
        QVERIFY(raw.waitForConnected(5000));
        raw.write("CONNECT www.example.com:80 HTTP/1.1\r\nHost: www.example.com:80\r\n\r\n");
        QTRY_VERIFY(raw.bytesAvailable() > 0 || raw.state() == QAbstractSocket::UnconnectedState);
        QVERIFY(raw.readAll().startsWith("HTTP/1.1 407"));
        QVERIFY(m_server->requests.isEmpty());
    }

    // Heads that name no host to judge, or are too long, reach nothing.
    void malformedHeadsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("requestLine");
        QTest::addColumn<QByteArray>("status");
        QTest::newRow("origin form") << QByteArray("GET /page HTTP/1.1") << QByteArray("400");
        QTest::newRow("user in authority") << QByteArray("CONNECT evil@www.example.com:443 HTTP/1.1") << QByteArray("400");
        QTest::newRow("no port") << QByteArray("CONNECT www.example.com HTTP/1.1") << QByteArray("400");
        QTest::newRow("ftp") << QByteArray("GET ftp://www.example.com/ HTTP/1.1") << QByteArray("400");
        QTest::newRow("HTTP/2 line") << QByteArray("GET http://www.example.com/ HTTP/2") << QByteArray("400");
        QTest::newRow("huge head") << QByteArray("GET http://www.example.com/ HTTP/1.1\r\nX: ") + QByteArray(70000, 'a')
                                   << QByteArray("431");
    }
    void malformedHeadsAreRefused()
    {
        QFETCH(QByteArray, requestLine);
        QFETCH(QByteArray, status);
        QTcpSocket raw;
        raw.setProxy(QNetworkProxy::NoProxy);
        raw.connectToHost(QHostAddress::LocalHost, m_proxy->port());
        QVERIFY(raw.waitForConnected(5000));
        raw.write(requestLine + "\r\nProxy-Authorization: " + m_proxy->expectedCredentials() + "\r\n\r\n");
        QByteArray answer;
        QTRY_VERIFY((answer += raw.readAll()).contains("\r\n\r\n") || raw.state() == QAbstractSocket::UnconnectedState);
        QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.constData());
        QVERIFY(m_server->requests.isEmpty());
    }

    void tunnelsPassBytesUnread()
    {
        m_server->answer("/inside", {"200 OK\r\nContent-Length: 2\r\n", "ok"});
        auto tunnel = [this](const QByteArray& authority) {
            auto* raw = new QTcpSocket(this);
            raw->setProxy(QNetworkProxy::NoProxy);
            raw->connectToHost(QHostAddress::LocalHost, m_proxy->port());
            raw->waitForConnected(5000);
            raw->write("CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority +
                       "\r\nProxy-Authorization: " + m_proxy->expectedCredentials() + "\r\n\r\n");
            return raw;
        };
        std::unique_ptr<QTcpSocket> raw(tunnel("www.example.com:443"));
        QTRY_VERIFY(raw->bytesAvailable() > 0);
        QCOMPARE(raw->readAll(), QByteArray("HTTP/1.1 200 Connection established\r\n\r\n"));
        raw->write("GET /inside HTTP/1.1\r\nHost: www.example.com\r\n\r\n");
        QByteArray answer;
        QTRY_VERIFY((answer += raw->readAll()).endsWith("ok"));

        raw.reset(tunnel("[::ffff:7f00:1]:443")); // an address as host is the guard's to judge
        QTRY_VERIFY(raw->bytesAvailable() > 0);
        QVERIFY(raw->readAll().startsWith("HTTP/1.1 200"));
        raw.reset(tunnel("loopback.example.com:443"));
        QTRY_VERIFY(raw->bytesAvailable() > 0 || raw->state() == QAbstractSocket::UnconnectedState);
        QVERIFY(raw->readAll().startsWith("HTTP/1.1 403"));
    }

    void largeAnswersPassWhole()
    {
        QByteArray body(24 * 1024 * 1024, '\0');
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char(i * 7 + i / 4096);
        m_server->answer("/large", {"200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n", body});
        QNetworkAccessManager network;
        network.setProxy(proxySetting(m_proxy->password()));
        std::unique_ptr<QNetworkReply> reply(finished(network.get(QNetworkRequest(QUrl(QStringLiteral("http://www.example.com/large"))))));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(QCryptographicHash::hash(reply->readAll(), QCryptographicHash::Sha1),
                 QCryptographicHash::hash(body, QCryptographicHash::Sha1));
    }

    // The poster's own check asks first and hears "public"; the connection
    // then asks again. Through the application's proxy, which every default
    // QNetworkAccessManager uses, the second answer is the one judged.
    void rebindingPosterIsRefusedWithItsMessage()
    {
        PinnedProxy* installed = PinnedProxy::installForApplication();
        QCOMPARE(QNetworkProxy::applicationProxy().port(), installed->port());
        const QByteArray bytes = jpeg();
        m_server->answer("/poster.jpg", {"200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                                             QByteArray::number(bytes.size()) + "\r\n",
                                         bytes});
        m_server->answer("/away.jpg",
                         {"302 Found\r\nLocation: http://rebind-after.example.com/poster.jpg\r\nContent-Length: 0\r\n", {}});
        QNetworkAccessManager network;
        CoverDownload download(network, &LocalNetworkCheck::mayFetch);
        const QUrl page(QStringLiteral("https://www.example.org/film"));
        auto fetch = [&](const QString& address) {
            QSignalSpy failed(&download, &CoverDownload::failed);
            QSignalSpy fetched(&download, &CoverDownload::finished);
            download.start(QUrl(address), page);
            QDeadlineTimer deadline(15000);
            while (failed.size() + fetched.size() == 0 && !deadline.hasExpired())
                QTest::qWait(20);
            if (!fetched.isEmpty())
                return QString();
            return failed.isEmpty() ? QStringLiteral("(no answer)") : failed.first().first().toString();
        };
        QCOMPARE(fetch(QStringLiteral("http://cdn.example.com/poster.jpg")), QString());
        QCOMPARE(fetch(QStringLiteral("http://rebind.example.com/poster.jpg")),
                 QStringLiteral("The poster's address leads from www.example.org to rebind.example.com, on this machine "
                                "or its local network; Quelto does not fetch it."));
        QCOMPARE(fetch(QStringLiteral("http://cdn.example.com/away.jpg")),
                 QStringLiteral("The poster's address leads from www.example.org to rebind-after.example.com, on this "
                                "machine or its local network; Quelto does not fetch it."));
        QCOMPARE(hostsAsked(*m_server), (QStringList{"cdn.example.com", "cdn.example.com"}));
    }
};

QTEST_MAIN(TestPinnedProxy)
#include "tst_pinned_proxy.moc"
