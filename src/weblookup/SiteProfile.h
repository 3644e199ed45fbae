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
        AddressId,     // the movie's id in the page's address (profile's idPattern)
        Dictionary,    // the values under any label the label dictionary has for the field
        Meta,          // the content of a meta tag ("og:image")
        PosterImage,   // the picture the page shows as the movie's poster
        Links,         // the texts of the page's links whose path and query match a pattern
        RuntimeLine    // a line of the page's text that begins with a running time ("167 mins")
    };
    Kind kind = Kind::Structured;
    QString path;       // Structured: "director", "creator@Person", "aggregateRating"; Meta: "og:image"
    QStringList labels; // Label: the labels to look for, in order
    QRegularExpression pattern; // Links

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

// How the lookup reads one movie site, loaded from a JSON profile file (see
// SiteProfileReader).
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

    const QString& name() const { return m_name; }
    Kind kind() const { return m_kind; }
    int priority() const { return m_priority; }

    // Recognition, from strongest to weakest: the page's own host; its
    // canonical host or og:site_name; its links to the site's own pages or
    // the program that made it; a structured item of one of the schema types;
    // an address like the site's; any page at all. 0 when the profile does
    // not recognise the page.
    enum Match
    {
        NoMatch = 0,
        AnyPage = 1,      // "anyPage": the profile for pages no other profile knows
        ByAddress = 2,    // the page's address looks like the site's ("paths")
        BySchemaType = 3,
        ByLayout = 4,     // the page's own links, its generator or its text's markers
        ByCanonicalOrSiteName = 5,
        ByHost = 6
    };
    Match recognise(const PageSnapshot& page) const;
    bool recognisesHost(const QString& host) const;
    // How many of the profile's markers the page's text holds, in any order.
    int markersHeld(const PageSnapshot& page) const;

    // The site's own pages on server (scheme, host and port; the path is ignored).
    QUrl home(const QUrl& server) const;
    QUrl searchPage(const QUrl& server) const;
    QUrl titleSearch(const QUrl& server, const QString& title) const;

    // The title page's text with the site suffix (" - IMDb") cut, if it ends so.
    QString withoutSuffix(const QString& documentTitle) const;
    // A movie's name without what the profile's "titleCut" pattern matches
    // (a disambiguation note such as " (film)").
    QString cutTitle(const QString& name) const;

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
    // The columns a profile may name in its "fields" and "fills": the
    // form's fields, the running time in minutes ("quelto_running_time") and
    // the poster's address ("cover").
    static const QStringList& fieldColumns();
    // The labels the profile adds to the label dictionary, by column.
    const QHash<QString, QStringList>& addedLabels() const { return m_addedLabels; }
    // Every label the profile's "label:" sources name, as written ("Cast*"
    // is a prefix).
    QStringList sourceLabels() const;

private:
    friend class SiteProfileReader;

    QUrl fill(const QUrl& server, const QString& pattern, const QString& title, const QString& id) const;

    QString m_name;
    Kind m_kind = Kind::Structured;
    int m_priority = 0;
    QStringList m_hosts;
    QStringList m_siteNames;
    QStringList m_schemaTypes; // recognition
    QList<QRegularExpression> m_linkPatterns; // the page's own links, by path and query
    QList<QRegularExpression> m_pathPatterns; // the page's own address, by path and query
    QStringList m_generators;  // meta generator, by its first word
    QStringList m_markers;     // texts the page's body holds in this order
    bool m_anyPage = false;
    QHash<QString, QStringList> m_addedLabels;
    QStringList m_itemTypes;   // the page's main item
    QString m_home = QStringLiteral("/");
    QString m_search;
    QString m_titleSearch;
    TitleEncoding m_titleEncoding = TitleEncoding::Query;
    QStringList m_titleSuffixes;
    QRegularExpression m_titleCut;
    QRegularExpression m_idPattern;
    QList<SecondaryPage> m_pages;
    QHash<QString, QList<FieldSource>> m_fields;
};

} // namespace quelto::weblookup
