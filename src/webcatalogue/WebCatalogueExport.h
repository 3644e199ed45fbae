#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::webcatalogue {

// What to write where.
struct WebCatalogueRequest
{
    QString cataloguePath;
    QString folder;
    bool covers = false;
    // The rows to write, in this order (the current record set); none: the
    // rows of query.
    std::optional<std::vector<qint64>> keys;
    QString query;        // translated SQL, "select * from archive ..."
    QString search;       // the search that chose the rows, told on the page
    QString heading;      // empty: "Quelto Catalogue" with the catalogue's name
    QDateTime written = QDateTime::currentDateTime();
    // An existing folder that is not an earlier web catalogue is replaced
    // only when the user has agreed.
    bool mayReplaceForeign = false;
};

// Writes a web catalogue: a folder with index.html (the movies as cards, a
// filter, sorts, groups, details, and a plain list without script), its style
// sheet and script, and with covers their thumbnails. The page loads nothing
// from elsewhere; every value is escaped for HTML, and goes into the page as
// JSON that the script reads as text. The folder is replaced as a whole once
// everything is written (WebCatalogueFolder).
class WebCatalogueExport
{
public:
    struct Result
    {
        qint64 movies = 0;
        int covers = 0;
    };

    // The archive columns the page shows: the long list's.
    static QStringList columns();

    // Throws catalog::EngineError for a failure or a refused folder (nothing
    // is changed then), tasks::TaskCancelled when cancelled.
    static Result write(const WebCatalogueRequest& request, tasks::TaskControl* progress = nullptr);
};

} // namespace quelto::webcatalogue
