#include "weblookup/PageFetcher.h"

#include "weblookup/LocalNetworkCheck.h"
#include "weblookup/SiteBoundary.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace quelto::weblookup {

PageFetcher::PageFetcher(QNetworkAccessManager& network, QObject* parent) : QObject(parent), m_network(network) {}

PageFetcher::~PageFetcher() { cancel(); }

void PageFetcher::setHeaders(const QByteArray& userAgent, const QByteArray& acceptLanguage)
{
    m_userAgent = userAgent;
    m_acceptLanguage = acceptLanguage;
}

void PageFetcher::fetch(const QUrl& url, const QString& name)
{
    const quint64 id = ++m_next;
    Fetch& f = m_running[id];
    f.page.name = name;
    f.page.address = url;
    f.current = url;
    f.timer = new QTimer(this);
    f.timer->setSingleShot(true);
    connect(f.timer, &QTimer::timeout, this, [this, id] {
        const double seconds = std::chrono::duration<double>(m_timeout).count();
        fail(id, QStringLiteral("did not answer within %1 seconds").arg(seconds));
    });
    f.timer->start(m_timeout);
    check(id, url);
}

void PageFetcher::check(quint64 id, const QUrl& to)
{
    const QString scheme = to.scheme().toLower();
    if (scheme != u"http" && scheme != u"https") {
        fail(id, QStringLiteral("could not be loaded (not a web address)"));
        return;
    }
    if (!SiteBoundary::sameSite(m_site, to)) {
        fail(id, QStringLiteral("was sent on to %1, another site, and was not read").arg(SiteBoundary::shown(to)));
        return;
    }
    LocalNetworkCheck::mayFetch(m_site, to, this, [this, id, to](bool allowed) {
        if (!m_running.contains(id))
            return;
        if (!allowed) {
            fail(id, QStringLiteral("was not read: it asks for %1, an address on the local network")
                         .arg(SiteBoundary::shown(to)));
            return;
        }
        m_running[id].current = to;
        request(id);
    });
}

void PageFetcher::request(quint64 id)
{
    Fetch& f = m_running[id];
    QNetworkRequest request(f.current);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!m_userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    if (!m_acceptLanguage.isEmpty())
        request.setRawHeader("Accept-Language", m_acceptLanguage);
    request.setRawHeader("Accept", "text/html,application/xhtml+xml;q=0.9,*/*;q=0.8");
    request.setRawHeader("Referer", m_site.toString(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toUtf8());
    QNetworkReply* reply = m_network.get(request);
    f.reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, id, reply] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > m_maxBytes)
            fail(id, tooLarge());
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, id, reply] {
        if (!m_running.contains(id))
            return;
        Fetch& fetch = m_running[id];
        fetch.page.body += reply->readAll();
        if (fetch.page.body.size() > m_maxBytes)
            fail(id, tooLarge());
    });
    connect(reply, &QNetworkReply::finished, this, [this, id] { finished(id); });
}

QString PageFetcher::tooLarge() const
{
    return QStringLiteral("is larger than %1 KB and was not read").arg(m_maxBytes / 1024);
}

QString PageFetcher::statusReason(int code)
{
    if (code == 404 || code == 410)
        return QStringLiteral("not found (%1)").arg(code);
    if (code == 401 || code == 403 || code == 429)
        return QStringLiteral("refused by the server (%1)").arg(code);
    if (code >= 500)
        return QStringLiteral("failed on the server (%1)").arg(code);
    return QStringLiteral("answered with status %1").arg(code);
}

void PageFetcher::finished(quint64 id)
{
    if (!m_running.contains(id))
        return;
    Fetch& f = m_running[id];
    QNetworkReply* reply = f.reply;
    if (!reply)
        return;
    reply->deleteLater();
    f.reply = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400 && reply->hasRawHeader("Location")) {
        if (++f.redirects > MaxRedirects) {
            fail(id, QStringLiteral("could not be loaded (too many redirects)"));
            return;
        }
        const QUrl to = f.current.resolved(QUrl::fromEncoded(reply->rawHeader("Location").trimmed()));
        f.page.body.clear();
        check(id, to);
        return;
    }
    if (status >= 400) {
        fail(id, statusReason(status));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        switch (reply->error()) {
        case QNetworkReply::ConnectionRefusedError:
            fail(id, QStringLiteral("could not be reached (connection refused)"));
            break;
        case QNetworkReply::HostNotFoundError:
            fail(id, QStringLiteral("could not be reached (server not found)"));
            break;
        case QNetworkReply::TimeoutError:
            fail(id, QStringLiteral("could not be reached (connection timed out)"));
            break;
        default:
            fail(id, QStringLiteral("could not be loaded (%1)").arg(reply->errorString()));
        }
        return;
    }
    f.page.body += reply->readAll();
    f.page.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    f.page.finalAddress = f.current;
    done(id);
}

void PageFetcher::fail(quint64 id, const QString& reason)
{
    if (!m_running.contains(id))
        return;
    Fetch& f = m_running[id];
    f.page.failure = reason;
    f.page.body.clear();
    if (f.reply) {
        QNetworkReply* reply = f.reply;
        f.reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    done(id);
}

void PageFetcher::done(quint64 id)
{
    Fetch f = m_running.take(id);
    delete f.timer;
    emit fetched(f.page);
}

void PageFetcher::cancel()
{
    const QList<quint64> ids = m_running.keys();
    for (quint64 id : ids) {
        Fetch f = m_running.take(id);
        delete f.timer;
        if (f.reply) {
            f.reply->disconnect(this);
            f.reply->abort();
            f.reply->deleteLater();
        }
    }
}

} // namespace quelto::weblookup
