#include "weblookup/PinnedProxy.h"

#include "weblookup/LocalNetworkCheck.h"
#include "weblookup/ProxyConnection.h"
#include "weblookup/SiteBoundary.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

namespace quelto::weblookup {
namespace {

const QString ProxyUser = QStringLiteral("quelto");

struct RouteHolder
{
    QMutex mutex;
    PinnedProxy::Route route;
};

RouteHolder& routeHolder()
{
    static RouteHolder holder;
    return holder;
}

QString randomSecret()
{
    QByteArray bytes(24, '\0');
    for (char& byte : bytes)
        byte = char(QRandomGenerator::system()->bounded(256));
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool isLiteral(const QString& host)
{
    QHostAddress address;
    return address.setAddress(host);
}

} // namespace

QByteArray PinnedProxy::refusal(const QString& host, const QList<QHostAddress>& addresses)
{
    // An address as the host cannot change between check and connection,
    // and a local name is local to the page's guard already: both are the
    // guard's to judge, which knows the page that asks.
    if (isLiteral(host) || SiteBoundary::isLocalHost(host))
        return addresses.isEmpty() ? QByteArray("unknown") : QByteArray();
    if (addresses.isEmpty())
        return "unknown";
    for (const QHostAddress& address : addresses) {
        if (LocalNetworkCheck::isLocal(address))
            return "local";
    }
    return {};
}

PinnedProxy* PinnedProxy::installForApplication()
{
    static PinnedProxy* running = nullptr;
    if (running)
        return running;
    // The engine's WebRTC would send UDP around any proxy; it keeps to the
    // proxy as well (read when the engine starts, with the first profile).
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--force-webrtc-ip-handling-policy"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                (flags + " --force-webrtc-ip-handling-policy=disable_non_proxied_udp").trimmed());
    // Never ended before the process: the engine's connections use it to the last.
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("PinnedProxy"));
    thread->start();
    auto* proxy = new PinnedProxy;
    proxy->moveToThread(thread);
    bool listening = false;
    QMetaObject::invokeMethod(proxy, &PinnedProxy::listen, Qt::BlockingQueuedConnection, &listening);
    if (!listening)
        qWarning("The program's web proxy could not listen on loopback; the network stays unreached.");
    // A proxy that does not listen still stands in the way: nothing goes
    // around the checks.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"),
                                                     listening ? proxy->port() : 9, proxy->user(),
                                                     proxy->password()));
    running = proxy;
    return running;
}

PinnedProxy::PinnedProxy() : m_server(new QTcpServer(this)), m_password(randomSecret())
{
    m_expected = "Basic " + (ProxyUser + u':' + m_password).toUtf8().toBase64();
    m_server->setProxy(QNetworkProxy::NoProxy);
    connect(m_server, &QTcpServer::newConnection, this, &PinnedProxy::accept);
}

PinnedProxy::~PinnedProxy() = default;

bool PinnedProxy::listen() { return m_server->listen(QHostAddress::LocalHost, 0); }

quint16 PinnedProxy::port() const { return m_server->serverPort(); }

QString PinnedProxy::user() const { return ProxyUser; }

QString PinnedProxy::password() const { return m_password; }

void PinnedProxy::accept()
{
    while (QTcpSocket* client = m_server->nextPendingConnection())
        new ProxyConnection(client, m_expected, port(), this);
}

QNetworkProxy PinnedProxy::upstreamFor(const QString& host, quint16 port, bool tunnel, quint16 ownPort)
{
    QUrl url;
    url.setScheme(tunnel && port != 80 ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(host);
    url.setPort(port);
    for (const QNetworkProxy& proxy : QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url))) {
        if (proxy.type() != QNetworkProxy::HttpProxy)
            continue;
        // Never this proxy itself.
        if (proxy.port() == ownPort && QHostAddress(proxy.hostName()).isLoopback())
            continue;
        return proxy;
    }
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

void PinnedProxy::setRoute(Route route)
{
    RouteHolder& holder = routeHolder();
    QMutexLocker lock(&holder.mutex);
    holder.route = std::move(route);
}

QPair<QHostAddress, quint16> PinnedProxy::routed(const QHostAddress& judged, quint16 port)
{
    Route route;
    {
        RouteHolder& holder = routeHolder();
        QMutexLocker lock(&holder.mutex);
        route = holder.route;
    }
    return route ? route(judged, port) : qMakePair(judged, port);
}

} // namespace quelto::weblookup
