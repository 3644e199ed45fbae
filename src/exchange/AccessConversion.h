#pragma once

#include "exchange/AccessFile.h"
#include "exchange/ConversionSummary.h"

#include <QString>
#include <functional>
#include <vector>

namespace quelto::exchange {

// Copies an old Access catalogue into a new catalogue file, table by table and
// row for row. The Access file is only read. Construction reads the whole old
// file and finds the values the new file would refuse; write() then makes the
// new file in one transaction, storing those values as Null.
//
// Every failure is thrown as catalog::EngineError with a message for the user.
class AccessConversion
{
public:
    // done and total rows; returning false cancels the conversion.
    using Progress = std::function<bool(int done, int total)>;

    // Throws when the file cannot be read or holds no catalogue (one of the
    // option lists that an older catalogue cannot gain is missing).
    explicit AccessConversion(const QString& accessPath);

    const QString& accessPath() const { return m_accessPath; }
    const std::vector<RefusedValue>& refusedValues() const { return m_refused; }
    // Rows of the tables that are copied.
    int totalRows() const { return m_totalRows; }

    // Makes the new catalogue at newPath, which must name no file; never
    // overwrites one. A cancelled or failed conversion leaves no file at
    // newPath; cancelling returns false.
    bool write(const QString& newPath, const Progress& progress = {});
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
        QStringList catalogueColumns;
        std::vector<int> sourceColumn; // per catalogue column: index in the old table, or -1
        AccessTable data;
    };

    void plan(const AccessFile& file);
    bool copyInto(const QString& path, const Progress& progress);

    QString m_accessPath;
    std::vector<CopiedTable> m_tables;
    std::vector<RefusedValue> m_refused;
    int m_totalRows = 0;
    ConversionSummary m_summary;
};

} // namespace quelto::exchange
