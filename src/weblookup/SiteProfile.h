#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace quelto::weblookup {

class PageSnapshot;

// Where one field of the form is read from on a page, tried in the order the
// profile lists them.
struct FieldSource
{
    enum class Kind
    {
        Heading,       // the page's main heading (h1) that names the movie
        DocumentTitle, // the document title, site suffix cut
        OgTitle,       // og:title
        Structured,    // a property path into the page's JSON-LD or microdata item
        Label,         // the values of a labelled item
        AddressId      // the movie's id in the page's address (profile's idPattern)
    };
    Kind kind = Kind::Structured;
    QString path;       // Structured: "director", "creator@Person", "aggregateRating"
    QStringList labels; // Label: the labels to look for, in order

    // "structured director", "label Country of origin" and so on.
    QString describe() const;
};

// A secondary page the grab reads after the title page.
struct SecondaryPage
{
    QString name;                   // "credits", "companies", "technical"
    QList<QRegularExpression> linkPatterns; // matched against the path and query of the title page's links
    QString addressTemplate;        // "/title/{id}/fullcredits", "/Credits?{title}"
    QStringList fills;              // the fields (archive columns) the page can fill
};

// How the lookup reads one movie site, loaded from a JSON profile file.
//
// A profile recognises its pages by host name, or, for a page served from
// somewhere else (a mirror, a test server), by the page's canonical address
// or og:site_name; a profile with schema types also takes any page that
// describes a thing of those types. It gives the site's addresses as
// templates, the secondary pages to read and where each field comes from.
// The "classic" kind reads page text with the classic marker steps instead.
class SiteProfile
{
public:
    enum class Kind
    {
        Classic,   // the marker steps on the body text, credits and companies pages by title
        Structured // structured data and labelled items, by the field sources
    };
    // How {title} goes into an address.
    enum class TitleEncoding
    {
        Query,  // percent-encoded as a query value: every reserved character
        AsTyped // as typed; only "#", "&", "%" and "+" are encoded
    };

    // Reads a profile; on failure returns nothing and says why in error
    // ("missing \"name\"", "\"fields\".\"mv_year\": unknown source kind").
    static std::optional<SiteProfile> fromJson(const QByteArray& json, QString* error);

    const QString& name() const { return m_name; }
    Kind kind() const { return m_kind; }
    int priority() const { return m_priority; }

    // Recognition, from strongest to weakest: the page's own host; its
    // canonical host or og:site_name; a structured item of one of the schema
    // types. 0 when the profile does not recognise the page.
    enum Match
    {
        NoMatch = 0,
        BySchemaType = 1,
        ByCanonicalOrSiteName = 2,
        ByHost = 3
    };
    Match recognise(const PageSnapshot& page) const;
    bool recognisesHost(const QString& host) const;

    // The site's own pages on server (scheme, host and port; the path is ignored).
    QUrl home(const QUrl& server) const;
    QUrl searchPage(const QUrl& server) const;
    QUrl titleSearch(const QUrl& server, const QString& title) const;

    // The title page's text with the site suffix (" - IMDb") cut, if it ends so.
    QString withoutSuffix(const QString& documentTitle) const;

    // The movie's id in an address ("tt0111161"), by the profile's idPattern.
    QString idFromAddress(const QUrl& address) const;

    const QList<SecondaryPage>& secondaryPages() const { return m_pages; }
    // The address of a secondary page for a title page: the first of the
    // page's links that matches (brought onto the title page's server when it
    // points at the canonical host), else the template filled with the id and
    // title, on the title page's server. Empty when neither gives an address.
    QUrl secondaryPageAddress(const SecondaryPage& secondary, const PageSnapshot& titlePage,
                              const QString& title) const;

    // The sources of a field, by archive column ("mv_director"; the cast is "mv_cast").
    QList<FieldSource> sources(const QString& column) const { return m_fields.value(column); }
    // The schema types of the item that describes the movie on a page.
    const QStringList& itemTypes() const { return m_itemTypes; }
    // The columns a profile may name in its "fields" and "fills".
    static const QStringList& fieldColumns();

private:
    QUrl fill(const QUrl& server, const QString& pattern, const QString& title, const QString& id) const;

    QString m_name;
    Kind m_kind = Kind::Structured;
    int m_priority = 0;
    QStringList m_hosts;
    QStringList m_siteNames;
    QStringList m_schemaTypes; // recognition
    QStringList m_itemTypes;   // the page's main item
    QString m_home = QStringLiteral("/");
    QString m_search;
    QString m_titleSearch;
    TitleEncoding m_titleEncoding = TitleEncoding::Query;
    QStringList m_titleSuffixes;
    QRegularExpression m_idPattern;
    QList<SecondaryPage> m_pages;
    QHash<QString, QList<FieldSource>> m_fields;
};

} // namespace quelto::weblookup
