#include "weblookup/SnapshotMetadata.h"

#include "weblookup/HtmlDocument.h"
#include "weblookup/SnapshotCollector.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace quelto::weblookup {
namespace {

constexpr int MaxValue = 400, MaxItems = 200, MaxDepth = 8, MaxDomDepth = 200, MaxMetas = 300, MaxPosters = 12;

QString clean(const QString& s) { return SnapshotCollector::clean(s); }

void addProperty(QJsonObject& item, const QString& name, const QJsonValue& value);

} // namespace

QString SnapshotMetadata::textOf(const HtmlNode* node) { return m_text.textOf(node); }

QJsonArray SnapshotMetadata::microdata()
{
    QJsonArray items;
    for (const HtmlNode* e : m_doc.elements()) {
        if (items.size() >= MaxItems)
            break;
        if (e->hasAttribute(u"itemscope") && !e->hasAttribute(u"itemprop"))
            items.append(itemOf(*e, 0));
    }
    rdfa(items);
    return items;
}

void SnapshotMetadata::metas(QJsonObject& m_result)
{
    for (const HtmlNode* e : m_doc.elements()) {
        if (e->is(u"link") && e->hasAttribute(u"href")) {
            const QStringList rel = e->attribute(u"rel").toLower().split(u' ', Qt::SkipEmptyParts);
            if (m_result.value("canonical"_L1).toString().isEmpty() && rel.contains(u"canonical"_s))
                m_result["canonical"_L1] = m_doc.resolve(e->attribute(u"href"));
        }
    }
    if (m_result.value("canonical"_L1).toString().isEmpty()) {
        for (const HtmlNode* e : m_doc.elements()) {
            if (e->is(u"link") && e->hasAttribute(u"href")
                && e->attribute(u"rel").toLower().split(u' ', Qt::SkipEmptyParts).contains(u"dc:isversionof"_s)) {
                m_result["canonical"_L1] = m_doc.resolve(e->attribute(u"href"));
                break;
            }
        }
    }
    QJsonArray metas;
    for (const HtmlNode* e : m_doc.elements()) {
        if (metas.size() >= MaxMetas)
            break;
        if (!e->is(u"meta") || !(e->hasAttribute(u"property") || e->hasAttribute(u"name") || e->hasAttribute(u"itemprop")))
            continue;
        QString key = e->attribute(u"property");
        if (key.isEmpty())
            key = e->attribute(u"name");
        key = key.toLower();
        const QString content = clean(e->attribute(u"content")).left(MaxValue * 5);
        if (key.isEmpty() || content.isEmpty())
            continue;
        metas.append(QJsonArray{key, content});
        if (key == u"og:site_name" && m_result.value("siteName"_L1).toString().isEmpty())
            m_result["siteName"_L1] = content;
        else if (key == u"og:title" && m_result.value("ogTitle"_L1).toString().isEmpty())
            m_result["ogTitle"_L1] = content;
    }
    m_result["metas"_L1] = metas;
}

QJsonArray SnapshotMetadata::posters()
{
    static const QRegularExpression boxes = SnapshotCollector::unicodePattern(
        u"poster|(^|[-_ ])(cover|mainpic|main-image|movie-image|film-image|infobox|infobox-image|packshot)([-_ ]|$)"_s, true);
    static const QRegularExpression posterWord = SnapshotCollector::unicodePattern(u"poster|cover"_s, true);
    QJsonArray found;
    int i = 0;
    for (const HtmlNode* img : m_doc.elements()) {
        if (!img->is(u"img") || !(img->hasAttribute(u"src") || img->hasAttribute(u"srcset") || img->hasAttribute(u"data-src")))
            continue;
        if (found.size() >= MaxPosters || i++ >= 5000)
            break;
        const int w = SnapshotCollector::leadingNumber(img->attribute(u"width")), h = SnapshotCollector::leadingNumber(img->attribute(u"height"));
        if ((w && w < 60) || (h && h < 60))
            continue; // flags, icons, stars
        bool named = img->attribute(u"itemprop") == u"image"
            || img->attribute(u"rel").split(u' ', Qt::SkipEmptyParts).contains(u"v:image"_s);
        int up = 0;
        for (const HtmlNode* el = img; el && el->isElement() && !named && up < 6; el = el->parent, ++up) {
            const QString words = el->attribute(u"class") + u' ' + el->attribute(u"id") + u' ' + el->attribute(u"alt");
            named = boxes.match(words).hasMatch() || posterWord.match(el->attribute(u"alt")).hasMatch();
        }
        if (!named)
            continue;
        QString src = img->attribute(u"src").trimmed();
        if (src.isEmpty())
            src = img->attribute(u"srcset").trimmed().section(u' ', 0, 0);
        if (src.isEmpty() || src.startsWith(u"data:"_s, Qt::CaseInsensitive))
            src = img->attribute(u"data-src");
        src = m_doc.resolve(src);
        if (!src.isEmpty() && !src.startsWith(u"data:"_s, Qt::CaseInsensitive) && !found.contains(src))
            found.append(src);
    }
    return found;
}

