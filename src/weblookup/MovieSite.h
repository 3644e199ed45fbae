#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace quelto::weblookup {

// The movie site's server and the addresses of its pages. The user's text is
// put into an address as typed, except for "#", "&", "%" and "+", which are
// percent-encoded so that the server receives the whole text unchanged.
class MovieSite
{
public:
    // The server used when none is configured.
    static inline const QString PublicAddress = QStringLiteral("https://www.imdb.com");

    MovieSite() = default;
    // Only the scheme, host and port of server are used.
    explicit MovieSite(const QUrl& server);

    // No server: every address is empty.
    bool isEmpty() const { return m_root.isEmpty(); }
    // "scheme://host[:port]" without a trailing slash.
    const QString& root() const { return m_root; }

    // The server's address followed by pathAndQuery ("/search", "/Credits?...").
    QUrl address(const QString& pathAndQuery) const;

    QUrl home() const { return address(QStringLiteral("/")); }
    QUrl searchPage() const { return address(QStringLiteral("/search")); }
    QUrl titleSearch(const QString& title) const;
    QUrl credits(const QString& title) const;
    QUrl companies(const QString& title) const;

    // The server of a typed or stored address: http or https with a host, or
    // nothing. Paths and queries are dropped.
    static std::optional<QUrl> parseServer(const QString& text);

private:
    QString m_root;
};

} // namespace quelto::weblookup
