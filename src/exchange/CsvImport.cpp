#include "exchange/CsvImport.h"

#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "exchange/CsvReader.h"

#include <QDir>
#include <QFile>

namespace quelto::exchange {
namespace {

using catalog::CatalogSchema;
using catalog::EngineError;

constexpr int kMaxText = 255;

bool isMovieField(const QString& column) { return column.startsWith(QLatin1String("mv_")); }

} // namespace

CsvImport CsvImport::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EngineError(
            QStringLiteral("The file \"%1\" cannot be read: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return CsvImport(file.readAll());
}

CsvImport::CsvImport(const QByteArray& bytes)
{
    const std::vector<CsvRecord> records = CsvReader::parse(bytes);
    if (records.empty())
        throw EngineError(QStringLiteral("The CSV file is empty: its first line must name the columns."));
    m_header.emplace(records.front().fields);
    for (size_t i = 1; i < records.size(); ++i) {
        if (std::optional<std::vector<QVariant>> values = check(records[i].fields, records[i].line))
            m_records.push_back(std::move(*values));
    }
}

std::optional<std::vector<QVariant>> CsvImport::check(const std::vector<QVariant>& fields, int line)
{
    const QStringList& columns = m_header->columns();
    if (fields.size() != size_t(columns.size())) {
        m_refused.push_back({line, QStringLiteral("%1 fields where the first line names %2 columns")
                                       .arg(fields.size())
                                       .arg(columns.size())});
        return std::nullopt;
    }
    const QStringList& archive = CatalogSchema::archiveColumns();
    std::vector<QVariant> values(size_t(archive.size()));
    QStringList problems;
    for (qsizetype f = 0; f < columns.size(); ++f) {
        const QString& column = columns.at(f);
        const QVariant& field = fields[size_t(f)];
        if (column.isEmpty() || !field.isValid())
            continue;
        QString text = field.toString();
        if (text.isEmpty()) {
            if (!isMovieField(column))
                continue; // Null, like a missing medium; title and catalogue ID are checked below
            text = column == QLatin1String("mv_rating") ? QStringLiteral("unknown") : QStringLiteral(" ");
        }
        if (text.size() > kMaxText)
            problems << QStringLiteral("%1 is %2 characters long, more than %3").arg(column).arg(text.size()).arg(kMaxText);
        values[size_t(archive.indexOf(column))] = text;
    }
    const auto isBlank = [&](const char* column) {
        const QVariant& v = values[size_t(archive.indexOf(QString::fromLatin1(column)))];
        return !v.isValid() || v.toString().trimmed().isEmpty();
    };
    if (isBlank("title"))
        problems.prepend(QStringLiteral("no title"));
    if (isBlank("catalog"))
        problems.prepend(QStringLiteral("no catalogue ID"));
    if (!problems.isEmpty()) {
        m_refused.push_back({line, problems.join(QStringLiteral("; "))});
        return std::nullopt;
    }
    return values;
}

int CsvImport::append(catalog::Database& db) const
{
    const std::shared_ptr<catalog::SqliteConnection> connection = db.connection();
    QStringList names;
    QStringList marks;
    for (const QString& column : CatalogSchema::archiveColumns()) {
        names << catalog::SqlTranslator::quoteName(column);
        marks << QStringLiteral("?");
    }
    connection->exec(QStringLiteral("begin"));
    try {
        auto insert = connection->prepare(QStringLiteral("insert into archive (%1) values (%2)")
                                              .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        for (const std::vector<QVariant>& record : m_records) {
            for (size_t c = 0; c < record.size(); ++c)
                insert->bind(int(c) + 1, record[c]);
            insert->step();
            insert->reset();
        }
        insert.reset();
        connection->exec(QStringLiteral("commit"));
    } catch (const EngineError&) {
        try {
            connection->exec(QStringLiteral("rollback"));
        } catch (const EngineError&) {
        }
        throw;
    }
    return int(m_records.size());
}

QString CsvImport::describe(const std::vector<RefusedRow>& rows, int limit)
{
    QStringList lines;
    for (const RefusedRow& row : rows) {
        if (lines.size() == limit) {
            lines << QStringLiteral("... and %1 more.").arg(rows.size() - size_t(limit));
            break;
        }
        lines << QStringLiteral("Line %1: %2").arg(row.line).arg(row.reason);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace quelto::exchange
