#include "importing/OnMyShelfReader.h"

#include "catalog/EngineError.h"
#include "importing/CsvRows.h"
#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace quelto::importing {

namespace {

// A property's value as text; a list one value a line.
QString textOf(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String: return value.toString().trimmed();
    case QJsonValue::Double: {
        const double number = value.toDouble();
        return number == double(qint64(number)) ? QString::number(qint64(number)) : QString::number(number);
    }
    case QJsonValue::Bool: return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Array: {
        QStringList values;
        for (const QJsonValue& element : value.toArray()) {
            const QString text = textOf(element);
            if (!text.isEmpty())
                values << text;
        }
        return values.join(QLatin1Char('\n'));
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        for (const char* key : {"name", "value", "title"}) {
            if (object.contains(QLatin1String(key)))
                return textOf(object.value(QLatin1String(key)));
        }
        return {};
    }
    default: return {};
    }
}

QStringList listOf(const QString& text)
{
    if (!text.contains(QLatin1Char('\n')))
        return SourceValues::split(text);
    QStringList values = text.split(QLatin1Char('\n'));
    for (QString& value : values)
        value = value.trimmed();
    values.removeAll(QString());
    return values;
}

// The properties of an item by lower-case name, and the names used up.
class Properties
{
public:
    explicit Properties(const QJsonObject& object)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            m_names.insert(it.key().toLower(), it.key());
            m_values.insert(it.key().toLower(), textOf(it.value()));
        }
    }

    QString take(std::initializer_list<const char*> names)
    {
        QString found;
        for (const char* name : names) {
            const QString key = QString::fromLatin1(name);
            if (!m_values.contains(key))
                continue;
            m_used.insert(key);
            if (found.isEmpty())
                found = m_values.value(key);
        }
        return found;
    }

    // The properties not taken, as labelled extras: "Box set: yes".
    void keepRest(ImportedMovie& movie) const
    {
        QStringList rest;
        for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
            if (!m_used.contains(it.key()))
                rest << it.key();
        }
        rest.sort();
        for (const QString& key : rest) {
            QString label = m_names.value(key);
            label.replace(QLatin1Char('_'), QLatin1Char(' '));
            if (!label.isEmpty())
                label[0] = label[0].toUpper();
            movie.addExtra(label, QString(m_values.value(key)).replace(QLatin1Char('\n'), QStringLiteral(", ")));
        }
    }

private:
    QHash<QString, QString> m_names;
    QHash<QString, QString> m_values;
    QSet<QString> m_used;
};

} // namespace

bool OnMyShelfReader::looksLikeItems(const QByteArray& head)
{
    const QByteArray start = head.trimmed();
    if (!start.startsWith('{') && !start.startsWith('['))
        return false;
    return head.contains("\"properties\"") &&
           (head.contains("\"collectionId\"") || head.contains("\"items\"") || head.contains("\"visibility\""));
}

void OnMyShelfReader::read(const Take& take, tasks::TaskControl* control)
{
    const QByteArray bytes = CsvRows::readFile(m_path);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QString shown = QDir::toNativeSeparators(m_path);
    if (error.error != QJsonParseError::NoError)
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be imported: it is not well-formed JSON: %2 (at byte %3).")
                                       .arg(shown, error.errorString())
                                       .arg(error.offset));
    const QJsonArray items = document.isArray() ? document.array() : document.object().value(QLatin1String("items")).toArray();
    if (!document.isArray() && !document.object().value(QLatin1String("items")).isArray())
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be imported: it holds no OnMyShelf items.").arg(shown));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QJsonObject item = items.at(i).toObject();
        if (!item.value(QLatin1String("properties")).isObject())
            continue;
        take(movieFrom(item));
        if ((i + 1) % 64 == 0)
            report(control, i + 1, items.size());
    }
    report(control, items.size(), items.size());
}

