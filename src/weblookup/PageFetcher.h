#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace quelto::weblookup {

// A page as the server sent it, or why there is none.
struct FetchedPage
{
    QString name;       // "credits", "companies"
    QUrl address;       // as asked for
    QUrl finalAddress;  // after the redirects
    QByteArray body;
    QByteArray contentType;
    QString failure;    // "not found (404)"; empty when the page came
    bool ok() const { return failure.isEmpty(); }
};

// Fetches the further pages of a grab over the network, all at once, with the
// headers and cookies of the browser (set on the network access), and without
// running them. Every page and every redirect stays on the title page's site
// (SiteBoundary) and a page on the open network reaches no local address
// (LocalNetworkCheck, by the address the name resolves to). A page must be
// whole within the timeout and no larger than MaxBytes.
class PageFetcher : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 MaxBytes = 16 * 1024 * 1024;
    static constexpr int MaxRedirects = 10;

    PageFetcher(QNetworkAccessManager& network, QObject* parent = nullptr);
    ~PageFetcher() override;

    void setSite(const QUrl& titlePage) { m_site = titlePage; }
    QNetworkAccessManager& network() const { return m_network; }
    void setHeaders(const QByteArray& userAgent, const QByteArray& acceptLanguage);
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }

    // Starts fetching url; fetched() tells of it later, also when it fails.
    void fetch(const QUrl& url, const QString& name);
    // Drops every fetch under way; no fetched() follows for them.
    void cancel();
    int running() const { return int(m_running.size()); }

    // "not found (404)", as the browser's pages are reported.
    static QString statusReason(int status);

signals:
    void fetched(const weblookup::FetchedPage& page);

private:
    struct Fetch
    {
        FetchedPage page;
        QUrl current;
        int redirects = 0;
        QPointer<QNetworkReply> reply;
        QTimer* timer = nullptr;
    };
    void check(quint64 id, const QUrl& to);
    void request(quint64 id);
    void finished(quint64 id);
    void fail(quint64 id, const QString& reason);
    void done(quint64 id);
    QString tooLarge() const;

    QNetworkAccessManager& m_network;
    QUrl m_site;
    QByteArray m_userAgent;
    QByteArray m_acceptLanguage;
    std::chrono::milliseconds m_timeout{30000};
    qint64 m_maxBytes = MaxBytes;
    QHash<quint64, Fetch> m_running;
    quint64 m_next = 0;
};

} // namespace quelto::weblookup
