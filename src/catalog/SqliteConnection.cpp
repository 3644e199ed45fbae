#include "catalog/SqliteConnection.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/EngineError.h"
#include "catalog/LikePattern.h"
#include "catalog/TextKeys.h"
#include "catalog/Utf8.h"
#include "catalog/ValueList.h"
#include "catalog/WesternCollation.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>
#include <csignal>
#include <mutex>
#include <sqlite3.h>
#include <sys/resource.h>

namespace quelto::catalog {
namespace {

int collate(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return WesternCollation::compareUtf8({static_cast<const char*>(a), size_t(lengthA)},
                                         {static_cast<const char*>(b), size_t(lengthB)});
}

void deletePattern(void* p) { delete static_cast<LikePattern*>(p); }

// like(pattern, text): SQLite's "text LIKE pattern" calls it with these arguments.
void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc == 3) {
        sqlite3_result_error(context, "ESCAPE is not supported in like patterns", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return; // Null
    auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        pattern = new LikePattern({p, size_t(sqlite3_value_bytes(argv[0]))});
        if (!pattern->isValid()) {
            delete pattern;
            sqlite3_result_error(context, "Invalid pattern string in like", -1);
            return;
        }
        sqlite3_set_auxdata(context, 0, pattern, deletePattern);
        pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) { // SQLite dropped it at once; match with a fresh one
            const LikePattern fresh({p, size_t(sqlite3_value_bytes(argv[0]))});
            const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
            sqlite3_result_int(context, fresh.matches({t, size_t(sqlite3_value_bytes(argv[1]))}));
            return;
        }
    }
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    sqlite3_result_int(context, pattern->matches({t, size_t(sqlite3_value_bytes(argv[1]))}));
}

std::string_view textArgument(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? std::string_view(text, size_t(sqlite3_value_bytes(value))) : std::string_view();
}

// The start of a text that goes into a helper value: one huge field does not
// make a huge key.
std::string_view keyText(sqlite3_value* value)
{
    return Utf8::firstCharacters(textArgument(value), ArchiveKeys::KeyTextLimit);
}

// quelto_sortkey(text): the text's sort key as a blob; Null stays Null.
void sortKeyFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const std::string key = TextKeys::sortKey(keyText(argv[0]));
    sqlite3_result_blob64(context, key.data(), key.size(), SQLITE_TRANSIENT);
}

// quelto_listholds(list, value): whether value is one of the entries of
// list (" / " between them), as the catalogue compares text.
void listHoldsFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(context, 0);
        return;
    }
    sqlite3_result_int(context, ValueList::holds(keyText(argv[0]), keyText(argv[1])) ? 1 : 0);
}

// quelto_searchtext(text, ...): the folded texts, one per line.
void searchTextFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    std::string out;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            out += '\n';
        if (sqlite3_value_type(argv[i]) != SQLITE_NULL)
            TextKeys::appendFolded(keyText(argv[i]), out);
    }
    sqlite3_result_text64(context, out.data(), out.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// A write beyond the file size limit raises SIGXFSZ, which ends the program
// unless it is ignored; ignored, the write fails with EFBIG and the user gets
// the disk-full message.
void ignoreFileSizeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGXFSZ, SIG_IGN);
    });
}

} // namespace

SqliteStatement::SqliteStatement(std::shared_ptr<SqliteConnection> connection, sqlite3_stmt* statement)
    : m_connection(std::move(connection)), m_statement(statement)
{
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_statement); }

void SqliteStatement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_statement, index);
    } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
               value.typeId() == QMetaType::Short) {
        rc = sqlite3_bind_int64(m_statement, index, value.toLongLong());
    } else if (value.typeId() == QMetaType::Double) {
        rc = sqlite3_bind_double(m_statement, index, value.toDouble());
    } else if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(m_statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    } else {
        const QByteArray utf8 = value.toString().toUtf8();
        rc = sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        throw m_connection->failure(rc);
}

void SqliteStatement::bindInt64(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }

void SqliteStatement::bindBlob(int index, const QByteArray& value)
{
    const int rc = sqlite3_bind_blob64(m_statement, index, value.constData(), sqlite3_uint64(value.size()),
                                       SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        throw m_connection->failure(rc);
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_statement);
    m_connection->m_afterCommit = false;
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const EngineError error = m_connection->failure(rc);
    sqlite3_reset(m_statement);
    throw error;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

int SqliteStatement::columnCount() const { return sqlite3_column_count(m_statement); }

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

QVariant SqliteStatement::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_BLOB: {
        const void* bytes = sqlite3_column_blob(m_statement, column);
        return QVariant(QByteArray(static_cast<const char*>(bytes), sqlite3_column_bytes(m_statement, column)));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column)));
    }
    }
}

