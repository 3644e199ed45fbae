#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace quelto::catalog {

class RecordColumns;
class SqliteConnection;

// The edit buffer of an updatable record set: the values AddNew or Edit
// opened it with, which of them were set since, and the values the stored
// row must still hold for Update to overwrite it; and the writes that store
// the values set into the set's table.
//
// Every failure is thrown as EngineError; a failed write stores nothing.
class EditBuffer
{
public:
    enum class Mode
    {
        None,
        Add,
        Edit
    };

    Mode mode() const { return m_mode; }
    bool isOpen() const { return m_mode != Mode::None; }

    // Opens the buffer empty, for a new row.
    void openForAdd(qsizetype columns);
    // Opens the buffer with a stored row's values.
    void openForEdit(const std::vector<QVariant>& row, qsizetype columns);
    // column -> value, while editing.
    void expect(const QHash<QString, QVariant>& values);
    void close();

    const QVariant& value(int column) const { return m_values.at(size_t(column)); }
    void setValue(int column, const QVariant& value)
    {
        m_values[size_t(column)] = value;
        m_changed[size_t(column)] = true;
    }
    // After the table's columns changed: the values follow their columns by
    // name, and those of columns gone are dropped.
    void followColumns(const QStringList& before, const RecordColumns& columns);

    // Inserts the values set as a new row of table; returns its key.
    qint64 insert(SqliteConnection& connection, const RecordColumns& columns, const QString& table) const;
    // Writes the values set into the row of table with a key, in a
    // transaction that first checks that the row still exists (else
    // Kind::Deleted) and still holds the expected values (else Kind::Changed).
    void store(SqliteConnection& connection, const RecordColumns& columns, const QString& table, qint64 key) const;

private:
    // The quoted names and checked values of the columns set.
    void changedValues(const RecordColumns& columns, const QString& table, QStringList& names,
                       std::vector<QVariant>& values) const;

    Mode m_mode = Mode::None;
    std::vector<QVariant> m_values;
    std::vector<bool> m_changed;
    QHash<QString, QVariant> m_expected;
};

} // namespace quelto::catalog
