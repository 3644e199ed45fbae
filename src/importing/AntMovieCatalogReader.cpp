#include "importing/AntMovieCatalogReader.h"

#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlItems.h"

#include <QFileInfo>

namespace quelto::importing {

void AntMovieCatalogReader::read(const Take& take, tasks::TaskControl* control)
{
    XmlItems::forEachInFile(m_path, QStringLiteral("Movie"), [&](const XmlNode& movie) { take(movieFrom(movie)); },
                            control);
}

ImportedMovie AntMovieCatalogReader::movieFrom(const XmlNode& node) const
{
    const auto at = [&](const char* name) { return node.attribute(QString::fromLatin1(name)); };
    ImportedMovie movie;
    movie.sourceNumber = at("Number");
    movie.title = at("TranslatedTitle").isEmpty() ? at("OriginalTitle") : at("TranslatedTitle");
    movie.year = SourceValues::year(at("Year"));
    movie.directors = ImportedMovie::joined(SourceValues::split(at("Director")));
    movie.cast = SourceValues::split(at("Actors"));
    movie.genres = ImportedMovie::joined(SourceValues::split(at("Category")));
    movie.country = ImportedMovie::joined(SourceValues::split(at("Country")));
    movie.language = ImportedMovie::joined(SourceValues::split(at("Languages")));
    movie.company = ImportedMovie::joined(SourceValues::split(at("Producer")));
    movie.writer = ImportedMovie::joined(SourceValues::split(at("Writer")));
    movie.composer = ImportedMovie::joined(SourceValues::split(at("Composer")));
    movie.medium = at("MediaType");
    const QString own = at("UserRating").isEmpty() ? at("Rating") : at("UserRating");
    if (const auto rating = SourceValues::number(own))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, 10);
    if (!at("UserRating").isEmpty())
        movie.publicRating = at("Rating");
    movie.seen = SourceValues::yes(at("Checked"));
    movie.notes = at("Comments");
    movie.location = at("Media");
    movie.purchased = SourceValues::date(at("Date"));
    movie.runningTime = SourceValues::minutes(at("Length"));
    movie.webAddress = at("URL");
    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
    if (!at("Borrower").isEmpty())
        movie.loans.push_back({at("Borrower"), {}, {}, {}, {}});
    if (at("OriginalTitle") != movie.title)
        movie.addExtra(QStringLiteral("Original title"), at("OriginalTitle"));
    movie.addExtra(QStringLiteral("Video format"), at("VideoFormat"));
    movie.addExtra(QStringLiteral("Source"), at("Source"));
    movie.addExtra(QStringLiteral("Description"), at("Description"));
    if (!at("Picture").isEmpty())
        movie.coverPath = PictureLocation(QFileInfo(m_path).absolutePath()).resolve(at("Picture"), &movie.coverProblem);
    return movie;
}

} // namespace quelto::importing
