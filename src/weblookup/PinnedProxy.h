#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPair>
#include <QString>
#include <functional>

class QTcpServer;
class QThread;

namespace quelto::weblookup {

// The program's own web proxy on loopback, through which the browser engine
// and every QNetworkAccessManager of the program reach the network. It
// resolves a host's name once and connects to exactly the address it judged,
// so a name cannot answer "public" to a check and 127.0.0.1 to the
// connection (DNS rebinding). A name that resolves to a loopback, private,
// link-local or unique-local address, or does not resolve at all, is refused;
// an address written as the host, and a host local by its name, are passed:
// the page's request guard judges them by the page that asks. A name that
// does not resolve here goes to the user's own proxy, when there is one.
//
// Tunnels (https, WebSockets) are passed through unread. Only this process
// knows the proxy's password, so another user's program cannot use it.
class PinnedProxy : public QObject
{
    Q_OBJECT
public:
    // The header of a refusal the program's own fetches tell by:
    // "local" (the name leads to the local network) or "unknown" (it does
    // not resolve).
    static constexpr const char* RefusalHeader = "X-Quelto-Refused";

    // Where a connection to a judged address is made; tests route it
    // elsewhere. Returns the address and port to connect to.
    using Route = std::function<QPair<QHostAddress, quint16>(const QHostAddress& judged, quint16 port)>;

    // The decision for host with the addresses its name resolved to: empty
    // when it may be reached, else the refusal header's value.
    static QByteArray refusal(const QString& host, const QList<QHostAddress>& addresses);

    // Starts the proxy on a thread of its own and makes it the application's
    // proxy: before the first browser profile is made, and before any
    // QNetworkAccessManager or socket whose proxy is left as the default.
    // Also keeps the engine's WebRTC from sending UDP around it. Once per
    // process; later calls return the running one.
    static PinnedProxy* installForApplication();

    // Starts listening on 127.0.0.1 on a free port, on the calling thread.
    PinnedProxy();
    ~PinnedProxy() override;
    bool listen();
    quint16 port() const;
    QString user() const;
    QString password() const;
    // The value a client's Proxy-Authorization must have.
    QByteArray expectedCredentials() const { return m_expected; }

    // The user's own web proxy for a host this machine cannot resolve (from
    // the system's settings: http_proxy, https_proxy, no_proxy), or NoProxy;
    // never the proxy listening on ownPort.
    static QNetworkProxy upstreamFor(const QString& host, quint16 port, bool tunnel, quint16 ownPort);

    // Replaces where connections go (an empty route connects to the judged address).
    static void setRoute(Route route);
    static QPair<QHostAddress, quint16> routed(const QHostAddress& judged, quint16 port);

private:
    void accept();

    QTcpServer* m_server = nullptr;
    QString m_password;
    QByteArray m_expected;
};

} // namespace quelto::weblookup
