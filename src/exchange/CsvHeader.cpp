#include "exchange/CsvHeader.h"

#include "catalog/EngineError.h"
#include "exchange/CsvColumns.h"

#include <utility>

namespace quelto::exchange {

using catalog::EngineError;

CsvHeader::CsvHeader(const std::vector<QVariant>& names)
{
    const QStringList known = CsvColumns::names() << CsvColumns::CoverColumn << CsvColumns::TapeLengthColumn
                                               << CsvColumns::SourceColumn << CsvColumns::CastRolesColumn;
    for (const QVariant& field : names) {
        const QString written = field.toString();
        if (written.contains(QChar(0)))
            throw EngineError(QStringLiteral("The first line of the CSV file holds NUL characters; is the file "
                                             "UTF-16 text? Save it as UTF-8 and import it again."));
        const QString name = written.trimmed().toLower();
        QString column = known.contains(name) ? name : QString();
        if (column.isEmpty()) {
            for (const CsvCaption& caption : CsvColumns::captions()) {
                if (caption.caption != name)
                    continue;
                // The caption's next field that no earlier name took.
                for (const QString& candidate : caption.columns) {
                    if (!m_columns.contains(candidate)) {
                        column = candidate;
                        break;
                    }
                }
                if (column.isEmpty())
                    column = caption.columns.first(); // reported as named twice below
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
    for (const QString& column : CsvColumns::names()) {
        if (!m_columns.contains(column))
            result << column;
    }
    return result;
}

} // namespace quelto::exchange
