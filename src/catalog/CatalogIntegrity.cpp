#include "catalog/CatalogIntegrity.h"

#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"

#include <QStringList>

namespace quelto::catalog {
namespace {

bool isTextType(const QString& declared)
{
    const QString t = declared.toUpper();
    return t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR")) ||
           t.contains(QLatin1String("CLOB")) || t.isEmpty();
}

// An index another program made on a text column or an expression.
bool isForeignIndex(SqliteConnection& connection, const QString& index, const QString& table)
{
    QStringList textColumns;
    auto columns = connection.prepare(QStringLiteral("pragma table_info(%1)").arg(SqlTranslator::quoteName(table)));
    while (columns->step()) {
        if (isTextType(columns->value(2).toString()))
            textColumns << columns->value(1).toString().toLower();
    }
    const bool ours = index.startsWith(QLatin1String("quelto_"), Qt::CaseInsensitive);
    bool touchesText = false;
    bool binaryOnly = true;
    auto keys = connection.prepare(QStringLiteral("pragma index_xinfo(%1)").arg(SqlTranslator::quoteName(index)));
    while (keys->step()) {
        if (keys->value(5).toLongLong() == 0) // not a key column
            continue;
        const qlonglong cid = keys->value(1).toLongLong();
        if (cid == -2 || (cid >= 0 && textColumns.contains(keys->value(2).toString().toLower())))
            touchesText = true;
        if (keys->value(4).toString().compare(QLatin1String("BINARY"), Qt::CaseInsensitive) != 0)
            binaryOnly = false;
    }
    return touchesText && !(ours && binaryOnly);
}

} // namespace

std::vector<CatalogIntegrity::ForeignObject> CatalogIntegrity::foreignObjects(SqliteConnection& connection)
{
    std::vector<ForeignObject> found;
    auto objects = connection.prepare(
        QStringLiteral("select type, name, tbl_name from sqlite_master where type in ('trigger', 'view') "
                       "order by type, name"));
    while (objects->step()) {
        found.push_back({objects->value(0).toString(), objects->value(1).toString(), objects->value(2).toString()});
    }
    objects.reset();
    auto indexes = connection.prepare(QStringLiteral(
        "select name, tbl_name from sqlite_master where type = 'index' and substr(name, 1, 7) <> 'sqlite_'"));
    while (indexes->step()) {
        const QString name = indexes->value(0).toString();
        const QString table = indexes->value(1).toString();
        if (isForeignIndex(connection, name, table))
            found.push_back({QStringLiteral("index"), name, table});
    }
    return found;
}

QString CatalogIntegrity::describe(const std::vector<ForeignObject>& objects)
{
    QStringList lines;
    for (const ForeignObject& object : objects) {
        if (object.type == QLatin1String("view"))
            lines << QStringLiteral("view \"%1\"").arg(object.name);
        else
            lines << QStringLiteral("%1 \"%2\" on %3").arg(object.type, object.name, object.table);
    }
    return lines.join(QLatin1Char('\n'));
}

void CatalogIntegrity::removeForeignObjects(SqliteConnection& connection, const std::vector<ForeignObject>& objects)
{
    WriteTransaction transaction(connection);
    for (const ForeignObject& object : objects) {
        connection.exec(QStringLiteral("drop %1 if exists %2")
                            .arg(object.type, SqlTranslator::quoteName(object.name)));
    }
    transaction.commit();
}

const QStringList& CatalogIntegrity::checkedLater()
{
    static const QStringList tables = {QStringLiteral("quelto_covers")};
    return tables;
}

QString CatalogIntegrity::quickCheck(SqliteConnection& connection, const QStringList& leftOut)
{
    QStringList problems;
    try {
        // A table left out (the covers: gigabytes of pictures read page by
        // page would make every opening slow) is checked where it is read.
        QStringList tables;
        if (!leftOut.isEmpty()) {
            auto names = connection.prepare(
                QStringLiteral("select name from sqlite_master where type = 'table' and substr(name, 1, 7) <> 'sqlite_'"));
            while (names->step())
                tables << names->value(0).toString();
        }
        bool skipping = false;
        for (const QString& table : leftOut)
            skipping = skipping || tables.contains(table, Qt::CaseInsensitive);
        if (!skipping) {
            auto check = connection.prepare(QStringLiteral("pragma quick_check(5)"));
            while (check->step())
                problems << check->value(0).toString();
        } else {
            for (const QString& table : tables) {
                if (leftOut.contains(table, Qt::CaseInsensitive) || problems.size() >= 5)
                    continue;
                auto check = connection.prepare(QStringLiteral("pragma quick_check(%1)").arg(SqlTranslator::quoteName(table)));
                while (check->step()) {
                    const QString line = check->value(0).toString();
                    if (line != QLatin1String("ok"))
                        problems << line;
                }
            }
            if (problems.isEmpty())
                problems << QStringLiteral("ok");
        }
    } catch (const EngineError& error) {
        // Damage bad enough to stop the check itself.
        if (error.kind() != EngineError::Kind::Damaged)
            throw;
        problems << error.message();
    }
    if (problems == QStringList{QStringLiteral("ok")})
        return {};
    return problems.join(QLatin1Char('\n'));
}

} // namespace quelto::catalog
