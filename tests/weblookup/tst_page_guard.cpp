// The browser's request checks by the address a name resolves to: a public
// name that leads to the loopback or the local network is as local as the
// address itself, for the pane the user browses in and for the lookup's pages.
#include "weblookup/HostResolver.h"
#include "weblookup/LocalNetworkCheck.h"
#include "weblookup/PageGuard.h"

#include <QtTest>

using namespace quelto::weblookup;

namespace {

QList<QHostAddress> names(const QString& host)
{
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("movies.example.com"), {QStringLiteral("93.184.216.34")}},
        {QStringLiteral("img.example.com"), {QStringLiteral("2606:2800:220:1:248:1893:25c8:1946")}},
        {QStringLiteral("rebind.example.net"), {QStringLiteral("127.0.0.1")}},
        {QStringLiteral("router.example.net"), {QStringLiteral("93.184.216.35"), QStringLiteral("192.168.1.1")}},
        {QStringLiteral("v6.example.net"), {QStringLiteral("fd00::1")}},
        {QStringLiteral("mapped.example.net"), {QStringLiteral("::ffff:10.0.0.8")}},
        {QStringLiteral("link.example.net"), {QStringLiteral("fe80::1")}},
        {QStringLiteral("nat64.example.net"), {QStringLiteral("64:ff9b::7f00:1")}},
    };
    QList<QHostAddress> out;
    for (const QString& address : table.value(host))
        out << QHostAddress(address);
    return out;
}

} // namespace

class TestPageGuard : public QObject
{
    Q_OBJECT

private slots:
    void init() { HostResolver::replace(names); }
    void cleanup() { HostResolver::replace({}); }

    void addressesOfTheMachineAndItsNetworkAreLocal()
    {
        for (const char* local : {"127.0.0.1", "10.1.2.3", "172.16.0.1", "192.168.0.1", "169.254.1.1", "100.64.0.1",
                                  "0.0.0.0", "::1", "::", "fe80::1", "fd12:3456::1", "::ffff:127.0.0.1",
                                  "::ffff:192.168.1.1", "64:ff9b::a00:1", "2002:7f00:1::1", "224.0.0.1"})
            QVERIFY2(LocalNetworkCheck::isLocal(QHostAddress(QString::fromLatin1(local))), local);
        for (const char* open : {"93.184.216.34", "8.8.8.8", "2606:2800:220:1:248:1893:25c8:1946", "::ffff:8.8.8.8"})
            QVERIFY2(!LocalNetworkCheck::isLocal(QHostAddress(QString::fromLatin1(open))), open);
        QVERIFY(LocalNetworkCheck::reachesLocalNow(QStringLiteral("rebind.example.net")));
        QVERIFY(LocalNetworkCheck::reachesLocalNow(QStringLiteral("router.example.net"))); // one of its addresses
        QVERIFY(!LocalNetworkCheck::reachesLocalNow(QStringLiteral("unknown.example.org"))); // a proxy's to reach
        QVERIFY(!LocalNetworkCheck::reachesLocalNow(QStringLiteral("img.example.com")));
    }

    void thePaneKeepsAPublicPagesPartsOffTheLocalNetwork()
    {
        PageGuard watch(PageGuard::Mode::Watch);
        const QUrl page(QStringLiteral("https://movies.example.com/title/tt0078748/"));
        // An iframe, a script's fetch(), a picture: by where their names lead.
        for (const char* part : {"http://rebind.example.net:8080/admin", "http://router.example.net/",
                                 "https://v6.example.net/", "http://mapped.example.net/", "http://link.example.net/",
                                 "http://nat64.example.net/", "ws://rebind.example.net/socket", "http://127.0.0.1:631/"})
            QVERIFY2(watch.refuses(QUrl(QString::fromLatin1(part)), page, false), part);
        QVERIFY(!watch.refuses(QUrl(QStringLiteral("https://img.example.com/poster.jpg")), page, false));
        // What the user opens is not refused, and a page on the loopback may read it.
        QVERIFY(!watch.refuses(QUrl(QStringLiteral("http://rebind.example.net/")), page, true));
        QVERIFY(!watch.refuses(QUrl(QStringLiteral("http://rebind.example.net/x.js")),
                               QUrl(QStringLiteral("http://127.0.0.1:8642/title/tt9000101/")), false));
        QVERIFY(!watch.refuses(QUrl(QStringLiteral("data:text/plain,x")), page, false));
    }

    void theLookupsPagesReadNothingLocal()
    {
        PageGuard guard(PageGuard::Mode::Enforce);
        const QUrl site(QStringLiteral("https://movies.example.com/title/tt0078748/"));
        guard.setSite(site);
        QVERIFY(guard.refuses(QUrl(QStringLiteral("http://rebind.example.net/frame.html")), site, false));
        QVERIFY2(guard.blockedReason().contains(QLatin1String("local network")), qPrintable(guard.blockedReason()));
        QVERIFY(!guard.refuses(QUrl(QStringLiteral("https://img.example.com/p.jpg")), site, false));
        QVERIFY(!guard.refuses(QUrl(QStringLiteral("https://movies.example.com/title/tt0078748/fullcredits")), site,
                               true));
        // The sample site on the loopback reads the loopback, as before.
        const QUrl sample(QStringLiteral("http://127.0.0.1:8642/title/tt9000101/"));
        guard.setSite(sample);
        QVERIFY(!guard.refuses(QUrl(QStringLiteral("http://127.0.0.1:8642/Credits?tt9000101")), sample, true));
        QVERIFY(!guard.refuses(QUrl(QStringLiteral("http://rebind.example.net/x.js")), sample, false));
    }
};

QTEST_GUILESS_MAIN(TestPageGuard)
#include "tst_page_guard.moc"
