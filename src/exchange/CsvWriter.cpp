#include "exchange/CsvWriter.h"

#include "catalog/EngineError.h"

#include <QIODevice>

#include <csv.h>

namespace quelto::exchange {

void CsvWriter::writeRecord(const std::vector<QVariant>& fields)
{
    m_line.clear();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_line += ',';
        const QVariant& field = fields[i];
        if (!field.isValid() || field.isNull())
            continue;
        const QByteArray utf8 = field.toString().toUtf8();
        m_quoted.resize(utf8.size() * 2 + 2);
        const size_t written = csv_write(m_quoted.data(), size_t(m_quoted.size()), utf8.constData(), size_t(utf8.size()));
        m_line.append(m_quoted.constData(), qsizetype(written));
    }
    m_line += "\r\n";
    if (m_out.write(m_line) != m_line.size())
        throw catalog::EngineError(QStringLiteral("The CSV file cannot be written: %1").arg(m_out.errorString()));
}

} // namespace quelto::exchange
