#include "exchange/AccessConversion.h"

#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quelto::exchange {
namespace {

using catalog::CatalogSchema;
using catalog::Database;
using catalog::EngineError;
using catalog::SqlTranslator;

constexpr int kMaxText = 255;
constexpr int kProgressStep = 200;

QString label(const QString& path) { return QDir::toNativeSeparators(path); }

QString archiveName() { return QStringLiteral("archive"); }

// The catalogue's tables in the order a new file gets them, with their columns.
std::vector<std::pair<QString, QStringList>> catalogueTables()
{
    std::vector<std::pair<QString, QStringList>> tables;
    for (const QString& list : CatalogSchema::creationOrder())
        tables.emplace_back(list, QStringList{QStringLiteral("text"), QStringLiteral("ordinal")});
    tables.emplace_back(archiveName(), CatalogSchema::archiveColumns());
    return tables;
}

int indexOf(const QStringList& names, const QString& name)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

// Removes the half-made file and whatever SQLite kept beside it.
void removeDatabaseFile(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

QString scratchNameFor(const QString& target)
{
    for (int i = 0;; ++i) {
        const QString name = target + (i == 0 ? QStringLiteral(".converting") : QStringLiteral(".converting%1").arg(i));
        if (!QFileInfo::exists(name) && !QFileInfo::exists(name + QStringLiteral("-journal")))
            return name;
    }
}

} // namespace

AccessConversion::AccessConversion(const QString& accessPath) : m_accessPath(accessPath)
{
    const std::unique_ptr<AccessFile> file = AccessFile::open(accessPath);
    m_summary.oldPath = accessPath;
    m_summary.format = file->formatName();
    plan(*file);
}

void AccessConversion::plan(const AccessFile& file)
{
    const QStringList& present = file.tableNames();
    bool anyCatalogueTable = false;
    for (const auto& [name, columns] : catalogueTables())
        anyCatalogueTable = anyCatalogueTable || indexOf(present, name) >= 0;
    if (!anyCatalogueTable)
        throw EngineError(QStringLiteral("The Access file \"%1\" is not a Quelto catalogue: it holds none of a "
                                         "catalogue's tables, only %2.")
                              .arg(label(m_accessPath), present.isEmpty() ? QStringLiteral("no tables at all")
                                                                          : present.join(QStringLiteral(", "))));
    for (const catalog::OptionListDef& list : CatalogSchema::optionLists()) {
        if (!list.createdWhenMissing && indexOf(present, list.table) < 0)
            throw EngineError(QStringLiteral("The Access file \"%1\" is not a Quelto catalogue that can be "
                                             "converted: it has no option list \"%2\".")
                                  .arg(label(m_accessPath), list.table));
    }

    for (const auto& [name, columns] : catalogueTables()) {
        const int found = indexOf(present, name);
        if (found < 0) {
            m_summary.created << name;
            continue;
        }
        CopiedTable table;
        table.catalogueName = name;
        table.catalogueColumns = columns;
        table.data = file.readTable(present.at(found));
        for (const QString& column : columns) {
            const int source = indexOf(table.data.columns, column);
            table.sourceColumn.push_back(source);
            if (source < 0)
                m_summary.missingColumns << name + QLatin1Char('.') + column;
        }
        for (const QString& column : table.data.columns) {
            if (indexOf(columns, column) < 0)
                m_summary.leftOutColumns << name + QLatin1Char('.') + column;
        }
        for (RefusedValue& value : refuseInvalidValues(name, table.data))
            m_refused.push_back(std::move(value));
        m_totalRows += int(table.data.rows.size());
        m_tables.push_back(std::move(table));
    }
    for (const QString& name : present) {
        if (indexOf(CatalogSchema::creationOrder(), name) < 0 && name.compare(archiveName(), Qt::CaseInsensitive) != 0)
            m_summary.leftOutTables << name;
    }
}

std::vector<RefusedValue> AccessConversion::refuseInvalidValues(const QString& catalogueName, AccessTable& table)
{
    std::vector<RefusedValue> refused;
    const QStringList known = catalogueName == archiveName()
                                  ? CatalogSchema::archiveColumns()
                                  : QStringList{QStringLiteral("text"), QStringLiteral("ordinal")};
    for (size_t r = 0; r < table.rows.size(); ++r) {
        std::vector<QVariant>& row = table.rows[r];
        for (qsizetype c = 0; c < table.columns.size() && size_t(c) < row.size(); ++c) {
            QVariant& value = row[size_t(c)];
            if (!value.isValid())
                continue;
            const QString& column = table.columns.at(c);
            if (indexOf(known, column) < 0)
                continue; // left out anyway
            QString reason;
            if (column.compare(QLatin1String("ordinal"), Qt::CaseInsensitive) == 0 && catalogueName != archiveName()) {
                bool ok = false;
                const qlonglong number = value.toString().trimmed().toLongLong(&ok);
                if (!ok || number < -32768 || number > 32767)
                    reason = QStringLiteral("\"%1\" is no whole number from -32768 to 32767").arg(value.toString());
                else
                    value = number;
            } else {
                const QString text = value.toString();
                if (text.isEmpty())
                    reason = QStringLiteral("empty text");
                else if (text.size() > kMaxText)
                    reason = QStringLiteral("text of %1 characters, more than %2").arg(text.size()).arg(kMaxText);
                else
                    value = text;
            }
            if (!reason.isEmpty()) {
                refused.push_back({catalogueName, int(r) + 1, column, reason});
                value = QVariant();
            }
        }
    }
    return refused;
}

QString AccessConversion::suggestedTarget(const QString& accessPath)
{
    const QFileInfo old(accessPath);
    const QDir folder = old.absoluteDir();
    const QString base = old.completeBaseName();
    for (int i = 1;; ++i) {
        const QString name = i == 1 ? QStringLiteral("%1-converted.mdb").arg(base)
                                    : QStringLiteral("%1-converted-%2.mdb").arg(base).arg(i);
        const QString path = folder.filePath(name);
        if (!QFileInfo::exists(path))
            return path;
    }
}

bool AccessConversion::write(const QString& newPath, const Progress& progress)
{
    if (QFileInfo::exists(newPath))
        throw EngineError(QStringLiteral("\"%1\" exists already; Quelto does not overwrite a file with a "
                                         "converted catalogue.")
                              .arg(label(newPath)));
    const QString scratch = scratchNameFor(newPath);
    bool finished = false;
    try {
        finished = copyInto(scratch, progress);
    } catch (const EngineError& error) {
        removeDatabaseFile(scratch);
        throw EngineError(QStringLiteral("The catalogue \"%1\" could not be made: %2").arg(label(newPath), error.message()));
    }
    if (!finished) {
        removeDatabaseFile(scratch);
        return false;
    }
    // rename() never replaces a file that appeared meanwhile.
    if (!QFile::rename(scratch, newPath)) {
        removeDatabaseFile(scratch);
        throw EngineError(QStringLiteral("The catalogue \"%1\" could not be made: the file could not be put in "
                                         "place (does it exist already?).")
                              .arg(label(newPath)));
    }
    m_summary.newPath = newPath;
    m_summary.nulled = int(m_refused.size());
    return true;
}

bool AccessConversion::copyInto(const QString& path, const Progress& progress)
{
    std::unique_ptr<Database> db = Database::create(path);
    const std::shared_ptr<catalog::SqliteConnection> connection = db->connection();
    connection->exec(QStringLiteral("begin"));
    try {
        CatalogSchema::createCatalogTables(*db);
        int done = 0;
        if (progress && !progress(0, m_totalRows)) {
            connection->exec(QStringLiteral("rollback"));
            db->close();
            return false;
        }
        m_summary.copied.clear();
        for (const CopiedTable& table : m_tables) {
            QStringList names;
            QStringList marks;
            for (const QString& column : table.catalogueColumns) {
                names << SqlTranslator::quoteName(column);
                marks << QStringLiteral("?");
            }
            auto insert = connection->prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                                                  .arg(SqlTranslator::quoteName(table.catalogueName),
                                                       names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            for (const std::vector<QVariant>& row : table.data.rows) {
                for (size_t c = 0; c < table.sourceColumn.size(); ++c) {
                    const int source = table.sourceColumn[c];
                    insert->bind(int(c) + 1, source < 0 ? QVariant() : row[size_t(source)]);
                }
                insert->step();
                insert->reset();
                if (++done % kProgressStep == 0 && progress && !progress(done, m_totalRows)) {
                    insert.reset();
                    connection->exec(QStringLiteral("rollback"));
                    db->close();
                    return false;
                }
            }
            m_summary.copied.push_back({table.catalogueName, int(table.data.rows.size())});
        }
        // Lists that are empty now get their default entries, as at every opening.
        m_summary.seeded.clear();
        for (const catalog::OptionListDef& list : CatalogSchema::optionLists()) {
            std::unique_ptr<catalog::RecordSet> set = db->openRecordSet(list.query);
            if (set->bof() && set->eof()) {
                CatalogSchema::seedIfEmpty(*set, list.seeds);
                m_summary.seeded << list.table;
            }
        }
        if (progress && !progress(m_totalRows, m_totalRows)) {
            connection->exec(QStringLiteral("rollback"));
            db->close();
            return false;
        }
        connection->exec(QStringLiteral("commit"));
    } catch (...) {
        try {
            connection->exec(QStringLiteral("rollback"));
        } catch (const EngineError&) {
        }
        db->close();
        throw;
    }
    db->close();
    return true;
}

} // namespace quelto::exchange
