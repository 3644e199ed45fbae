#include "exchange/CsvImport.h"

#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"
#include "collection/RecordIdentity.h"
#include "collection/SourceStore.h"
#include "collection/TapeStore.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvConvertedRows.h"
#include "exchange/CsvReader.h"
#include "tasks/TaskControl.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <thread>

namespace quelto::exchange {
namespace {

using catalog::EngineError;
using collection::CollectorSchema;

constexpr int MaxText = 255;
constexpr int ProgressEvery = 256; // rows between progress reports and Cancel checks

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// The columns that are not archive's: stored beside the record.
bool isBeside(const QString& column)
{
    return column == CsvColumns::CoverColumn || column == CsvColumns::TapeLengthColumn ||
           column == CsvColumns::SourceColumn || column == CsvColumns::CastRolesColumn;
}

// A tape length in minutes; 0 for an empty field, -1 for one that is none.
int tapeLength(const QVariant& field)
{
    const QString text = field.toString().trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int minutes = text.toInt(&ok);
    return ok && minutes >= 1 && minutes <= CsvColumns::MaxTapeLength ? minutes : -1;
}

} // namespace

CsvImport::CsvImport(QString path, Opener open) : m_path(std::move(path)), m_open(std::move(open)) {}

CsvImport::CsvImport(const QString& path)
    : CsvImport(path, [path]() -> std::unique_ptr<QIODevice> {
          auto file = std::make_unique<QFile>(path);
          if (!file->open(QIODevice::ReadOnly))
              throw EngineError(QStringLiteral("The file \"%1\" cannot be read: %2").arg(shown(path), file->errorString()));
          return file;
      })
{
}

CsvImport CsvImport::fromBytes(const QByteArray& bytes)
{
    return CsvImport(QString(), [bytes]() -> std::unique_ptr<QIODevice> {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    });
}

CsvImport::~CsvImport() = default;
CsvImport::CsvImport(CsvImport&&) noexcept = default;

std::unique_ptr<QIODevice> CsvImport::openSource() const { return m_open(); }

QStringList CsvImport::storedColumns() const { return m_stored; }

void CsvImport::check(const QString& cataloguePath, tasks::TaskControl* progress)
{
    m_header.reset();
    m_refused.clear();
    m_refusedCount = m_acceptedCount = m_duplicateCount = 0;
    m_duplicateRows.clear();
    m_fingerprints = RecordFingerprints();

    std::unique_ptr<QIODevice> device = openSource();
    const qint64 size = device->size();
    auto reader = std::make_unique<CsvReader>(*device);
    CsvRecord record;
    if (!reader->next(record))
        throw EngineError(QStringLiteral("The CSV file is empty: its first line must name the columns."));
    m_header.emplace(record.fields);

    // The values of a row: archive's 24 columns, then the own columns the file has.
    m_stored = catalog::CatalogSchema::archiveColumns();
    for (const QString& column : m_header->columns()) {
        if (!column.isEmpty() && !isBeside(column) && !m_stored.contains(column))
            m_stored << column;
    }
    m_fieldTarget.clear();
    m_fieldRule.clear();
    for (const QString& column : m_header->columns()) {
        const int target = column.isEmpty() || isBeside(column) ? -1 : int(m_stored.indexOf(column));
        m_fieldTarget.push_back(target);
        FieldRule rule;
        if (target >= 0) {
            rule.definition = &CsvColumns::columns()[size_t(CsvColumns::indexOf(column))];
            rule.movie = CsvColumns::isMovieField(column);
            rule.rating = column == QLatin1String("mv_rating");
        }
        m_fieldRule.push_back(rule);
    }
    m_titleValue = int(m_stored.indexOf(QStringLiteral("title")));
    m_catalogValue = int(m_stored.indexOf(QStringLiteral("catalog")));
    m_coverField = int(m_header->columns().indexOf(CsvColumns::CoverColumn));
    m_tapeField = int(m_header->columns().indexOf(CsvColumns::TapeLengthColumn));
    m_sourceField = int(m_header->columns().indexOf(CsvColumns::SourceColumn));
    m_castField = int(m_header->columns().indexOf(CsvColumns::CastRolesColumn));

    // The records stored already are read on a thread of their own while the
    // file's rows are read and checked; each accepted row keeps its
    // fingerprint, and the few whose fingerprint a stored record shares are
    // compared with it afterwards.
    tasks::TaskControl building;
    std::atomic<bool> built{false};
    std::exception_ptr buildError;
    std::thread builder;
    if (!cataloguePath.isEmpty()) {
        QStringList compared = m_stored;
        compared.removeAll(CollectorSchema::IdColumn);
        m_fingerprints.setColumns(compared);
        builder = std::thread([this, cataloguePath, &building, &built, &buildError] {
            try {
                m_fingerprints.build(cataloguePath, &building);
            } catch (...) {
                buildError = std::current_exception();
            }
            built = true;
        });
    }
    struct Join
    {
        std::thread& thread;
        tasks::TaskControl& control;
        ~Join()
        {
            if (thread.joinable()) {
                control.cancel();
                thread.join();
            }
        }
    } join{builder, building};

    if (progress)
        progress->begin(QStringLiteral("Checking the rows of the file..."), size);
    const qsizetype idValue = m_stored.indexOf(CollectorSchema::IdColumn);
    std::vector<std::pair<quint64, qint64>> fingerprints; // of the accepted rows, with their number
    {
        CsvConvertedRows rows(std::move(device), std::move(reader),
                              [this](const std::vector<QVariant>& fields, QString& reason) { return convert(fields, reason); });
        CsvConvertedRows::Row row;
        qint64 count = 0;
        while (rows.next(row)) {
            if (!row.values) {
                if (m_refused.size() < size_t(ListedRefusals))
                    m_refused.push_back({row.record.line, row.reason});
                ++m_refusedCount;
            } else {
                if (builder.joinable()) {
                    if (idValue >= 0)
                        row.values->erase(row.values->begin() + idValue);
                    fingerprints.emplace_back(m_fingerprints.fingerprint(*row.values), m_acceptedCount);
                }
                ++m_acceptedCount;
            }
            if (progress && ++count % ProgressEvery == 0) {
                progress->setDone(rows.bytesRead());
                progress->throwIfCancelled();
            }
        }
    }
    if (!builder.joinable())
        return;
    if (progress) {
        progress->begin(QStringLiteral("Reading the records stored already..."));
        while (!built) {
            const tasks::TaskControl::Snapshot done = building.snapshot();
            progress->setProgress(done.done, done.total);
            if (progress->cancelled())
                building.cancel();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    builder.join();
    if (buildError)
        std::rethrow_exception(buildError);
    if (progress)
        progress->throwIfCancelled();

    std::vector<qint64> candidates;
    for (const auto& [fingerprint, number] : fingerprints) {
        if (m_fingerprints.mayContain(fingerprint))
            candidates.push_back(number);
    }
    fingerprints = {};
    if (candidates.empty())
        return;
    // The rows that may be stored already are compared with the records, the
    // file read once more.
    if (progress)
        progress->begin(QStringLiteral("Comparing with the records stored already..."), size);
    const std::shared_ptr<catalog::SqliteConnection> stored =
        catalog::SqliteConnection::open(cataloguePath, catalog::SqliteConnection::Mode::OpenReadOnly);
    const std::unique_ptr<QIODevice> again = openSource();
    CsvReader second(*again);
    second.next(record);
    qint64 number = 0;
    size_t next = 0;
    while (next < candidates.size() && second.next(record)) {
        QString reason;
        const std::optional<std::vector<QVariant>> values = convert(record.fields, reason);
        if (!values)
            continue;
        if (number++ != candidates[next])
            continue;
        ++next;
        if (isStored(*stored, *values))
            m_duplicateRows.push_back(number - 1);
        if (progress && next % ProgressEvery == 0) {
            progress->setDone(second.bytesRead());
            progress->throwIfCancelled();
        }
    }
    m_duplicateCount = qint64(m_duplicateRows.size());
}

bool CsvImport::isStored(catalog::SqliteConnection& connection, const std::vector<QVariant>& values)
{
    // A record's identity is no part of what makes two records the same.
    const qsizetype id = m_stored.indexOf(CollectorSchema::IdColumn);
    if (id < 0)
        return m_fingerprints.contains(connection, values);
    std::vector<QVariant> compared = values;
    compared.erase(compared.begin() + id);
    return m_fingerprints.contains(connection, compared);
}

std::optional<std::vector<QVariant>> CsvImport::convert(const std::vector<QVariant>& fields, QString& reason) const
{
    const QStringList& columns = m_header->columns();
    if (fields.size() != size_t(columns.size())) {
        reason = QStringLiteral("%1 fields where the first line names %2 columns").arg(fields.size()).arg(columns.size());
        return std::nullopt;
    }
    std::vector<QVariant> values(size_t(m_stored.size()));
    QStringList problems;
    QStringList faulty; // columns already named in problems
    for (size_t f = 0; f < fields.size(); ++f) {
        const int target = m_fieldTarget[f];
        const QVariant& field = fields[f];
        if (target < 0 || !field.isValid())
            continue;
        const QString& column = m_stored.at(target);
        QString text = field.toString();
        if (text.contains(QChar(0))) {
            problems << QStringLiteral("%1 holds a NUL character").arg(column);
            faulty << column;
            continue;
        }
        const FieldRule& rule = m_fieldRule[f];
        const CsvColumn& definition = *rule.definition;
        if (definition.convert) {
            QString problem;
            QVariant value = definition.convert(text, problem);
            if (!problem.isEmpty()) {
                problems << QStringLiteral("%1: %2").arg(column, problem);
                faulty << column;
            }
            values[size_t(target)] = std::move(value);
            continue;
        }
        if (text.isEmpty()) {
            if (!rule.movie)
                continue; // Null, like a missing medium; title and catalogue ID are checked below
            text = rule.rating ? QStringLiteral("unknown") : QStringLiteral(" ");
        }
        if (text.size() > MaxText)
            problems << QStringLiteral("%1 is %2 characters long, more than %3").arg(column).arg(text.size()).arg(MaxText);
        values[size_t(target)] = text;
    }
    if (m_tapeField >= 0 && tapeLength(fields[size_t(m_tapeField)]) < 0)
        problems << QStringLiteral("%1: \"%2\" is not a tape length in minutes (1 to %3).")
                        .arg(CsvColumns::TapeLengthColumn, fields[size_t(m_tapeField)].toString())
                        .arg(CsvColumns::MaxTapeLength);
    if (m_sourceField >= 0) {
        const QString address = fields[size_t(m_sourceField)].toString().trimmed();
        if (!address.isEmpty() && collection::SourceStore::keptAddress(address).isEmpty())
            problems << QStringLiteral("%1: \"%2\" is not the address of a web page (http or https).")
                            .arg(CsvColumns::SourceColumn, address.left(80));
    }
    const auto isBlank = [&](int value) {
        const QVariant& v = values[size_t(value)];
        return !v.isValid() || v.toString().trimmed().isEmpty();
    };
    if (isBlank(m_titleValue) && !faulty.contains(QLatin1String("title")))
        problems.prepend(QStringLiteral("no title"));
    if (isBlank(m_catalogValue) && !faulty.contains(QLatin1String("catalog")))
        problems.prepend(QStringLiteral("no catalogue ID"));
    if (!problems.isEmpty()) {
        reason = problems.join(QStringLiteral("; "));
        return std::nullopt;
    }
    return values;
}

qint64 CsvImport::append(catalog::Database& db, Duplicates duplicates, tasks::TaskControl* progress)
{
    if (!m_header)
        throw EngineError(QStringLiteral("The CSV file has not been checked yet."));
    const std::shared_ptr<catalog::SqliteConnection> connection = db.connection();
    connection->beginWrite(); // refuses a read-only, damaged or foreign-made file; the backup
    m_changedSchema = false;
    m_storedCovers = m_leftOutCoverCount = 0;
    m_leftOutCovers.clear();
    bool changedSchema = false;
    qint64 stored = 0;
    try {
        catalog::WriteTransaction transaction(*connection);
        // A file with own columns or covers brings the collector's storage.
        if (m_coverField >= 0 || m_tapeField >= 0 || m_sourceField >= 0 || m_castField >= 0 ||
            m_stored.size() > catalog::CatalogSchema::archiveColumns().size())
            changedSchema = CollectorSchema::ensure(db);
        stored = appendRows(*connection, duplicates, progress);
        if (progress) {
            progress->throwIfCancelled();
            progress->begin(QStringLiteral("Saving..."));
        }
        transaction.commit();
    } catch (...) {
        if (changedSchema)
            db.schemaChanged(); // rolled back with the rows
        throw;
    }
    m_changedSchema = changedSchema;
    if (changedSchema)
        db.schemaChanged();
    return stored;
}

qint64 CsvImport::appendRows(catalog::SqliteConnection& connection, Duplicates duplicates,
                             tasks::TaskControl* progress)
{
    // Rows get identities when the catalogue keeps them.
    const bool identities = CollectorSchema::hasColumn(connection, CollectorSchema::IdColumn);
    const int idValue = int(m_stored.indexOf(CollectorSchema::IdColumn)); // the file's, or -1
    QStringList names;
    QStringList marks;
    for (const QString& column : m_stored) {
        names << catalog::SqlTranslator::quoteName(column);
        marks << QStringLiteral("?");
    }
    const int idMark = identities && idValue < 0 ? int(names.size()) + 1 : (idValue >= 0 ? idValue + 1 : 0);
    if (identities && idValue < 0) {
        names << CollectorSchema::IdColumn;
        marks << QStringLiteral("?");
    }
    // "or fail": one row a statement, so nothing to take back within it, and
    // SQLite keeps no statement journal for the indexes and the TEMP triggers
    // (a failure ends the whole transaction anyway).
    auto insert = connection.prepare(QStringLiteral("insert or fail into archive (%1) values (%2)")
                                         .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    std::unique_ptr<catalog::SqliteStatement> idTaken;
    qint64 nextId = 0;
    if (identities) {
        idTaken = connection.prepare(QStringLiteral("select 1 from archive where quelto_id = ? limit 1"));
        nextId = collection::RecordIdentity::next(connection);
    }

    // Tapes that have a length keep it; the file's first length gives one to the others.
    QHash<QString, int> lengths;
    const int catalogValue = int(m_stored.indexOf(QStringLiteral("catalog")));
    if (m_tapeField >= 0)
        lengths = collection::TapeStore::lengths(connection);

    if (progress)
        progress->begin(QStringLiteral("Storing the records..."), m_acceptedCount + m_refusedCount, QStringLiteral("rows"));
    std::unique_ptr<QIODevice> device = openSource();
    auto reader = std::make_unique<CsvReader>(*device);
    CsvRecord header;
    const auto changed = [this] {
        return EngineError(QStringLiteral("The file \"%1\" changed while it was being imported; nothing was stored. "
                                          "Import it again.")
                               .arg(shown(m_path)));
    };
    if (!reader->next(header) || CsvHeader(header.fields).columns() != m_header->columns())
        throw changed();
    // The file is read and checked again on a thread of its own while the
    // rows are stored here.
    CsvConvertedRows rows(std::move(device), std::move(reader),
                          [this](const std::vector<QVariant>& fields, QString& reason) { return convert(fields, reason); });
    CsvConvertedRows::Row row;
    qint64 accepted = 0;
    qint64 refused = 0;
    qint64 stored = 0;
    qint64 count = 0;
    size_t nextDuplicate = 0;
    m_firstKey = 0;
    m_lastKey = -1;
    while (rows.next(row)) {
        const CsvRecord& record = row.record;
        if (!row.values) {
            ++refused;
        } else {
            const std::vector<QVariant>* values = &*row.values;
            // Only a row check() found stored already can be one (the
            // fingerprints are those of check()); it is compared again, as
            // the catalogue may have changed since.
            bool duplicate = false;
            if (nextDuplicate < m_duplicateRows.size() && m_duplicateRows[nextDuplicate] == accepted) {
                ++nextDuplicate;
                duplicate = duplicates == Duplicates::Skip && isStored(connection, *values);
            }
            ++accepted;
            if (!duplicate) {
                for (size_t c = 0; c < values->size(); ++c)
                    insert->bind(int(c) + 1, (*values)[c]);
                qint64 id = 0;
                if (identities) {
                    // The file's identity when no record has it, else the next free one.
                    id = idValue >= 0 ? (*values)[size_t(idValue)].toLongLong() : 0;
                    if (id > 0) {
                        idTaken->bindInt64(1, id);
                        if (idTaken->step())
                            id = 0;
                        idTaken->reset();
                    }
                    if (id <= 0)
                        id = nextId++;
                    else
                        nextId = std::max(nextId, id + 1);
                    insert->bindInt64(idMark, id);
                }
                insert->step();
                insert->reset();
                m_lastKey = connection.lastInsertRowId();
                if (stored++ == 0)
                    m_firstKey = m_lastKey;
                if (m_coverField >= 0)
                    storeCover(connection, record, id);
                if ((m_sourceField >= 0 || m_castField >= 0) && id > 0) {
                    const collection::RecordSource source{
                        m_sourceField >= 0 ? record.fields[size_t(m_sourceField)].toString() : QString(),
                        m_castField >= 0 ? collection::CastRoles::decode(record.fields[size_t(m_castField)].toString())
                                         : QList<collection::CastRole>()};
                    if (!source.isEmpty())
                        collection::SourceStore::store(connection, id, source);
                }
                if (m_tapeField >= 0) {
                    const int minutes = tapeLength(record.fields[size_t(m_tapeField)]);
                    const QString tape = (*values)[size_t(catalogValue)].toString();
                    if (minutes > 0 && !lengths.contains(tape)) {
                        collection::TapeStore::setLength(connection, tape, minutes);
                        lengths.insert(tape, minutes);
                    }
                }
            }
        }
        if (progress && ++count % ProgressEvery == 0) {
            progress->setDone(count);
            progress->throwIfCancelled();
        }
    }
    if (accepted != m_acceptedCount || refused != m_refusedCount)
        throw changed();
    return stored;
}

void CsvImport::storeCover(catalog::SqliteConnection& connection, const CsvRecord& record, qint64 id)
{
    const QString written = record.fields[size_t(m_coverField)].toString().trimmed();
    if (written.isEmpty())
        return;
    QString problem;
    const QString path = coverPath(written, problem);
    std::optional<collection::CoverPicture> picture;
    if (problem.isEmpty())
        picture = collection::CoverPicture::fromFile(path, &problem);
    if (!picture) {
        if (m_leftOutCovers.size() < size_t(ListedRefusals))
            m_leftOutCovers.push_back({record.line, QStringLiteral("cover \"%1\": %2").arg(written, problem)});
        ++m_leftOutCoverCount;
        return;
    }
    collection::CoverStore::store(connection, id, *picture);
    ++m_storedCovers;
}

QString CsvImport::coverPath(const QString& written, QString& problem) const
{
    if (m_path.isEmpty()) {
        problem = QStringLiteral("covers are read only beside a CSV file.");
        return {};
    }
    const QString relative = QString(written).replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QDir folder = QFileInfo(m_path).absoluteDir();
    const QString base = folder.canonicalPath() + QLatin1Char('/');
    if (QDir::isAbsolutePath(relative) || relative.startsWith(QLatin1Char('~'))) {
        problem = QStringLiteral("the picture must be named relative to the CSV file's folder.");
        return {};
    }
    const QFileInfo file(QDir::cleanPath(folder.absoluteFilePath(relative)));
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty()) {
        problem = QStringLiteral("there is no such file beside the CSV file.");
        return {};
    }
    if (!canonical.startsWith(base)) {
        problem = QStringLiteral("the picture lies outside the CSV file's folder.");
        return {};
    }
    return canonical;
}

QString CsvImport::describe(const std::vector<RefusedRow>& rows, qint64 total, int limit)
{
    QStringList lines;
    for (const RefusedRow& row : rows) {
        if (lines.size() == limit)
            break;
        lines << QStringLiteral("Line %1: %2").arg(row.line).arg(row.reason);
    }
    if (total > lines.size())
        lines << QStringLiteral("... and %1 more.").arg(total - lines.size());
    return lines.join(QLatin1Char('\n'));
}

} // namespace quelto::exchange
