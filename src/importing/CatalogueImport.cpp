#include "importing/CatalogueImport.h"

#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "collection/PersonalFormat.h"
#include "collection/RecordIdentity.h"
#include "collection/SourceStore.h"
#include "loans/LoanStore.h"
#include "importing/CatalogueReader.h"
#include "importing/ImportLinks.h"
#include "importing/RecordMatcher.h"
#include "tasks/TaskControl.h"

#include <QFileInfo>
#include <algorithm>

namespace quelto::importing {

using catalog::EngineError;
using collection::PersonalFormat;

namespace {

constexpr int MaxText = 255;
// SQLite's page cache during an import, in KiB: a large import's new pages
// (archive, its indexes, the links) stay in memory until the commit instead
// of being written out and read again.
constexpr int ImportCacheKiB = 64 * 1024;

// Gives the connection a larger page cache for as long as it lives.
class LargerCache
{
public:
    explicit LargerCache(catalog::SqliteConnection& connection) : m_connection(connection)
    {
        auto current = connection.prepare(QStringLiteral("pragma cache_size"));
        m_before = current->step() ? current->int64(0) : -2000;
        connection.exec(QStringLiteral("pragma cache_size = -%1").arg(ImportCacheKiB));
    }
    ~LargerCache()
    {
        try {
            m_connection.exec(QStringLiteral("pragma cache_size = %1").arg(m_before));
        } catch (...) {
        }
    }
    LargerCache(const LargerCache&) = delete;
    LargerCache& operator=(const LargerCache&) = delete;

private:
    catalog::SqliteConnection& m_connection;
    qint64 m_before = -2000;
};

// A list that fits the archive's text columns: whole values while they fit.
QString fitted(const QString& value, const QString& label, ImportedMovie& movie)
{
    const QString text = value.simplified();
    if (text.size() <= MaxText)
        return text;
    movie.addExtra(label, text);
    QString kept;
    for (const QString& part : text.split(ImportedMovie::ListSeparator)) {
        const QString next = kept.isEmpty() ? part : kept + ImportedMovie::ListSeparator + part;
        if (next.size() > MaxText)
            break;
        kept = next;
    }
    return kept.isEmpty() ? text.left(MaxText) : kept;
}

// A movie field as the archive stores it: never empty text.
QVariant movieField(const QString& text) { return text.isEmpty() ? QStringLiteral(" ") : text; }

} // namespace

struct CatalogueImport::Write
{
    catalog::SqliteConnection& connection;
    tasks::TaskControl& control;
    ImportSummary summary;
    RecordMatcher matcher;
    bool watchList = false;
    std::unique_ptr<catalog::SqliteStatement> insert;
    std::unique_ptr<ImportLinks> links;
    qint64 nextId = 0;
    qint64 nextNumber = 1;
    bool madeLoans = false;
};

QString CatalogueImport::prefixProblem(const QString& prefix)
{
    if (prefix.size() > MaxPrefixLength)
        return QStringLiteral("The media ID prefix \"%1\" is longer than %2 characters.").arg(prefix).arg(MaxPrefixLength);
    if (prefix.trimmed() != prefix)
        return QStringLiteral("The media ID prefix \"%1\" begins or ends with a space.").arg(prefix);
    for (const QChar c : prefix) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return QStringLiteral("The media ID prefix holds a control character.");
    }
    return {};
}

CatalogueImport::CatalogueImport(const QString& source) : CatalogueImport(source, Options()) {}

CatalogueImport::CatalogueImport(const QString& source, Options options)
    : m_source(source), m_options(std::move(options)), m_reader(CatalogueReader::open(source))
{
    if (const QString problem = prefixProblem(m_options.mediaIdPrefix); !problem.isEmpty())
        throw EngineError(problem);
}

CatalogueImport::~CatalogueImport() = default;

ImportSummary CatalogueImport::run(catalog::Database& db, tasks::TaskControl& control)
{
    const std::shared_ptr<catalog::SqliteConnection> connection = db.connection();
    connection->beginWrite(); // refuses a read-only, damaged or foreign-made file before anything is read
    bool changedSchema = false;
    Write write{*connection, control, {}, {}, m_reader->isWatchList(), {}, {}, 0, 1, false};
    write.summary.source = m_source;
    write.summary.format = m_reader->format();
    const LargerCache cache(*connection);
    try {
        catalog::WriteTransaction transaction(*connection);
        changedSchema = collection::CollectorSchema::ensure(db);
        changedSchema = ImportLinks::ensure(*connection) || changedSchema;
        control.setStep(QStringLiteral("Reading the records stored already..."));
        write.matcher.load(*connection);
        write.nextId = collection::RecordIdentity::next(*connection);
        write.links = std::make_unique<ImportLinks>(*connection);

        QStringList names = catalog::CatalogSchema::archiveColumns();
        for (const char* own : {"quelto_id", "quelto_my_rating", "quelto_seen", "quelto_notes", "quelto_location",
                                "quelto_purchased", "quelto_price", "quelto_condition", "quelto_running_time"})
            names << QString::fromLatin1(own);
        QStringList marks;
        for (qsizetype i = 1; i <= names.size(); ++i)
            marks << QStringLiteral("?%1").arg(i);
        // "or fail": a row a statement, so nothing to roll back within it, and
        // SQLite keeps no statement journal for the indexes and the TEMP triggers
        // (a failure ends the whole transaction anyway).
        write.insert = connection->prepare(QStringLiteral("insert or fail into archive (%1) values (%2)")
                                               .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));

        control.setStep(QStringLiteral("Importing \"%1\"...").arg(QFileInfo(m_source).fileName()));
        m_reader->read([&](ImportedMovie&& movie) { take(write, movie); }, &control);
        control.throwIfCancelled();
        control.setStep(QStringLiteral("Saving..."));
        transaction.commit();
    } catch (...) {
        if (changedSchema || write.madeLoans)
            db.schemaChanged(); // rolled back with the rows
        throw;
    }
    if (changedSchema || write.madeLoans)
        db.schemaChanged();
    return write.summary;
}

