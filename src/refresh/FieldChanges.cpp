#include "refresh/FieldChanges.h"

#include <functional>
#include <vector>

namespace quelto::refresh {

using weblookup::ComboField;
using weblookup::LookupFields;

namespace {

// A grab's field: its archive column, its caption and where it is held.
struct Field
{
    QString column;
    QString caption;
    std::function<QString(const LookupFields&)> text;
    std::function<void(LookupFields&, const QString&)> set;
};

Field plain(const char* column, const char* caption, QString LookupFields::*member)
{
    return {QString::fromLatin1(column), QString::fromLatin1(caption),
            [member](const LookupFields& f) { return f.*member; },
            [member](LookupFields& f, const QString& value) { f.*member = value; }};
}

Field combo(const char* column, const char* caption, ComboField LookupFields::*member)
{
    return {QString::fromLatin1(column), QString::fromLatin1(caption),
            [member](const LookupFields& f) { return (f.*member).text; },
            [member](LookupFields& f, const QString& value) { (f.*member).set(value); }};
}

Field castSlot(int slot)
{
    // Slot 0 is stored in mv_cast6, slots 1 to 5 in mv_cast1 to mv_cast5.
    return {slot == 0 ? QStringLiteral("mv_cast6") : QStringLiteral("mv_cast%1").arg(slot),
            QStringLiteral("Cast %1").arg(slot + 1),
            [slot](const LookupFields& f) { return f.mvCast[size_t(slot)].text; },
            [slot](LookupFields& f, const QString& value) { f.mvCast[size_t(slot)].set(value); }};
}

const std::vector<Field>& fields()
{
    static const std::vector<Field> all = [] {
        std::vector<Field> list = {
            plain("title", "Title", &LookupFields::title),
            plain("mv_year", "Year", &LookupFields::mv_year),
            combo("mv_director", "Director", &LookupFields::mvDirector),
            combo("mv_genre", "Genre", &LookupFields::mvGenre),
            combo("mv_country", "Country", &LookupFields::mv_country),
            combo("mv_language", "Language", &LookupFields::mv_lang),
            combo("mv_color", "Colour", &LookupFields::mvColor),
            combo("mv_sound", "Sound", &LookupFields::mvSound),
            plain("mv_rating", "Rating", &LookupFields::mvRanking),
            combo("mv_book", "Writer", &LookupFields::mvBook),
        };
        for (int slot = 0; slot < LookupFields::castSlots; ++slot)
            list.push_back(castSlot(slot));
        list.push_back(combo("mv_music", "Music", &LookupFields::mvMusic));
        list.push_back(combo("mv_producer", "Company", &LookupFields::mvProducer));
        return list;
    }();
    return all;
}

bool sameValue(const QString& a, const QString& b)
{
    return a.simplified().compare(b.simplified(), Qt::CaseInsensitive) == 0;
}

} // namespace

QList<FieldChange> FieldChanges::between(const LookupFields& shown, const LookupFields& grabbed)
{
    QList<FieldChange> changes;
    for (const Field& field : fields()) {
        const QString after = field.text(grabbed).simplified();
        const QString before = field.text(shown);
        if (after.isEmpty() || sameValue(before, after))
            continue;
        changes.append({field.column, field.caption, before, after});
    }
    return changes;
}

FieldChange FieldChanges::castChange(const QList<collection::CastRole>& kept, const QList<collection::CastRole>& grabbed)
{
    if (grabbed.isEmpty() || kept == grabbed)
        return {};
    return {CharactersColumn, QStringLiteral("Characters"), collection::CastRoles::asLines(kept),
            collection::CastRoles::asLines(grabbed)};
}

LookupFields FieldChanges::applied(const LookupFields& shown, const LookupFields& grabbed, const QSet<QString>& taken)
{
    LookupFields result = shown;
    for (const Field& field : fields()) {
        const QString value = field.text(grabbed).simplified();
        if (taken.contains(field.column) && !value.isEmpty())
            field.set(result, value);
    }
    return result;
}

} // namespace quelto::refresh
