#include "importing/LetterboxdReader.h"

#include "importing/CsvRows.h"
#include "importing/ImportLimits.h"
#include "importing/SourceValues.h"
#include "importing/ZipArchive.h"

namespace quelto::importing {

void LetterboxdReader::read(const Take& take, tasks::TaskControl* control)
{
    m_films.clear();
    m_byKey.clear();
    if (m_isZip) {
        const std::unique_ptr<ZipArchive> zip = ZipArchive::open(m_path);
        // Watched first, so that the others add to the films it names.
        for (const char* name : {"watched.csv", "diary.csv", "ratings.csv", "reviews.csv", "watchlist.csv"}) {
            const QString member = QString::fromLatin1(name);
            if (!zip->contains(member))
                continue;
            CsvRows rows(zip->read(member, ImportLimits::MaxTextBytes), m_path + QLatin1Char(':') + member);
            merge(rows, member == QLatin1String("watchlist.csv"), control);
        }
    } else {
        CsvRows rows(CsvRows::readFile(m_path), m_path);
        merge(rows, false, control);
    }
    for (ImportedMovie& film : m_films)
        take(std::move(film));
    m_films.clear();
    m_byKey.clear();
}

void LetterboxdReader::merge(CsvRows& rows, bool watchlist, tasks::TaskControl* control)
{
    // Which file it is shows in its columns.
    const bool diary = rows.has(QStringLiteral("Watched Date"));
    const bool watched = !watchlist && !rows.has(QStringLiteral("Rating")) && !diary;
    int count = 0;
    while (rows.next()) {
        const QString uri = rows.value({"Letterboxd URI"});
        const QString name = rows.value({"Name"});
        const QString year = SourceValues::year(rows.value({"Year"}));
        if (name.isEmpty())
            continue;
        const QString key = uri.isEmpty() ? name.toCaseFolded() + QLatin1Char('|') + year : uri;
        auto found = m_byKey.constFind(key);
        if (found == m_byKey.cend()) {
            ImportedMovie film;
            film.title = name;
            film.year = year;
            film.letterboxdUri = uri;
            film.webAddress = uri;
            m_films.push_back(std::move(film));
            found = m_byKey.insert(key, m_films.size() - 1);
        }
        ImportedMovie& film = m_films[*found];
        if (watchlist) {
            film.addExtra(QStringLiteral("Letterboxd watchlist"), QStringLiteral("added %1").arg(rows.value({"Date"})));
        } else {
            if (const auto rating = SourceValues::number(rows.value({"Rating"})))
                film.halfStars = ImportedMovie::toHalfStars(*rating, 5);
            const QDate day = SourceValues::date(diary ? rows.value({"Watched Date"}) : rows.value({"Date"}));
            if (diary || watched || rows.has(QStringLiteral("Review"))) {
                film.seen = true;
                if (day.isValid() && (!film.seenDate.isValid() || day > film.seenDate) && (diary || watched))
                    film.seenDate = day;
            }
            const QString review = rows.value({"Review"});
            if (!review.isEmpty())
                film.notes = film.notes.isEmpty() ? review : film.notes + QLatin1Char('\n') + review;
            const QString tags = rows.value({"Tags"});
            if (!tags.isEmpty() && std::none_of(film.extras.begin(), film.extras.end(), [&](const auto& extra) {
                    return extra.first == QLatin1String("Tags") && extra.second == tags;
                }))
                film.addExtra(QStringLiteral("Tags"), tags);
        }
        if (++count % 256 == 0)
            report(control, rows.bytesRead(), rows.size());
    }
}

} // namespace quelto::importing
