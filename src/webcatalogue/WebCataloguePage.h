#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace quelto::webcatalogue {

// What the page's template is given besides the movies.
struct PageValues
{
    QString heading;    // the page's title and first heading
    QDateTime written;  // when the export ran
    qint64 count = 0;   // movies in the page
    QString search;     // the search the movies were chosen by; empty for all
    bool covers = false;
};

// The page's files from their templates. The shipped ones live in the
// program's resources; a file of the same name in the user's template folder
// (~/.local/share/quelto/templates/web-catalogue) takes the place of each.
//
// index.html is a Mustache template. It is given heading, written (for people),
// writtenIso, count, countText ("5,000 movies"), search (only when there is
// one), covers, data (the movies as JSON, safe inside a <script> block, for
// {{{data}}}), and the section movies: one pass per movie with title, mediaId,
// genre, country, year, director, medium, format, cast and cover, each only
// when it is not empty. Every {{value}} is escaped for HTML by Mustache.
class WebCataloguePage
{
public:
    static inline const QString PageFile = QStringLiteral("index.html");
    static inline const QString StyleFile = QStringLiteral("catalogue.css");
    static inline const QString ScriptFile = QStringLiteral("catalogue.js");
    static QStringList files() { return {PageFile, StyleFile, ScriptFile}; }

    // The values of one movie in the movies section, in this order.
    enum PlainField
    {
        Title,
        MediaId,
        Genre,
        Country,
        Year,
        Director,
        Medium,
        Format,
        Cast,
        Cover,
        PlainFieldCount
    };
    // One movie's values for the section, joined into one text.
    static std::string plainEntry(const std::vector<QString>& values);

    static QString userTemplateFolder();
    // The file's text, the user's when there is one; from (when given) says
    // where it came from. Throws catalog::EngineError when it cannot be read.
    static QByteArray templateFile(const QString& name, QString* from = nullptr);

    // The page from the template. Throws catalog::EngineError naming the
    // template's fault when Mustache cannot read it.
    static std::string render(const QByteArray& pageTemplate, const PageValues& values, const std::string& json,
                              const std::vector<std::string>& entries);
};

} // namespace quelto::webcatalogue
