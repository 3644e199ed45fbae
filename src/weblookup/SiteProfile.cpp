#include "weblookup/SiteProfile.h"

#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteBoundary.h"

#include <QJsonArray>
#include <QJsonDocument>

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

// Reads the parts of a profile, collecting the first error.
class ProfileReader
{
public:
    QString error;

    QString text(const QJsonObject& o, const char* key, const QString& where, bool required = false)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull()) {
            if (required)
                fail(QStringLiteral("missing \"%1\"").arg(where + QLatin1String(key)));
            return {};
        }
        if (!v.isString())
            fail(QStringLiteral("\"%1\" must be a text").arg(where + QLatin1String(key)));
        return v.toString();
    }

    QStringList texts(const QJsonObject& o, const char* key, const QString& where)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return {};
        if (v.isString())
            return {v.toString()};
        QStringList out;
        if (v.isArray()) {
            for (const QJsonValue& e : v.toArray()) {
                if (!e.isString()) {
                    fail(QStringLiteral("\"%1\" must list texts").arg(where + QLatin1String(key)));
                    return {};
                }
                out.append(e.toString());
            }
            return out;
        }
        fail(QStringLiteral("\"%1\" must be a text or a list of texts").arg(where + QLatin1String(key)));
        return {};
    }

    QRegularExpression pattern(const QString& text, const QString& where)
    {
        QRegularExpression re(text);
        if (!re.isValid())
            fail(QStringLiteral("\"%1\": %2 in the pattern \"%3\"").arg(where, re.errorString(), text));
        return re;
    }

    std::optional<FieldSource> source(const QString& text, const QString& where)
    {
        const qsizetype colon = text.indexOf(u':');
        const QString kind = (colon < 0 ? text : text.left(colon)).trimmed();
        const QString argument = colon < 0 ? QString() : text.mid(colon + 1).trimmed();
        FieldSource s;
        if (kind == u"heading")
            s.kind = FieldSource::Kind::Heading;
        else if (kind == u"documentTitle")
            s.kind = FieldSource::Kind::DocumentTitle;
        else if (kind == u"ogTitle")
            s.kind = FieldSource::Kind::OgTitle;
        else if (kind == u"addressId")
            s.kind = FieldSource::Kind::AddressId;
        else if (kind == u"dictionary")
            s.kind = FieldSource::Kind::Dictionary;
        else if (kind == u"posterImage")
            s.kind = FieldSource::Kind::PosterImage;
        else if (kind == u"runtimeLine")
            s.kind = FieldSource::Kind::RuntimeLine;
        else if (kind == u"links" && !argument.isEmpty()) {
            s.kind = FieldSource::Kind::Links;
            s.path = argument;
            s.pattern = pattern(argument, where);
        } else if (kind == u"meta" && !argument.isEmpty()) {
            s.kind = FieldSource::Kind::Meta;
            s.path = argument.toLower();
        }
        else if (kind == u"structured" && !argument.isEmpty()) {
            s.kind = FieldSource::Kind::Structured;
            s.path = argument;
        } else if (kind == u"label" && !argument.isEmpty()) {
            s.kind = FieldSource::Kind::Label;
            for (const QString& label : argument.split(u'|', Qt::SkipEmptyParts))
                s.labels.append(label.trimmed());
        } else {
            fail(QStringLiteral("\"%1\": unknown source \"%2\" (use heading, documentTitle, ogTitle, addressId, "
                                "dictionary, posterImage, runtimeLine, meta:NAME, links:PATTERN, structured:PATH or "
                                "label:LABEL|LABEL)")
                     .arg(where, text));
            return std::nullopt;
        }
        return s;
    }

    void fail(const QString& why)
    {
        if (error.isEmpty())
            error = why;
    }
};

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

