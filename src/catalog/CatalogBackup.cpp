#include "catalog/CatalogBackup.h"

#include "catalog/EngineError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <sqlite3.h>

namespace quelto::catalog {
namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

QString stem(const QFileInfo& info) { return info.completeBaseName() + QStringLiteral(".backup-"); }

QString dotSuffix(const QFileInfo& info)
{
    return info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
}

// Both handles are closed however the copy ends.
struct Handles
{
    sqlite3* source = nullptr;
    sqlite3* copy = nullptr;
    ~Handles()
    {
        sqlite3_close(copy);
        sqlite3_close(source);
    }
};

// A copy's time and the number that tells copies of the same second apart,
// from its name; invalid for a name that is no copy's.
struct CopyName
{
    QDateTime time;
    int serial = 0;
};

CopyName parseName(const QString& catalogue, const QString& copy)
{
    const QFileInfo info(catalogue);
    static const QRegularExpression tail(QStringLiteral(R"(^(\d{4}-\d\d-\d\d-\d{6})(?:-(\d+))?$)"));
    QString name = QFileInfo(copy).fileName();
    const QString prefix = stem(info);
    const QString suffix = dotSuffix(info);
    if (!name.startsWith(prefix) || !name.endsWith(suffix))
        return {};
    name = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
    const QRegularExpressionMatch m = tail.match(name);
    if (!m.hasMatch())
        return {};
    return {QDateTime::fromString(m.captured(1), TimeFormat), m.captured(2).toInt()};
}

QString copyCommitted(const QString& catalogue, const QString& partial)
{
    Handles h;
    int rc = sqlite3_open_v2(catalogue.toUtf8().constData(), &h.source, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_open_v2(partial.toUtf8().constData(), &h.copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(h.source, 2000);
        sqlite3_backup* backup = sqlite3_backup_init(h.copy, "main", h.source, "main");
        if (backup) {
            do {
                rc = sqlite3_backup_step(backup, -1);
                if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                    sqlite3_sleep(50);
            } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
            sqlite3_backup_finish(backup);
        }
        if (rc == SQLITE_DONE)
            rc = sqlite3_errcode(h.copy);
    }
    if (rc == SQLITE_OK || rc == SQLITE_DONE)
        return {};
    sqlite3* failed = h.copy ? h.copy : h.source;
    if (failed && sqlite3_errcode(failed) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(failed));
    return QString::fromUtf8(sqlite3_errstr(rc));
}

} // namespace

QString CatalogBackup::nameFor(const QString& catalogue, const QDateTime& when)
{
    const QFileInfo info(catalogue);
    return info.dir().filePath(stem(info) + when.toString(TimeFormat) + dotSuffix(info));
}

namespace {

// A second copy within the same second: "quelto.backup-2026-12-07-180102-2.mdb".
QString freeName(const QString& catalogue, const QDateTime& when)
{
    const QFileInfo info(catalogue);
    QString name = CatalogBackup::nameFor(catalogue, when);
    for (int serial = 2; QFileInfo::exists(name); ++serial) {
        name = info.dir().filePath(stem(info) + when.toString(TimeFormat) + QStringLiteral("-%1").arg(serial) +
                                   dotSuffix(info));
    }
    return name;
}

// Whether a file holds the table archive: a copy that does not is no backup.
QString archiveProblem(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    QString problem;
    if (sqlite3_prepare_v2(db, "select count(*) from sqlite_master where type = 'table' and name = 'archive' "
                               "collate nocase",
                           -1, &statement, nullptr) != SQLITE_OK ||
        sqlite3_step(statement) != SQLITE_ROW) {
        problem = QString::fromUtf8(sqlite3_errmsg(db));
    } else if (sqlite3_column_int(statement, 0) == 0) {
        problem = QStringLiteral("it holds no catalogue (the file may have been emptied or cut short)");
    }
    sqlite3_finalize(statement);
    return problem;
}

bool holdsCatalogue(const QString& path)
{
    sqlite3* db = nullptr;
    const bool opened = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    const bool holds = opened && archiveProblem(db).isEmpty();
    sqlite3_close(db);
    return holds;
}

} // namespace

QStringList CatalogBackup::existing(const QString& catalogue)
{
    const QFileInfo info(catalogue);
    QList<QPair<QString, CopyName>> copies;
    for (const QString& name : info.dir().entryList({stem(info) + QLatin1Char('*') + dotSuffix(info)}, QDir::Files)) {
        const CopyName parsed = parseName(catalogue, name);
        if (parsed.time.isValid())
            copies.append({info.dir().filePath(name), parsed});
    }
    std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) {
        return a.second.time != b.second.time ? a.second.time > b.second.time : a.second.serial > b.second.serial;
    });
    QStringList paths;
    for (const auto& copy : copies)
        paths << copy.first;
    return paths;
}

