#pragma once

#include "editing/WindowParts.h"

#include <functional>
#include <optional>
#include <QObject>
#include <vector>

namespace quelto::history {
class CatalogHistory;
}

namespace quelto::exchange {
class CsvImport;
}

namespace quelto::exchange {

// File > Export > "CSV..." writes the current record set, with the search and
// order in force, to a CSV file; File > Import > "CSV..." appends the records
// of a CSV file to the catalogue once the user has seen which rows are refused
// and which are in the catalogue already. Both run off the window's thread
// with progress and Cancel; a cancelled import stores nothing, a cancelled
// export leaves the file as it was.
class CsvCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString CannotImport = QStringLiteral("Cannot import: %1");
    static inline const QString ImportCancelled =
        QStringLiteral("The import was cancelled; nothing was stored.");
    static inline const QString ExportCancelled =
        QStringLiteral("The export was cancelled; \"%1\" was not written.");
    static inline const QString SkipDuplicates = QStringLiteral("&Skip Them");
    static inline const QString AddDuplicates = QStringLiteral("&Add Them Too");
    static inline const QString AddAgain = QStringLiteral("&Add Them Again");
    static inline const QString Cancel = QStringLiteral("&Cancel");

    // mayReplaceRecord: asked before an import changes the record on screen.
    CsvCommands(const editing::WindowParts& parts, history::CatalogHistory& history,
                std::function<bool()> mayReplaceRecord, QObject* parent = nullptr);

    void exportCsv(); // mnExportCsv
    void importCsv(); // mnImportCsv

signals:
    // Records were appended: the keys firstKey to lastKey, all of them.
    void imported(qint64 firstKey, qint64 lastKey);
    // Loans came with the file (from the loans file beside it).
    void loansRead();

private:
    // What the user decides once the file has been read: store the rows that
    // are new (Skip), all of them (Add), or nothing.
    enum class Decision
    {
        Skip,
        Add,
        Stop
    };
    Decision decide(const exchange::CsvImport& import, const QString& file);

    editing::WindowParts m_window;
    history::CatalogHistory& m_history;
    std::function<bool()> m_mayReplaceRecord;
};

} // namespace quelto::exchange
