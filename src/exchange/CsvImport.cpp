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
#include "exchange/CsvReader.h"
#include "tasks/TaskControl.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>

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
    m_fingerprints = RecordFingerprints();

    const std::unique_ptr<QIODevice> device = openSource();
    const qint64 size = device->size();
    CsvReader reader(*device);
    CsvRecord record;
    if (!reader.next(record))
        throw EngineError(QStringLiteral("The CSV file is empty: its first line must name the columns."));
    m_header.emplace(record.fields);

    // The values of a row: archive's 24 columns, then the own columns the file has.
    m_stored = catalog::CatalogSchema::archiveColumns();
    for (const QString& column : m_header->columns()) {
        if (!column.isEmpty() && !isBeside(column) && !m_stored.contains(column))
            m_stored << column;
    }
    m_fieldTarget.clear();
    for (const QString& column : m_header->columns())
        m_fieldTarget.push_back(column.isEmpty() || isBeside(column) ? -1 : int(m_stored.indexOf(column)));
    m_coverField = int(m_header->columns().indexOf(CsvColumns::CoverColumn));
    m_tapeField = int(m_header->columns().indexOf(CsvColumns::TapeLengthColumn));
    m_sourceField = int(m_header->columns().indexOf(CsvColumns::SourceColumn));
    m_castField = int(m_header->columns().indexOf(CsvColumns::CastRolesColumn));

    std::shared_ptr<catalog::SqliteConnection> stored;
    if (!cataloguePath.isEmpty()) {
        if (progress)
            progress->begin(QStringLiteral("Reading the records stored already..."));
        QStringList compared = m_stored;
        compared.removeAll(CollectorSchema::IdColumn);
        m_fingerprints.build(cataloguePath, compared, progress);
        stored = catalog::SqliteConnection::open(cataloguePath, catalog::SqliteConnection::Mode::OpenReadOnly);
    }
    if (progress)
        progress->begin(QStringLiteral("Checking the rows of the file..."), size);
    qint64 rows = 0;
    while (reader.next(record)) {
        QString reason;
        const std::optional<std::vector<QVariant>> values = convert(record.fields, reason);
        if (!values) {
            if (m_refused.size() < size_t(ListedRefusals))
                m_refused.push_back({record.line, reason});
            ++m_refusedCount;
        } else {
            ++m_acceptedCount;
            if (stored && !m_fingerprints.isEmpty() && isStored(*stored, *values))
                ++m_duplicateCount;
        }
        if (progress && ++rows % ProgressEvery == 0) {
            progress->setDone(reader.bytesRead());
            progress->throwIfCancelled();
        }
    }
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
    const std::vector<CsvColumn>& known = CsvColumns::columns();
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
        const CsvColumn& definition = known[size_t(CsvColumns::indexOf(column))];
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
            if (!CsvColumns::isMovieField(column))
                continue; // Null, like a missing medium; title and catalogue ID are checked below
            text = column == QLatin1String("mv_rating") ? QStringLiteral("unknown") : QStringLiteral(" ");
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
    const auto isBlank = [&](const char* column) {
        const QVariant& v = values[size_t(m_stored.indexOf(QString::fromLatin1(column)))];
        return !v.isValid() || v.toString().trimmed().isEmpty();
    };
    if (isBlank("title") && !faulty.contains(QLatin1String("title")))
        problems.prepend(QStringLiteral("no title"));
    if (isBlank("catalog") && !faulty.contains(QLatin1String("catalog")))
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
    auto insert = connection.prepare(QStringLiteral("insert into archive (%1) values (%2)")
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
    const std::unique_ptr<QIODevice> device = openSource();
    CsvReader reader(*device);
    CsvRecord record;
    const auto changed = [this] {
        return EngineError(QStringLiteral("The file \"%1\" changed while it was being imported; nothing was stored. "
                                          "Import it again.")
                               .arg(shown(m_path)));
    };
    if (!reader.next(record) || CsvHeader(record.fields).columns() != m_header->columns())
        throw changed();
    qint64 accepted = 0;
    qint64 refused = 0;
    qint64 stored = 0;
    qint64 rows = 0;
    m_firstKey = 0;
    m_lastKey = -1;
    while (reader.next(record)) {
        QString reason;
        const std::optional<std::vector<QVariant>> values = convert(record.fields, reason);
        if (!values) {
            ++refused;
        } else {
            ++accepted;
            if (duplicates == Duplicates::Add || m_fingerprints.isEmpty() ||
                !isStored(connection, *values)) {
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
        if (progress && ++rows % ProgressEvery == 0) {
            progress->setDone(rows);
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
