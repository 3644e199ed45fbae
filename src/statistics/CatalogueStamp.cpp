#include "statistics/CatalogueStamp.h"

#include "catalog/SqliteConnection.h"
#include "catalog/TablePageReader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonValue>
#include <array>
#include <memory>
#include <sqlite3.h>

namespace quelto::statistics {
namespace {

quint32 bigEndian(const std::array<unsigned char, 100>& header, size_t at)
{
    return quint32(header[at]) << 24 | quint32(header[at + 1]) << 16 | quint32(header[at + 2]) << 8 |
           quint32(header[at + 3]);
}

// The first 100 bytes of the main file, read through the connection's own
// file handle.
std::optional<std::array<unsigned char, 100>> header(catalog::SqliteConnection& connection)
{
    sqlite3_file* file = connection.mainFile();
    std::array<unsigned char, 100> bytes{};
    if (!file || file->pMethods->xRead(file, bytes.data(), int(bytes.size()), 0) != SQLITE_OK)
        return std::nullopt;
    return bytes;
}

const QString Keys[] = {QStringLiteral("changeCounter"), QStringLiteral("pageCount"),
                        QStringLiteral("schemaCookie"),  QStringLiteral("userVersion"),
                        QStringLiteral("writerVersion"), QStringLiteral("size"),
                        QStringLiteral("modified"),      QStringLiteral("records"),
                        QStringLiteral("lastRowid")};

} // namespace

std::optional<CatalogueStamp> CatalogueStamp::take(catalog::SqliteConnection& connection, Records counting)
{
    const QString path = connection.path();
    if (path.isEmpty() || QFileInfo::exists(path + QStringLiteral("-wal")))
        return std::nullopt;
    // The records counted from the leaves' cell counts under the page
    // reader's read lock, or by count(*) when the pages cannot be read. The
    // row is held, and with it the read lock, while the file is looked at.
    std::unique_ptr<catalog::TablePageReader> pages;
    qint64 records = -1;
    if (counting == Records::Counted) {
        try {
            pages = std::make_unique<catalog::TablePageReader>(connection, QStringLiteral("archive"), QStringList());
            records = pages->rowCount();
        } catch (const catalog::TablePageReader::Unreadable&) {
            pages.reset();
        }
    }
    auto count = connection.prepare(
        records >= 0 || counting == Records::Uncounted
            ? QStringLiteral("select null, (select max(rowid) from archive)")
                     : QStringLiteral("select (select count(*) from archive), (select max(rowid) from archive)"));
    if (!count->step())
        return std::nullopt;
    const auto bytes = header(connection);
    static const char Magic[] = "SQLite format 3";
    if (!bytes || !std::equal(Magic, Magic + sizeof Magic, bytes->begin()) || (*bytes)[18] != 1 ||
        (*bytes)[19] != 1)
        return std::nullopt; // not a rollback-journal database
    QFileInfo info(path);
    info.setCaching(false);
    if (!info.isFile())
        return std::nullopt;
    CatalogueStamp stamp;
    stamp.changeCounter = bigEndian(*bytes, 24);
    stamp.pageCount = bigEndian(*bytes, 28);
    stamp.schemaCookie = bigEndian(*bytes, 40);
    stamp.userVersion = bigEndian(*bytes, 60);
    stamp.writerVersion = bigEndian(*bytes, 96);
    stamp.size = info.size();
    stamp.modified = info.lastModified().toMSecsSinceEpoch();
    stamp.records = counting == Records::Uncounted ? -1 : records >= 0 ? records : count->int64(0);
    stamp.lastRowid = count->int64(1);
    return stamp;
}

bool CatalogueStamp::sameAsideFromRecords(const CatalogueStamp& other) const
{
    CatalogueStamp mine = *this;
    mine.records = other.records;
    return mine == other;
}

QJsonObject CatalogueStamp::toJson() const
{
    const qint64 values[] = {changeCounter, pageCount, schemaCookie, userVersion, writerVersion,
                             size,          modified,  records,      lastRowid};
    QJsonObject json;
    for (size_t i = 0; i < std::size(Keys); ++i)
        json.insert(Keys[i], QString::number(values[i])); // as text: no rounding through a double
    return json;
}

std::optional<CatalogueStamp> CatalogueStamp::fromJson(const QJsonObject& json)
{
    qint64 values[std::size(Keys)];
    for (size_t i = 0; i < std::size(Keys); ++i) {
        bool ok = false;
        values[i] = json.value(Keys[i]).toString().toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    CatalogueStamp stamp{quint32(values[0]), quint32(values[1]), quint32(values[2]), quint32(values[3]),
                         quint32(values[4]), values[5],          values[6],          values[7],
                         values[8]};
    if (stamp.toJson() != json)
        return std::nullopt; // out of range, or keys of another kind
    return stamp;
}

} // namespace quelto::statistics
