#pragma once

#include "history/CatalogChange.h"
#include "history/RecordSnapshot.h"

#include <QVariant>
#include <vector>

namespace quelto::history {

// Records appended by an import: the rows with keys from first to last (an
// import appends in one transaction, so its rows are those). Undo removes
// them with their companions and keeps them for redo, unless there are more
// than MaxKeptRecords. The records whose own rating and seen the import
// changed (a list of what was watched or rated) get their values back in the
// same step.
class RecordImport : public CatalogChange
{
public:
    static constexpr int MaxKeptRecords = 100000;

    // A record the import updated rather than added.
    struct Update
    {
        qint64 rowid = 0;
        QVariant ratingBefore;
        QVariant seenBefore;
        QVariant ratingAfter;
        QVariant seenAfter;
    };

    RecordImport(qint64 first, qint64 last, int count, QString source, std::vector<Update> updates = {});

    // The largest row key of archive, 0 when it is empty: taken before an
    // import, the import's rows are those after it.
    static qint64 lastKey(catalog::SqliteConnection& connection);

    QString name() const override; // Import of 12 Records from "movies.csv", ... and 3 Updates ...
    void undo(catalog::SqliteConnection& connection, bool force) override;
    void redo(catalog::SqliteConnection& connection, bool force) override;
    bool canRedo() const override { return m_kept; }

private:
    std::vector<qint64> storedKeys(catalog::SqliteConnection& connection) const;
    // Puts one side of each update in place, after checking the other is there.
    void applyUpdates(catalog::SqliteConnection& connection, bool toBefore, bool force) const;

    qint64 m_first;
    qint64 m_last;
    int m_count;
    QString m_source;
    std::vector<qint64> m_keys; // after a redo that could not keep every key
    std::vector<RecordSnapshot> m_records;
    bool m_kept = true;
    std::vector<Update> m_updates;
};

} // namespace quelto::history
