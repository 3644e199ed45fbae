#include "weblookup/ProxyConnection.h"

#include "weblookup/HostResolver.h"
#include "weblookup/PinnedProxy.h"

#include <QNetworkProxy>
#include <QTcpSocket>

namespace quelto::weblookup {
namespace {

constexpr qint64 Chunk = 64 * 1024;

bool sameSecret(const QByteArray& given, const QByteArray& expected)
{
    if (given.size() != expected.size())
        return false;
    char difference = 0;
    for (qsizetype i = 0; i < given.size(); ++i)
        difference |= char(given[i] ^ expected[i]);
    return difference == 0;
}

int statusOf(const QByteArray& head)
{
    const QList<QByteArray> first = head.left(head.indexOf("\r\n")).split(' ');
    return first.size() >= 2 ? first[1].toInt() : 0;
}

// The final answer's head, telling the client that this connection ends
// with it: the next request comes on a new connection, to be judged anew.
QByteArray closingHead(const QByteArray& head)
{
    QByteArray out;
    const QList<QByteArray> lines = head.left(head.size() - 4).split('\n');
    for (const QByteArray& line : lines) {
        const QByteArray name = line.left(line.indexOf(':')).trimmed().toLower();
        if (name == "connection" || name == "proxy-connection" || name == "keep-alive")
            continue;
        out += line.trimmed() + "\r\n";
    }
    return out + "Connection: close\r\nProxy-Connection: close\r\n\r\n";
}

} // namespace

ProxyConnection::ProxyConnection(QTcpSocket* client, QByteArray expectedCredentials, quint16 ownPort,
                                 QObject* parent)
    : QObject(parent), m_client(client), m_expected(std::move(expectedCredentials)), m_ownPort(ownPort)
{
    m_client->setParent(this);
    m_client->setReadBufferSize(HighWater);
    connect(m_client, &QTcpSocket::readyRead, this, [this] {
        if (m_stage == Stage::Head)
            readHead();
        else if (m_stage == Stage::Relaying)
            passToSite();
        else if (m_stage == Stage::Closing)
            m_client->readAll(); // nowhere to go any more
    });
    connect(m_client, &QTcpSocket::bytesWritten, this, &ProxyConnection::passToClient);
    connect(m_client, &QTcpSocket::disconnected, this, &ProxyConnection::close);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_stage == Stage::Connecting)
            answer("504 Gateway Timeout");
        else
            close();
    });
    m_timer.start(HeadWaitMs);
    readHead();
}

void ProxyConnection::readHead()
{
    m_pending += m_client->read(ProxyRequestHead::MaxBytes + 4 - m_pending.size());
    int headBytes = 0;
    const std::optional<ProxyRequestHead> head = ProxyRequestHead::parse(m_pending, &headBytes);
    if (headBytes == 0) {
        if (m_pending.size() > ProxyRequestHead::MaxBytes)
            answer("431 Request Header Fields Too Large");
        return;
    }
    if (!head) {
        answer("400 Bad Request");
        return;
    }
    if (!sameSecret(head->credentials, m_expected)) {
        answer("407 Proxy Authentication Required");
        return;
    }
    m_head = *head;
    m_pending.remove(0, headBytes);
    m_stage = Stage::Resolving;
    // Resolved here once: the address judged is the address connected to.
    HostResolver::lookUp(m_head.host, this, [this](const QList<QHostAddress>& addresses) { resolved(addresses); });
}

void ProxyConnection::resolved(const QList<QHostAddress>& addresses)
{
    if (m_stage != Stage::Resolving)
        return;
    if (addresses.isEmpty()) {
        // A name this machine cannot resolve may be one the user's own
        // proxy can (a network whose names only the proxy knows): it is
        // asked, and resolves the name where it stands.
        const QNetworkProxy upstream = PinnedProxy::upstreamFor(m_head.host, m_head.port, m_head.isTunnel(), m_ownPort);
        if (upstream.type() == QNetworkProxy::HttpProxy) {
            connectToUpstream(upstream.hostName(), upstream.port());
            return;
        }
    }
    const QByteArray refusal = PinnedProxy::refusal(m_head.host, addresses);
    if (!refusal.isEmpty()) {
        // A name not found is told as the site's own 404 would not be: by the header.
        answer(refusal == "unknown" ? "404 Not Found" : "403 Forbidden", refusal);
        return;
    }
    m_addresses = addresses;
    m_stage = Stage::Connecting;
    m_timer.start(ConnectWaitMs);
    connectNext();
}

void ProxyConnection::connectNext()
{
    if (m_site) {
        m_site->disconnect(this);
        m_site->deleteLater();
        m_site = nullptr;
    }
    if (m_addresses.isEmpty()) {
        answer("502 Bad Gateway");
        return;
    }
    const QPair<QHostAddress, quint16> target = PinnedProxy::routed(m_addresses.takeFirst(), m_head.port);
    watchSite();
    m_site->connectToHost(target.first, target.second);
}

