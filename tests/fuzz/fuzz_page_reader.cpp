// The reader of a table's pages on damaged catalogue files: it reads them or
// refuses them, never crashes or hangs; and what it reads to the end equals
// what SQLite reads when SQLite reads the same rows without an error. The
// input is the whole file; its table t (or archive) is read.
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/TablePageReader.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quelto::catalog;

namespace {

constexpr int MostRows = 20000;

using Row = std::vector<std::optional<std::string>>;

std::optional<std::vector<Row>> byPages(const QString& path, const QString& table, const QStringList& columns)
{
    std::vector<Row> rows;
    try {
        auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
        TablePageReader reader(*connection, table, columns);
        while (rows.size() < MostRows && reader.step()) {
            Row row;
            for (int c = 0; c < int(columns.size()); ++c) {
                const auto value = reader.value(c);
                row.push_back(value ? std::optional<std::string>(std::string(*value)) : std::nullopt);
                (void)reader.isInteger(c);
                (void)reader.integer(c);
            }
            rows.push_back(std::move(row));
        }
    } catch (const TablePageReader::Unreadable&) {
        return std::nullopt;
    } catch (const EngineError&) {
        return std::nullopt;
    }
    return rows;
}

std::optional<std::vector<Row>> bySql(const QString& path, const QString& table, const QStringList& columns)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return std::nullopt;
    }
    const QByteArray sql = "select " + columns.join(u',').toUtf8() + " from " + table.toUtf8();
    sqlite3_stmt* statement = nullptr;
    std::vector<Row> rows;
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    while (rc == SQLITE_OK && rows.size() < MostRows && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
        Row row;
        for (int c = 0; c < int(columns.size()); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            row.push_back(text ? std::optional<std::string>(std::string(
                                     text, size_t(sqlite3_column_bytes(statement, c))))
                               : std::nullopt);
        }
        rows.push_back(std::move(row));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        return std::nullopt;
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = QDir::temp().filePath(QStringLiteral("fuzz_page_reader-%1.db").arg(getpid()));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    for (const QString& table : {QStringLiteral("t"), QStringLiteral("archive")}) {
        const QStringList columns = table == QLatin1String("t")
                                        ? QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}
                                        : QStringList{QStringLiteral("md_type"), QStringLiteral("mv_cast6")};
        const auto pages = byPages(path, table, columns);
        if (!pages)
            continue;
        const auto sql = bySql(path, table, columns);
        if (sql && *sql != *pages)
            std::abort(); // read to the end, and not what SQLite reads
    }
    QFile::remove(path);
    return 0;
}
