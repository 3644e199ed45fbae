#include "exchange/CsvColumns.h"

#include "catalog/ArchiveColumns.h"
#include "catalog/CatalogSchema.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/PersonalFormat.h"

#include <cmath>

namespace quelto::exchange {
namespace {

QString s(const char* text) { return QString::fromLatin1(text); }

using collection::PersonalFormat;
using Convert = std::function<QVariant(const QString&, QString&)>;

// A parse of the personal fields as the conversion of a column.
Convert parsed(PersonalFormat::Parsed (*parse)(const QString&))
{
    return [parse](const QString& text, QString& problem) {
        PersonalFormat::Parsed result = parse(text);
        problem = result.problem;
        return result.value;
    };
}

PersonalFormat::Parsed parseIdentity(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {};
    bool ok = false;
    const qlonglong id = text.trimmed().toLongLong(&ok);
    if (!ok || id <= 0)
        return {QVariant(), QStringLiteral("\"%1\" is not a record identity (a whole number above 0).").arg(text)};
    return {id, {}};
}

// Half stars from 0.5 to 5, written as numbers ("3.5", "4.0"; a comma is taken
// for the point); 0 means not rated.
PersonalFormat::Parsed parseRating(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    bool ok = false;
    const double value = QString(trimmed).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    const double halves = value * 2;
    if (!ok || halves < 0 || halves > 10 || std::abs(halves - std::round(halves)) > 1e-6)
        return {QVariant(), QStringLiteral("\"%1\" is not a rating from 0.5 to 5 in half stars.").arg(text)};
    return {PersonalFormat::ratingValue(int(std::lround(halves))), {}};
}

PersonalFormat::Parsed parseIsoDate(const QString& text) { return PersonalFormat::parseDate(text, QLocale::c()); }

// A date, or "seen" without one.
PersonalFormat::Parsed parseSeen(const QString& text)
{
    if (text.trimmed().compare(PersonalFormat::SeenWithoutDate, Qt::CaseInsensitive) == 0)
        return {PersonalFormat::SeenWithoutDate, {}};
    PersonalFormat::Parsed date = parseIsoDate(text);
    if (!date.ok())
        date.problem = QStringLiteral("\"%1\" is neither a date (like 2024-05-31) nor \"seen\".").arg(text);
    return date;
}

// The file's own number form first (12.50), then the user's (12,50 €).
PersonalFormat::Parsed parsePrice(const QString& text)
{
    PersonalFormat::Parsed plain = PersonalFormat::parsePrice(text, QLocale::c());
    if (plain.ok())
        return plain;
    PersonalFormat::Parsed local = PersonalFormat::parsePrice(text);
    return local.ok() ? local : plain;
}

PersonalFormat::Parsed parseNotes(const QString& text)
{
    return PersonalFormat::parseText(text, PersonalFormat::MaxNotesLength);
}

PersonalFormat::Parsed parseShortText(const QString& text) { return PersonalFormat::parseText(text); }

PersonalFormat::Parsed parseSpeed(const QString& text)
{
    const QString speed = text.trimmed().toUpper();
    if (speed.isEmpty())
        return {};
    if (speed != QLatin1String("SP") && speed != QLatin1String("LP") && speed != QLatin1String("EP"))
        return {QVariant(), QStringLiteral("\"%1\" is not a recording speed (SP, LP or EP).").arg(text)};
    return {speed, {}};
}

// Quelto's own columns, after the 24, in the order of the catalogue's schema.
std::vector<CsvColumn> ownColumns()
{
    const std::pair<const char*, PersonalFormat::Parsed (*)(const QString&)> parsers[] = {
        {"quelto_id", parseIdentity},
        {"quelto_my_rating", parseRating},
        {"quelto_seen", parseSeen},
        {"quelto_notes", parseNotes},
        {"quelto_location", parseShortText},
        {"quelto_purchased", parseIsoDate},
        {"quelto_price", parsePrice},
        {"quelto_condition", parseShortText},
        {"quelto_running_time", PersonalFormat::parseRunningTime},
        {"quelto_speed", parseSpeed},
    };
    std::vector<CsvColumn> list;
    for (const collection::CollectorSchema::Column& column : collection::CollectorSchema::archiveColumns()) {
        for (const auto& [name, parse] : parsers) {
            if (column.name == QLatin1String(name))
                list.push_back({column.name, column.type, parsed(parse)});
        }
    }
    return list;
}

// The captions of the personal fields in the main window.
std::vector<CsvCaption> ownCaptions()
{
    return {
        {s("my rating"), {s("quelto_my_rating")}},
        {s("seen"), {s("quelto_seen")}},
        {s("notes"), {s("quelto_notes")}},
        {s("location"), {s("quelto_location")}},
        {s("purchased"), {s("quelto_purchased")}},
        {s("price"), {s("quelto_price")}},
        {s("condition"), {s("quelto_condition")}},
        {s("running time"), {s("quelto_running_time")}},
        {s("play speed"), {s("quelto_speed")}},
        {s("speed"), {s("quelto_speed")}},
        {s("tape length"), {CsvColumns::TapeLengthColumn}},
    };
}

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

QStringList CsvColumns::namesIn(catalog::SqliteConnection& connection)
{
    const QStringList present = catalog::ArchiveColumns::present(connection);
    QStringList result = catalog::CatalogSchema::archiveColumns();
    for (const CsvColumn& column : columns()) {
        if (!column.ownType.isEmpty() && present.contains(column.name))
            result << column.name;
    }
    return result;
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
