// CSV files of any bytes: the reader and the writer agree (what is read and
// written again reads back the same), and an import checks every row, stores
// exactly the rows it accepted, never a NUL character, and finds them all
// stored already when the same file comes again.
#include "catalog/CatalogLoader.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "exchange/CsvImport.h"
#include "exchange/CsvReader.h"
#include "exchange/CsvWriter.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

using namespace quelto;

namespace {

struct Catalogue
{
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<catalog::Database> db;
};

Catalogue& catalogue()
{
    static Catalogue* made = [] {
        auto* c = new Catalogue;
        c->path = c->dir.filePath(QStringLiteral("fuzz.mdb"));
        catalog::CatalogLoader::createCatalogFile(c->path);
        c->db = catalog::Database::open(c->path);
        c->db->connection()->exec(QStringLiteral("pragma synchronous = off; pragma journal_mode = memory"));
        c->db->connection()->exec(QStringLiteral("insert into archive (catalog, title, mv_genre) values "
                                                 "('A1', 'Stored', ' '), ('A2', 'Zweite', 'Drama')"));
        return c;
    }();
    return *made;
}

qint64 single(catalog::SqliteConnection& connection, const QString& sql)
{
    auto statement = connection.prepare(sql);
    statement->step();
    return statement->value(0).toLongLong();
}

void roundTrip(const std::vector<exchange::CsvRecord>& records)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    exchange::CsvWriter writer(buffer);
    for (const exchange::CsvRecord& record : records)
        writer.writeRecord(record.fields);
    writer.finish();
    const std::vector<exchange::CsvRecord> again = exchange::CsvReader::parse(buffer.data());
    // A record of one Null field is an empty line, which the reader skips.
    size_t j = 0;
    for (const exchange::CsvRecord& record : records) {
        if (record.fields.size() == 1 && !record.fields[0].isValid())
            continue;
        if (j >= again.size() || again[j].fields.size() != record.fields.size())
            std::abort();
        for (size_t f = 0; f < record.fields.size(); ++f) {
            const QVariant& a = record.fields[f];
            const QVariant& b = again[j].fields[f];
            if (a.isValid() != b.isValid() || a.toString() != b.toString())
                std::abort();
        }
        ++j;
    }
    if (j != again.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<exchange::CsvRecord> records;
    try {
        records = exchange::CsvReader::parse(bytes);
    } catch (const catalog::EngineError&) {
        return 0; // a malformed file is refused as a whole
    }
    roundTrip(records);

    Catalogue& c = catalogue();
    catalog::SqliteConnection& connection = *c.db->connection();
    exchange::CsvImport import = exchange::CsvImport::fromBytes(bytes);
    try {
        import.check(c.path);
    } catch (const catalog::EngineError&) {
        return 0; // no header naming title and catalogue ID
    }
    if (import.acceptedCount() + import.refusedCount() + 1 != qint64(records.size()))
        std::abort();
    const qint64 before = single(connection, QStringLiteral("select count(*) from archive"));
    const qint64 lastKey = single(connection, QStringLiteral("select max(rowid) from archive"));
    const qint64 stored = import.append(*c.db);
    if (stored != import.toStore(exchange::CsvImport::Duplicates::Skip) ||
        single(connection, QStringLiteral("select count(*) from archive")) != before + stored)
        std::abort();
    QStringList nul;
    for (const char* column : {"catalog", "title", "mv_genre", "mv_director", "md_type", "mv_cast6", "mv_rating"})
        nul << QStringLiteral("instr(%1, char(0))").arg(QString::fromLatin1(column));
    if (single(connection, QStringLiteral("select count(*) from archive where ") + nul.join(QStringLiteral(" or "))) != 0)
        std::abort();
    // The same file again: every row it can give is in the catalogue now.
    exchange::CsvImport again = exchange::CsvImport::fromBytes(bytes);
    again.check(c.path);
    if (again.duplicateCount() != again.acceptedCount())
        std::abort();
    connection.exec(QStringLiteral("delete from archive where rowid > %1").arg(lastKey));
    return 0;
}
