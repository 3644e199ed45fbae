#include "catalog/Database.h"

#include "catalog/CatalogFileCheck.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quelto::catalog {
namespace {

QString fileLabel(const QString& path) { return QDir::toNativeSeparators(path); }

QString columnDeclaration(const FieldDef& field)
{
    const QString type = field.type == FieldType::Text ? QStringLiteral("TEXT COLLATE NOCASE")
                                                       : QStringLiteral("SMALLINT");
    return SqlTranslator::quoteName(field.name) + QLatin1Char(' ') + type;
}

} // namespace

Database::Database(QString path, std::shared_ptr<SqliteConnection> connection)
    : m_path(std::move(path)), m_connection(std::move(connection))
{
}

Database::~Database() = default;

std::unique_ptr<Database> Database::create(const QString& path, const QString& collation)
{
    Q_UNUSED(collation) // every catalogue uses the general Western order
    if (QFileInfo::exists(path))
        throw EngineError(QStringLiteral("Cannot create \"%1\": the file exists already.").arg(fileLabel(path)));
    try {
        auto connection = SqliteConnection::open(path, SqliteConnection::Mode::CreateNew);
        connection->exec(QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = 1;").arg(ApplicationId));
        return std::unique_ptr<Database>(new Database(path, std::move(connection)));
    } catch (const EngineError& error) {
        QFile::remove(path); // leave no half-made file behind
        throw EngineError(QStringLiteral("Cannot create \"%1\": %2").arg(fileLabel(path), error.message()));
    }
}

bool Database::isWritableOnDisk(const QString& path)
{
    // The write bits count even for a user the system lets write anyway: a
    // file marked read-only is opened read-only.
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    return file.isWritable() && (file.permissions() & anyWrite) && folder.isWritable() &&
           (folder.permissions() & anyWrite);
}

std::unique_ptr<Database> Database::open(const QString& path)
{
    const CatalogFileCheck::Kind kind = CatalogFileCheck::inspect(path);
    if (kind != CatalogFileCheck::Kind::SqliteDatabase && kind != CatalogFileCheck::Kind::Truncated)
        CatalogFileCheck::requireDatabase(path);
    const bool writable = isWritableOnDisk(path);
    std::shared_ptr<SqliteConnection> connection;
    try {
        connection = SqliteConnection::open(path, writable ? SqliteConnection::Mode::OpenExisting
                                                           : SqliteConnection::Mode::OpenReadOnly);
        // Reading the schema proves the file is a readable database; the
        // engine first rolls back a write that was interrupted (hot journal).
        auto statement = connection->prepare(QStringLiteral("select count(*) from sqlite_master"));
        statement->step();
    } catch (const EngineError& error) {
        CatalogFileCheck::requireDatabase(path); // a header cut short
        if (error.kind() != EngineError::Kind::Other)
            throw;
        throw EngineError(QStringLiteral("The file \"%1\" cannot be opened as a catalogue: %2")
                              .arg(fileLabel(path), error.message()));
    }
    CatalogFileCheck::requireDatabase(path);
    // A catalogue made before the mark existed gains it with its first change.
    connection->setApplicationId(ApplicationId);
    if (!writable || connection->isReadOnly()) {
        connection->refuseWrites(EngineError(
            EngineError::Kind::ReadOnly,
            QStringLiteral("The catalogue \"%1\" is read-only: the file or its folder cannot be written.")
                .arg(fileLabel(path))));
    }
    return std::unique_ptr<Database>(new Database(path, std::move(connection)));
}

bool Database::isReadOnly() const
{
    requireOpen();
    return m_connection->isReadOnly();
}

void Database::requireOpen() const
{
    if (!m_connection)
        throw EngineError(QStringLiteral("The database is closed."));
}

void Database::appendTable(const TableDef& definition)
{
    requireOpen();
    if (definition.fields().empty())
        throw EngineError(QStringLiteral("The table \"%1\" has no fields.").arg(definition.name()));
    QStringList columns;
    for (const FieldDef& field : definition.fields())
        columns << columnDeclaration(field);
    m_namesValid = false;
    WriteTransaction transaction(*m_connection);
    m_connection->exec(QStringLiteral("create table %1 (%2)")
                           .arg(SqlTranslator::quoteName(definition.name()), columns.join(QStringLiteral(", "))));
    transaction.commit();
}

bool Database::hasTable(const QString& name) const
{
    requireOpen();
    auto statement = m_connection->prepare(
        QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?1 collate nocase"));
    statement->bind(1, name);
    return statement->step();
}

QStringList Database::tableNames() const
{
    requireOpen();
    QStringList names;
    auto statement = m_connection->prepare(
        QStringLiteral("select name from sqlite_master where type = 'table' and substr(name, 1, 7) <> 'sqlite_' "
                       "order by rowid"));
    while (statement->step())
        names << statement->value(0).toString();
    return names;
}

int Database::applicationId() const
{
    requireOpen();
    auto statement = m_connection->prepare(QStringLiteral("pragma application_id"));
    return statement->step() ? statement->value(0).toInt() : 0;
}

void Database::refreshNames()
{
    m_names.clear();
    for (const QString& table : tableNames()) {
        m_names.insert(table.toLower());
        auto info = m_connection->prepare(QStringLiteral("pragma table_info(%1)").arg(SqlTranslator::quoteName(table)));
        while (info->step())
            m_names.insert(info->value(1).toString().toLower());
    }
    m_namesValid = true;
}

QString Database::translate(const QString& sql)
{
    requireOpen();
    if (!m_namesValid)
        refreshNames();
    return SqlTranslator(m_names).translate(sql);
}

std::unique_ptr<RecordSet> Database::openRecordSet(const QString& sql)
{
    return std::make_unique<RecordSet>(m_connection, sql, translate(sql));
}

std::unique_ptr<RecordSet> Database::openRecordSet(const QString& sql, std::vector<qint64> keys)
{
    return std::make_unique<RecordSet>(m_connection, sql, translate(sql), std::move(keys));
}

void Database::close() { m_connection.reset(); }

} // namespace quelto::catalog
