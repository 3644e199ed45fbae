#include "weblookup/BrowserCookieJar.h"

#include <QDateTime>
#include <QWebEngineCookieStore>

namespace quelto::weblookup {

BrowserCookieJar::BrowserCookieJar(QWebEngineCookieStore* store, QObject* parent)
    : QNetworkCookieJar(parent), m_store(store)
{
    if (!store)
        return;
    connect(store, &QWebEngineCookieStore::cookieAdded, this,
            [this](const QNetworkCookie& cookie) { insertCookie(cookie); });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie& cookie) { deleteCookie(cookie); });
    store->loadAllCookies();
}

bool BrowserCookieJar::setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url)
{
    const bool added = QNetworkCookieJar::setCookiesFromUrl(cookies, url);
    if (!m_store)
        return added;
    // The same checks as the jar's own: a cookie for another domain or a
    // public suffix goes nowhere.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (QNetworkCookie cookie : cookies) {
        cookie.normalize(url);
        if (!validateCookie(cookie, url))
            continue;
        if (!cookie.isSessionCookie() && cookie.expirationDate().toUTC() <= now)
            m_store->deleteCookie(cookie, url);
        else
            m_store->setCookie(cookie, url);
    }
    return added;
}

} // namespace quelto::weblookup
