#pragma once

#include <QObject>
#include <functional>

namespace quelto::app {

class MainWindow;

// File > Export > "CSV..." writes the current record set, with the search and
// order in force, to a CSV file; File > Import > "CSV..." appends the records
// of a CSV file to the catalogue once the user has seen which rows are refused.
class CsvCommands : public QObject
{
    Q_OBJECT
public:
    // mayReplaceRecord: asked before an import changes the record on screen.
    CsvCommands(MainWindow& window, std::function<bool()> mayReplaceRecord);

    void exportCsv(); // mnExportCsv
    void importCsv(); // mnImportCsv

private:
    void showAfterImport();

    MainWindow& m_window;
    std::function<bool()> m_mayReplaceRecord;
};

} // namespace quelto::app
