#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::exchange {

// A value of an old catalogue that the new file's rules refuse: an empty
// text, a text over 255 characters, a NUL character, an ordinal that is no
// 16-bit number.
struct RefusedValue
{
    QString table;
    int row = 0; // 1-based, in the old file's order
    QString column;
    QString reason;
};

// What reading an old catalogue found before anything is written.
struct ConversionPlan
{
    // How many refused values are kept to be shown; all are counted.
    static constexpr int ListedRefusals = 200;

    QString format;                    // "Jet 3", "Jet 4", ...
    qint64 totalRows = 0;              // rows of the tables that are copied
    std::vector<RefusedValue> refused; // the first ListedRefusals
    qint64 refusedCount = 0;

    QByteArray toJson() const;
    // Throws catalog::EngineError when the text is no plan.
    static ConversionPlan fromJson(const QByteArray& json);
};

// What a conversion did, for the message at its end and the command line.
struct ConversionSummary
{
    struct TableRows
    {
        QString table;
        int rows = 0;
    };

    QString oldPath;
    QString newPath;
    QString format;                // "Jet 3", "Jet 4", ...
    std::vector<TableRows> copied; // in the order the catalogue makes its tables
    QStringList created;           // catalogue tables the old file lacked
    QStringList seeded;            // option lists that received their default entries
    QStringList leftOutTables;     // tables the catalogue does not know
    QStringList leftOutColumns;    // "table.column" the catalogue does not know
    QStringList missingColumns;    // "table.column" the old file lacked; left Null
    qint64 nulled = 0;             // refused values stored as Null

    QString text() const;
    // One line a refused value, at most limit lines, then how many more of total.
    static QString describe(const std::vector<RefusedValue>& values, qint64 total, int limit = 15);
    static QString describe(const std::vector<RefusedValue>& values, int limit = 15)
    {
        return describe(values, qint64(values.size()), limit);
    }

    QByteArray toJson() const;
    // Throws catalog::EngineError when the text is no summary.
    static ConversionSummary fromJson(const QByteArray& json);
};

} // namespace quelto::exchange
