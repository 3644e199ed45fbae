#include "weblookup/MovieSite.h"

namespace quelto::weblookup {
namespace {

// The user's text as it goes into an address: as typed, but for the characters
// that would change the request ("#" starts a fragment the browser keeps to
// itself, "&" a new query value, "%" an escape, "+" a space). Spaces and other
// letters are encoded by the address parser.
QString asTyped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'%': out += QLatin1String("%25"); break;
        case u'#': out += QLatin1String("%23"); break;
        case u'&': out += QLatin1String("%26"); break;
        case u'+': out += QLatin1String("%2B"); break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

MovieSite::MovieSite(const QUrl& server)
{
    if (server.isValid() && !server.host().isEmpty())
        m_root = server.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
                     .toString(QUrl::FullyEncoded);
}

QUrl MovieSite::address(const QString& pathAndQuery) const
{
    if (isEmpty())
        return {};
    // Tolerant parsing percent-encodes what cannot travel in a request as it
    // stands (spaces, non-ASCII letters) and keeps everything else.
    return QUrl(m_root + pathAndQuery, QUrl::TolerantMode);
}

QUrl MovieSite::titleSearch(const QString& title) const
{
    return address(QStringLiteral("/M/title-substring?title=") + asTyped(title) + QStringLiteral("&tv=both"));
}

QUrl MovieSite::credits(const QString& title) const { return address(QStringLiteral("/Credits?") + asTyped(title)); }

QUrl MovieSite::companies(const QString& title) const
{
    return address(QStringLiteral("/Companies?") + asTyped(title));
}

std::optional<QUrl> MovieSite::parseServer(const QString& text)
{
    const QString trimmed = text.trimmed();
    QUrl url(trimmed.contains(QLatin1String("://")) ? trimmed : QStringLiteral("https://") + trimmed,
             QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return std::nullopt;
    return QUrl(MovieSite(url).root());
}

} // namespace quelto::weblookup
