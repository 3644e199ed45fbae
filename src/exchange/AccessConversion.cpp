#include "exchange/AccessConversion.h"

#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "exchange/ConversionLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quelto::exchange {
namespace {

using catalog::CatalogSchema;
using catalog::Database;
using catalog::EngineError;
using catalog::SqlTranslator;

constexpr int MaxText = 255;
constexpr int ProgressStep = 200;

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

// Judges one row of a table read for the catalogue table catalogueName: a
// value the new file refuses becomes Null and is handed to refuse.
template <typename Refuse>
void refuseInvalidRow(const QString& catalogueName, const QStringList& columns, std::vector<QVariant>& row,
                      int rowNumber, Refuse&& refuse)
{
    const bool isArchive = catalogueName == archiveName();
    for (qsizetype c = 0; c < columns.size() && size_t(c) < row.size(); ++c) {
        QVariant& value = row[size_t(c)];
        if (!value.isValid())
            continue;
        const QString& column = columns.at(c);
        const bool isOrdinal = !isArchive && column.compare(QLatin1String("ordinal"), Qt::CaseInsensitive) == 0;
        const bool known = isOrdinal || (isArchive ? indexOf(CatalogSchema::archiveColumns(), column) >= 0
                                                   : column.compare(QLatin1String("text"), Qt::CaseInsensitive) == 0);
        if (!known)
            continue; // left out anyway
        QString reason;
        if (isOrdinal) {
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
            else if (text.size() > MaxText)
                reason = QStringLiteral("text of %1 characters, more than %2").arg(text.size()).arg(MaxText);
            else if (text.contains(QChar(0)))
                reason = QStringLiteral("a NUL character in the text");
            else
                value = text;
        }
        if (!reason.isEmpty()) {
            refuse(RefusedValue{catalogueName, rowNumber, column, reason});
            value = QVariant();
        }
    }
}

} // namespace

AccessConversion::AccessConversion(const QString& accessPath, const Progress& progress)
    : m_accessPath(accessPath), m_file(AccessFile::open(accessPath))
{
    m_summary.oldPath = accessPath;
    m_summary.format = m_plan.format = m_file->formatName();
    mapTables();
    survey(progress);
}

AccessConversion::~AccessConversion() = default;

void AccessConversion::mapTables()
{
    const QStringList& present = m_file->tableNames();
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
        table.sourceName = present.at(found);
        table.catalogueColumns = columns;
        table.sourceColumns = m_file->columnsOf(table.sourceName);
        for (const QString& column : columns) {
            const int source = indexOf(table.sourceColumns, column);
            table.sourceColumn.push_back(source);
            if (source < 0)
                m_summary.missingColumns << name + QLatin1Char('.') + column;
        }
        for (const QString& column : table.sourceColumns) {
            if (indexOf(columns, column) < 0)
                m_summary.leftOutColumns << name + QLatin1Char('.') + column;
        }
        m_tables.push_back(std::move(table));
    }
    for (const QString& name : present) {
        if (indexOf(CatalogSchema::creationOrder(), name) < 0 && name.compare(archiveName(), Qt::CaseInsensitive) != 0)
            m_summary.leftOutTables << name;
    }
}

void AccessConversion::survey(const Progress& progress)
{
    qint64 hint = 0;
    for (const CopiedTable& table : m_tables)
        hint += m_file->rowCountHint(table.sourceName);
    const auto refuse = [this](RefusedValue&& value) {
        if (m_plan.refused.size() < size_t(ConversionPlan::ListedRefusals))
            m_plan.refused.push_back(std::move(value));
        ++m_plan.refusedCount;
    };
    qint64 done = 0;
    std::vector<QVariant> row;
    for (const CopiedTable& table : m_tables) {
        const std::unique_ptr<AccessRows> rows = m_file->rows(table.sourceName);
        int number = 0;
        while (rows->next(row)) {
            refuseInvalidRow(table.catalogueName, table.sourceColumns, row, ++number, refuse);
            if (++done % ProgressStep == 0 && progress && !progress(done, std::max(hint, done)))
                throw EngineError(QStringLiteral("Reading the Access file was cancelled."));
        }
    }
    m_plan.totalRows = done;
}

std::vector<RefusedValue> AccessConversion::refuseInvalidValues(const QString& catalogueName, AccessTable& table)
{
    std::vector<RefusedValue> refused;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        refuseInvalidRow(catalogueName, table.columns, table.rows[r], int(r) + 1,
                         [&refused](RefusedValue&& value) { refused.push_back(std::move(value)); });
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
    const QString scratch = ConversionLeftovers::scratchNameFor(newPath);
    if (!writeInto(scratch, progress))
        return false;
    // rename() never replaces a file that appeared meanwhile.
    if (!QFile::rename(scratch, newPath)) {
        ConversionLeftovers::removeScratch(scratch);
        throw EngineError(QStringLiteral("The catalogue \"%1\" could not be made: the file could not be put in "
                                         "place (does it exist already?).")
                              .arg(label(newPath)));
    }
    m_summary.newPath = newPath;
    return true;
}

bool AccessConversion::writeInto(const QString& path, const Progress& progress)
{
    bool finished = false;
    try {
        finished = copyInto(path, progress);
    } catch (const EngineError& error) {
        ConversionLeftovers::removeScratch(path);
        throw EngineError(error.kind(), QStringLiteral("The new catalogue could not be made: %1").arg(error.message()));
    }
    if (!finished) {
        ConversionLeftovers::removeScratch(path);
        return false;
    }
    m_summary.newPath = path;
    return true;
}

bool AccessConversion::copyInto(const QString& path, const Progress& progress)
{
    std::unique_ptr<Database> db = Database::create(path);
    const std::shared_ptr<catalog::SqliteConnection> connection = db->connection();
    const auto closeAndFail = [&db] {
        db->close();
        return false;
    };
    connection->beginWrite();
    catalog::WriteTransaction transaction(*connection);
    CatalogSchema::createCatalogTables(*db);
    qint64 done = 0;
    const qint64 total = m_plan.totalRows;
    if (progress && !progress(0, total))
        return closeAndFail();
    m_summary.copied.clear();
    m_summary.nulled = 0;
    const auto refuse = [this](RefusedValue&&) { ++m_summary.nulled; };
    std::vector<QVariant> row;
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
        const std::unique_ptr<AccessRows> rows = m_file->rows(table.sourceName);
        int number = 0;
        while (rows->next(row)) {
            refuseInvalidRow(table.catalogueName, table.sourceColumns, row, ++number, refuse);
            for (size_t c = 0; c < table.sourceColumn.size(); ++c) {
                const int source = table.sourceColumn[c];
                insert->bind(int(c) + 1, source < 0 || size_t(source) >= row.size() ? QVariant() : row[size_t(source)]);
            }
            insert->step();
            insert->reset();
            if (++done % ProgressStep == 0 && progress && !progress(done, std::max(total, done))) {
                insert.reset();
                return closeAndFail();
            }
        }
        m_summary.copied.push_back({table.catalogueName, number});
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
    if (progress && !progress(done, std::max(total, done)))
        return closeAndFail();
    transaction.commit();
    db->close();
    return true;
}

} // namespace quelto::exchange
