#include "importing/ImdbReader.h"

#include "importing/CsvRows.h"
#include "importing/SourceValues.h"

namespace quelto::importing {

void ImdbReader::read(const Take& take, tasks::TaskControl* control)
{
    CsvRows rows(CsvRows::readFile(m_path), m_path);
    int count = 0;
    while (rows.next()) {
        ImportedMovie movie;
        movie.imdbId = rows.value({"Const"});
        movie.title = rows.value({"Title"});
        if (movie.title.isEmpty() && movie.imdbId.isEmpty())
            continue;
        movie.webAddress = rows.value({"URL"});
        if (movie.webAddress.isEmpty() && !movie.imdbId.isEmpty())
            movie.webAddress = QStringLiteral("https://www.imdb.com/title/%1/").arg(movie.imdbId);
        movie.year = SourceValues::year(rows.value({"Year"}));
        movie.directors = ImportedMovie::joined(SourceValues::split(rows.value({"Directors"})));
        movie.genres = ImportedMovie::joined(SourceValues::split(rows.value({"Genres"})));
        movie.publicRating = rows.value({"IMDb Rating"});
        movie.runningTime = SourceValues::minutes(rows.value({"Runtime (mins)"}));
        movie.sourceNumber = rows.value({"Position"});
        if (const auto rating = SourceValues::number(rows.value({"Your Rating", "You rated"}))) {
            movie.halfStars = ImportedMovie::toHalfStars(*rating, 10);
            movie.seen = movie.halfStars > 0;
            movie.seenDate = SourceValues::date(rows.value({"Date Rated", "created"}));
        }
        movie.notes = rows.value({"Description"});
        const QString type = rows.value({"Title Type", "Title type"});
        if (type.compare(QLatin1String("movie"), Qt::CaseInsensitive) != 0 &&
            type.compare(QLatin1String("Feature Film"), Qt::CaseInsensitive) != 0)
            movie.addExtra(QStringLiteral("Title type"), type);
        movie.addExtra(QStringLiteral("Original title"),
                       rows.value({"Original Title"}) != movie.title ? rows.value({"Original Title"}) : QString());
        take(std::move(movie));
        if (++count % 256 == 0)
            report(control, rows.bytesRead(), rows.size());
    }
    report(control, rows.size(), rows.size());
}

} // namespace quelto::importing
