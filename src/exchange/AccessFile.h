#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace quelto::exchange {

// A table read whole from an Access file: its column names in table order and
// its rows, each value Null (an invalid QVariant), text, or a whole number.
struct AccessTable
{
    QString name;
    QStringList columns;
    std::vector<std::vector<QVariant>> rows;
};

// The rows of one table of an Access file, read one at a time.
class AccessRows
{
public:
    virtual ~AccessRows();
    const QStringList& columns() const { return m_columns; }
    // The number of rows the file records for the table (a damaged file may lie).
    int rowCountHint() const { return m_hint; }
    // The next row: each value Null (an invalid QVariant), text, or a whole
    // number; false after the last. Throws catalog::EngineError when the table
    // gives more rows than its file can hold.
    virtual bool next(std::vector<QVariant>& row) = 0;

protected:
    QStringList m_columns;
    int m_hint = 0;
};

// An Access (Jet 3 or Jet 4) database file, opened through Debian's mdbtools
// library for reading only: nothing is ever written to it. Text comes out as
// Unicode; a Jet 3 file's text is read in the Western code page 1252.
// Every failure is thrown as catalog::EngineError naming the file.
class AccessFile
{
public:
    static std::unique_ptr<AccessFile> open(const QString& path);
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    const QString& path() const { return m_path; }
    // "Jet 3", "Jet 4" or the Access version of a newer file.
    QString formatName() const;
    // The user tables in the file's order; system tables are left out.
    const QStringList& tableNames() const { return m_tables; }
    // The number of rows the file records for a table, for progress.
    int rowCountHint(const QString& table) const;
    // The columns of a table, in table order.
    QStringList columnsOf(const QString& table) const;
    std::unique_ptr<AccessRows> rows(const QString& table) const;
    // A whole table at once (small tables only).
    AccessTable readTable(const QString& table) const;

private:
    struct Handle;
    AccessFile(QString path, std::unique_ptr<Handle> handle);

    QString m_path;
    std::unique_ptr<Handle> m_handle;
    QStringList m_tables;
};

} // namespace quelto::exchange
