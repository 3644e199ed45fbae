#include "catalog/ArchiveReader.h"

#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

#include <sqlite3.h>

namespace quelto::catalog {

ArchiveReader::ArchiveReader(const QString& path, const QStringList& columns)
    : m_connection(SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly)), m_columns(columns)
{
    m_connection->exec(QStringLiteral("begin"));
    m_inTransaction = true;
    QStringList present;
    auto info = m_connection->prepare(QStringLiteral("pragma table_info(archive)"));
    while (info->step())
        present << info->value(1).toString().toLower();
    if (present.isEmpty())
        throw EngineError(QStringLiteral("The catalogue has no records (no table archive)."));
    int next = 1; // column 0 is the rowid
    for (const QString& column : m_columns)
        m_statementColumn.push_back(present.contains(column.toLower()) ? next++ : -1);
}

ArchiveReader::~ArchiveReader() { finish(); }

void ArchiveReader::finish()
{
    if (m_statement) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
    if (m_inTransaction) {
        m_inTransaction = false;
        try {
            m_connection->exec(QStringLiteral("commit"));
        } catch (const EngineError&) {
        }
    }
}

QString ArchiveReader::selectList() const
{
    QStringList names{QStringLiteral("rowid")};
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_statementColumn[size_t(i)] >= 0)
            names << QStringLiteral("archive.") + SqlTranslator::quoteName(m_columns.at(i));
    }
    return names.join(QStringLiteral(", "));
}

void ArchiveReader::prepare(const QString& sql)
{
    if (m_statement) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_connection->handle(), utf8.constData(), int(utf8.size()), &m_statement, nullptr);
    if (rc != SQLITE_OK)
        throw m_connection->failure(rc);
    m_onRow = false;
}

void ArchiveReader::readKeys(std::vector<qint64> keys)
{
    prepare(QStringLiteral("select %1 from archive where rowid = ?").arg(selectList()));
    m_keys = std::move(keys);
    m_nextKey = 0;
    m_byKey = true;
}

void ArchiveReader::readQuery(const QString& translatedSql)
{
    const QString head = QStringLiteral("select * from ");
    if (!translatedSql.startsWith(head, Qt::CaseInsensitive))
        throw EngineError(QStringLiteral("Only the records of archive can be read this way."));
    prepare(QStringLiteral("select %1 from %2").arg(selectList(), translatedSql.mid(head.size())));
    m_byKey = false;
}

void ArchiveReader::readAll() { readQuery(QStringLiteral("select * from archive")); }

bool ArchiveReader::next()
{
    if (!m_statement)
        return false;
    for (;;) {
        if (m_byKey) {
            if (m_nextKey >= m_keys.size()) {
                m_onRow = false;
                return false;
            }
            sqlite3_reset(m_statement);
            sqlite3_bind_int64(m_statement, 1, m_keys[m_nextKey++]);
        }
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW) {
            m_onRow = true;
            return true;
        }
        if (rc != SQLITE_DONE)
            throw m_connection->failure(rc);
        if (!m_byKey) {
            m_onRow = false;
            return false;
        }
        // That row is gone; go on with the next key.
    }
}

qint64 ArchiveReader::rowid() const { return m_onRow ? sqlite3_column_int64(m_statement, 0) : 0; }

bool ArchiveReader::isNull(int column) const
{
    const int c = m_statementColumn[size_t(column)];
    return !m_onRow || c < 0 || sqlite3_column_type(m_statement, c) == SQLITE_NULL;
}

QByteArrayView ArchiveReader::utf8(int column) const
{
    const int c = m_statementColumn[size_t(column)];
    if (!m_onRow || c < 0)
        return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, c));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement, c)) : QByteArrayView();
}

QString ArchiveReader::text(int column) const { return QString::fromUtf8(utf8(column)); }

QVariant ArchiveReader::value(int column) const
{
    const int c = m_statementColumn[size_t(column)];
    if (!m_onRow || c < 0)
        return {};
    switch (sqlite3_column_type(m_statement, c)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, c)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, c));
    default:
        return QVariant(text(column));
    }
}

std::vector<qint64> ArchiveReader::keysOf(const QString& path, const QString& keyQuery)
{
    const std::shared_ptr<SqliteConnection> connection =
        SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
    auto statement = connection->prepare(keyQuery);
    std::vector<qint64> keys;
    while (statement->step())
        keys.push_back(statement->int64(0));
    return keys;
}

qint64 ArchiveReader::maxRowid()
{
    auto statement = m_connection->prepare(QStringLiteral("select max(rowid) from archive"));
    return statement->step() ? statement->value(0).toLongLong() : 0;
}

} // namespace quelto::catalog