QJsonValue SnapshotMetadata::propertyValue(const HtmlNode& e)
{
    if (e.is(u"meta"))
        return clean(e.attribute(u"content"));
    if (e.isOneOf({u"a", u"link", u"area"})) {
        const QString href = e.hasAttribute(u"href") ? m_doc.resolve(e.attribute(u"href")) : QString();
        return href.isEmpty() ? textOf(&e) : href;
    }
    if (e.isOneOf({u"img", u"source", u"iframe", u"embed", u"audio", u"video"}))
        return m_doc.resolve(e.attribute(u"src"));
    if (e.is(u"time") && !e.attribute(u"datetime").isEmpty())
        return clean(e.attribute(u"datetime"));
    if ((e.is(u"data") || e.is(u"meter")) && e.hasAttribute(u"value"))
        return clean(e.attribute(u"value"));
    if (e.hasAttribute(u"content"))
        return clean(e.attribute(u"content"));
    return textOf(&e).left(MaxValue * 10);
}

namespace {

void addProperty(QJsonObject& item, const QString& name, const QJsonValue& value)
{
    if (!item.contains(name))
        item[name] = value;
    else if (item[name].isArray()) {
        QJsonArray list = item[name].toArray();
        list.append(value);
        item[name] = list;
    } else {
        item[name] = QJsonArray{item[name], value};
    }
}

} // namespace

void SnapshotMetadata::collectProperties(QJsonObject& item, const HtmlNode& e, int itemDepth, int domDepth)
{
    for (const HtmlNode* c = e.firstElementChild(); c; c = c->nextElementSibling()) {
        const bool scoped = c->hasAttribute(u"itemscope");
        if (c->hasAttribute(u"itemprop")) {
            const QJsonValue value = scoped ? QJsonValue(itemDepth < MaxDepth ? itemOf(*c, itemDepth + 1) : QJsonObject())
                                            : propertyValue(*c);
            for (const QString& name : clean(c->attribute(u"itemprop")).split(u' ', Qt::SkipEmptyParts))
                addProperty(item, name, value);
        }
        if (!scoped && domDepth < MaxDomDepth)
            collectProperties(item, *c, itemDepth, domDepth + 1);
    }
}

QJsonObject SnapshotMetadata::itemOf(const HtmlNode& e, int itemDepth)
{
    QJsonObject item;
    const QString type = clean(e.attribute(u"itemtype"));
    if (!type.isEmpty())
        item["@type"_L1] = QJsonArray::fromStringList(type.split(u' '));
    collectProperties(item, e, itemDepth, 0);
    return item;
}

void SnapshotMetadata::rdfa(QJsonArray& m_microdata)
{
    static const QHash<QString, QString> names = {
        {u"v:itemreviewed"_s, u"name"_s},      {u"v:directedby"_s, u"director"_s}, {u"v:starring"_s, u"actor"_s},
        {u"v:genre"_s, u"genre"_s},            {u"v:initialreleasedate"_s, u"datePublished"_s},
        {u"v:runtime"_s, u"duration"_s},       {u"v:image"_s, u"image"_s}};
    const auto nodes = m_doc.select([](const HtmlNode& e) {
        return e.attribute(u"property").startsWith(u"v:"_s, Qt::CaseInsensitive)
            || e.attribute(u"rel").startsWith(u"v:"_s, Qt::CaseInsensitive);
    });
    if (nodes.empty())
        return;
    QJsonObject movie{{u"@type"_s, QJsonArray{u"Movie"_s}}}, rating;
    for (size_t i = 0; i < nodes.size() && i < 2000; ++i) {
        const HtmlNode& e = *nodes[i];
        QString key = e.attribute(u"property");
        if (key.isEmpty())
            key = e.attribute(u"rel");
        key = key.toLower().section(u' ', 0, 0);
        QString value = e.is(u"img") ? m_doc.resolve(e.attribute(u"src"))
                                     : (!e.attribute(u"content").isEmpty() ? e.attribute(u"content") : textOf(&e));
        if (value.isEmpty())
            continue;
        if (key == u"v:average")
            rating["ratingValue"_L1] = value;
        else if (key == u"v:best")
            rating["bestRating"_L1] = value;
        else if (key == u"v:votes")
            rating["ratingCount"_L1] = value;
        else if (names.contains(key)) {
            const QString name = names.value(key);
            addProperty(movie, name,
                        name == u"actor" || name == u"director"
                            ? QJsonValue(QJsonObject{{u"@type"_s, u"Person"_s}, {u"name"_s, value}})
                            : QJsonValue(value));
        }
    }
    if (rating.contains("ratingValue"_L1))
        movie["aggregateRating"_L1] = rating;
    if (movie.size() > 1)
        m_microdata.append(movie);
}

} // namespace quelto::weblookup
