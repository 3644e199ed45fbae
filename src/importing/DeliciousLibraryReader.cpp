#include "importing/DeliciousLibraryReader.h"

#include "catalog/EngineError.h"
#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlInput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace quelto::importing {

namespace {

// The first value under any of the names (lower case).
QString first(const DeliciousLibraryReader::Fields& fields, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const QString value = fields.value(QString::fromLatin1(name)).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return {};
}

// A list written one value a line, or with commas.
QStringList listOf(const QString& text)
{
    if (text.contains(QLatin1Char('\n'))) {
        QStringList values = text.split(QLatin1Char('\n'));
        for (QString& value : values)
            value = value.trimmed();
        values.removeAll(QString());
        return values;
    }
    return SourceValues::split(text);
}

// Dates as version 1 writes them (31-12-2004) or ISO, as the property list does.
QDate dateOf(const QString& text)
{
    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})-(\\d{1,2})-(\\d{4})"));
    if (const auto m = dayFirst.match(text.trimmed()); m.hasMatch())
        return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    return SourceValues::date(text);
}

bool isMovieKind(const QString& kind)
{
    const QString k = kind.trimmed().toLower();
    return k == QLatin1String("movie") || k == QLatin1String("dvd") || k == QLatin1String("video") ||
           k == QLatin1String("film") || k == QLatin1String("dlmovie");
}

// Is the element one of the kinds an item of version 1 can be?
bool isItemElement(QStringView name)
{
    static const QStringList kinds = {QStringLiteral("movie"),    QStringLiteral("book"),
                                      QStringLiteral("music"),    QStringLiteral("game"),
                                      QStringLiteral("software"), QStringLiteral("gadget"),
                                      QStringLiteral("toy"),      QStringLiteral("tool"),
                                      QStringLiteral("apparel"),  QStringLiteral("electronics")};
    return kinds.contains(name.toString().toLower());
}

} // namespace

DeliciousLibraryReader::Fields DeliciousLibraryReader::dictionaryFields(const XmlNode& dict)
{
    Fields fields;
    QString key;
    for (const XmlNode& child : dict.children) {
        if (child.name == QLatin1String("key")) {
            key = child.text.toLower();
            continue;
        }
        if (key.isEmpty())
            continue;
        if (child.name == QLatin1String("array")) {
            QStringList values;
            for (const XmlNode& value : child.children) {
                if (!value.text.isEmpty())
                    values << value.text;
            }
            fields.insert(key, values.join(QLatin1Char('\n')));
        } else if (child.name == QLatin1String("true") || child.name == QLatin1String("false")) {
            fields.insert(key, child.name);
        } else if (child.name != QLatin1String("dict") && child.name != QLatin1String("data")) {
            fields.insert(key, child.text);
        }
        key.clear();
    }
    return fields;
}

void DeliciousLibraryReader::read(const Take& take, tasks::TaskControl* control)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be read: %2")
                                       .arg(QDir::toNativeSeparators(m_path), file.errorString()));
    XmlInput input(file, m_path);
    const QString root = input.rootName();
    const qint64 total = file.size();
    int items = 0;
    const auto hand = [&](const Fields& fields, const QString& kind) {
        if (std::optional<ImportedMovie> movie = movieFrom(fields, kind))
            take(std::move(*movie));
        if (++items % 64 == 0)
            report(control, file.pos(), total);
    };
    if (root == QLatin1String("library")) {
        while (input.nextStart()) {
            if (!isItemElement(input.name()))
                continue;
            const XmlNode item = input.readNode();
            Fields fields;
            for (auto it = item.attributes.cbegin(); it != item.attributes.cend(); ++it)
                fields.insert(it.key().toLower(), it.value());
            for (const XmlNode& child : item.children)
                fields.insert(child.name.toLower(), child.allText());
            hand(fields, item.name);
        }
    } else if (root == QLatin1String("plist")) {
        // A dictionary at the top holds the items' array under a key: it is
        // walked through; every other dictionary is an item, read whole.
        QString previous = root;
        while (input.nextStart()) {
            const QString name = input.name().toString();
            const bool top = previous == QLatin1String("plist");
            previous = name;
            if (name != QLatin1String("dict") || top)
                continue;
            const Fields fields = dictionaryFields(input.readNode());
            hand(fields, first(fields, {"type", "mediatype", "class"}));
        }
    } else {
        input.fail(QStringLiteral("it is no Delicious Library library"));
    }
    report(control, total, total);
}

