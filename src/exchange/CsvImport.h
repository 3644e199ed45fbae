#pragma once

#include "exchange/CsvColumns.h"
#include "exchange/CsvHeader.h"
#include "exchange/CsvReader.h"
#include "exchange/RecordFingerprints.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace quelto::catalog {
class Database;
class SqliteConnection;
} // namespace quelto::catalog
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::exchange {

// A row of a CSV file that cannot become a record, with its line.
struct RefusedRow
{
    int line = 0;
    QString reason;
};

// Records to be appended to archive from a CSV file, read a row at a time so
// that a file of any size takes little memory.
//
// check() reads and checks every row and finds the rows identical to records
// stored already (the stored ones read on a second thread meanwhile);
// append() reads the file again (on a thread of its own, while the rows are stored) and stores the rows that
// passed, all in one write transaction through the catalogue's write checks
// (a refused file is not touched; the backup is made before the first change).
//
// Own columns (CsvColumns) are checked like the personal fields of the
// window; a file that has any, or a "cover" column, gives the catalogue the
// collector's storage in the same transaction. Every row stored then gets an
// identity: the file's own when no record uses it, else a new one. A cover is
// a picture file named relative to the CSV's folder and never outside it; one
// that cannot be read is left out and listed, its row stored all the same.
// A tape length is stored for a media ID that has none yet.
//
// Values follow the window's rules: a quoted empty movie field becomes " "
// (the rating "unknown"), an empty medium field and a field the file lacks
// are Null; a row without title or catalogue ID, with a text over 255
// characters, a NUL character in a field, or more or fewer fields than the
// header is refused.
class CsvImport
{
public:
    // How many refused rows are kept to be shown; all are counted.
    static constexpr int ListedRefusals = 200;

    enum class Duplicates
    {
        Skip, // rows identical to a stored record are left out
        Add   // they are stored all the same
    };

    // A file; read when check() runs.
    explicit CsvImport(const QString& path);
    // A text held in memory.
    static CsvImport fromBytes(const QByteArray& bytes);
    ~CsvImport();
    CsvImport(CsvImport&&) noexcept;

    // Reads and checks every row; rows identical to a record of the catalogue
    // at cataloguePath are counted (none without a catalogue). Throws
    // catalog::EngineError when the file cannot be read or used at all, and
    // tasks::TaskCancelled on Cancel.
    void check(const QString& cataloguePath = {}, tasks::TaskControl* progress = nullptr);

    const QString& source() const { return m_path; }
    const std::vector<RefusedRow>& refusedRows() const { return m_refused; } // the first ListedRefusals
    qint64 refusedCount() const { return m_refusedCount; }
    // Rows that passed the checks, the duplicates among them.
    qint64 acceptedCount() const { return m_acceptedCount; }
    qint64 duplicateCount() const { return m_duplicateCount; }
    qint64 toStore(Duplicates duplicates) const
    {
        return duplicates == Duplicates::Add ? m_acceptedCount : m_acceptedCount - m_duplicateCount;
    }
    // Header names that match no column; their fields are left out.
    QStringList ignoredColumns() const { return m_header ? m_header->ignored() : QStringList(); }

    // Appends the accepted rows after check(); returns their number. Nothing
    // is stored when it throws (the refusal of a read-only, damaged or
    // foreign-made catalogue, a file that changed since check()) or is cancelled.
    qint64 append(catalog::Database& db, Duplicates duplicates = Duplicates::Skip,
                  tasks::TaskControl* progress = nullptr);
    // The keys of the rows the last append() stored: every key from first to last.
    qint64 firstStoredKey() const { return m_firstKey; }
    qint64 lastStoredKey() const { return m_lastKey; }
    // The covers the last append() stored, and those it left out (their line and why).
    qint64 storedCovers() const { return m_storedCovers; }
    const std::vector<RefusedRow>& leftOutCovers() const { return m_leftOutCovers; } // the first ListedRefusals
    qint64 leftOutCoverCount() const { return m_leftOutCoverCount; }
    // Whether the last append() added the collector's columns to archive.
    bool changedSchema() const { return m_changedSchema; }

    // One line per refused row, at most limit lines, then how many more.
    static QString describe(const std::vector<RefusedRow>& rows, qint64 total, int limit = 15);
    static QString describe(const std::vector<RefusedRow>& rows, int limit = 15)
    {
        return describe(rows, qint64(rows.size()), limit);
    }

private:
    using Opener = std::function<std::unique_ptr<QIODevice>()>;
    CsvImport(QString path, Opener open);

    std::unique_ptr<QIODevice> openSource() const;
    // The row's values in the order of m_stored, or the reason it is refused.
    std::optional<std::vector<QVariant>> convert(const std::vector<QVariant>& fields, QString& reason) const;
    QStringList storedColumns() const;
    // The picture file a "cover" field names, inside the CSV's folder.
    QString coverPath(const QString& written, QString& problem) const;
    // Whether a row's values are those of a stored record (its identity aside).
    bool isStored(catalog::SqliteConnection& connection, const std::vector<QVariant>& values);
    qint64 appendRows(catalog::SqliteConnection& connection, Duplicates duplicates, tasks::TaskControl* progress);
    void storeCover(catalog::SqliteConnection& connection, const CsvRecord& record, qint64 id);

    QString m_path;
    Opener m_open;
    std::optional<CsvHeader> m_header;
    std::vector<int> m_fieldTarget; // per field of the file: its place in the values, or -1
    // What convert() needs of a field whose value is stored, found once.
    struct FieldRule
    {
        const CsvColumn* definition = nullptr;
        bool movie = false;  // a movie field: empty is " "
        bool rating = false; // the rating: empty is "unknown"
    };
    std::vector<FieldRule> m_fieldRule; // per field of the file
    QStringList m_stored;           // the columns a row fills: the 24, then own columns the file has
    int m_titleValue = -1;          // places of the title and the catalogue ID in the values
    int m_catalogValue = -1;
    RecordFingerprints m_fingerprints;
    std::vector<qint64> m_duplicateRows; // numbers of the accepted rows stored already, ascending
    std::vector<RefusedRow> m_refused;
    qint64 m_refusedCount = 0;
    qint64 m_acceptedCount = 0;
    qint64 m_duplicateCount = 0;
    qint64 m_firstKey = 0;
    qint64 m_lastKey = -1;
    int m_coverField = -1; // the file's "cover" field, -1 for none
    int m_tapeField = -1;  // the file's tape lengths, -1 for none
    int m_sourceField = -1; // the records' page addresses, -1 for none
    int m_castField = -1;   // the records' billed casts, -1 for none
    qint64 m_storedCovers = 0;
    std::vector<RefusedRow> m_leftOutCovers;
    qint64 m_leftOutCoverCount = 0;
    bool m_changedSchema = false;
};

} // namespace quelto::exchange