QStringList CatalogBackup::kept(const QList<QPair<QString, QDateTime>>& copies, const QDateTime& now)
{
    QStringList keep;
    const QDate today = now.date();
    QList<QDate> daysSeen;
    for (qsizetype i = 0; i < copies.size(); ++i) {
        const QDate day = copies[i].second.date();
        const bool recentDay = day <= today && day > today.addDays(-KeptDays);
        if (i < KeptNewest || (recentDay && !daysSeen.contains(day)))
            keep << copies[i].first;
        if (recentDay && !daysSeen.contains(day))
            daysSeen << day;
    }
    return keep;
}

QString CatalogBackup::checkCopy(const QString& copy)
{
    sqlite3* db = nullptr;
    QString problem;
    if (sqlite3_open_v2(copy.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        problem = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        problem = archiveProblem(db);
        if (problem.isEmpty()) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, "pragma quick_check(3)", -1, &statement, nullptr);
            QStringList found;
            int rc;
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
                found << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            if (rc != SQLITE_DONE)
                found << QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(statement);
            if (found != QStringList{QStringLiteral("ok")})
                problem = QStringLiteral("the copy is damaged (%1)").arg(found.join(QStringLiteral("; ")));
        }
    }
    sqlite3_close(db);
    return problem;
}

QString CatalogBackup::make(const QString& catalogue, const QDateTime& when, const QString& replaces)
{
    const QString target = freeName(catalogue, when);
    const QString partial =
        QStringLiteral("%1.%2.partial").arg(target).arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    QString failure = copyCommitted(catalogue, partial);
    if (failure.isEmpty())
        failure = checkCopy(partial);
    if (failure.isEmpty() && !QFile::rename(partial, target))
        failure = QStringLiteral("the copy could not be renamed to \"%1\"").arg(QDir::toNativeSeparators(target));
    if (!failure.isEmpty()) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        throw EngineError(QStringLiteral("No backup copy of \"%1\" could be made: %2")
                              .arg(QDir::toNativeSeparators(catalogue), failure));
    }
    if (!replaces.isEmpty() && replaces != target)
        QFile::remove(replaces);

    // Only copies that hold a catalogue count towards the kept ones; a copy
    // that does not is no backup and goes.
    QList<QPair<QString, QDateTime>> copies;
    for (const QString& copy : existing(catalogue)) {
        if (copy != target && !holdsCatalogue(copy)) {
            QFile::remove(copy);
            continue;
        }
        copies.append({copy, parseName(catalogue, copy).time});
    }
    const QStringList keep = kept(copies, when);
    for (const auto& copy : copies) {
        if (!keep.contains(copy.first))
            QFile::remove(copy.first);
    }
    return target;
}

int CatalogBackup::removeLeftovers(const QString& catalogue)
{
    const QFileInfo info(catalogue);
    int removed = 0;
    // The copy and the engine's files beside it ("...partial-journal").
    const QString partial = stem(info) + QLatin1Char('*') + QStringLiteral(".partial");
    for (const QString& name : info.dir().entryList({partial, partial + QStringLiteral("-journal"),
                                                     partial + QStringLiteral("-wal"), partial + QStringLiteral("-shm")},
                                                    QDir::Files | QDir::Hidden)) {
        if (QFile::remove(info.dir().filePath(name)))
            ++removed;
    }
    return removed;
}

} // namespace quelto::catalog