qint64 SqliteStatement::int64(int column) const { return sqlite3_column_int64(m_statement, column); }

sqlite3* SqliteConnection::openHandle(const QString& path, Mode mode)
{
    sqlite3* db = nullptr;
    // Each connection is used by one thread at a time (the window's, or a
    // worker's of its own): the engine's per-call locking is not needed.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::CreateNew)
        flags |= SQLITE_OPEN_CREATE;
    else if (mode == Mode::OpenReadOnly)
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        throw EngineError(message);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, LockWaitMs);
    // No memory map: a mapped file that shrinks under the program kills it
    // with SIGBUS, where the engine's own reads report an error.
    sqlite3_exec(db, "PRAGMA mmap_size = 0", nullptr, nullptr, nullptr);
    return db;
}

std::shared_ptr<SqliteConnection> SqliteConnection::open(const QString& path, Mode mode)
{
    ignoreFileSizeSignal();
    std::shared_ptr<SqliteConnection> connection(new SqliteConnection(openHandle(path, mode), path, mode));
    connection->installCatalogFunctions();
    return connection;
}

SqliteConnection::~SqliteConnection() { sqlite3_close_v2(m_db); }

sqlite3_file* SqliteConnection::mainFile() const
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return nullptr;
    return file;
}

bool SqliteConnection::reopenIfMoved()
{
    int moved = 0;
    if (m_path.isEmpty() || sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK ||
        !moved || inTransaction() || !QFileInfo(m_path).isFile())
        return false;
    sqlite3* fresh = openHandle(m_path, m_mode == Mode::CreateNew ? Mode::OpenExisting : m_mode);
    sqlite3_close_v2(m_db); // statements still held keep the old handle alive until they go
    m_db = fresh;
    installCatalogFunctions();
    ++m_generation;
    return true;
}

EngineError SqliteConnection::failure(int rc) const
{
    using Kind = EngineError::Kind;
    const QString file = QDir::toNativeSeparators(m_path);
    const QString engine = errorMessage();
    const int primary = rc & 0xff;
    const int systemError = sqlite3_system_errno(m_db);
    const QFileInfo info(m_path);
    const bool gone = !m_path.isEmpty() && (!info.exists() || (info.size() == 0 && m_mode != Mode::CreateNew));
    if (rc == SQLITE_READONLY_DBMOVED || (gone && primary != SQLITE_BUSY && primary != SQLITE_LOCKED)) {
        return {Kind::Vanished,
                QStringLiteral("The catalogue file \"%1\" is gone or has been emptied: it was deleted, moved or "
                               "replaced while Quelto had it open.")
                    .arg(file)};
    }
    const auto diskFull = [&] {
        return EngineError(Kind::DiskFull,
                           QStringLiteral("The disk that holds the catalogue \"%1\" is full.").arg(file));
    };
    switch (primary) {
    case SQLITE_FULL:
        return diskFull();
    case SQLITE_IOERR: {
        // The error number may be lost by the time the engine reports; a
        // nearly full disk or a file size limit tells the same.
        const QStorageInfo storage(info.absolutePath());
        rlimit sizeLimit{};
        const bool limited = getrlimit(RLIMIT_FSIZE, &sizeLimit) == 0 && sizeLimit.rlim_cur != RLIM_INFINITY;
        if (systemError == ENOSPC || systemError == EFBIG || systemError == EDQUOT || limited ||
            (storage.isValid() && storage.bytesAvailable() < 64 * 1024))
            return diskFull();
        QString detail = engine;
        if (systemError != 0)
            detail += QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(systemError));
        return {Kind::IoError,
                QStringLiteral("The catalogue file \"%1\" could not be read or written (%2).").arg(file, detail)};
    }
    case SQLITE_READONLY:
        return {Kind::ReadOnly, QStringLiteral("The catalogue \"%1\" is read-only.").arg(file)};
    case SQLITE_CANTOPEN:
        if (!QFileInfo(info.absolutePath()).isWritable()) {
            return {Kind::ReadOnly,
                    QStringLiteral("The catalogue \"%1\" is read-only: its folder cannot be written.").arg(file)};
        }
        return {Kind::IoError, QStringLiteral("The catalogue file \"%1\" could not be opened (%2).").arg(file, engine)};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {Kind::Locked,
                QStringLiteral("The catalogue \"%1\" is locked by another program that is using it%2.")
                    .arg(file, m_otherHolder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m_otherHolder))};
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return {Kind::Damaged, QStringLiteral("The catalogue \"%1\" is damaged (%2).").arg(file, engine)};
    case SQLITE_CONSTRAINT:
    case SQLITE_TOOBIG:
    case SQLITE_MISMATCH:
        return {Kind::Refused, engine};
    default:
        return {Kind::Other, engine};
    }
}