void CatalogueImport::take(Write& write, ImportedMovie& movie)
{
    ++write.summary.read;
    if (movie.title.trimmed().isEmpty()) {
        write.summary.leaveOut(movie.sourceNumber, QStringLiteral("no title"));
        return;
    }
    if (const qint64 rowid = write.matcher.match(movie)) {
        if (!write.watchList) {
            write.summary.leaveOut(movie.title, QStringLiteral("already in the catalogue"));
            return;
        }
        if (update(write, rowid, movie))
            ++write.summary.updated;
        return;
    }
    if (write.watchList && !m_options.addUnmatched) {
        write.summary.leaveOut(movie.title, QStringLiteral("not in the catalogue (only matching records are updated)"));
        return;
    }
    add(write, movie);
}

bool CatalogueImport::update(Write& write, qint64 rowid, const ImportedMovie& movie)
{
    catalog::SqliteConnection& connection = write.connection;
    auto stored = connection.prepare(QStringLiteral("select quelto_my_rating, quelto_seen, quelto_id from archive where rowid = ?"));
    stored->bindInt64(1, rowid);
    if (!stored->step())
        return false;
    const QVariant rating = movie.halfStars > 0 ? PersonalFormat::ratingValue(movie.halfStars) : stored->value(0);
    QVariant seen = stored->value(1);
    if (movie.seen) {
        const QString before = seen.toString();
        const QString after = movie.seenDate.isValid() ? movie.seenDate.toString(Qt::ISODate) : PersonalFormat::SeenWithoutDate;
        // A date replaces "seen" or an earlier date; "seen" never replaces a date.
        if (seen.isNull() || (movie.seenDate.isValid() && (before == PersonalFormat::SeenWithoutDate || after > before)))
            seen = after;
    }
    qint64 id = stored->value(2).isNull() ? 0 : stored->int64(2);
    const bool changed = rating != stored->value(0) || seen != stored->value(1);
    if (changed)
        write.summary.updates.push_back({rowid, stored->value(0), stored->value(1), rating, seen});
    stored.reset();
    if (id == 0)
        id = write.nextId++;
    auto change = connection.prepare(
        QStringLiteral("update archive set quelto_my_rating = ?, quelto_seen = ?, quelto_id = ? where rowid = ?"));
    change->bind(1, rating);
    change->bind(2, seen);
    change->bindInt64(3, id);
    change->bindInt64(4, rowid);
    change->step();
    write.links->store(id, movie);
    return changed;
}

QString CatalogueImport::mediaIdFor(Write& write, const ImportedMovie& movie)
{
    QString mediaId = movie.sourceNumber.simplified();
    if (mediaId.isEmpty() || mediaId.size() > MaxText || write.matcher.mediaIdUsed(mediaId)) {
        do
            mediaId = m_options.mediaIdPrefix + QString::number(write.nextNumber++);
        while (write.matcher.mediaIdUsed(mediaId));
    }
    write.matcher.useMediaId(mediaId);
    return mediaId;
}

