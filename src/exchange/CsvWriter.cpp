#include "exchange/CsvWriter.h"

#include "catalog/EngineError.h"

#include <QIODevice>

#include <csv.h>

namespace quelto::exchange {
namespace {

constexpr qsizetype BlockBytes = 256 * 1024;

} // namespace

CsvWriter::~CsvWriter()
{
    if (!m_buffer.isEmpty())
        m_out.write(m_buffer);
}

void CsvWriter::separate()
{
    if (m_recordStarted)
        m_buffer += ',';
    m_recordStarted = true;
}

void CsvWriter::addField(QByteArrayView utf8)
{
    separate();
    const qsizetype start = m_buffer.size();
    m_buffer.resize(start + utf8.size() * 2 + 2);
    const size_t written = csv_write(m_buffer.data() + start, size_t(utf8.size() * 2 + 2), utf8.data(), size_t(utf8.size()));
    m_buffer.resize(start + qsizetype(written));
}

void CsvWriter::addNull() { separate(); }

void CsvWriter::endRecord()
{
    m_buffer += "\r\n";
    m_recordStarted = false;
    if (m_buffer.size() >= BlockBytes)
        finish();
}

void CsvWriter::writeRecord(const std::vector<QVariant>& fields)
{
    for (const QVariant& field : fields) {
        if (!field.isValid() || field.isNull())
            addNull();
        else
            addField(field.toString().toUtf8());
    }
    endRecord();
}

void CsvWriter::finish()
{
    if (m_buffer.isEmpty())
        return;
    if (m_out.write(m_buffer) != m_buffer.size())
        throw catalog::EngineError(QStringLiteral("The CSV file cannot be written: %1").arg(m_out.errorString()));
    m_buffer.clear();
}

} // namespace quelto::exchange