void ProxyConnection::connectToUpstream(const QString& host, quint16 port)
{
    m_viaUpstream = true;
    m_stage = Stage::Connecting;
    m_timer.start(ConnectWaitMs);
    watchSite();
    m_site->connectToHost(host, port);
}

void ProxyConnection::watchSite()
{
    m_site = new QTcpSocket(this);
    m_site->setProxy(QNetworkProxy::NoProxy);
    m_site->setReadBufferSize(HighWater);
    connect(m_site, &QTcpSocket::connected, this, &ProxyConnection::siteConnected);
    connect(m_site, &QTcpSocket::errorOccurred, this, [this] {
        if (m_stage == Stage::Connecting && m_viaUpstream)
            answer("502 Bad Gateway");
        else if (m_stage == Stage::Connecting)
            connectNext();
        else
            siteFailed();
    });
    connect(m_site, &QTcpSocket::disconnected, this, &ProxyConnection::siteFailed);
    connect(m_site, &QTcpSocket::readyRead, this, &ProxyConnection::passToClient);
    connect(m_site, &QTcpSocket::bytesWritten, this, &ProxyConnection::passToSite);
}

void ProxyConnection::siteConnected()
{
    m_timer.stop();
    m_stage = Stage::Relaying;
    if (m_viaUpstream) {
        // The user's proxy answers a tunnel itself; its answer passes as it is.
        m_responsePassed = m_head.isTunnel();
        m_site->write(m_head.forProxy());
    } else if (m_head.isTunnel()) {
        m_responsePassed = true;
        m_client->write("HTTP/1.1 200 Connection established\r\n\r\n");
    } else {
        m_site->write(m_head.forSite());
    }
    m_site->write(m_pending);
    m_pending.clear();
    passToSite();
}

void ProxyConnection::passToSite()
{
    if (m_stage != Stage::Relaying || !m_site)
        return;
    while (m_client->bytesAvailable() > 0 && m_site->bytesToWrite() < HighWater)
        m_site->write(m_client->read(Chunk));
}

void ProxyConnection::passToClient()
{
    if (!m_site || (m_stage != Stage::Relaying && m_stage != Stage::Closing))
        return;
    if (!m_responsePassed && !passResponseHeads())
        return;
    // What a closed site sent is in memory already: all of it goes on.
    while (m_site->bytesAvailable() > 0 && (m_siteGone || m_client->bytesToWrite() < HighWater))
        m_client->write(m_site->read(Chunk));
}

bool ProxyConnection::passResponseHeads()
{
    m_responseHead += m_site->read(ProxyRequestHead::MaxBytes + 4 - m_responseHead.size());
    while (!m_responsePassed) {
        const int end = m_responseHead.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_responseHead.size() > ProxyRequestHead::MaxBytes)
                answer("502 Bad Gateway");
            return false;
        }
        const QByteArray head = m_responseHead.left(end + 4);
        m_responseHead.remove(0, end + 4);
        const int status = statusOf(head);
        if (status >= 100 && status < 200 && status != 101) {
            m_client->write(head); // "100 Continue" and the like; the answer follows
            continue;
        }
        m_client->write(status == 101 ? head : closingHead(head));
        m_responsePassed = true;
    }
    m_client->write(m_responseHead);
    m_responseHead.clear();
    return true;
}

void ProxyConnection::siteFailed()
{
    if (m_stage == Stage::Closing)
        return;
    if (m_stage != Stage::Relaying) {
        if (m_viaUpstream)
            answer("502 Bad Gateway");
        else
            connectNext();
        return;
    }
    m_siteGone = true;
    passToClient();
    if (!m_responsePassed) {
        answer("502 Bad Gateway"); // closed before its answer's head
        return;
    }
    m_stage = Stage::Closing;
    m_client->disconnectFromHost();
    m_timer.start(HeadWaitMs);
}

void ProxyConnection::answer(const QByteArray& status, const QByteArray& refusal)
{
    m_stage = Stage::Closing;
    m_timer.start(HeadWaitMs);
    if (m_site) {
        m_site->disconnect(this);
        m_site->abort();
    }
    QByteArray out = "HTTP/1.1 " + status + "\r\n";
    if (status.startsWith("407"))
        out += "Proxy-Authenticate: Basic realm=\"Quelto\"\r\n";
    if (!refusal.isEmpty())
        out += QByteArray(PinnedProxy::RefusalHeader) + ": " + refusal + "\r\n";
    out += "Content-Length: 0\r\nConnection: close\r\nProxy-Connection: close\r\n\r\n";
    m_client->write(out);
    // What the client sent on is dropped unread: closing on it would reset
    // the connection, answer and all.
    m_pending.clear();
    m_client->readAll();
    m_client->disconnectFromHost();
}

void ProxyConnection::close()
{
    m_stage = Stage::Closing;
    m_timer.stop();
    if (m_client)
        m_client->disconnect(this);
    if (m_site)
        m_site->disconnect(this);
    deleteLater();
}

} // namespace quelto::weblookup
