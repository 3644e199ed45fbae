#include "weblookup/PageSnapshot.h"

#include "weblookup/HtmlEntities.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace quelto::weblookup {
namespace {

QJsonValue decoded(const QJsonValue& value, int depth = 0)
{
    if (depth > 32)
        return {};
    if (value.isString())
        return decodeHtmlEntities(value.toString());
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue& v : value.toArray())
            out.append(decoded(v, depth + 1));
        return out;
    }
    if (value.isObject()) {
        QJsonObject out;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            out.insert(it.key(), decoded(it.value(), depth + 1));
        return out;
    }
    return value;
}

// The JSON inside a script block, without the CDATA or comment wrappers that
// keep old browsers from reading it ("/* <![CDATA[ */ {...} /* ]]> */").
QByteArray unwrapped(const QString& script)
{
    QStringView text = QStringView(script).trimmed();
    static const QString openers[] = {QStringLiteral("<![CDATA["), QStringLiteral("<!--")};
    static const QString closers[] = {QStringLiteral("]]>"), QStringLiteral("-->")};
    for (bool trimmed = true; trimmed && !text.isEmpty();) {
        trimmed = false;
        for (const QString& o : openers) {
            if (text.startsWith(o)) {
                text = text.mid(o.size()).trimmed();
                trimmed = true;
            }
        }
        for (const QString& c : closers) {
            if (text.endsWith(c)) {
                text = text.chopped(c.size()).trimmed();
                trimmed = true;
            }
        }
        if (text.startsWith(u"/*")) {
            const qsizetype end = text.indexOf(u"*/");
            text = end < 0 ? QStringView() : text.mid(end + 2).trimmed();
            trimmed = true;
        } else if (text.startsWith(u"//")) {
            const qsizetype end = text.indexOf(u'\n');
            text = end < 0 ? QStringView() : text.mid(end + 1).trimmed();
            trimmed = true;
        }
        if (text.endsWith(u"//")) {
            text.chop(2);
            text = text.trimmed();
            trimmed = true;
        }
        if (text.endsWith(u"*/")) {
            const qsizetype start = text.lastIndexOf(u"/*");
            text = start < 0 ? QStringView() : text.left(start).trimmed();
            trimmed = true;
        }
    }
    return text.toUtf8();
}

QJsonDocument parseLenient(const QByteArray& json)
{
    QJsonParseError error;
    QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error == QJsonParseError::NoError)
        return doc;
    // Line breaks and tabs written raw inside strings are common; JSON forbids them.
    QByteArray mended = json;
    for (char& c : mended) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    }
    return QJsonDocument::fromJson(mended);
}

// Adds the objects of a JSON-LD value: arrays and @graph lists are taken apart.
void addJsonLd(const QJsonValue& value, QList<QJsonObject>& items, int depth = 0)
{
    if (depth > 8)
        return;
    if (value.isArray()) {
        for (const QJsonValue& v : value.toArray())
            addJsonLd(v, items, depth + 1);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    if (object.contains(QLatin1String("@graph"))) {
        addJsonLd(object.value(QLatin1String("@graph")), items, depth + 1);
        if (!object.contains(QLatin1String("@type")))
            return;
    }
    items.append(decoded(object).toObject());
}

QString shortType(QString type)
{
    const qsizetype slash = std::max(type.lastIndexOf(u'/'), type.lastIndexOf(u'#'));
    if (slash >= 0)
        type = type.mid(slash + 1);
    const qsizetype colon = type.lastIndexOf(u':'); // "schema:Movie"
    return colon >= 0 ? type.mid(colon + 1) : type;
}

QString string(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

QStringList strings(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& v : value.toArray()) {
        if (v.isString())
            out.append(v.toString());
    }
    return out;
}

} // namespace

std::optional<PageSnapshot> PageSnapshot::fromScriptResult(const QVariant& result)
{
    if (result.typeId() != QMetaType::QString)
        return std::nullopt;
    return fromJson(result.toString().toUtf8());
}

