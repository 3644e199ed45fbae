#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace quelto::catalog {
class SqliteConnection;
class SqliteStatement;
} // namespace quelto::catalog
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::exchange {

// Tells which rows about to be imported are identical to records stored
// already: equal in every column the import writes, text for text and Null
// for Null, case and blanks included. Each stored record is kept as a 64-bit
// fingerprint of its media ID and title (of every column when the columns
// lack both) and its row key (16 bytes a record, sorted): reading two
// columns of every record is much quicker than reading all. A row whose
// fingerprint matches is compared with the stored record itself, column by
// column.
class RecordFingerprints
{
public:
    // The fingerprints of every archive row of the catalogue at path, over
    // columns (a column archive lacks counts as Null), read on a connection of
    // its own. Progress counts row keys up to the largest.
    void build(const QString& path, const QStringList& columns, tasks::TaskControl* progress = nullptr);
    // The same in two steps: the columns first, so that fingerprint() can be
    // used on another thread while build() reads.
    void setColumns(const QStringList& columns);
    void build(const QString& path, tasks::TaskControl* progress = nullptr);
    bool isEmpty() const { return m_entries.empty(); }
    // Whether some stored record has this fingerprint (then compare with contains()).
    bool mayContain(quint64 fingerprint) const;

    // Whether a stored record holds exactly these values (one per column of
    // build(), an invalid QVariant for Null), read through connection.
    bool contains(catalog::SqliteConnection& connection, const std::vector<QVariant>& values);

    // The fingerprint of values given in the order of build()'s columns.
    quint64 fingerprint(const std::vector<QVariant>& values) const;

private:
    struct Entry
    {
        quint64 fingerprint;
        qint64 rowid;
        bool operator<(const Entry& other) const
        {
            return fingerprint < other.fingerprint || (fingerprint == other.fingerprint && rowid < other.rowid);
        }
    };

    QStringList m_columns;
    std::vector<int> m_keys; // the columns the fingerprint is made of
    std::vector<Entry> m_entries;
    // The row read for a comparison, per connection it was prepared on.
    catalog::SqliteConnection* m_preparedOn = nullptr;
    int m_preparedGeneration = -1;
    std::unique_ptr<catalog::SqliteStatement> m_row;
    QStringList m_present; // the columns of build() that archive has, lower case
};

} // namespace quelto::exchange
