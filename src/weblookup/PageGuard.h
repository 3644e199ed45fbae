#pragma once

#include <QMutex>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

namespace quelto::weblookup {

// Keeps the lookup's pages on their site, as a request interceptor of one
// browser page.
//
// Enforcing (the hidden page of the grab and of "quelto --lookup"): once
// the lookup has its site (the title page's address), the page loads no
// document of another site (a server's redirect, a script's navigation),
// and nothing at all from a loopback or private address (by the address its
// name resolves to) when the site is on the open network. blocked() tells what was refused last, for the notice.
//
// Watching (the browser pane the user browses in): the pages the user opens
// are not refused, but a page on the open network reaches no local address
// with its parts. (Whether the page shown was sent on from another site is
// the page's own requestedUrl() against its url().)
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
    // Enforce: why the page asked for was not read, after the page's name in
    // a notice ("was sent on to b.example, another site, and was not read");
    // empty when nothing was refused.
    QString blockedReason() const;

    // Enforce: whether the page may load url as its document; a refusal is
    // noted as blocked().
    bool mayLoad(const QUrl& url);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    // The decision interceptRequest() takes for a request of url by the page
    // at page (the first party), which is the document itself when mainFrame.
    // A host is judged by the addresses its name resolves to.
    bool refuses(const QUrl& url, const QUrl& page, bool mainFrame);

    // "The page was sent on from a.example to b.example ..." for the user.
    static QString leftSiteMessage(const QUrl& from, const QUrl& to);

private:
    const Mode m_mode;
    mutable QMutex m_mutex;
    QUrl m_site;
    QUrl m_blocked;
    bool m_blockedLocal = false; // refused for its address, not for its site
};

} // namespace quelto::weblookup
