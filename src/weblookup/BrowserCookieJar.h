#pragma once

#include <QNetworkCookieJar>
#include <QPointer>

class QWebEngineCookieStore;

namespace quelto::weblookup {

// The cookies of the lookup's browser, kept in step both ways for the
// program's own requests (a grab's further pages, the poster): a site that
// wants its visitors' cookies gets the ones the page was read with, and a
// cookie a site sets in answer to such a request reaches the browser too, as
// it would had the browser asked.
class BrowserCookieJar : public QNetworkCookieJar
{
    Q_OBJECT
public:
    explicit BrowserCookieJar(QWebEngineCookieStore* store, QObject* parent = nullptr);

    bool setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) override;

private:
    QPointer<QWebEngineCookieStore> m_store;
};

} // namespace quelto::weblookup