ImportedMovie OnMyShelfReader::movieFrom(const QJsonObject& item) const
{
    Properties p(item.value(QLatin1String("properties")).toObject());
    ImportedMovie movie;
    movie.sourceNumber = textOf(item.value(QLatin1String("id")));
    movie.title = p.take({"title", "name"});
    movie.year = SourceValues::year(p.take({"year", "releasedate", "release_date", "date"}));
    movie.directors = ImportedMovie::joined(listOf(p.take({"director", "directors", "realisator"})));
    movie.cast = listOf(p.take({"actors", "cast", "actor", "casting"}));
    movie.genres = ImportedMovie::joined(listOf(p.take({"genre", "genres", "category", "categories"})));
    movie.country = ImportedMovie::joined(listOf(p.take({"country", "countries", "nationality"})));
    movie.language = ImportedMovie::joined(listOf(p.take({"language", "languages", "audio"})));
    movie.company = ImportedMovie::joined(listOf(p.take({"studio", "company", "producer", "production"})));
    movie.writer = ImportedMovie::joined(listOf(p.take({"writer", "writers", "screenplay"})));
    movie.composer = ImportedMovie::joined(listOf(p.take({"composer", "music"})));
    movie.publicRating = p.take({"imdbrating", "publicrating", "pressrating"});
    movie.medium = p.take({"medium", "media", "format", "support", "type"});
    // Own rating: up to 5 read on a scale of 5, above it on 10.
    if (const auto rating = SourceValues::number(p.take({"rating", "myrating", "note", "score"})))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, *rating > 5 ? 10 : 5);
    const QString seen = p.take({"seen", "watched", "viewed"});
    movie.seenDate = SourceValues::date(seen);
    movie.seen = SourceValues::yes(seen) || movie.seenDate.isValid();
    if (const QDate when = SourceValues::date(p.take({"seendate", "watcheddate", "lastseen"})); when.isValid()) {
        movie.seen = true;
        movie.seenDate = when;
    }
    movie.notes = p.take({"notes", "note_text", "comment", "comments"});
    movie.location = p.take({"location", "place", "shelf"});
    movie.purchased = SourceValues::date(p.take({"purchasedate", "purchase_date", "acquisitiondate", "acquired"}));
    movie.price = SourceValues::price(p.take({"price", "purchaseprice", "purchase_price"}));
    movie.condition = p.take({"condition", "state"});
    movie.runningTime = SourceValues::minutes(p.take({"duration", "runtime", "length", "runningtime"}));
    movie.webAddress = p.take({"imdb", "url", "link", "website"});
    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
    const QString cover = p.take({"cover", "poster", "picture", "image"});
    p.take({"thumbnail"});
    p.keepRest(movie);

    for (const QJsonValue& value : item.value(QLatin1String("loans")).toArray()) {
        const QJsonObject loan = value.toObject();
        ImportedLoan kept;
        kept.borrower = textOf(loan.value(QLatin1String("borrower")));
        kept.lent = SourceValues::date(textOf(loan.value(QLatin1String("lent"))));
        kept.due = SourceValues::date(textOf(loan.value(QLatin1String("due"))));
        kept.returned = SourceValues::date(textOf(loan.value(QLatin1String("returned"))));
        kept.note = textOf(loan.value(QLatin1String("notes")));
        if (!kept.borrower.isEmpty())
            movie.loans.push_back(kept);
    }

    if (!cover.isEmpty()) {
        // "media://2/abc.jpg": the media folder beside the export, or the picture itself there.
        const PictureLocation folder(QFileInfo(m_path).absolutePath());
        QString name = cover;
        if (name.startsWith(QLatin1String("media://"))) {
            name = name.mid(8);
            for (const QString& candidate : {QStringLiteral("media/") + name, name, QFileInfo(name).fileName()}) {
                QString problem;
                movie.coverPath = folder.resolve(candidate, &problem);
                if (!movie.coverPath.isEmpty())
                    break;
                if (movie.coverProblem.isEmpty())
                    movie.coverProblem = problem;
            }
            if (!movie.coverPath.isEmpty())
                movie.coverProblem.clear();
        } else {
            movie.coverPath = folder.resolve(name, &movie.coverProblem);
        }
    }
    return movie;
}

} // namespace quelto::importing
