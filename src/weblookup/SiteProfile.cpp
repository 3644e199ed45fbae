#include "weblookup/SiteProfile.h"

#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteBoundary.h"

#include <algorithm>


namespace quelto::weblookup {
namespace {

QString server(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return {};
    return url.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
        .toString(QUrl::FullyEncoded);
}

QString asTyped(QString text)
{
    text.replace(u'%', QLatin1String("%25"));
    text.replace(u'#', QLatin1String("%23"));
    text.replace(u'&', QLatin1String("%26"));
    text.replace(u'+', QLatin1String("%2B"));
    return text;
}

bool hostMatches(const QString& host, const QStringList& hosts)
{
    const QString h = host.toLower();
    for (const QString& wanted : hosts) {
        if (h == wanted || h.endsWith(u'.' + wanted))
            return true;
    }
    return false;
}

// Every marker occurs in text, each after the one before it.
bool hasInOrder(const QString& text, const QStringList& markers)
{
    qsizetype from = 0;
    for (const QString& marker : markers) {
        const qsizetype at = text.indexOf(marker, from);
        if (at < 0)
            return false;
        from = at + marker.size();
    }
    return true;
}

} // namespace

QString FieldSource::describe() const
{
    switch (kind) {
    case Kind::Heading:
        return QStringLiteral("heading");
    case Kind::DocumentTitle:
        return QStringLiteral("document title");
    case Kind::OgTitle:
        return QStringLiteral("og:title");
    case Kind::AddressId:
        return QStringLiteral("address");
    case Kind::Dictionary:
        return QStringLiteral("label");
    case Kind::Meta:
        return QStringLiteral("meta ") + path;
    case Kind::PosterImage:
        return QStringLiteral("poster picture");
    case Kind::Links:
        return QStringLiteral("links ") + path;
    case Kind::RuntimeLine:
        return QStringLiteral("running time in the text");
    case Kind::Structured:
        return QStringLiteral("structured ") + path;
    case Kind::Label:
        break;
    }
    return QStringLiteral("label ") + labels.value(0);
}

const QStringList& SiteProfile::fieldColumns()
{
    static const QStringList columns = {
        QStringLiteral("title"),       QStringLiteral("mv_year"),     QStringLiteral("mv_director"),
        QStringLiteral("mv_genre"),    QStringLiteral("mv_country"),  QStringLiteral("mv_language"),
        QStringLiteral("mv_color"),    QStringLiteral("mv_sound"),    QStringLiteral("mv_rating"),
        QStringLiteral("mv_book"),     QStringLiteral("mv_music"),    QStringLiteral("mv_producer"),
        QStringLiteral("mv_cast"),     QStringLiteral("quelto_running_time"), QStringLiteral("cover")};
    return columns;
}

QStringList SiteProfile::sourceLabels() const
{
    QStringList labels;
    for (const QList<FieldSource>& sources : m_fields) {
        for (const FieldSource& source : sources) {
            labels.append(source.labels);
        }
    }
    return labels;
}

SiteProfile::Match SiteProfile::recognise(const PageSnapshot& page) const
{
    if (recognisesHost(page.address.host()))
        return ByHost;
    if (recognisesHost(page.canonical.host()))
        return ByCanonicalOrSiteName;
    for (const QString& name : m_siteNames) {
        if (!page.siteName.isEmpty() && page.siteName.compare(name, Qt::CaseInsensitive) == 0)
            return ByCanonicalOrSiteName;
    }
    auto pathAndQuery = [](const QUrl& url) {
        return url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment | QUrl::FullyEncoded);
    };
    if (!m_generators.isEmpty()) {
        const QString generator = page.meta(QStringLiteral("generator"));
        for (const QString& g : m_generators) {
            if (!g.isEmpty() && generator.startsWith(g, Qt::CaseInsensitive))
                return ByLayout;
        }
    }
    if (!m_linkPatterns.isEmpty()) {
        for (const PageLink& link : page.links) {
            if (!SiteBoundary::sameSite(page.address, link.href) && link.href.host() != page.address.host())
                continue;
            for (const QRegularExpression& re : m_linkPatterns) {
                if (re.match(pathAndQuery(link.href)).hasMatch())
                    return ByLayout;
            }
        }
    }
    if (!m_markers.isEmpty() && hasInOrder(page.bodyText, m_markers))
        return ByLayout;
    if (!m_schemaTypes.isEmpty() && !page.itemsOfType(m_schemaTypes).isEmpty())
        return BySchemaType;
    for (const QRegularExpression& re : m_pathPatterns) {
        if (re.match(pathAndQuery(page.address)).hasMatch()
            || (!page.canonical.isEmpty() && re.match(pathAndQuery(page.canonical)).hasMatch()))
            return ByAddress;
    }
    return m_anyPage ? AnyPage : NoMatch;
}

