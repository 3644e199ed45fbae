#include "weblookup/GuardedPage.h"

#include "weblookup/PageGuard.h"

namespace quelto::weblookup {

GuardedPage::GuardedPage(QObject* parent)
    : QWebEnginePage(parent), m_guard(new PageGuard(PageGuard::Mode::Enforce, this))
{
    setUrlRequestInterceptor(m_guard);
}

GuardedPage::GuardedPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent), m_guard(new PageGuard(PageGuard::Mode::Enforce, this))
{
    setUrlRequestInterceptor(m_guard);
}

bool GuardedPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && !m_guard->mayLoad(url))
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

} // namespace quelto::weblookup