std::optional<SiteProfile> SiteProfile::fromJson(const QByteArray& json, QString* error, const BaseLookup& base)
{
    auto failed = [error](const QString& why) -> std::optional<SiteProfile> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failed(QStringLiteral("not valid JSON: %1 at character %2")
                          .arg(parseError.errorString())
                          .arg(parseError.offset));
    if (!doc.isObject())
        return failed(QStringLiteral("a profile must be one JSON object"));
    const QJsonObject o = doc.object();
    auto has = [](const QJsonObject& object, const char* key) { return object.contains(QLatin1String(key)); };

    ProfileReader r;
    SiteProfile p;
    const QString extends = r.text(o, "extends", {}).trimmed();
    if (!extends.isEmpty()) {
        const SiteProfile* found = base ? base(extends) : nullptr;
        if (!found)
            return failed(QStringLiteral("\"extends\": there is no profile \"%1\" (shipped profiles and those of "
                                         "files before this one, by name, can be extended)")
                              .arg(extends));
        // What the page looks like and where things are; not how it is recognised.
        p = *found;
        p.m_hosts.clear();
        p.m_siteNames.clear();
        p.m_schemaTypes.clear();
        p.m_linkPatterns.clear();
        p.m_pathPatterns.clear();
        p.m_generators.clear();
        p.m_anyPage = false;
        p.m_priority = 0;
        p.m_addedLabels.clear();
    }
    p.m_name = r.text(o, "name", {}, true).trimmed();
    if (r.error.isEmpty() && p.m_name.isEmpty())
        r.fail(QStringLiteral("\"name\" is empty"));
    const QString kind = r.text(o, "kind", {});
    if (kind == u"classic")
        p.m_kind = Kind::Classic;
    else if (kind == u"structured" || (kind.isEmpty() && extends.isEmpty()))
        p.m_kind = Kind::Structured;
    else if (!kind.isEmpty())
        r.fail(QStringLiteral("\"kind\" must be \"classic\" or \"structured\", not \"%1\"").arg(kind));
    const QJsonValue priority = o.value(QLatin1String("priority"));
    if (!priority.isUndefined() && !priority.isDouble())
        r.fail(QStringLiteral("\"priority\" must be a number"));
    if (!priority.isUndefined())
        p.m_priority = priority.toInt();

    if (has(o, "recognise") && !o.value(QLatin1String("recognise")).isObject())
        r.fail(QStringLiteral("\"recognise\" must be an object"));
    const QJsonObject recognise = o.value(QLatin1String("recognise")).toObject();
    for (const QString& host : r.texts(recognise, "hosts", QStringLiteral("recognise.")))
        p.m_hosts.append(host.trimmed().toLower());
    p.m_siteNames = r.texts(recognise, "siteNames", QStringLiteral("recognise."));
    p.m_schemaTypes = r.texts(recognise, "schemaTypes", QStringLiteral("recognise."));
    for (const QString& link : r.texts(recognise, "links", QStringLiteral("recognise.")))
        p.m_linkPatterns.append(r.pattern(link, QStringLiteral("recognise.links")));
    for (const QString& path : r.texts(recognise, "paths", QStringLiteral("recognise.")))
        p.m_pathPatterns.append(r.pattern(path, QStringLiteral("recognise.paths")));
    p.m_generators = r.texts(recognise, "generators", QStringLiteral("recognise."));
    const QJsonValue anyPage = recognise.value(QLatin1String("anyPage"));
    if (!anyPage.isUndefined() && !anyPage.isBool())
        r.fail(QStringLiteral("\"recognise.anyPage\" must be true or false"));
    p.m_anyPage = anyPage.toBool();
    if (has(o, "itemTypes"))
        p.m_itemTypes = r.texts(o, "itemTypes", {});
    if (p.m_itemTypes.isEmpty())
        p.m_itemTypes = {QStringLiteral("Movie"), QStringLiteral("TVSeries"), QStringLiteral("TVEpisode"),
                         QStringLiteral("TVMiniSeries")};

    const QJsonObject addresses = o.value(QLatin1String("addresses")).toObject();
    if (has(o, "addresses") && !o.value(QLatin1String("addresses")).isObject())
        r.fail(QStringLiteral("\"addresses\" must be an object"));
    const QString home = r.text(addresses, "home", QStringLiteral("addresses."));
    if (!home.isEmpty())
        p.m_home = home;
    if (has(addresses, "search"))
        p.m_search = r.text(addresses, "search", QStringLiteral("addresses."));
    if (has(addresses, "titleSearch"))
        p.m_titleSearch = r.text(addresses, "titleSearch", QStringLiteral("addresses."));
    const QString encoding = r.text(addresses, "titleEncoding", QStringLiteral("addresses."));
    if (encoding == u"asTyped")
        p.m_titleEncoding = TitleEncoding::AsTyped;
    else if (encoding == u"query")
        p.m_titleEncoding = TitleEncoding::Query;
    else if (!encoding.isEmpty())
        r.fail(QStringLiteral("\"addresses.titleEncoding\" must be \"query\" or \"asTyped\""));

    if (has(o, "titleSuffixes"))
        p.m_titleSuffixes = r.texts(o, "titleSuffixes", {});
    const QString titleCut = r.text(o, "titleCut", {});
    if (!titleCut.isEmpty())
        p.m_titleCut = r.pattern(titleCut, QStringLiteral("titleCut"));
    const QString idPattern = r.text(o, "idPattern", {});
    if (!idPattern.isEmpty())
        p.m_idPattern = r.pattern(idPattern, QStringLiteral("idPattern"));

    const QJsonValue pages = o.value(QLatin1String("pages"));
    if (!pages.isUndefined() && !pages.isArray())
        r.fail(QStringLiteral("\"pages\" must be a list"));
    if (pages.isArray())
        p.m_pages.clear();
    for (const QJsonValue& v : pages.toArray()) {
        const QJsonObject page = v.toObject();
        const QString where = QStringLiteral("pages[%1].").arg(p.m_pages.size());
        if (!v.isObject()) {
            r.fail(QStringLiteral("\"%1\" must be an object").arg(where.chopped(1)));
            break;
        }
        SecondaryPage secondary;
        secondary.name = r.text(page, "name", where, true);
        for (const QString& link : r.texts(page, "links", where))
            secondary.linkPatterns.append(r.pattern(link, where + QLatin1String("links")));
        secondary.addressTemplate = r.text(page, "address", where);
        secondary.fills = r.texts(page, "fills", where);
        for (const QString& column : std::as_const(secondary.fills)) {
            if (!fieldColumns().contains(column))
                r.fail(QStringLiteral("\"%1fills\": unknown field \"%2\"").arg(where, column));
        }
        if (secondary.linkPatterns.isEmpty() && secondary.addressTemplate.isEmpty())
            r.fail(QStringLiteral("\"%1\" needs \"links\" or \"address\"").arg(where.chopped(1)));
        p.m_pages.append(secondary);
    }

    const QJsonValue fields = o.value(QLatin1String("fields"));
    if (!fields.isUndefined() && !fields.isObject())
        r.fail(QStringLiteral("\"fields\" must be an object"));
    const QJsonObject fieldObject = fields.toObject();
    for (auto it = fieldObject.begin(); it != fieldObject.end(); ++it) {
        const QString where = QStringLiteral("fields.") + it.key();
        if (!fieldColumns().contains(it.key())) {
            r.fail(QStringLiteral("\"%1\": unknown field (use one of %2)").arg(where, fieldColumns().join(u", ")));
            continue;
        }
        QList<FieldSource> sources;
        for (const QString& text : r.texts(fieldObject, it.key().toUtf8().constData(), QStringLiteral("fields."))) {
            if (auto s = r.source(text, where))
                sources.append(*s);
        }
        p.m_fields.insert(it.key(), sources);
    }

    // Labels for the shared dictionary: {"mv_director": ["Rendező"], ...}.
    const QJsonValue labels = o.value(QLatin1String("labels"));
    if (!labels.isUndefined() && !labels.isObject())
        r.fail(QStringLiteral("\"labels\" must be an object of fields and their labels"));
    const QJsonObject labelObject = labels.toObject();
    for (auto it = labelObject.begin(); it != labelObject.end(); ++it) {
        if (!fieldColumns().contains(it.key()) || it.key() == u"title" || it.key() == u"cover") {
            r.fail(QStringLiteral("\"labels.%1\": not a field that labels name").arg(it.key()));
            continue;
        }
        const QStringList added = r.texts(labelObject, it.key().toUtf8().constData(), QStringLiteral("labels."));
        p.m_addedLabels[it.key()].append(added);
    }

    if (p.m_kind == Kind::Structured && p.m_fields.isEmpty() && p.m_addedLabels.isEmpty() && r.error.isEmpty())
        r.fail(QStringLiteral("a structured profile needs \"fields\" (or \"labels\" to add to the label dictionary)"));

    if (!r.error.isEmpty())
        return failed(r.error);
    return p;
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
    if (!m_schemaTypes.isEmpty() && !page.itemsOfType(m_schemaTypes).isEmpty())
        return BySchemaType;
    for (const QRegularExpression& re : m_pathPatterns) {
        if (re.match(pathAndQuery(page.address)).hasMatch()
            || (!page.canonical.isEmpty() && re.match(pathAndQuery(page.canonical)).hasMatch()))
            return ByAddress;
    }
    return m_anyPage ? AnyPage : NoMatch;
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
