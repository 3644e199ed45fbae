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
// fingerprint and its row key (16 bytes a record, sorted); a row whose
// fingerprint matches is compared with the stored record itself.
class RecordFingerprints
{
public:
    // The fingerprints of every archive row of the catalogue at path, over
    // columns (a column archive lacks counts as Null), read on a connection of
    // its own. Progress counts row keys up to the largest.
    void build(const QString& path, const QStringList& columns, tasks::TaskControl* progress = nullptr);
    bool isEmpty() const { return m_entries.empty(); }

    // Whether a stored record holds exactly these values (one per column of
    // build(), an invalid QVariant for Null), read through connection.
    bool contains(catalog::SqliteConnection& connection, const std::vector<QVariant>& values);

    static quint64 fingerprint(const std::vector<QVariant>& values);

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
    std::vector<Entry> m_entries;
    // The row read for a comparison, per connection it was prepared on.
    catalog::SqliteConnection* m_preparedOn = nullptr;
    int m_preparedGeneration = -1;
    std::unique_ptr<catalog::SqliteStatement> m_row;
    QStringList m_present; // the columns of build() that archive has, lower case
};

} // namespace quelto::exchange
