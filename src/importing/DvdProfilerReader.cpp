#include "importing/DvdProfilerReader.h"

#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlItems.h"

#include <QFileInfo>

namespace quelto::importing {

namespace {

QString personName(const XmlNode& person)
{
    QStringList parts;
    for (const char* part : {"FirstName", "MiddleName", "LastName"})
        parts << person.attribute(QString::fromLatin1(part));
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

} // namespace

void DvdProfilerReader::read(const Take& take, tasks::TaskControl* control)
{
    XmlItems::forEachInFile(m_path, QStringLiteral("DVD"), [&](const XmlNode& dvd) { take(movieFrom(dvd)); }, control);
}

ImportedMovie DvdProfilerReader::movieFrom(const XmlNode& dvd) const
{
    ImportedMovie movie;
    const QString id = dvd.valueAt(QStringLiteral("ID"));
    movie.sourceNumber = dvd.valueAt(QStringLiteral("CollectionNumber"));
    movie.title = dvd.valueAt(QStringLiteral("Title"));
    movie.year = SourceValues::year(dvd.valueAt(QStringLiteral("ProductionYear")));
    if (const XmlNode* actors = dvd.child(QStringLiteral("Actors"))) {
        for (const XmlNode* actor : actors->childrenNamed(QStringLiteral("Actor")))
            movie.cast << personName(*actor);
    }
    QStringList directors, writers, composers;
    if (const XmlNode* credits = dvd.child(QStringLiteral("Credits"))) {
        for (const XmlNode* credit : credits->childrenNamed(QStringLiteral("Credit"))) {
            const QString type = credit->attribute(QStringLiteral("CreditType"));
            if (type == QLatin1String("Direction"))
                directors << personName(*credit);
            else if (type == QLatin1String("Writing"))
                writers << personName(*credit);
            else if (type == QLatin1String("Music"))
                composers << personName(*credit);
        }
    }
    movie.directors = ImportedMovie::joined(directors);
    movie.writer = ImportedMovie::joined(writers);
    movie.composer = ImportedMovie::joined(composers);
    if (const XmlNode* genres = dvd.child(QStringLiteral("Genres")))
        movie.genres = ImportedMovie::joined(genres->texts(QStringLiteral("Genre")));
    if (const XmlNode* studios = dvd.child(QStringLiteral("Studios")))
        movie.company = ImportedMovie::joined(studios->texts(QStringLiteral("Studio")));
    movie.country = ImportedMovie::joined({dvd.valueAt(QStringLiteral("CountryOfOrigin")),
                                           dvd.valueAt(QStringLiteral("CountryOfOrigin2")),
                                           dvd.valueAt(QStringLiteral("CountryOfOrigin3"))});
    if (const XmlNode* media = dvd.child(QStringLiteral("MediaTypes"))) {
        QStringList kinds;
        for (const XmlNode& kind : media->children) {
            if (SourceValues::yes(kind.text))
                kinds << (kind.name == QLatin1String("BluRay") ? QStringLiteral("Blu-ray") : kind.name);
        }
        if (!media->valueAt(QStringLiteral("CustomMediaType")).isEmpty())
            kinds << media->valueAt(QStringLiteral("CustomMediaType"));
        movie.medium = ImportedMovie::joined(kinds);
    }
    if (const XmlNode* review = dvd.child(QStringLiteral("Review"))) {
        if (const auto film = SourceValues::number(review->attribute(QStringLiteral("Film"))))
            movie.halfStars = ImportedMovie::toHalfStars(*film, 10);
    }
    movie.runningTime = SourceValues::minutes(dvd.valueAt(QStringLiteral("RunningTime")));
    movie.notes = dvd.valueAt(QStringLiteral("Notes"));
    if (const XmlNode* purchase = dvd.child(QStringLiteral("PurchaseInfo"))) {
        movie.price = SourceValues::price(purchase->valueAt(QStringLiteral("Price")));
        movie.purchased = SourceValues::date(purchase->valueAt(QStringLiteral("Date")));
        movie.addExtra(QStringLiteral("Bought at"), purchase->valueAt(QStringLiteral("Place")));
    }
    if (const XmlNode* events = dvd.child(QStringLiteral("Events"))) {
        for (const XmlNode* event : events->childrenNamed(QStringLiteral("Event"))) {
            const QString type = event->attribute(QStringLiteral("Type"));
            const QDate when = SourceValues::date(event->attribute(QStringLiteral("Timestamp")));
            const XmlNode* user = event->child(QStringLiteral("User"));
            if (type == QLatin1String("Watched")) {
                movie.seen = true;
                if (when.isValid() && (!movie.seenDate.isValid() || when > movie.seenDate))
                    movie.seenDate = when;
            } else if (type == QLatin1String("Borrowed") && user) {
                movie.loans.push_back({personName(*user), when, {}, {}, {}});
            } else if (type == QLatin1String("Returned") && !movie.loans.empty() && !movie.loans.back().returned.isValid()) {
                movie.loans.back().returned = when;
            }
        }
    }
    if (const XmlNode* loan = dvd.child(QStringLiteral("LoanInfo"))) {
        const bool out = SourceValues::yes(loan->attribute(QStringLiteral("Loaned")));
        const bool known = !movie.loans.empty() && !movie.loans.back().returned.isValid();
        if (out && !known) {
            const XmlNode* user = loan->child(QStringLiteral("User"));
            movie.loans.push_back({user ? personName(*user) : QString(), {},
                                   SourceValues::date(loan->attribute(QStringLiteral("Due"))), {}, {}});
        } else if (known) {
            movie.loans.back().due = SourceValues::date(loan->attribute(QStringLiteral("Due")));
        }
    }
    movie.addExtra(QStringLiteral("Certification"), dvd.valueAt(QStringLiteral("Rating")));
    movie.addExtra(QStringLiteral("Original title"), dvd.valueAt(QStringLiteral("OriginalTitle")));
    movie.addExtra(QStringLiteral("UPC"), dvd.valueAt(QStringLiteral("UPC")));
    movie.addExtra(QStringLiteral("Overview"), dvd.valueAt(QStringLiteral("Overview")));

    if (!id.isEmpty() && !id.contains(QLatin1Char('/')) && !id.contains(QLatin1Char('\\'))) {
        const PictureLocation pictures(QFileInfo(m_path).absolutePath());
        for (const QString& name : {QStringLiteral("Images/%1f.jpg").arg(id), QStringLiteral("%1f.jpg").arg(id)}) {
            movie.coverPath = pictures.resolve(name, nullptr);
            if (!movie.coverPath.isEmpty())
                break;
        }
    }
    return movie;
}

} // namespace quelto::importing
