#include "weblookup/TitleAddress.h"

#include "weblookup/MovieSite.h"

#include <QRegularExpression>

namespace quelto::weblookup::TitleAddress {

QString imdbId(const QString& text)
{
    static const QRegularExpression id(QStringLiteral("^tt\\d{7,10}$"), QRegularExpression::CaseInsensitiveOption);
    const QString typed = text.trimmed();
    return id.match(typed).hasMatch() ? typed.toLower() : QString();
}

QUrl fromTyped(const QString& text, const QUrl& movieSite)
{
    const QString typed = text.trimmed();
    const QString id = imdbId(typed);
    if (!id.isEmpty()) {
        const MovieSite site(movieSite.isEmpty() ? QUrl(MovieSite::PublicAddress) : movieSite);
        return site.address(QStringLiteral("/title/%1/").arg(id));
    }
    if (typed.isEmpty() || typed.contains(QLatin1Char(' ')))
        return {};
    const QUrl url = QUrl::fromUserInput(typed);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return {};
    // A single word is no site ("tt123" is a mistyped ID), unless named as one.
    if (!typed.contains(QLatin1String("://")) && !url.host().contains(u'.') && url.host() != u"localhost")
        return {};
    return url;
}

} // namespace quelto::weblookup::TitleAddress
