#include "statistics/KeptStatistics.h"

#include "catalog/EngineError.h"
#include "catalog/ReadTransaction.h"
#include "catalog/SqliteConnection.h"
#include "groups/RawQuery.h"
#include "statistics/StatisticsCollector.h"
#include "statistics/StatisticsJson.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>
#include <mutex>

namespace quelto::statistics {
namespace {

QString& chosenLocation()
{
    static QString folder;
    return folder;
}

// A kept file is a few kilobytes; anything far larger is not one.
constexpr qint64 LargestKeptFile = 4 * 1024 * 1024;

QString canonical(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QFileInfo(path).absoluteFilePath() : real;
}

// The figures made last in this run, with the catalogue and stamp they are of.
struct Memory
{
    std::mutex mutex;
    QString catalogue;
    CatalogueStamp stamp;
    std::optional<StatisticsFigures> figures;

    // The figures of the file in that state, the records aside, with their stamp.
    std::optional<std::pair<CatalogueStamp, StatisticsFigures>> find(const QString& path, const CatalogueStamp& of)
    {
        const std::lock_guard lock(mutex);
        if (figures && catalogue == path && stamp.sameAsideFromRecords(of))
            return std::pair{stamp, *figures};
        return std::nullopt;
    }
    void keep(const QString& path, const CatalogueStamp& of, const StatisticsFigures& made)
    {
        const std::lock_guard lock(mutex);
        catalogue = path;
        stamp = of;
        figures = made;
    }
    void forget()
    {
        const std::lock_guard lock(mutex);
        figures.reset();
    }
};

Memory& memory()
{
    static Memory kept;
    return kept;
}

} // namespace

QString KeptStatistics::location()
{
    if (!chosenLocation().isEmpty())
        return chosenLocation();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("quelto/statistics"));
}

void KeptStatistics::setLocation(const QString& folder) { chosenLocation() = folder; }

QString KeptStatistics::fileFor(const QString& cataloguePath)
{
    const QByteArray hash =
        QCryptographicHash::hash(canonical(cataloguePath).toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return QDir(location()).filePath(QString::fromLatin1(hash) + QStringLiteral(".json"));
}

namespace {

// The kept file's stamp and figures, if it is one of this catalogue.
std::optional<std::pair<CatalogueStamp, StatisticsFigures>> readKept(const QString& cataloguePath)
{
    QFile file(KeptStatistics::fileFor(cataloguePath));
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestKeptFile)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(LargestKeptFile));
    const QJsonObject kept = document.object();
    if (kept.value(QStringLiteral("format")).toInt() != KeptStatistics::Format ||
        kept.value(QStringLiteral("catalogue")).toString() != canonical(cataloguePath))
        return std::nullopt;
    const std::optional<CatalogueStamp> stamp = CatalogueStamp::fromJson(kept.value(QStringLiteral("stamp")).toObject());
    if (!stamp)
        return std::nullopt;
    std::optional<StatisticsFigures> figures = StatisticsJson::fromJson(kept.value(QStringLiteral("figures")).toObject());
    if (!figures)
        return std::nullopt;
    return std::pair{*stamp, std::move(*figures)};
}

} // namespace

std::optional<StatisticsFigures> KeptStatistics::read(const QString& cataloguePath, const CatalogueStamp& stamp)
{
    std::optional<std::pair<CatalogueStamp, StatisticsFigures>> kept = readKept(cataloguePath);
    if (!kept || kept->first != stamp)
        return std::nullopt;
    return std::move(kept->second);
}

bool KeptStatistics::write(const QString& cataloguePath, const CatalogueStamp& stamp,
                           const StatisticsFigures& figures)
{
    if (!QDir().mkpath(location()))
        return false;
    const QJsonObject kept{{QStringLiteral("format"), Format},
                           {QStringLiteral("catalogue"), canonical(cataloguePath)},
                           {QStringLiteral("stamp"), stamp.toJson()},
                           {QStringLiteral("figures"), StatisticsJson::toJson(figures)}};
    QSaveFile file(fileFor(cataloguePath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(kept).toJson(QJsonDocument::Compact));
    return file.commit();
}

std::optional<KeptStatistics::Carried> KeptStatistics::beforeOwnWrite(catalog::SqliteConnection& connection)
{
    try {
        const std::optional<CatalogueStamp> stamp = CatalogueStamp::take(connection);
        if (!stamp)
            return std::nullopt;
        std::optional<StatisticsFigures> figures = read(connection.path(), *stamp);
        if (!figures)
            return std::nullopt;
        return Carried{*stamp, std::move(*figures)};
    } catch (const catalog::EngineError&) {
        return std::nullopt;
    }
}

void KeptStatistics::afterOwnWrite(catalog::SqliteConnection& connection, const Carried& carried)
{
    try {
        const std::optional<CatalogueStamp> after = CatalogueStamp::take(connection);
        if (!after || after->changeCounter != carried.before.changeCounter + 1 ||
            after->records != carried.before.records || after->lastRowid != carried.before.lastRowid)
            return;
        memory().keep(canonical(connection.path()), *after, carried.figures);
        write(connection.path(), *after, carried.figures);
    } catch (const catalog::EngineError&) {
    }
}

void KeptStatistics::forgetMemory() { memory().forget(); }

StatisticsFigures KeptStatistics::collect(catalog::SqliteConnection& connection, const QDate& today,
                                          Source* source)
{
    if (source)
        *source = Source::Pass;
    if (groups::RawQuery::tableColumns(connection, QStringLiteral("archive")).isEmpty())
        return StatisticsCollector::collect(connection, today);
    const QString path = connection.path();
    // No other program commits during the rest of the pass, so the stamp
    // taken first is that of the file the pass reads, on this connection or
    // another.
    const catalog::ReadTransaction lock(connection, catalog::ReadTransaction::Lock::Now);
    // The records are counted only when the rest of the stamp matches kept
    // figures: after a change the pass counts them itself.
    std::optional<CatalogueStamp> stamp = CatalogueStamp::take(connection, CatalogueStamp::Records::Uncounted);
    if (stamp) {
        std::optional<std::pair<CatalogueStamp, StatisticsFigures>> found = memory().find(canonical(path), *stamp);
        Source from = Source::Memory;
        if (!found) {
            found = readKept(path);
            from = Source::File;
            if (found && !found->first.sameAsideFromRecords(*stamp))
                found.reset();
        }
        if (found) {
            const std::optional<CatalogueStamp> counted = CatalogueStamp::take(connection);
            if (counted && *counted == found->first) {
                if (from == Source::File)
                    memory().keep(canonical(path), found->first, found->second);
                if (source)
                    *source = from;
                StatisticsCollector::recountLoans(connection, today, found->second);
                return std::move(found->second);
            }
        }
    }
    StatisticsFigures figures = StatisticsCollector::collect(connection, today);
    // The whole catalogue's pass counted every row of the file the stamp is of.
    if (stamp) {
        stamp->records = figures.records;
        memory().keep(canonical(path), *stamp, figures);
        write(path, *stamp, figures);
    }
    return figures;
}

} // namespace quelto::statistics
