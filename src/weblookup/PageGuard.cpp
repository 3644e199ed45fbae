#include "weblookup/PageGuard.h"

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
    if (!SiteBoundary::sameSite(site(), refused))
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
    return false;
}

void PageGuard::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    QMutexLocker lock(&m_mutex);
    const QUrl url = info.requestUrl();
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https" && scheme != u"ws" && scheme != u"wss")
        return; // data:, blob:, the engine's own
    const bool mainFrame = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;

    if (m_mode == Mode::Watch) {
        // A page's parts never reach the local network from the open one.
        const QUrl page = info.firstPartyUrl();
        if (!mainFrame && SiteBoundary::isLocalHost(url.host()) && !page.host().isEmpty()
            && !SiteBoundary::isLocalHost(page.host()))
            info.block(true);
        return;
    }

    if (m_site.isEmpty())
        return;
    const bool publicSite = !SiteBoundary::isLocalHost(m_site.host());
    bool refuse = publicSite && SiteBoundary::isLocalHost(url.host());
    // The lookup itself asks only for pages of the site: a document from
    // anywhere else comes from a redirect or the page's own doing.
    if (mainFrame && !SiteBoundary::mayFollow(m_site, url))
        refuse = true;
    if (refuse) {
        m_blocked = url;
        info.block(true);
    }
}

QString PageGuard::leftSiteMessage(const QUrl& from, const QUrl& to)
{
    return QStringLiteral("The page was sent on from %1 to %2, another site. Quelto reads a movie's page only on the "
                          "site it was asked of; open the movie's page on %2 itself to grab it.")
        .arg(SiteBoundary::shown(from), SiteBoundary::shown(to));
}

} // namespace quelto::weblookup
