#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <optional>
#include <vector>

namespace quelto::weblookup {

// A link of the page: its text and its address, resolved against the page.
struct PageLink
{
    QString text;
    QUrl href;
};

// A label the page puts before one or more values: a table row with a label
// cell, a definition list's term, a list item that starts with a label, a
// heading over a table or a list. Values are in page order.
struct LabelledItem
{
    QString label;
    QStringList values;
    QString text = {}; // the whole text after the label, as one line ("7.2/10 371,144 votes")
};

// The labels of a list of labelled items as PageSnapshot::normalisedLabel()
// gives them, with the first item of each, for quick lookups. Made at the
// first lookup, and again when the number of items changes.
struct LabelIndex
{
    QStringList normalised;
    QHash<QString, qsizetype> first;
};

// What the web lookup knows of one loaded document. The collector script
// (CollectorScript) runs in the page and returns it as JSON; fromJson() turns
// that into this object. Every text is as the page shows it, HTML entities decoded.
class PageSnapshot
{
public:
    QUrl address;         // where the document was loaded from
    bool hasBody = false; // a web page with a body (not an image or a PDF)
    QString title;        // the document's title
    QString bodyText;     // the body's innerText, what the classic steps read
    QUrl canonical;       // <link rel="canonical">, when given
    QString siteName;     // og:site_name
    QString ogTitle;      // og:title
    // The page's meta tags, by name or property in lower case ("og:image",
    // "description", "generator"), in page order; a key may come more than once.
    QList<QPair<QString, QString>> metas;
    // Pictures the page shows as the movie's poster or cover: images inside
    // an element whose class or id names a poster, cover, main picture or
    // infobox, or marked as the item's image; absolute addresses, page order.
    QList<QUrl> posterImages;
    QStringList headings; // the texts of the h1 elements, in page order
    // Structured descriptions of things: every JSON-LD object (arrays and
    // @graph lists taken apart) and every top-level microdata item, turned
    // into the same shape ("@type", properties as JSON values, nested items
    // as objects). JSON-LD first.
    QList<QJsonObject> items;
    std::vector<LabelledItem> labelled;
    std::vector<PageLink> links;
    // The cast as the page bills it: person and character ("" where the page
    // names none), in billing order.
    QList<QPair<QString, QString>> castRoles;

    // Reads the collector's JSON. Never fails on odd input: parts that cannot
    // be read are left empty; std::nullopt only when the text is no JSON object.
    static std::optional<PageSnapshot> fromJson(const QByteArray& json);
    static std::optional<PageSnapshot> fromScriptResult(const QVariant& result);

    // The content of the first meta tag with this name or property ("og:image").
    QString meta(const QString& key) const;

    // The items whose "@type" is one of types (compared without a schema.org
    // prefix), in page order.
    QList<QJsonObject> itemsOfType(const QStringList& types) const;

    // Values of the labelled items whose label matches: the comparison ignores
    // case, a trailing colon, parenthesised notes and repeated white space; a
    // wanted label ending in "*" matches every label that begins with it.
    // Returns the first matching item's values, or an empty list.
    QStringList labelValues(const QString& wantedLabel, QString* matchedLabel = nullptr) const;

    // The text of a label as the comparison above sees it.
    static QString normalisedLabel(QStringView label);
    // labelValues() on any list of labelled items, with its index.
    static QStringList labelValues(const std::vector<LabelledItem>& items, LabelIndex& index,
                                   const QString& wantedLabel, QString* matchedLabel);

private:
    mutable LabelIndex m_labelIndex;
};

} // namespace quelto::weblookup