void CatalogueImport::add(Write& write, ImportedMovie& movie)
{
    const QString mediaId = mediaIdFor(write, movie);
    QStringList cast = movie.cast;
    cast.removeAll(QString());
    std::vector<QVariant> values;
    // The 24 in table order: catalog, md_type, md_format, md_image, md_sound, md_language.
    values.push_back(mediaId);
    values.push_back(movie.medium.isEmpty() ? QVariant() : QVariant(fitted(movie.medium, QStringLiteral("Medium"), movie)));
    for (int i = 0; i < 4; ++i)
        values.emplace_back();
    values.push_back(movieField(fitted(movie.country, QStringLiteral("Countries"), movie)));
    values.push_back(movieField(movie.year.left(MaxText)));
    values.push_back(movie.publicRating.isEmpty() ? QStringLiteral("unknown") : movie.publicRating.left(MaxText));
    values.push_back(movieField(fitted(movie.language, QStringLiteral("Languages"), movie)));
    values.push_back(movieField({})); // colour
    values.push_back(movieField({})); // sound
    values.push_back(movieField(fitted(movie.genres, QStringLiteral("Genres"), movie)));
    values.push_back(movieField(fitted(movie.directors, QStringLiteral("Directors"), movie)));
    values.push_back(movieField(fitted(movie.company, QStringLiteral("Companies"), movie)));
    values.push_back(movieField(fitted(movie.writer, QStringLiteral("Writers"), movie)));
    values.push_back(movieField(fitted(movie.composer, QStringLiteral("Composers"), movie)));
    for (int slot = 0; slot < ImportedMovie::CastSlots; ++slot)
        values.push_back(movieField(cast.value(slot).simplified().left(MaxText)));
    if (cast.size() > ImportedMovie::CastSlots)
        movie.addExtra(QStringLiteral("Cast"), cast.mid(ImportedMovie::CastSlots).join(ImportedMovie::ListSeparator));
    values.push_back(movie.title.simplified().left(MaxText));

    const qint64 id = write.nextId++;
    values.push_back(id);
    values.push_back(PersonalFormat::ratingValue(movie.halfStars));
    values.push_back(movie.seen ? QVariant(movie.seenDate.isValid() ? movie.seenDate.toString(Qt::ISODate)
                                                                    : PersonalFormat::SeenWithoutDate)
                                : QVariant());
    const QString notes = movie.notesWithExtras().left(PersonalFormat::MaxNotesLength);
    values.push_back(notes.isEmpty() ? QVariant() : QVariant(notes));
    values.push_back(movie.location.isEmpty() ? QVariant() : QVariant(movie.location.left(MaxText)));
    values.push_back(movie.purchased.isValid() ? QVariant(movie.purchased.toString(Qt::ISODate)) : QVariant());
    values.push_back(movie.price && *movie.price >= 0 && *movie.price <= PersonalFormat::MaxPrice ? QVariant(*movie.price)
                                                                                                  : QVariant());
    values.push_back(movie.condition.isEmpty() ? QVariant() : QVariant(movie.condition.left(MaxText)));
    values.push_back(movie.runningTime > 0 && movie.runningTime <= PersonalFormat::MaxRunningTime
                         ? QVariant(movie.runningTime)
                         : QVariant());
    for (size_t i = 0; i < values.size(); ++i)
        write.insert->bind(int(i) + 1, values[i]);
    write.insert->step();
    write.insert->reset();
    const qint64 rowid = write.connection.lastInsertRowId();
    if (write.summary.added++ == 0)
        write.summary.firstKey = rowid;
    write.summary.lastKey = rowid;
    if (write.watchList)
        write.matcher.remember(movie, rowid);
    write.links->store(id, movie);
    storeSource(write, id, movie);
    storeCover(write, id, movie);
    storeLoans(write, mediaId, movie);
}

void CatalogueImport::storeSource(Write& write, qint64 recordId, const ImportedMovie& movie)
{
    collection::RecordSource source;
    source.address = collection::SourceStore::keptAddress(movie.webAddress);
    if (std::any_of(movie.characters.cbegin(), movie.characters.cend(), [](const QString& c) { return !c.isEmpty(); })) {
        for (qsizetype i = 0; i < movie.cast.size(); ++i)
            source.cast.append({movie.cast[i], movie.characters.value(i)});
    }
    if (!source.isEmpty())
        collection::SourceStore::store(write.connection, recordId, source);
}

void CatalogueImport::storeCover(Write& write, qint64 recordId, const ImportedMovie& movie)
{
    if (!movie.hasCover()) {
        if (!movie.coverProblem.isEmpty())
            write.summary.leaveOutCover(movie.title, movie.coverProblem);
        return;
    }
    QString problem;
    const std::optional<collection::CoverPicture> picture =
        movie.coverBytes.isEmpty() ? collection::CoverPicture::fromFile(movie.coverPath, &problem)
                                   : collection::CoverPicture::prepare(movie.coverBytes, &problem);
    if (!picture) {
        write.summary.leaveOutCover(movie.title, problem);
        return;
    }
    collection::CoverStore::store(write.connection, recordId, *picture);
    ++write.summary.covers;
}

void CatalogueImport::storeLoans(Write& write, const QString& mediaId, const ImportedMovie& movie)
{
    for (const ImportedLoan& kept : movie.loans) {
        if (kept.borrower.trimmed().isEmpty())
            continue;
        loans::Loan loan;
        loan.catalog = mediaId;
        loan.borrower = kept.borrower.simplified().left(MaxText);
        loan.lent = kept.lent.isValid() ? kept.lent : (kept.returned.isValid() ? kept.returned : QDate::currentDate());
        loan.due = kept.due;
        loan.returned = kept.returned;
        loan.note = kept.lent.isValid() ? kept.note : QStringLiteral("%1 (lent on an unknown day)").arg(kept.note).trimmed();
        write.madeLoans = loans::LoanStore::storeKept(write.connection, loan) || write.madeLoans;
        ++write.summary.loans;
    }
}

} // namespace quelto::importing
