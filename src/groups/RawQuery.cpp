#include "groups/RawQuery.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

#include <sqlite3.h>

namespace quelto::groups {

RawQuery::RawQuery(catalog::SqliteConnection& connection, const QString& sql) : m_connection(connection)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &m_statement, nullptr);
    if (rc != SQLITE_OK)
        throw connection.failure(rc);
}

RawQuery::~RawQuery() { sqlite3_finalize(m_statement); }

void RawQuery::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const int rc = sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        throw m_connection.failure(rc);
}

bool RawQuery::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const catalog::EngineError error = m_connection.failure(rc);
    sqlite3_reset(m_statement);
    throw error;
}

bool RawQuery::isNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }

bool RawQuery::isInteger(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER; }

std::string_view RawQuery::text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!text)
        return {};
    return {text, size_t(sqlite3_column_bytes(m_statement, column))};
}

std::optional<std::string_view> RawQuery::value(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!text)
        return std::nullopt; // Null (or no memory left to turn a number into text)
    return std::string_view(text, size_t(sqlite3_column_bytes(m_statement, column)));
}

std::optional<std::string_view> RawQuery::blob(int column) const
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
    if (!bytes)
        return std::nullopt;
    return std::string_view(bytes, size_t(sqlite3_column_bytes(m_statement, column)));
}

qint64 RawQuery::integer(int column) const { return sqlite3_column_int64(m_statement, column); }

double RawQuery::real(int column) const { return sqlite3_column_double(m_statement, column); }

QStringList RawQuery::tableColumns(catalog::SqliteConnection& connection, const QString& table)
{
    QStringList columns;
    RawQuery info(connection, QStringLiteral("select name from pragma_table_info(?1)"));
    info.bind(1, table);
    while (info.step())
        columns << QString::fromUtf8(info.text(0)).toLower();
    return columns;
}

} // namespace quelto::groups
