#include "exchange/CsvColumns.h"

#include "catalog/CatalogSchema.h"

namespace quelto::exchange {
namespace {

QString s(const char* text) { return QString::fromLatin1(text); }

// Quelto's own columns, after the 24: {name, SQL type, conversion}.
std::vector<CsvColumn> ownColumns() { return {}; }

// Captions of Quelto's own columns.
std::vector<CsvCaption> ownCaptions() { return {}; }

} // namespace

const std::vector<CsvColumn>& CsvColumns::columns()
{
    static const std::vector<CsvColumn> all = [] {
        std::vector<CsvColumn> list;
        for (const QString& name : catalog::CatalogSchema::archiveColumns())
            list.push_back({name, {}, {}});
        for (CsvColumn& own : ownColumns())
            list.push_back(std::move(own));
        return list;
    }();
    return all;
}

const std::vector<CsvCaption>& CsvColumns::captions()
{
    static const std::vector<CsvCaption> all = [] {
        std::vector<CsvCaption> list = {
            {s("title"), {s("title")}},
            {s("catalog id"), {s("catalog")}},
            {s("catalog-id"), {s("catalog")}},
            {s("media-id"), {s("catalog")}},
            {s("media"), {s("md_type")}},
            {s("format"), {s("md_format")}},
            {s("image"), {s("md_image")}},
            {s("sound"), {s("md_sound"), s("mv_sound")}},
            {s("language"), {s("md_language")}},
            {s("country"), {s("mv_country")}},
            {s("year"), {s("mv_year")}},
            {s("imdb-rating"), {s("mv_rating")}},
            {s("rating"), {s("mv_rating")}},
            {s("orig. language"), {s("mv_language")}},
            {s("color"), {s("mv_color")}},
            {s("genre"), {s("mv_genre")}},
            {s("director"), {s("mv_director")}},
            {s("produced by"), {s("mv_producer")}},
            {s("book"), {s("mv_book")}},
            {s("music"), {s("mv_music")}},
            {s("cast"), {s("mv_cast6"), s("mv_cast1"), s("mv_cast2"), s("mv_cast3"), s("mv_cast4"), s("mv_cast5")}},
        };
        for (CsvCaption& own : ownCaptions())
            list.push_back(std::move(own));
        return list;
    }();
    return all;
}

QStringList CsvColumns::names()
{
    QStringList list;
    for (const CsvColumn& column : columns())
        list << column.name;
    return list;
}

int CsvColumns::indexOf(const QString& name)
{
    const std::vector<CsvColumn>& all = columns();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].name == name)
            return int(i);
    }
    return -1;
}

} // namespace quelto::exchange
