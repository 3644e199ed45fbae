#include "groups/GroupField.h"

namespace quelto::groups {

const std::vector<GroupField>& GroupField::all()
{
    using Kind = GroupField::Kind;
    const auto text = [](const char* id, const char* caption, const char* column) {
        return GroupField{QString::fromLatin1(id), QString::fromLatin1(caption), QString::fromLatin1(column), Kind::Text};
    };
    const auto list = [&](const char* id, const char* caption, const char* column) {
        GroupField field = text(id, caption, column);
        field.list = true;
        return field;
    };
    static const std::vector<GroupField> fields = {
        text("medium", "Medium", "md_type"),
        list("genre", "Genre", "mv_genre"),
        list("director", "Director", "mv_director"),
        {QStringLiteral("decade"), QStringLiteral("Decade"), QStringLiteral("mv_year"), Kind::Decade},
        text("year", "Year", "mv_year"),
        list("country", "Country", "mv_country"),
        list("language", "Language", "mv_language"),
        text("location", "Location", "quelto_location"),
        text("condition", "Condition", "quelto_condition"),
        {QStringLiteral("myrating"), QStringLiteral("My rating"), QStringLiteral("quelto_my_rating"), Kind::Number},
        {QStringLiteral("borrower"), QStringLiteral("Borrower"), QStringLiteral("catalog"), Kind::Borrower},
        {QStringLiteral("cast"), QStringLiteral("Cast"), QString(), Kind::Cast},
        text("tape", "Media-ID", "catalog"),
        text("format", "Format", "md_format"),
        text("image", "Image", "md_image"),
        text("mediasound", "Media sound", "md_sound"),
        text("medialanguage", "Media language", "md_language"),
        {QStringLiteral("rating"), QStringLiteral("IMDb-Rating"), QStringLiteral("mv_rating"), Kind::Rating},
        text("color", "Color", "mv_color"),
        text("sound", "Sound", "mv_sound"),
        text("producer", "Produced by", "mv_producer"),
        text("book", "Book", "mv_book"),
        text("music", "Music", "mv_music"),
        {QStringLiteral("seen"), QStringLiteral("Seen"), QStringLiteral("quelto_seen"), Kind::Seen},
        text("speed", "Speed", "quelto_speed"),
    };
    return fields;
}

const GroupField* GroupField::byId(const QString& id)
{
    for (const GroupField& field : all()) {
        if (field.id == id)
            return &field;
    }
    return nullptr;
}

const GroupField& GroupField::defaultField() { return *byId(QStringLiteral("genre")); }

QStringList GroupField::columns() const
{
    if (kind == Kind::Cast) {
        return {QStringLiteral("mv_cast6"), QStringLiteral("mv_cast1"), QStringLiteral("mv_cast2"),
                QStringLiteral("mv_cast3"), QStringLiteral("mv_cast4"), QStringLiteral("mv_cast5")};
    }
    return {column};
}

} // namespace quelto::groups
