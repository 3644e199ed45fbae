#include "WebFixture.h"

#include "TestCatalog.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace quelto::test {
namespace {

const char* const Words[] = {"Night", "River", "Shadow", "Garden", "Return", "City", "Winter", "Stranger",
                             "Journey", "Island", "Storm", "Secret", "Silver", "Last", "Summer", "Road",
                             "Café", "Über", "Señor", "Fenêtre", "Mädchen", "Øresund", "Cœur", "Æon"};
const char* const People[] = {"Anna Berg", "Jean-Pierre Jeunet", "Michael Curtiz", "Agnès Varda", "Akira Kurosawa",
                              "Billy Wilder", "Ingrid Bergman", "François Truffaut", "Liv Ullmann", "Zoë Kravitz",
                              "Pedro Almodóvar", "Sophia Loren", "Max von Sydow", "Wim Wenders", "Kathryn Bigelow"};
const char* const Genres[] = {"Drama", "Comedy", "Thriller", "Western", "Science Fiction", "Horror", "Musical",
                              "Documentary", "Animation", "Crime"};
const char* const Media[] = {"VHS", "VHS", "VHS", "S-VHS", "Video 8", "LaserDisc", "DVD", "Betamax"};
const char* const Countries[] = {"USA", "France", "Germany", "Italy", "Japan", "Sweden", "UK", "Spain"};
const char* const Locations[] = {"Shelf 1", "Shelf 2", "Box A", "Box B", "Attic", ""};

struct Named
{
    const char* title;
    const char* year;
    const char* director;
};
// The records the browser check looks for, first in every fixture.
const Named NamedRecords[] = {
    {"Amélie", "2001", "Jean-Pierre Jeunet"},
    {"Œdipe roi", "1967", "Pier Paolo Pasolini"},
    {"Die Straße", "1923", "Karl Grune"},
    {"Number 10", "1990", "Anna Berg"},
    {"Number 2", "1985", "Anna Berg"},
    {"<script>alert(1)</script>", "1999", "<b>Bold</b>"},
    {"\" onmouseover=\"alert(2)", "1998", "' onfocus='alert(3)"},
    {"Encyclopædia", "1977", "Ærø Films"},
};

template <size_t N>
QString pick(const char* const (&list)[N], QRandomGenerator& r)
{
    return QString::fromUtf8(list[r.bounded(int(N))]);
}

QByteArray coverPicture(int index, QRandomGenerator& r)
{
    QImage image(300, 450, QImage::Format_RGB32);
    const QColor base = QColor::fromHsv(r.bounded(360), 120 + r.bounded(100), 110 + r.bounded(120));
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 300, 450);
    gradient.setColorAt(0, base.lighter(150));
    gradient.setColorAt(1, base.darker(180));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(48);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QString::number(index));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg", 85);
    return bytes;
}

} // namespace

void WebFixture::create(const QString& path, int records, int coverEvery)
{
    QFile::remove(path);
    TestCatalog::create(path);
    auto db = catalog::Database::open(path);
    collection::CollectorSchema::ensure(*db);
    catalog::SqliteConnection& connection = *db->connection();
    connection.exec(QStringLiteral("begin"));
    QStringList columns = catalog::CatalogSchema::archiveColumns();
    columns << QStringLiteral("quelto_id") << QStringLiteral("quelto_location") << QStringLiteral("quelto_running_time");
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    auto insert = connection.prepare(QStringLiteral("insert into archive (%1) values (%2)")
                                         .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    QRandomGenerator r(1907);
    const int named = int(std::size(NamedRecords));
    for (int i = 0; i < records; ++i) {
        QMap<QString, QString> row;
        QString title;
        QString year = QString::number(1925 + r.bounded(80));
        QString director = pick(People, r);
        if (i < named) {
            title = QString::fromUtf8(NamedRecords[i].title);
            year = QString::fromUtf8(NamedRecords[i].year);
            director = QString::fromUtf8(NamedRecords[i].director);
        } else {
            title = pick(Words, r);
            for (int w = r.bounded(1, 4); w > 0; --w)
                title += QLatin1Char(' ') + pick(Words, r);
            if (r.bounded(6) == 0)
                title += QStringLiteral(" %1").arg(r.bounded(2, 12));
        }
        row[QStringLiteral("title")] = title;
        row[QStringLiteral("catalog")] = QStringLiteral("T%1").arg(1 + i / 3);
        row[QStringLiteral("md_type")] = pick(Media, r);
        row[QStringLiteral("md_format")] = r.bounded(4) == 0 ? QStringLiteral("NTSC") : QStringLiteral("PAL");
        row[QStringLiteral("md_image")] = r.bounded(3) == 0 ? QStringLiteral("Widescreen") : QStringLiteral("4:3");
        row[QStringLiteral("md_sound")] = QStringLiteral("Stereo");
        row[QStringLiteral("md_language")] = QStringLiteral("English");
        row[QStringLiteral("mv_country")] = pick(Countries, r);
        row[QStringLiteral("mv_year")] = year;
        row[QStringLiteral("mv_rating")] = QStringLiteral("%1.%2/10").arg(4 + r.bounded(5)).arg(r.bounded(10));
        row[QStringLiteral("mv_language")] = QStringLiteral("English");
        row[QStringLiteral("mv_color")] = r.bounded(4) == 0 ? QStringLiteral("Black and White") : QStringLiteral("Color");
        row[QStringLiteral("mv_sound")] = QStringLiteral("Mono");
        row[QStringLiteral("mv_genre")] = pick(Genres, r);
        row[QStringLiteral("mv_director")] = director;
        row[QStringLiteral("mv_producer")] = QStringLiteral("Studio %1").arg(r.bounded(30));
        row[QStringLiteral("mv_book")] = pick(People, r);
        row[QStringLiteral("mv_music")] = pick(People, r);
        for (int c = 1; c <= 6; ++c)
            row[QStringLiteral("mv_cast%1").arg(c)] = pick(People, r);
        row[QStringLiteral("quelto_id")] = QString::number(i + 1);
        row[QStringLiteral("quelto_location")] = pick(Locations, r);
        row[QStringLiteral("quelto_running_time")] = QString::number(70 + r.bounded(90));
        insert->reset();
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QString value = row.value(columns.at(c));
            if (value.isEmpty())
                insert->bind(int(c) + 1, QVariant());
            else
                insert->bind(int(c) + 1, value);
        }
        insert->step();
        if (coverEvery > 0 && i % coverEvery == 0) {
            const QByteArray picture = coverPicture(i + 1, r);
            collection::CoverStore::store(connection, i + 1,
                                          collection::CoverPicture(picture, QStringLiteral("jpeg"), {300, 450}));
        }
    }
    connection.exec(QStringLiteral("commit"));
}

} // namespace quelto::test
