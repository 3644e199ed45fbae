#include "catalog/KeyedRowReader.h"

#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

namespace quelto::catalog {

KeyedRowReader::KeyedRowReader() = default;

KeyedRowReader::~KeyedRowReader() = default;

void KeyedRowReader::reset()
{
    m_valid = false;
    m_statement.reset();
}

const std::vector<QVariant>& KeyedRowReader::row(SqliteConnection& connection, const QString& table, qint64 key)
{
    if (m_valid && m_key == key)
        return m_row;
    if (!m_statement || m_statementGeneration != connection.generation()) {
        m_statementGeneration = connection.generation();
        m_statement = connection.prepare(QStringLiteral("select * from %1 where rowid = ?")
                                             .arg(SqlTranslator::quoteName(table)));
    }
    m_statement->reset();
    m_statement->bindInt64(1, key);
    if (!m_statement->step()) {
        m_statement->reset();
        throw EngineError(EngineError::Kind::Deleted, QStringLiteral("Record is deleted."));
    }
    const int columns = m_statement->columnCount();
    m_row.resize(columns);
    for (int c = 0; c < columns; ++c)
        m_row[c] = m_statement->value(c);
    m_statement->reset();
    m_key = key;
    m_valid = true;
    return m_row;
}

} // namespace quelto::catalog
