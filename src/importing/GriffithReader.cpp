#include "importing/GriffithReader.h"

#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlItems.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace quelto::importing {

void GriffithReader::read(const Take& take, tasks::TaskControl* control)
{
    XmlItems::forEachInFile(m_path, QStringLiteral("movie"), [&](const XmlNode& movie) { take(movieFrom(movie)); },
                            control);
}

ImportedMovie GriffithReader::movieFrom(const XmlNode& node) const
{
    const auto at = [&](const char* name) { return node.valueAt(QString::fromLatin1(name)); };
    ImportedMovie movie;
    movie.sourceNumber = at("number");
    movie.title = at("title").isEmpty() ? at("o_title") : at("title");
    movie.year = SourceValues::year(at("year"));
    movie.directors = ImportedMovie::joined(SourceValues::split(at("director")));
    static const QRegularExpression role(QStringLiteral("\\s+as\\s+.*$"));
    for (QString line : at("cast").split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        movie.cast << line.remove(role).trimmed();
    movie.genres = ImportedMovie::joined(SourceValues::split(at("genre")));
    movie.country = ImportedMovie::joined(SourceValues::split(at("country")));
    movie.company = ImportedMovie::joined(SourceValues::split(at("studio")));
    movie.writer = ImportedMovie::joined(SourceValues::split(at("screenplay")));
    movie.medium = at("media");
    if (const auto rating = SourceValues::number(at("rating")))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, 10);
    movie.seen = SourceValues::yes(at("seen")) || at("seen") == QLatin1String("True");
    movie.notes = at("notes");
    movie.runningTime = SourceValues::minutes(at("runtime"));
    movie.webAddress = at("imdb").isEmpty() ? at("o_site") : at("imdb");
    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
    movie.addExtra(QStringLiteral("Original title"), at("o_title") != movie.title ? at("o_title") : QString());
    movie.addExtra(QStringLiteral("Certification"), at("classification"));
    movie.addExtra(QStringLiteral("Plot"), at("plot"));
    const QString image = at("image");
    if (!image.isEmpty()) {
        const PictureLocation pictures(QFileInfo(m_path).absolutePath());
        QString problem;
        for (const QString& name : {image, QStringLiteral("posters/") + image, QStringLiteral("posters/%1.jpg").arg(image)}) {
            movie.coverPath = pictures.resolve(name, &problem);
            if (!movie.coverPath.isEmpty())
                break;
        }
        if (movie.coverPath.isEmpty())
            movie.coverProblem = problem;
    }
    return movie;
}

} // namespace quelto::importing
