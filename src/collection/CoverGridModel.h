#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <memory>

namespace quelto::catalog {
struct CatalogState;
class SqliteStatement;
} // namespace quelto::catalog

namespace quelto::collection {

class CoverThumbnails;

// The current record set as cards for the Covers view: one row per record in
// the set's order, with its title and, when the thumbnail is at hand, its
// cover. Rows are read when shown and a few thousand are kept. Like the record
// list, it follows the set through the shared state and resets itself when a
// command has replaced or changed it.
class CoverGridModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        RecordIdRole = Qt::UserRole + 1, // archive.quelto_id, 0 when none
        CaptionRole,                     // "1999 · VHS-12": year and media ID
        HasCoverRole                     // true, false, or unknown (invalid) until looked up
    };

    CoverGridModel(catalog::CatalogState& state, QObject* parent = nullptr);
    ~CoverGridModel() override;

    // Thumbnails come from here; the model repaints a card when its arrives.
    void setThumbnails(CoverThumbnails* thumbnails);
    CoverThumbnails* thumbnails() const { return m_thumbnails; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    bool refresh();
    int currentRow() const;
    // The row of a record identity among the cached rows, -1 if none.
    int rowOfRecord(qint64 recordId) const;

private:
    struct Card
    {
        QString title;
        QString caption;
        qint64 recordId = 0;
    };
    const Card* card(int row) const;
    bool inStep() const;

    catalog::CatalogState& m_state;
    CoverThumbnails* m_thumbnails = nullptr;
    quint64 m_generation = 0;
    int m_rows = 0;
    int m_schemaVersion = -1;
    mutable std::unique_ptr<catalog::SqliteStatement> m_query;
    mutable const void* m_queryConnection = nullptr;
    mutable QCache<qint64, Card> m_cards; // by rowid
    mutable QHash<qint64, int> m_rowOf; // record id -> row, of the cards read in this generation
    mutable bool m_refreshScheduled = false;
};

} // namespace quelto::collection
