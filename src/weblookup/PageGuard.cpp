#include "weblookup/PageGuard.h"

#include "weblookup/LocalNetworkCheck.h"
#include "weblookup/SiteBoundary.h"

#include <QMutexLocker>
#include <QWebEngineUrlRequestInfo>

namespace quelto::weblookup {

PageGuard::PageGuard(Mode mode, QObject* parent) : QWebEngineUrlRequestInterceptor(parent), m_mode(mode) {}

void PageGuard::setSite(const QUrl& titlePage)
{
    QMutexLocker lock(&m_mutex);
    m_site = titlePage;
    m_blocked.clear();
}

QUrl PageGuard::site() const
{
    QMutexLocker lock(&m_mutex);
    return m_site;
}

QUrl PageGuard::blocked() const
{
    QMutexLocker lock(&m_mutex);
    return m_blocked;
}

QString PageGuard::blockedReason() const
{
    const QUrl refused = blocked();
    if (refused.isEmpty())
        return {};
    bool local = false;
    {
        QMutexLocker lock(&m_mutex);
        local = m_blockedLocal;
    }
    if (!local && !SiteBoundary::sameSite(site(), refused))
        return QStringLiteral("was sent on to %1, another site, and was not read").arg(SiteBoundary::shown(refused));
    return QStringLiteral("was not read: it asks for %1, an address on the local network").arg(SiteBoundary::shown(refused));
}

void PageGuard::clearBlocked()
{
    QMutexLocker lock(&m_mutex);
    m_blocked.clear();
}

bool PageGuard::mayLoad(const QUrl& url)
{
    QMutexLocker lock(&m_mutex);
    if (m_mode == Mode::Watch || m_site.isEmpty())
        return true;
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return true; // about:blank, data:, the engine's own
    if (SiteBoundary::mayFollow(m_site, url))
        return true;
    m_blocked = url;
    m_blockedLocal = false;
    return false;
}

void PageGuard::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    const bool mainFrame = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
    if (refuses(url, info.firstPartyUrl(), mainFrame))
        info.block(true);
}

bool PageGuard::refuses(const QUrl& url, const QUrl& page, bool mainFrame)
{
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https" && scheme != u"ws" && scheme != u"wss")
        return false; // data:, blob:, the engine's own

    if (m_mode == Mode::Watch) {
        // A page's parts never reach the local network from the open one,
        // judged by where their names lead.
        return !mainFrame && !page.host().isEmpty() && !SiteBoundary::isLocalHost(page.host()) &&
               LocalNetworkCheck::reachesLocalNow(url.host());
    }

    QUrl site;
    {
        QMutexLocker lock(&m_mutex);
        site = m_site;
    }
    if (site.isEmpty())
        return false;
    // The lookup itself asks only for pages of the site: a document from
    // anywhere else comes from a redirect or the page's own doing.
    bool refuse = mainFrame && !SiteBoundary::mayFollow(site, url);
    bool local = false;
    if (!refuse && !SiteBoundary::isLocalHost(site.host()))
        refuse = local = LocalNetworkCheck::reachesLocalNow(url.host());
    if (refuse) {
        QMutexLocker lock(&m_mutex);
        m_blocked = url;
        m_blockedLocal = local;
    }
    return refuse;
}

QString PageGuard::leftSiteMessage(const QUrl& from, const QUrl& to)
{
    return QStringLiteral("The page was sent on from %1 to %2, another site. Quelto reads a movie's page only on the "
                          "site it was asked of; open the movie's page on %2 itself to grab it.")
        .arg(SiteBoundary::shown(from), SiteBoundary::shown(to));
}

} // namespace quelto::weblookup