std::optional<PageSnapshot> PageSnapshot::fromJson(const QByteArray& json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();

    PageSnapshot page;
    page.address = QUrl(string(o, "url"));
    page.hasBody = o.value(QLatin1String("hasBody")).toBool();
    page.title = string(o, "title");
    page.bodyText = string(o, "text");
    page.canonical = QUrl(string(o, "canonical"));
    page.siteName = string(o, "siteName");
    page.ogTitle = string(o, "ogTitle");
    page.headings = strings(o.value(QLatin1String("headings")));
    for (const QJsonValue& v : o.value(QLatin1String("metas")).toArray()) {
        const QJsonArray pair = v.toArray();
        if (pair.size() == 2 && pair[0].isString() && pair[1].isString())
            page.metas.append({pair[0].toString().toLower(), decodeHtmlEntities(pair[1].toString())});
    }
    for (const QJsonValue& v : o.value(QLatin1String("castRoles")).toArray()) {
        const QJsonArray pair = v.toArray();
        if (pair.size() == 2 && pair[0].isString() && pair[1].isString() && !pair[0].toString().trimmed().isEmpty())
            page.castRoles.append({decodeHtmlEntities(pair[0].toString()).simplified(),
                                   decodeHtmlEntities(pair[1].toString()).simplified()});
    }
    for (const QString& image : strings(o.value(QLatin1String("posterImages")))) {
        const QUrl url(image);
        if (url.isValid() && !url.isRelative())
            page.posterImages.append(url);
    }

    for (const QString& script : strings(o.value(QLatin1String("jsonLd")))) {
        const QJsonDocument d = parseLenient(unwrapped(script));
        if (d.isArray())
            addJsonLd(d.array(), page.items);
        else if (d.isObject())
            addJsonLd(d.object(), page.items);
    }
    for (const QJsonValue& item : o.value(QLatin1String("microdata")).toArray()) {
        if (item.isObject())
            page.items.append(item.toObject());
    }

    for (const QJsonValue& v : o.value(QLatin1String("labelled")).toArray()) {
        const QJsonObject item = v.toObject();
        LabelledItem labelled{string(item, "label"), strings(item.value(QLatin1String("values"))), string(item, "text")};
        if (!labelled.label.isEmpty() && !labelled.values.isEmpty())
            page.labelled.push_back(std::move(labelled));
    }
    for (const QJsonValue& v : o.value(QLatin1String("links")).toArray()) {
        const QJsonObject link = v.toObject();
        const QUrl href(string(link, "href"));
        if (href.isValid() && !href.isEmpty())
            page.links.push_back({string(link, "text"), href});
    }
    return page;
}

QString PageSnapshot::meta(const QString& key) const
{
    for (const auto& [name, content] : metas) {
        if (name == key)
            return content;
    }
    return {};
}

QList<QJsonObject> PageSnapshot::itemsOfType(const QStringList& types) const
{
    QList<QJsonObject> found;
    for (const QJsonObject& item : items) {
        const QJsonValue type = item.value(QLatin1String("@type"));
        const QStringList itemTypes = type.isArray() ? strings(type) : QStringList{type.toString()};
        for (const QString& t : itemTypes) {
            if (types.contains(shortType(t), Qt::CaseInsensitive)) {
                found.append(item);
                break;
            }
        }
    }
    return found;
}

QString PageSnapshot::normalisedLabel(QStringView label)
{
    QString text = label.toString().toCaseFolded();
    static const QRegularExpression notes(QStringLiteral("\\([^()]*\\)"));
    text.remove(notes);
    text = text.simplified();
    while (text.endsWith(u':') || text.endsWith(u' ') || text.endsWith(QChar(0xFF1A)))
        text.chop(1);
    // A count shown with the label ("Writers3", "User reviews7.4K").
    static const QRegularExpression count(QStringLiteral("(?<=[^\\d\\s])\\d[\\d.,]*[km]?\\+?$"));
    text.remove(count);
    // A label written twice, for wide and narrow layouts ("Writers Writers").
    const qsizetype half = text.size() / 2;
    if (text.size() % 2 == 1 && text[half] == u' ' && QStringView(text).left(half) == QStringView(text).mid(half + 1))
        text.truncate(half);
    return text;
}

QStringList PageSnapshot::labelValues(const QString& wantedLabel, QString* matchedLabel) const
{
    return labelValues(labelled, m_labelIndex, wantedLabel, matchedLabel);
}

QStringList PageSnapshot::labelValues(const std::vector<LabelledItem>& items, LabelIndex& index,
                                      const QString& wantedLabel, QString* matchedLabel)
{
    QString wanted = wantedLabel;
    const bool prefix = wanted.endsWith(u'*');
    if (prefix)
        wanted.chop(1);
    wanted = normalisedLabel(wanted);
    if (wanted.isEmpty())
        return {};
    if (index.normalised.size() != qsizetype(items.size())) {
        index.normalised.clear();
        index.first.clear();
        for (const LabelledItem& item : items) {
            index.normalised.append(normalisedLabel(item.label));
        }
        for (qsizetype i = index.normalised.size() - 1; i >= 0; --i)
            index.first.insert(index.normalised[i], i);
    }
    auto found = [&](size_t i) {
        if (matchedLabel)
            *matchedLabel = items[i].label;
        return items[i].values;
    };
    if (!prefix) {
        const auto it = index.first.constFind(wanted);
        return it == index.first.cend() ? QStringList() : found(size_t(it.value()));
    }
    for (size_t i = 0; i < items.size(); ++i) {
        const QString& label = index.normalised[qsizetype(i)];
        if (label.startsWith(wanted) && (label.size() == wanted.size() || !label[wanted.size()].isLetter()))
            return found(i);
    }
    return {};
}

} // namespace quelto::weblookup