int SiteProfile::markersHeld(const PageSnapshot& page) const
{
    return int(std::count_if(m_markers.cbegin(), m_markers.cend(),
                             [&page](const QString& marker) { return page.bodyText.contains(marker); }));
}

bool SiteProfile::recognisesHost(const QString& host) const
{
    return !host.isEmpty() && hostMatches(host, m_hosts);
}

QUrl SiteProfile::fill(const QUrl& serverUrl, const QString& pattern, const QString& title, const QString& id) const
{
    const QString root = server(serverUrl);
    if (root.isEmpty() || pattern.isEmpty())
        return {};
    QString path = pattern;
    const QString encodedTitle = m_titleEncoding == TitleEncoding::AsTyped
                                     ? asTyped(title)
                                     : QString::fromLatin1(QUrl::toPercentEncoding(title));
    path.replace(QLatin1String("{title}"), encodedTitle);
    path.replace(QLatin1String("{id}"), QString::fromLatin1(QUrl::toPercentEncoding(id)));
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    return QUrl(root + path, QUrl::TolerantMode);
}

QUrl SiteProfile::home(const QUrl& serverUrl) const { return fill(serverUrl, m_home, {}, {}); }

QUrl SiteProfile::searchPage(const QUrl& serverUrl) const { return fill(serverUrl, m_search, {}, {}); }

QUrl SiteProfile::titleSearch(const QUrl& serverUrl, const QString& title) const
{
    return fill(serverUrl, m_titleSearch, title, {});
}

QString SiteProfile::withoutSuffix(const QString& documentTitle) const
{
    for (const QString& suffix : m_titleSuffixes) {
        if (!suffix.isEmpty() && documentTitle.endsWith(suffix, Qt::CaseInsensitive))
            return documentTitle.chopped(suffix.size());
    }
    return documentTitle;
}

QString SiteProfile::cutTitle(const QString& name) const
{
    if (m_titleCut.pattern().isEmpty())
        return name;
    QString cut = name;
    cut.remove(m_titleCut);
    cut = cut.trimmed();
    return cut.isEmpty() ? name : cut;
}

QString SiteProfile::idFromAddress(const QUrl& address) const
{
    if (m_idPattern.pattern().isEmpty())
        return {};
    const QRegularExpressionMatch m = m_idPattern.match(address.toString(QUrl::FullyEncoded));
    if (!m.hasMatch())
        return {};
    return m.lastCapturedIndex() >= 1 ? m.captured(1) : m.captured(0);
}

QUrl SiteProfile::secondaryPageAddress(const SecondaryPage& secondary, const PageSnapshot& titlePage,
                                       const QString& title) const
{
    QString id = idFromAddress(titlePage.address);
    if (id.isEmpty())
        id = idFromAddress(titlePage.canonical);
    // The site's public address on a page served from somewhere else (a
    // mirror, a test server) is the page's own server; any other host is
    // another site, and its links are not followed.
    const QString pageHost = titlePage.address.host();
    auto onPageServer = [&](const QUrl& href) {
        return !pageHost.isEmpty() && href.host() != pageHost
               && (recognisesHost(href.host()) || (!titlePage.canonical.isEmpty() && href.host() == titlePage.canonical.host()));
    };
    auto staysOnSite = [&](const QUrl& href) {
        return onPageServer(href) || SiteBoundary::mayFollow(titlePage.address, href);
    };

    // The page's own links: those that name the movie's id come first.
    const QUrl* found = nullptr;
    for (int pass = id.isEmpty() ? 1 : 0; pass < 2 && !found; ++pass) {
        for (const PageLink& link : titlePage.links) {
            const QString pathAndQuery = link.href.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority
                                                            | QUrl::RemoveFragment | QUrl::FullyEncoded);
            if (pass == 0 && !pathAndQuery.contains(id))
                continue;
            for (const QRegularExpression& re : secondary.linkPatterns) {
                if (re.match(pathAndQuery).hasMatch() && staysOnSite(link.href)) {
                    found = &link.href;
                    break;
                }
            }
            if (found)
                break;
        }
    }
    if (found) {
        QUrl address = *found;
        if (onPageServer(address)) {
            address.setScheme(titlePage.address.scheme());
            address.setHost(pageHost);
            address.setPort(titlePage.address.port());
        }
        return address.adjusted(QUrl::RemoveFragment);
    }
    if (secondary.addressTemplate.contains(QLatin1String("{id}")) && id.isEmpty())
        return {};
    return fill(titlePage.address, secondary.addressTemplate, title, id);
}

} // namespace quelto::weblookup
