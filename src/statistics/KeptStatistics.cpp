#include "statistics/KeptStatistics.h"

#include "catalog/EngineError.h"
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

    std::optional<StatisticsFigures> find(const QString& path, const CatalogueStamp& of)
    {
        const std::lock_guard lock(mutex);
        if (figures && catalogue == path && stamp == of)
            return figures;
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

std::optional<StatisticsFigures> KeptStatistics::read(const QString& cataloguePath, const CatalogueStamp& stamp)
{
    QFile file(fileFor(cataloguePath));
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestKeptFile)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(LargestKeptFile));
    const QJsonObject kept = document.object();
    if (kept.value(QStringLiteral("format")).toInt() != Format ||
        kept.value(QStringLiteral("catalogue")).toString() != canonical(cataloguePath) ||
        CatalogueStamp::fromJson(kept.value(QStringLiteral("stamp")).toObject()) != stamp)
        return std::nullopt;
    return StatisticsJson::fromJson(kept.value(QStringLiteral("figures")).toObject());
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
    const std::optional<CatalogueStamp> stamp = CatalogueStamp::take(connection);
    if (stamp) {
        std::optional<StatisticsFigures> found = memory().find(canonical(path), *stamp);
        Source from = Source::Memory;
        if (!found) {
            found = read(path, *stamp);
            from = Source::File;
            if (found)
                memory().keep(canonical(path), *stamp, *found);
        }
        if (found) {
            if (source)
                *source = from;
            StatisticsCollector::recountLoans(connection, today, *found);
            return std::move(*found);
        }
    }
    StatisticsFigures figures = StatisticsCollector::collect(connection, today);
    // Kept only when nothing was written meanwhile.
    if (stamp && CatalogueStamp::take(connection) == stamp) {
        memory().keep(canonical(path), *stamp, figures);
        write(path, *stamp, figures);
    }
    return figures;
}

} // namespace quelto::statistics