void SqliteConnection::refuseWrites(const EngineError& reason) { m_refusal = std::make_unique<EngineError>(reason); }

void SqliteConnection::allowWrites() { m_refusal.reset(); }

void SqliteConnection::requireWritable() const
{
    if (m_refusal)
        throw *m_refusal;
}

void SqliteConnection::checkWritable()
{
    for (const auto& hook : m_beforeWrite)
        hook();
    if (!inTransaction())
        reopenIfMoved();
    if (m_writeGate)
        m_writeGate();
    requireWritable();
}

void SqliteConnection::beginWrite()
{
    checkWritable();
    // The first-change steps, once for the change under way (a caller may
    // pass the checks before its transaction and again in it).
    if (!m_stored && m_firstWriteHook && !m_hookRan) {
        m_hookRan = true;
        m_firstWriteHook();
    }
    // The id goes into the change's transaction, so both are stored or neither.
    if (inTransaction() && !m_idSettled && !m_idWritten && m_applicationId != 0)
        adoptApplicationId();
    m_writeBegun = true;
}

void SqliteConnection::adoptApplicationId()
{
    auto statement = prepare(QStringLiteral("pragma application_id"));
    const bool carriesOne = statement->step() && statement->int64(0) != 0;
    statement.reset();
    if (carriesOne) {
        m_idSettled = true; // this program's, or another program's that it keeps
        return;
    }
    m_idWritten = true;
    try {
        exec(QStringLiteral("PRAGMA application_id = %1").arg(m_applicationId));
    } catch (const EngineError&) {
        m_idWritten = false;
        throw;
    }
}

int SqliteConnection::onCommit(void* self)
{
    auto* c = static_cast<SqliteConnection*>(self);
    c->m_storedBefore = c->m_stored;
    c->m_idSettledBefore = c->m_idSettled;
    if (c->m_writeBegun)
        c->m_stored = true;
    c->m_idSettled = c->m_idSettled || c->m_idWritten;
    c->m_writeBegun = false;
    c->m_idWritten = false;
    c->m_hookRan = false;
    c->m_afterCommit = true;
    return 0;
}

void SqliteConnection::onRollback(void* self)
{
    auto* c = static_cast<SqliteConnection*>(self);
    if (c->m_afterCommit) { // the commit failed after its hook had run
        c->m_stored = c->m_storedBefore;
        c->m_idSettled = c->m_idSettledBefore;
    }
    c->m_writeBegun = false;
    c->m_idWritten = false;
    c->m_hookRan = false;
    c->m_afterCommit = false;
}

void SqliteConnection::installCatalogFunctions()
{
    sqlite3_commit_hook(m_db, onCommit, this);
    sqlite3_rollback_hook(m_db, onRollback, this);
    // The schema declares text columns COLLATE NOCASE, so the stock sqlite3 tool
    // still reads a catalogue; here that name carries the full Western order.
    sqlite3_create_collation_v2(m_db, "NOCASE", SQLITE_UTF8, nullptr, collate, nullptr);
    for (int args : {2, 3}) {
        sqlite3_create_function_v2(m_db, "like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction,
                                   nullptr, nullptr, nullptr);
    }
    // For the helper columns of older files (ArchiveKeys); only the program's
    // TEMP triggers call them.
    sqlite3_create_function_v2(m_db, "quelto_sortkey", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               sortKeyFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "quelto_searchtext", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               searchTextFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "quelto_listholds", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               listHoldsFunction, nullptr, nullptr, nullptr);
}

void SqliteConnection::exec(const QString& sql)
{
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    m_afterCommit = false;
    if (rc != SQLITE_OK)
        throw failure(rc);
}

std::unique_ptr<SqliteStatement> SqliteConnection::prepare(const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &statement, nullptr);
    if (rc != SQLITE_OK)
        throw failure(rc);
    return std::make_unique<SqliteStatement>(shared_from_this(), statement);
}

qint64 SqliteConnection::lastInsertRowId() const { return sqlite3_last_insert_rowid(m_db); }
int SqliteConnection::changes() const { return sqlite3_changes(m_db); }
qint64 SqliteConnection::totalChanges() const { return sqlite3_total_changes64(m_db); }
void SqliteConnection::interrupt() { sqlite3_interrupt(m_db); }
QString SqliteConnection::errorMessage() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
bool SqliteConnection::isReadOnly() const { return sqlite3_db_readonly(m_db, "main") == 1; }
bool SqliteConnection::inTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }

} // namespace quelto::catalog
