#include "exchange/CsvHeader.h"

#include "catalog/CatalogSchema.h"
#include "catalog/EngineError.h"

#include <utility>

namespace quelto::exchange {
namespace {

using catalog::EngineError;

// Field captions of the main window and the columns they stand for, in the
// window's order.
const std::vector<std::pair<QString, QStringList>>& captions()
{
    auto s = [](const char* text) { return QString::fromLatin1(text); };
    static const std::vector<std::pair<QString, QStringList>> table = {
        {s("title"), {s("title")}},
        {s("catalog"), {s("catalog")}},
        {s("catalog id"), {s("catalog")}},
        {s("catalog-id"), {s("catalog")}},
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
    return table;
}

} // namespace

CsvHeader::CsvHeader(const std::vector<QVariant>& names)
{
    const QStringList& archive = catalog::CatalogSchema::archiveColumns();
    for (const QVariant& field : names) {
        const QString written = field.toString();
        const QString name = written.trimmed().toLower();
        QString column;
        for (const QString& candidate : archive) {
            if (candidate == name)
                column = candidate;
        }
        if (column.isEmpty()) {
            for (const auto& [caption, columns] : captions()) {
                if (caption != name)
                    continue;
                // The caption's next field that no earlier name took.
                for (const QString& candidate : columns) {
                    if (!m_columns.contains(candidate)) {
                        column = candidate;
                        break;
                    }
                }
                if (column.isEmpty())
                    column = columns.first(); // reported as named twice below
            }
        }
        if (column.isEmpty()) {
            m_ignored << written;
        } else if (m_columns.contains(column)) {
            throw EngineError(QStringLiteral("The CSV file names the column %1 twice (\"%2\").").arg(column, written));
        }
        m_columns << column;
    }
    for (const auto& [column, what] : {std::pair{"title", "title"}, std::pair{"catalog", "catalogue ID"}}) {
        if (!m_columns.contains(QString::fromLatin1(column)))
            throw EngineError(QStringLiteral("The CSV file has no column for the %1: its first line must name the "
                                             "columns, among them \"%2\".")
                                  .arg(QString::fromLatin1(what), QString::fromLatin1(column)));
    }
}

QStringList CsvHeader::missing() const
{
    QStringList result;
    for (const QString& column : catalog::CatalogSchema::archiveColumns()) {
        if (!m_columns.contains(column))
            result << column;
    }
    return result;
}

} // namespace quelto::exchange
