#pragma once

#include "exchange/AccessFile.h"
#include "exchange/ConversionSummary.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace quelto::exchange {

// Copies an old Access catalogue into a new catalogue file, table by table and
// row for row, one row in memory at a time. The Access file is only read.
// Construction reads the whole old file and finds the values the new file
// would refuse; write() then reads it again and makes the new file in one
// transaction, storing those values as Null.
//
// The program runs this in the converter process (AccessConversionProcess),
// never in its own: a damaged file can make the reading library loop or grow.
// Every failure is thrown as catalog::EngineError with a message for the user.
class AccessConversion
{
public:
    // Rows done and rows in all; returning false cancels the conversion.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // Throws when the file cannot be read or holds no catalogue (one of the
    // option lists that an older catalogue cannot gain is missing).
    explicit AccessConversion(const QString& accessPath, const Progress& progress = {});
    ~AccessConversion();

    const QString& accessPath() const { return m_accessPath; }
    // The first ConversionPlan::ListedRefusals refused values, and how many in all.
    const std::vector<RefusedValue>& refusedValues() const { return m_plan.refused; }
    qint64 refusedCount() const { return m_plan.refusedCount; }
    // Rows of the tables that are copied.
    qint64 totalRows() const { return m_plan.totalRows; }
    const ConversionPlan& plan() const { return m_plan; }

    // Makes the new catalogue at newPath, which must name no file; never
    // overwrites one. It is written under a scratch name beside it and renamed
    // when complete; a cancelled or failed conversion leaves no file at
    // newPath; cancelling returns false.
    bool write(const QString& newPath, const Progress& progress = {});
    // Makes the new catalogue at path itself (the converter's scratch file).
    // A cancelled or failed conversion removes it again.
    bool writeInto(const QString& path, const Progress& progress = {});
    // Filled in by a successful write().
    const ConversionSummary& summary() const { return m_summary; }

    // A name for the new file next to the old one that names no file yet.
    static QString suggestedTarget(const QString& accessPath);

    // Sets the values of a table read for the catalogue table catalogueName
    // that the new file refuses to Null and returns them; whole-number
    // ordinals and texts are made the types the new file stores.
    static std::vector<RefusedValue> refuseInvalidValues(const QString& catalogueName, AccessTable& table);

private:
    struct CopiedTable
    {
        QString catalogueName;
        QString sourceName;
        QStringList catalogueColumns;
        QStringList sourceColumns;
        std::vector<int> sourceColumn; // per catalogue column: index in the old table, or -1
    };

    void mapTables();
    void survey(const Progress& progress);
    bool copyInto(const QString& path, const Progress& progress);

    QString m_accessPath;
    std::unique_ptr<AccessFile> m_file;
    std::vector<CopiedTable> m_tables;
    ConversionPlan m_plan;
    ConversionSummary m_summary;
};

} // namespace quelto::exchange
