#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QString>
#include <QStringList>
#include <memory>

namespace quelto::catalog {
struct CatalogState;
class SqliteStatement;
} // namespace quelto::catalog
namespace quelto::collection {
class CoverThumbnails;
}

namespace quelto::search {

// The current record set as a table: one row per record, in the set's order,
// one column per column of archive. Only the row keys come from the set; a
// row's texts are read when the view asks for them and a few hundred rows are
// kept, so a set of any size costs no more than the rows on screen.
//
// The set is reached through the shared state on every call: when a command
// has replaced or changed it, the model resets itself (at once through
// refresh(), or on its own on the next call from the view).
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString name;    // of archive, or of a value worked out for the row
        QString caption; // of the header
        // One of the program's own archive columns, which a file gains only
        // with the first such data (read as empty until then).
        bool own = false;
        // A worked-out value: this SQL expression over the row of archive,
        // read when the catalogue has the table `needs` (else empty).
        QString expression = {};
        QString needs = {};

        bool isWorkedOut() const { return !expression.isEmpty(); }
    };
    // The name of the cover column: not a column of archive; it shows a
    // thumbnail of the record's cover.
    static inline const QString CoverColumn = QStringLiteral("cover");
    // Every column of archive, the list's default columns first, then the
    // personal columns and the cover, then the worked-out values (the tape's loan).
    static const std::vector<Column>& columns();
    static constexpr int DefaultColumnCount = 6;
    static int columnOf(const QString& name); // -1 if none

    explicit RecordListModel(catalog::CatalogState& state, QObject* parent = nullptr);
    ~RecordListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Resets the model if the current record set has changed since the last
    // reset; true if it did.
    bool refresh();
    // The row of the set's current record, -1 if none.
    int currentRow() const;
    // Reads every row again (a loan changed what a worked-out column shows).
    void reread();

    // Where the cover column's thumbnails come from (none: the column stays empty).
    void setThumbnails(collection::CoverThumbnails* thumbnails);
    // Whether the open catalogue has the column (an own column may be missing).
    bool hasColumn(const QString& name) const;

private:
    bool inStep() const;
    const QStringList* rowTexts(int row) const;
    void scheduleRefresh() const;

    catalog::CatalogState& m_state;
    quint64 m_generation = 0;
    int m_rows = 0;
    mutable std::unique_ptr<catalog::SqliteStatement> m_rowQuery;
    // The statement keeps its connection alive, so no other can take its address.
    mutable const void* m_rowQueryConnection = nullptr;
    mutable QCache<qint64, QStringList> m_cache;
    mutable bool m_refreshScheduled = false;
    int m_schemaVersion = -1;
    mutable QStringList m_present; // the own columns the file has, as of the row query
    collection::CoverThumbnails* m_thumbnails = nullptr;
    mutable QHash<qint64, int> m_rowOfRecord; // for thumbnails that arrive later
};

} // namespace quelto::search
