#include "catalog/CatalogBackup.h"

#include "catalog/EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace quelto::catalog {
namespace {

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

} // namespace

QString CatalogBackup::nameFor(const QString& catalogue, const QDateTime& when)
{
    const QFileInfo info(catalogue);
    return info.dir().filePath(stem(info) + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + dotSuffix(info));
}

QStringList CatalogBackup::existing(const QString& catalogue)
{
    const QFileInfo info(catalogue);
    QStringList names = info.dir().entryList({stem(info) + QLatin1Char('*') + dotSuffix(info)}, QDir::Files,
                                             QDir::Name | QDir::Reversed);
    names.removeIf([](const QString& name) { return name.endsWith(QLatin1String(".partial")); });
    for (QString& name : names)
        name = info.dir().filePath(name);
    return names;
}

QString CatalogBackup::make(const QString& catalogue, const QDateTime& when)
{
    const QString target = nameFor(catalogue, when);
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);
    QString failure;
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
            rc = sqlite3_errcode(h.copy);
        }
        if (rc != SQLITE_OK && rc != SQLITE_DONE) {
            sqlite3* failed = h.copy ? h.copy : h.source;
            failure = failed ? QString::fromUtf8(sqlite3_errmsg(failed)) : QStringLiteral("out of memory");
        }
    }
    if (failure.isEmpty()) {
        QFile::remove(target);
        if (!QFile::rename(partial, target))
            failure = QStringLiteral("the copy could not be renamed to \"%1\"").arg(QDir::toNativeSeparators(target));
    }
    if (!failure.isEmpty()) {
        QFile::remove(partial);
        throw EngineError(QStringLiteral("No backup copy of \"%1\" could be made: %2")
                              .arg(QDir::toNativeSeparators(catalogue), failure));
    }
    const QStringList copies = existing(catalogue);
    for (qsizetype i = Kept; i < copies.size(); ++i)
        QFile::remove(copies.at(i));
    return target;
}

} // namespace quelto::catalog
