#include "importing/DataCrowReader.h"

#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlItems.h"

#include <QFileInfo>

namespace quelto::importing {

namespace {

// A referenced value: <name> inside the item, else the item's own text.
QString nameOf(const XmlNode& item)
{
    const QString name = item.valueAt(QStringLiteral("name"));
    return name.isEmpty() ? item.text : name;
}

// Every value of a field: <genres><genre><name>..</name></genre></genres>,
// a single <storage-medium><name>..</name></storage-medium>, or plain text.
QStringList namesOf(const XmlNode& movie, const QString& field)
{
    const XmlNode* node = movie.child(field);
    if (!node)
        return {};
    if (node->children.empty())
        return {node->text};
    if (node->child(QStringLiteral("name")))
        return {node->valueAt(QStringLiteral("name"))};
    QStringList values;
    for (const XmlNode& item : node->children)
        values << nameOf(item);
    return values;
}

// Seconds ("8160") or h:mm:ss ("2:16:00") as minutes.
int playMinutes(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() == 3)
        return parts.at(0).toInt() * 60 + parts.at(1).toInt();
    const int value = text.toInt();
    return value >= 24 * 60 ? value / 60 : SourceValues::minutes(text);
}

} // namespace

void DataCrowReader::read(const Take& take, tasks::TaskControl* control)
{
    XmlItems::forEachInFile(m_path, QStringLiteral("movie"), [&](const XmlNode& movie) { take(movieFrom(movie)); },
                            control);
}

ImportedMovie DataCrowReader::movieFrom(const XmlNode& node) const
{
    const auto at = [&](const char* name) { return node.valueAt(QString::fromLatin1(name)); };
    const auto list = [&](const char* name) { return ImportedMovie::joined(namesOf(node, QString::fromLatin1(name))); };
    ImportedMovie movie;
    movie.title = at("title");
    movie.year = SourceValues::year(at("year"));
    movie.runningTime = playMinutes(at("playlength"));
    movie.directors = list("directors");
    movie.cast = namesOf(node, QStringLiteral("actors"));
    movie.genres = list("genres");
    movie.country = list("countries");
    movie.language = list("languages");
    movie.company = list("studios");
    movie.writer = list("writers");
    movie.composer = list("composers");
    movie.medium = list("storage-medium");
    movie.location = list("container");
    movie.condition = list("state");
    movie.publicRating = at("imdb-rating");
    movie.seen = SourceValues::yes(at("seen"));
    movie.notes = at("comment");
    if (const auto rating = SourceValues::number(at("rating")))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, 10);
    movie.purchased = SourceValues::date(at("purchase-date"));
    movie.price = SourceValues::price(at("purchase-price"));
    movie.webAddress = at("webpage");
    movie.imdbId = ImportedMovie::imdbIdIn(at("imdb") + QLatin1Char(' ') + movie.webAddress);
    if (movie.webAddress.isEmpty() && !movie.imdbId.isEmpty())
        movie.webAddress = QStringLiteral("https://www.imdb.com/title/%1/").arg(movie.imdbId);
    const QString lentTo = list("loaned-to");
    if (!lentTo.isEmpty())
        movie.loans.push_back({lentTo, SourceValues::date(at("loan-start-date")), SourceValues::date(at("loan-due-date")),
                               {}, {}});
    movie.addExtra(QStringLiteral("Original title"), at("title-local") != movie.title ? at("title-local") : QString());
    movie.addExtra(QStringLiteral("Certification"), list("age-rating"));
    movie.addExtra(QStringLiteral("Description"), at("description"));
    const QString picture = at("picture-front");
    if (!picture.isEmpty())
        movie.coverPath = PictureLocation(QFileInfo(m_path).absolutePath()).resolve(picture, &movie.coverProblem);
    return movie;
}

} // namespace quelto::importing
