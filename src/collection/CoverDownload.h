#pragma once

#include "collection/CoverPicture.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;

namespace quelto::collection {

// Fetches a poster the program found on a page: over http or https only,
// sent with the page as referrer and the cookies of the manager's jar,
// following redirects only where the address check allows, and refused when
// it announces or reaches more bytes than a cover may have. The bytes are
// checked as a picture (CoverPicture::prepare) before anything is decoded.
class CoverDownload : public QObject
{
    Q_OBJECT
public:
    // Whether a picture at to may be fetched for a page at from (a page on
    // the open network never leads to the machine or its local network):
    // answer(true or false), later, on context's thread, as the decision
    // may wait for the address a name resolves to.
    using AddressCheck = std::function<void(const QUrl& from, const QUrl& to, QObject* context,
                                            std::function<void(bool allowed)> answer)>;

    static constexpr int TimeoutMs = 30000;

    CoverDownload(QNetworkAccessManager& network, AddressCheck mayFetch, QObject* parent = nullptr);
    ~CoverDownload() override;

    // Starts fetching address for the page from; a fetch still running is
    // dropped. false (and failed() emitted) when the address is no web
    // address; an address the check refuses is failed() later.
    bool start(const QUrl& address, const QUrl& from);
    void cancel();
    // How long a fetch may go without a byte arriving (TimeoutMs unless set).
    void setTimeout(int ms) { m_timeoutMs = ms; }
    bool isRunning() const { return m_checking || m_reply != nullptr; }

signals:
    void finished(const collection::CoverPicture& picture, const QUrl& address);
    // A message for the user: why there is no cover from this address.
    void failed(const QString& problem, const QUrl& address);

private:
    bool refusedScheme(const QUrl& to, QString* problem) const;
    QString localRefusal(const QUrl& to) const;
    void request();
    void fail(const QString& problem);
    void readChunk();
    void done();

    QNetworkAccessManager& m_network;
    AddressCheck m_mayFetch;
    QPointer<QNetworkReply> m_reply;
    QUrl m_address;
    QUrl m_from;
    QByteArray m_bytes;
    // Tells the answers of checks for an earlier fetch from the current one's.
    quint64 m_attempt = 0;
    int m_timeoutMs = TimeoutMs;
    bool m_checking = false;
};

} // namespace quelto::collection
