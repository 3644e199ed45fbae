#include "importing/CsvRows.h"

#include "catalog/EngineError.h"
#include "exchange/CsvReader.h"
#include "importing/ImportLimits.h"
#include "importing/LegacyText.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

namespace quelto::importing {

using catalog::EngineError;

CsvRows::CsvRows(const QByteArray& bytes, QString source)
    : m_source(std::move(source)), m_buffer(std::make_unique<QBuffer>()),
      m_record(std::make_unique<exchange::CsvRecord>())
{
    m_buffer->setData(LegacyText::toUtf8(bytes));
    m_buffer->open(QIODevice::ReadOnly);
    m_size = m_buffer->size();
    m_reader = std::make_unique<exchange::CsvReader>(*m_buffer);
    try {
        if (!m_reader->next(*m_record))
            throw EngineError(QStringLiteral("\"%1\" is empty.").arg(m_source));
    } catch (const EngineError& error) {
        throw EngineError(QStringLiteral("\"%1\" cannot be imported: %2").arg(m_source, error.message()));
    }
    for (size_t i = 0; i < m_record->fields.size(); ++i)
        m_columns.insert(m_record->fields[i].toString().trimmed().toLower(), int(i));
}

CsvRows::~CsvRows() = default;

bool CsvRows::next()
{
    try {
        return m_reader->next(*m_record);
    } catch (const EngineError& error) {
        throw EngineError(QStringLiteral("\"%1\" cannot be imported: %2").arg(m_source, error.message()));
    }
}

QString CsvRows::value(const QString& column) const
{
    const auto found = m_columns.constFind(column.toLower());
    if (found == m_columns.cend() || size_t(*found) >= m_record->fields.size())
        return {};
    return m_record->fields[size_t(*found)].toString().trimmed();
}

QString CsvRows::value(std::initializer_list<const char*> names) const
{
    for (const char* name : names) {
        if (has(QString::fromLatin1(name)))
            return value(QString::fromLatin1(name));
    }
    return {};
}

qint64 CsvRows::bytesRead() const { return m_reader->bytesRead(); }

QByteArray CsvRows::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EngineError(QStringLiteral("\"%1\" cannot be read: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.size() > ImportLimits::MaxTextBytes)
        throw EngineError(QStringLiteral("\"%1\" is larger than an import reads (%2 MB).")
                              .arg(QDir::toNativeSeparators(path))
                              .arg(ImportLimits::MaxTextBytes >> 20));
    return file.readAll();
}

} // namespace quelto::importing
