#pragma once

#include "catalog/EditBuffer.h"
#include "catalog/KeyedRowReader.h"
#include "catalog/RecordColumns.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace quelto::catalog {

class SqliteConnection;

// A record set over the rows of a query, with a cursor that can stand before
// the first row (bof), on a row, or after the last row (eof); an empty set is
// at both ends at once.
//
// A set of "select * from TABLE ..." is updatable: it keeps only the row keys
// in query order and reads a row's columns when they are asked for. Any other
// query (grouping, a column list) gives a read-only set that holds its rows.
//
// Every failure is thrown as EngineError; a failed call leaves the stored rows
// as they were.
class RecordSet
{
public:
    RecordSet(std::shared_ptr<SqliteConnection> connection, QString sql, QString translatedSql);
    // An updatable set whose query has been run elsewhere: keys are its rows.
    RecordSet(std::shared_ptr<SqliteConnection> connection, QString sql, QString translatedSql,
              std::vector<qint64> keys);
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    const QString& sql() const { return m_sql; }
    bool isUpdatable() const { return !m_table.isEmpty(); }
    bool isOpen() const { return m_open; }

    bool bof() const;
    bool eof() const;
    bool hasCurrentRow() const;
    int absolutePosition() const; // 0-based; -1 without a current row
    int recordCount() const;      // always the full count of the set

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(int rows);

    // AddNew/Edit open the edit buffer, Update stores it. An added row joins
    // the end of the set but does not become the current row.
    //
    // Update of an edited row checks, in the transaction that writes it, that
    // the row still exists (else Kind::Deleted) and still holds the values
    // given to expect(), if any (else Kind::Changed); nothing is written then.
    void addNew();
    void edit();
    void expect(const QHash<QString, QVariant>& values); // column -> value, while editing
    void update();
    void cancelUpdate();
    bool isEditing() const { return m_edit.isOpen(); }

    // Removes the current row; the cursor then stands on no row until it moves.
    void deleteRecord();
    // Runs the query again and stands on the first row.
    void requery();
    void close();

    // After columns were added to the set's table (or taken away again by a
    // rollback): reads its column list anew; rows, position and the edit
    // buffer's values stay.
    void columnsChanged();
    bool hasField(const QString& column) const { return m_columns.contains(column); }

    QStringList fieldNames() const;
    // The value of a column of the current row (or of the edit buffer while
    // editing); an invalid QVariant is Null.
    QVariant value(const QString& column) const;
    // The same as text; reading Null as text fails.
    QString text(const QString& column) const;
    void setValue(const QString& column, const QVariant& value);

    // The key of the current row, and a move to the row with a key.
    qint64 bookmark() const;
    void setBookmark(qint64 key);
    // "select rowid from TABLE ..." for a translated "select * from TABLE ..."
    // over one table; empty for any other query.
    static QString keyQueryFor(const QString& translatedSql);
    // The table of such a query; empty for any other.
    static QString tableFor(const QString& translatedSql);

    // The key of the row at a 0-based position of an updatable set.
    qint64 keyAt(int position) const { return m_keys.at(size_t(position)); }
    // "select rowid from TABLE ..." of an updatable set, as SQLite reads it.
    const QString& keyQuery() const { return m_keyQuery; }
    const QString& table() const { return m_table; }
    // A number no other set has had, renewed by every change of the rows: a
    // new query, an added, stored or deleted row, closing.
    quint64 generation() const { return m_generation; }
    // Drops what was read of the current row, so the next value() reads the file.
    void reread() { m_reader.drop(); }

    // Puts the row with a key at a 0-based position of an updatable set,
    // taking it from where it stood if it was in the set, and makes it the
    // current row (a saved record moved to its place in the order).
    void placeRow(qint64 key, int position);
    // Takes the row with a key out of an updatable set, the file untouched
    // (a record that an Undo or Redo removed); false when it was not in the
    // set. The current row stays current; when it was that row, the one that
    // followed it (else the one before) becomes current.
    bool dropRow(qint64 key);
    // Whether another program has changed the file since the rows were
    // found: only then does a requery after this set's own changes find
    // anything the set does not know.
    bool changedElsewhere() const;

    // The key of the row stored last by Update.
    qint64 lastModified() const { return m_lastModified; }

private:
    static constexpr int BeforeFirst = -1;

    void requireOpen() const;
    void requireCurrentRow() const;
    void parseQuery();
    void runQuery();
    void setPosition(int position);
    const std::vector<QVariant>& currentRow() const;

    std::shared_ptr<SqliteConnection> m_connection;
    QString m_sql;
    QString m_translated;
    QString m_table;       // the table of an updatable set
    QString m_keyQuery;    // "select rowid from TABLE ..." of an updatable set
    RecordColumns m_columns;

    std::vector<qint64> m_keys;                 // updatable set
    std::vector<std::vector<QVariant>> m_rows;  // read-only set

    int m_position = BeforeFirst; // BeforeFirst, 0..count-1, or count (after the last)
    bool m_onDeletedRow = false;
    bool m_open = true;
    qint64 m_lastModified = 0;
    qint64 m_dataVersion = -1; // of the file when the rows were found
    qint64 dataVersion() const;
    quint64 m_generation = 0;
    void touch();

    EditBuffer m_edit;
    mutable KeyedRowReader m_reader; // the current row of an updatable set
};

} // namespace quelto::catalog
