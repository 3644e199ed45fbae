#pragma once

#include <QMutex>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

namespace quelto::weblookup {

// Keeps the lookup's pages on their site, as a request interceptor of one
// browser page.
//
// Enforcing (the hidden page of the grab and of "quelto --lookup"): once
// the lookup has its site (the title page's address), a redirect of the
// page to another site is refused, and so is every request to a loopback or
// private address when the site is on the open network. blocked() tells
// what was refused last, for the notice.
//
// Watching (the browser pane the user browses in): nothing the user asks
// for is refused, but the guard remembers when the page shown was reached
// through a redirect from another site, so that the grab does not read it;
// a page on the open network still reaches no local address with its parts.
class PageGuard : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    enum class Mode
    {
        Enforce,
        Watch
    };

    explicit PageGuard(Mode mode, QObject* parent = nullptr);

    // Enforce: the title page the lookup reads; an empty address lifts the guard.
    void setSite(const QUrl& titlePage);
    QUrl site() const;

    // Enforce: the last request refused since setSite() or clearBlocked(), empty when none.
    QUrl blocked() const;
    void clearBlocked();

    // Watch: where the load of the page shown began, when a redirect took it
    // to another site; empty otherwise.
    QUrl redirectedFrom() const;
    QUrl redirectedTo() const;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // "The page was sent on from a.example to b.example ..." for the user.
    static QString leftSiteMessage(const QUrl& from, const QUrl& to);

private:
    const Mode m_mode;
    mutable QMutex m_mutex;
    QUrl m_site;
    QUrl m_blocked;
    QUrl m_loadStart;
    QUrl m_redirectedFrom;
    QUrl m_redirectedTo;
};

} // namespace quelto::weblookup
