#pragma once

#include <QWebEnginePage>

namespace quelto::weblookup {

class PageGuard;

// A hidden browser page that the lookup reads: it stays on the site of its
// title page. The page's request guard refuses every request that would leave
// the site; a redirect to another site is refused here as well, before the
// engine follows it, so that the other site is not even asked.
class GuardedPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit GuardedPage(QObject* parent = nullptr);
    GuardedPage(QWebEngineProfile* profile, QObject* parent);

    PageGuard* guard() const { return m_guard; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    PageGuard* m_guard;
};

} // namespace quelto::weblookup
