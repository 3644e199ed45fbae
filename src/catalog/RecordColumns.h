#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace quelto::catalog {

class SqliteConnection;
class SqliteStatement;

// The columns of a record set: their names in order, found by name in any
// case, and for a set over a table the declared type that decides what a
// stored value may be.
class RecordColumns
{
public:
    enum class FieldType
    {
        Text,
        Integer16,
        Other
    };

    // The columns of a table, as it declares them.
    void loadTable(SqliteConnection& connection, const QString& table);
    // The columns of a statement's result.
    void loadResult(const SqliteStatement& statement);
    // A single result column.
    void setSingle(const QString& name);

    const QStringList& names() const { return m_names; }
    qsizetype size() const { return m_names.size(); }
    bool contains(const QString& column) const { return m_index.contains(column.toLower()); }
    // The 0-based index of a column; a column not in the set is thrown as EngineError.
    int indexOf(const QString& column) const;
    // The same, or -1.
    int find(const QString& column) const;

    // Makes a value fit for storing in a column of table: Null stays Null,
    // text and small numbers are checked against their limits (a value
    // that does not fit is thrown as EngineError of Kind::Refused).
    void validate(int column, QVariant& value, const QString& table) const;

private:
    QStringList m_names;
    QHash<QString, int> m_index; // lower-case name -> column
    std::vector<FieldType> m_types;
};

} // namespace quelto::catalog
