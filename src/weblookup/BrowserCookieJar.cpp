#include "weblookup/BrowserCookieJar.h"

#include <QWebEngineCookieStore>

namespace quelto::weblookup {

BrowserCookieJar::BrowserCookieJar(QWebEngineCookieStore* store, QObject* parent) : QNetworkCookieJar(parent)
{
    if (!store)
        return;
    connect(store, &QWebEngineCookieStore::cookieAdded, this,
            [this](const QNetworkCookie& cookie) { insertCookie(cookie); });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie& cookie) { deleteCookie(cookie); });
    store->loadAllCookies();
}

} // namespace quelto::weblookup
