#include "importing/CollectorzReader.h"

#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlItems.h"

#include <QFileInfo>

namespace quelto::importing {

namespace {

// A value written plainly or as <displayname>, <date> inside the element.
QString shown(const XmlNode* node)
{
    if (!node)
        return {};
    for (const char* inner : {"displayname", "date", "name"}) {
        if (const XmlNode* child = node->child(QString::fromLatin1(inner)))
            return shown(child);
    }
    return node->text;
}

// The values of a list: <genres><genre><displayname>..</displayname></genre></genres>.
QStringList shownAll(const XmlNode& movie, const QString& list, const QString& item)
{
    QStringList values;
    if (const XmlNode* node = movie.child(list)) {
        for (const XmlNode* entry : node->childrenNamed(item))
            values << shown(entry);
    }
    return values;
}

} // namespace

void CollectorzReader::read(const Take& take, tasks::TaskControl* control)
{
    XmlItems::forEachInFile(m_path, QStringLiteral("movie"), [&](const XmlNode& movie) { take(movieFrom(movie)); },
                            control);
}

ImportedMovie CollectorzReader::movieFrom(const XmlNode& node) const
{
    ImportedMovie movie;
    movie.sourceNumber = node.valueAt(QStringLiteral("index"));
    movie.title = node.valueAt(QStringLiteral("title"));
    movie.year = SourceValues::year(shown(node.child(QStringLiteral("releasedate"))) + QLatin1Char(' ') +
                                    shown(node.child(QStringLiteral("year"))));
    if (const XmlNode* releaseYear = node.child(QStringLiteral("releasedate")); releaseYear && releaseYear->child(QStringLiteral("year")))
        movie.year = SourceValues::year(shown(releaseYear->child(QStringLiteral("year"))));
    for (const XmlNode* star : node.child(QStringLiteral("cast")) ? node.child(QStringLiteral("cast"))->childrenNamed(QStringLiteral("star"))
                                                                    : std::vector<const XmlNode*>()) {
        movie.cast << shown(star->child(QStringLiteral("person")));
    }
    QStringList directors, writers, composers;
    if (const XmlNode* crew = node.child(QStringLiteral("crew"))) {
        for (const XmlNode* member : crew->childrenNamed(QStringLiteral("crewmember"))) {
            const QString role = member->valueAt(QStringLiteral("roleid")).toLower();
            const QString person = shown(member->child(QStringLiteral("person")));
            if (role == QLatin1String("dfdirector"))
                directors << person;
            else if (role == QLatin1String("dfwriter"))
                writers << person;
            else if (role == QLatin1String("dfmusic") || role == QLatin1String("dfcomposer"))
                composers << person;
        }
    }
    movie.directors = ImportedMovie::joined(directors);
    movie.writer = ImportedMovie::joined(writers);
    movie.composer = ImportedMovie::joined(composers);
    movie.genres = ImportedMovie::joined(shownAll(node, QStringLiteral("genres"), QStringLiteral("genre")));
    movie.country = ImportedMovie::joined(shownAll(node, QStringLiteral("countries"), QStringLiteral("country")) +
                                          QStringList{shown(node.child(QStringLiteral("country")))});
    movie.language = ImportedMovie::joined(shownAll(node, QStringLiteral("languages"), QStringLiteral("language")));
    movie.company = ImportedMovie::joined(shownAll(node, QStringLiteral("studios"), QStringLiteral("studio")));
    movie.publicRating = node.valueAt(QStringLiteral("imdbrating"));
    movie.medium = shown(node.child(QStringLiteral("format")));
    if (const auto rating = SourceValues::number(node.valueAt(QStringLiteral("myrating"))))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, 10);
    movie.seen = SourceValues::yes(node.valueAt(QStringLiteral("seenit")));
    movie.seenDate = SourceValues::date(shown(node.child(QStringLiteral("viewingdate"))));
    movie.notes = node.valueAt(QStringLiteral("notes"));
    movie.location = shown(node.child(QStringLiteral("location")));
    movie.purchased = SourceValues::date(shown(node.child(QStringLiteral("purchasedate"))));
    movie.price = SourceValues::price(node.valueAt(QStringLiteral("purchaseprice")));
    movie.condition = shown(node.child(QStringLiteral("condition")));
    movie.runningTime = SourceValues::minutes(node.valueAt(QStringLiteral("runtime")));
    movie.webAddress = node.valueAt(QStringLiteral("imdburl"));
    movie.imdbId = ImportedMovie::imdbIdIn(node.valueAt(QStringLiteral("imdbnum")) + QLatin1Char(' ') + movie.webAddress);
    if (const XmlNode* loan = node.child(QStringLiteral("loan"))) {
        const QString borrower = shown(loan->child(QStringLiteral("loanedto")));
        if (!borrower.isEmpty())
            movie.loans.push_back({borrower, SourceValues::date(shown(loan->child(QStringLiteral("loandate")))),
                                   SourceValues::date(shown(loan->child(QStringLiteral("duedate")))),
                                   SourceValues::date(shown(loan->child(QStringLiteral("returndate")))), {}});
    }
    movie.addExtra(QStringLiteral("Certification"), shown(node.child(QStringLiteral("mpaarating"))));
    movie.addExtra(QStringLiteral("Original title"), node.valueAt(QStringLiteral("originaltitle")));
    movie.addExtra(QStringLiteral("Barcode"), node.valueAt(QStringLiteral("upc")));
    movie.addExtra(QStringLiteral("Plot"), node.valueAt(QStringLiteral("plot")));
    const QString cover = node.valueAt(QStringLiteral("coverfront"));
    if (!cover.isEmpty())
        movie.coverPath = PictureLocation(QFileInfo(m_path).absolutePath()).resolve(cover, &movie.coverProblem);
    return movie;
}

} // namespace quelto::importing
