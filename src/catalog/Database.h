#pragma once

#include "catalog/TableDef.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace quelto::catalog {

class RecordSet;
class SqliteConnection;

// An open catalogue file. Every failure is thrown as EngineError.
class Database
{
public:
    // The collation string of a new catalogue: the general Western sort order.
    static inline const QString GeneralCollation = QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0");
    // This program's mark in the file header (pragma application_id), ASCII
    // "QELT": the desktop tells a catalogue from other SQLite files by it.
    static constexpr int ApplicationId = 0x51454C54;

    // Creates a new, empty database file; the path must name no existing file.
    static std::unique_ptr<Database> create(const QString& path, const QString& collation = GeneralCollation);
    // Opens an existing database file, shared, for reading and writing. A file
    // that is no database is refused before anything touches it. A file that
    // cannot be written, or lies in a folder that cannot, is opened read-only
    // and refuses every write with an error of kind ReadOnly.
    static std::unique_ptr<Database> open(const QString& path);
    static bool isWritableOnDisk(const QString& path);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return m_path; }
    bool isOpen() const { return m_connection != nullptr; }
    bool isReadOnly() const;

    // Creates the table; throws when a table of that name exists already.
    void appendTable(const TableDef& definition);
    bool hasTable(const QString& name) const;
    QStringList tableNames() const;

    // A file without an id gains this program's with its first stored
    // change (SqliteConnection::beginWrite); another program's id stays.
    int applicationId() const;

    // Opens a record set over the rows of an SQL text.
    std::unique_ptr<RecordSet> openRecordSet(const QString& sql);

    void close();

    // Opens a record set over rows found elsewhere (a query run on another
    // connection): keys are the row keys of sql's answer, in order.
    std::unique_ptr<RecordSet> openRecordSet(const QString& sql, std::vector<qint64> keys);

    // After a schema change made through connection().
    void schemaChanged()
    {
        m_namesValid = false;
        ++m_schemaVersion;
    }
    // Counts the schema changes told to schemaChanged(), so that holders of
    // prepared column lists know when to prepare them again.
    int schemaVersion() const { return m_schemaVersion; }

    // For the engine's own record sets.
    std::shared_ptr<SqliteConnection> connection() const { return m_connection; }
    QString translate(const QString& sql);
    // After the schema changed behind the names the translation knows.
    void forgetNames() { schemaChanged(); }

private:
    Database(QString path, std::shared_ptr<SqliteConnection> connection);
    void refreshNames();
    void requireOpen() const;

    QString m_path;
    std::shared_ptr<SqliteConnection> m_connection;
    QSet<QString> m_names;
    bool m_namesValid = false;
    int m_schemaVersion = 0;
};

} // namespace quelto::catalog