std::optional<ImportedMovie> DeliciousLibraryReader::movieFrom(const Fields& fields, const QString& kind) const
{
    if (!isMovieKind(kind))
        return std::nullopt;
    ImportedMovie movie;
    movie.title = first(fields, {"title", "fulltitle"});
    movie.year = SourceValues::year(
        first(fields, {"theatricaldate", "theatricalreleasedate", "published", "publishdate", "releasedate"}));
    movie.directors = ImportedMovie::joined(listOf(first(fields, {"director", "directors", "directorscompositestring",
                                                                  "creator", "creatorscompositestring"})));
    movie.cast = listOf(first(fields, {"actors", "actorscompositestring", "stars", "cast"}));
    movie.genres = ImportedMovie::joined(listOf(first(fields, {"genre", "genres", "genrescompositestring"})));
    movie.country = ImportedMovie::joined(listOf(first(fields, {"country", "countries", "countriescompositestring"})));
    movie.language =
        ImportedMovie::joined(listOf(first(fields, {"language", "languages", "languagescompositestring"})));
    movie.company = ImportedMovie::joined(
        listOf(first(fields, {"studio", "publisher", "publisherscompositestring", "studioscompositestring"})));
    movie.writer = ImportedMovie::joined(listOf(first(fields, {"writer", "writers", "writerscompositestring"})));
    movie.composer = ImportedMovie::joined(listOf(first(fields, {"composer", "composerscompositestring"})));
    movie.medium = first(fields, {"format", "formatsingularstring", "media", "medium"});
    movie.publicRating = first(fields, {"netrating", "amazonrating"});
    if (const auto rating = SourceValues::number(first(fields, {"rating", "myrating", "userrating"})))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, 5);
    const QString played = first(fields, {"played", "hasbeenplayed", "seen", "watched"});
    movie.seen = SourceValues::yes(played);
    movie.seenDate = dateOf(first(fields, {"lastplayeddate", "playeddate", "watcheddate"}));
    movie.seen = movie.seen || movie.seenDate.isValid();
    movie.notes = first(fields, {"notes", "comments"});
    movie.location = first(fields, {"location", "shelf"});
    movie.purchased = dateOf(first(fields, {"purchasedate", "dateacquired"}));
    movie.price = SourceValues::price(first(fields, {"price", "purchaseprice", "pricepaid"}));
    movie.condition = first(fields, {"condition"});
    movie.runningTime = SourceValues::minutes(first(fields, {"minutes", "length", "runningtime", "duration"}));
    movie.webAddress = first(fields, {"url", "link", "amazonurl"});
    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
    movie.addExtra(QStringLiteral("Certification"), first(fields, {"mpaarating", "rated", "audiencerating"}));
    movie.addExtra(QStringLiteral("ASIN"), first(fields, {"asin"}));
    movie.addExtra(QStringLiteral("UPC"), first(fields, {"upc", "ean"}));
    movie.addExtra(QStringLiteral("Aspect ratio"), first(fields, {"aspectratio", "aspect"}));
    movie.addExtra(QStringLiteral("Features"), first(fields, {"features"}));
    movie.addExtra(QStringLiteral("Description"), first(fields, {"description", "summary"}));
    const QString borrower = first(fields, {"borrower", "loanedto", "lentto"});
    if (!borrower.isEmpty())
        movie.loans.push_back({borrower, dateOf(first(fields, {"loandate", "lentdate"})),
                               dateOf(first(fields, {"duedate"})), {}, {}});

    const QString uuid = first(fields, {"uuid", "uuidstring"});
    if (!uuid.isEmpty() && !uuid.contains(QLatin1Char('/')) && !uuid.contains(QLatin1Char('\\'))) {
        const PictureLocation folder(QFileInfo(m_path).absolutePath());
        for (const char* size : {"Large Covers", "Medium Covers"}) {
            for (const char* suffix : {"", ".jpg", ".png"}) {
                const QString name = QStringLiteral("Images/%1/%2%3")
                                         .arg(QLatin1String(size), uuid, QLatin1String(suffix));
                QString problem;
                movie.coverPath = folder.resolve(name, &problem);
                if (!movie.coverPath.isEmpty())
                    return movie;
            }
        }
    }
    return movie;
}

} // namespace quelto::importing
