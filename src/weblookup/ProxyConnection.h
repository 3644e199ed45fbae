#pragma once

#include "weblookup/ProxyRequestHead.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace quelto::weblookup {

// One client's connection to the pinned proxy: reads its request head,
// resolves the host once, connects to an address it judged and then passes
// bytes both ways, never holding more than a bound of them in memory. A plain
// request gets its own connection to the site, closed after the answer.
class ProxyConnection : public QObject
{
    Q_OBJECT
public:
    // Bytes held for a side that does not take them yet; reading from the
    // other side waits meanwhile.
    static constexpr qint64 HighWater = 1024 * 1024;
    static constexpr int HeadWaitMs = 30000;
    static constexpr int ConnectWaitMs = 20000;

    ProxyConnection(QTcpSocket* client, QByteArray expectedCredentials, quint16 ownPort, QObject* parent);

private:
    enum class Stage
    {
        Head,
        Resolving,
        Connecting,
        Relaying,
        Closing
    };

    void readHead();
    void resolved(const QList<QHostAddress>& addresses);
    void connectNext();
    void connectToUpstream(const QString& host, quint16 port);
    void watchSite();
    void siteConnected();
    void siteFailed();
    void passToSite();
    void passToClient();
    bool passResponseHeads();
    void answer(const QByteArray& status, const QByteArray& refusal = {});
    void close();

    QTcpSocket* m_client;
    QTcpSocket* m_site = nullptr;
    const QByteArray m_expected;
    const quint16 m_ownPort;
    Stage m_stage = Stage::Head;
    ProxyRequestHead m_head;
    QByteArray m_pending; // the client's bytes after its head, before the site is reached
    QList<QHostAddress> m_addresses;
    QByteArray m_responseHead; // a plain answer's heads, until the last has passed
    bool m_responsePassed = false;
    bool m_siteGone = false;
    bool m_viaUpstream = false; // through the user's own proxy
    QTimer m_timer;
};

} // namespace quelto::weblookup
