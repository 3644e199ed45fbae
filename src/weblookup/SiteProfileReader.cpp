#include "weblookup/SiteProfileReader.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace quelto::weblookup {

std::optional<SiteProfile> SiteProfileReader::fromJson(const QByteArray& json, QString* error, const BaseLookup& base)
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

    SiteProfileReader r;
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
    if (r.m_error.isEmpty() && p.m_name.isEmpty())
        r.fail(QStringLiteral("\"name\" is empty"));
    const QString kind = r.text(o, "kind", {});
    if (kind == u"classic")
        p.m_kind = SiteProfile::Kind::Classic;
    else if (kind == u"structured" || (kind.isEmpty() && extends.isEmpty()))
        p.m_kind = SiteProfile::Kind::Structured;
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
    p.m_markers = r.texts(recognise, "markers", QStringLiteral("recognise."));
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
        p.m_titleEncoding = SiteProfile::TitleEncoding::AsTyped;
    else if (encoding == u"query")
        p.m_titleEncoding = SiteProfile::TitleEncoding::Query;
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
            if (!SiteProfile::fieldColumns().contains(column))
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
        if (!SiteProfile::fieldColumns().contains(it.key())) {
            r.fail(QStringLiteral("\"%1\": unknown field (use one of %2)")
                       .arg(where, SiteProfile::fieldColumns().join(u", ")));
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
        if (!SiteProfile::fieldColumns().contains(it.key()) || it.key() == u"title" || it.key() == u"cover") {
            r.fail(QStringLiteral("\"labels.%1\": not a field that labels name").arg(it.key()));
            continue;
        }
        const QStringList added = r.texts(labelObject, it.key().toUtf8().constData(), QStringLiteral("labels."));
        p.m_addedLabels[it.key()].append(added);
    }

    if (p.m_kind == SiteProfile::Kind::Structured && p.m_fields.isEmpty() && p.m_addedLabels.isEmpty()
        && r.m_error.isEmpty())
        r.fail(QStringLiteral("a structured profile needs \"fields\" (or \"labels\" to add to the label dictionary)"));

    if (!r.m_error.isEmpty())
        return failed(r.m_error);
    return p;
}

QString SiteProfileReader::text(const QJsonObject& o, const char* key, const QString& where, bool required)
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

QStringList SiteProfileReader::texts(const QJsonObject& o, const char* key, const QString& where)
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

QRegularExpression SiteProfileReader::pattern(const QString& text, const QString& where)
{
    QRegularExpression re(text);
    if (!re.isValid())
        fail(QStringLiteral("\"%1\": %2 in the pattern \"%3\"").arg(where, re.errorString(), text));
    return re;
}

std::optional<FieldSource> SiteProfileReader::source(const QString& text, const QString& where)
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

void SiteProfileReader::fail(const QString& why)
{
    if (m_error.isEmpty())
        m_error = why;
}

} // namespace quelto::weblookup
