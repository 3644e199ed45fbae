#include "exchange/CsvWriter.h"

#include "catalog/EngineError.h"

#include <QIODevice>

#include <cstring>

namespace quelto::exchange {
namespace {

constexpr qsizetype BlockBytes = 256 * 1024;

} // namespace

CsvWriter::CsvWriter(QIODevice& out) : m_out(out)
{
    // One block, kept for every block written.
    m_buffer.reserve(BlockBytes + 64 * 1024);
}

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

void CsvWriter::appendField(QByteArray& record, QByteArrayView utf8)
{
    const char* text = utf8.data();
    if (!text)
        return;
    const char* const end = text + utf8.size();
    record += '"';
    while (const void* quote = std::memchr(text, '"', size_t(end - text))) {
        const char* const at = static_cast<const char*>(quote);
        record.append(text, at - text + 1);
        record += '"';
        text = at + 1;
    }
    record.append(text, end - text);
    record += '"';
}

void CsvWriter::addField(QByteArrayView utf8)
{
    separate();
    appendField(m_buffer, utf8);
}

void CsvWriter::addNull() { separate(); }

void CsvWriter::endRecord()
{
    m_buffer += "\r\n";
    m_recordStarted = false;
    flushFull();
}

void CsvWriter::addRecord(QByteArrayView bytes)
{
    m_buffer += bytes;
    flushFull();
}

void CsvWriter::flushFull()
{
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
    m_buffer.resize(0);
}

} // namespace quelto::exchange
