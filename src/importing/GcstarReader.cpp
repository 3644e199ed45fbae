#include "importing/GcstarReader.h"

#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlItems.h"

#include <QFileInfo>

namespace quelto::importing {

namespace {

// A field's value: the attribute, or the element's text.
QString field(const XmlNode& item, const QString& name)
{
    if (item.attributes.contains(name))
        return item.attribute(name);
    return item.valueAt(name);
}

// A list field: the first column of each <line>, or an older comma list.
QStringList lines(const XmlNode& item, const QString& name, int column = 0)
{
    const XmlNode* list = item.child(name);
    if (!list || list->children.empty())
        return SourceValues::split(field(item, name));
    QStringList values;
    for (const XmlNode* line : list->childrenNamed(QStringLiteral("line"))) {
        const std::vector<const XmlNode*> cols = line->childrenNamed(QStringLiteral("col"));
        values << (size_t(column) < cols.size() ? cols[size_t(column)]->text : QString());
    }
    return values;
}

} // namespace

void GcstarReader::read(const Take& take, tasks::TaskControl* control)
{
    XmlItems::forEachInFile(m_path, QStringLiteral("item"), [&](const XmlNode& item) { take(movieFrom(item)); },
                            control);
}

ImportedMovie GcstarReader::movieFrom(const XmlNode& item) const
{
    ImportedMovie movie;
    movie.sourceNumber = field(item, QStringLiteral("number"));
    if (movie.sourceNumber.isEmpty() || movie.sourceNumber == QLatin1String("0"))
        movie.sourceNumber = item.attribute(QStringLiteral("id"));
    movie.title = field(item, QStringLiteral("title"));
    movie.year = SourceValues::year(field(item, QStringLiteral("date")));
    movie.directors = ImportedMovie::joined(lines(item, QStringLiteral("director")));
    movie.cast = lines(item, QStringLiteral("actors"));
    movie.genres = ImportedMovie::joined(lines(item, QStringLiteral("genre")));
    movie.country = ImportedMovie::joined(lines(item, QStringLiteral("country")));
    movie.language = ImportedMovie::joined(lines(item, QStringLiteral("audio")));
    movie.publicRating = field(item, QStringLiteral("ratingpress"));
    movie.medium = field(item, QStringLiteral("format"));
    if (const auto rating = SourceValues::number(field(item, QStringLiteral("rating"))))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, 10);
    movie.seen = SourceValues::yes(field(item, QStringLiteral("seen")));
    movie.notes = field(item, QStringLiteral("comment"));
    movie.location = field(item, QStringLiteral("place"));
    movie.purchased = SourceValues::date(field(item, QStringLiteral("added")));
    movie.runningTime = SourceValues::minutes(field(item, QStringLiteral("time")));
    movie.webAddress = field(item, QStringLiteral("webPage"));
    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
    movie.addExtra(QStringLiteral("Original title"), field(item, QStringLiteral("original")));
    movie.addExtra(QStringLiteral("Certification"), field(item, QStringLiteral("age")));
    movie.addExtra(QStringLiteral("Series"), field(item, QStringLiteral("serie")));
    movie.addExtra(QStringLiteral("Subtitles"), ImportedMovie::joined(lines(item, QStringLiteral("subt"))));
    movie.addExtra(QStringLiteral("Synopsis"), field(item, QStringLiteral("synopsis")));

    // Loans: the history, then the borrower the movie is with now.
    const QStringList who = lines(item, QStringLiteral("borrowings"), 0);
    const QStringList lent = lines(item, QStringLiteral("borrowings"), 1);
    const QStringList back = lines(item, QStringLiteral("borrowings"), 2);
    for (qsizetype i = 0; i < who.size(); ++i) {
        ImportedLoan loan{who.at(i), SourceValues::date(lent.value(i)), {}, SourceValues::date(back.value(i)), {}};
        if (!loan.borrower.isEmpty() && loan.returned.isValid())
            movie.loans.push_back(loan);
    }
    const QString borrower = field(item, QStringLiteral("borrower"));
    if (!borrower.isEmpty() && borrower.compare(QLatin1String("none"), Qt::CaseInsensitive) != 0)
        movie.loans.push_back({borrower, SourceValues::date(field(item, QStringLiteral("lendDate"))), {}, {}, {}});

    const QString image = field(item, QStringLiteral("image"));
    if (!image.isEmpty()) {
        movie.coverPath = PictureLocation(QFileInfo(m_path).absolutePath()).resolve(image, &movie.coverProblem);
    }
    return movie;
}

} // namespace quelto::importing
