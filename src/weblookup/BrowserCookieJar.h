#pragma once

#include <QNetworkCookieJar>

class QWebEngineCookieStore;

namespace quelto::weblookup {

// The cookies of the lookup's browser, kept in step for the program's own
// downloads (the poster a grab found): a site that wants its visitors'
// cookies for its pictures gets the same ones the page was read with.
class BrowserCookieJar : public QNetworkCookieJar
{
    Q_OBJECT
public:
    explicit BrowserCookieJar(QWebEngineCookieStore* store, QObject* parent = nullptr);
};

} // namespace quelto::weblookup
