#include "app/CsvCommands.h"

#include "app/MainMenu.h"
#include "app/MainWindow.h"
#include "catalog/EngineError.h"
#include "editing/UserPrompts.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "glance/LoanStore.h"
#include "glance/LoansCsv.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace quelto::app {
namespace {

using catalog::EngineError;

const QString CsvFilter = QStringLiteral("CSV Files (*.csv);;All Files (*)");

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

CsvCommands::CsvCommands(MainWindow& window, std::function<bool()> mayReplaceRecord)
    : QObject(&window), m_window(window), m_mayReplaceRecord(std::move(mayReplaceRecord))
{
    connect(window.menu().action(QStringLiteral("mnExportCsv")), &QAction::triggered, this, &CsvCommands::exportCsv);
    connect(window.menu().action(QStringLiteral("mnImportCsv")), &QAction::triggered, this, &CsvCommands::importCsv);
}

void CsvCommands::exportCsv()
{
    catalog::CatalogState& state = m_window.state();
    editing::UserPrompts& prompts = m_window.prompts();
    const QFileInfo catalogue(state.databasePath);
    const std::optional<QString> chosen = prompts.chooseFile(
        {QStringLiteral("Export CSV"), catalogue.absoluteDir().filePath(catalogue.completeBaseName() + QStringLiteral(".csv")),
         CsvFilter, QStringLiteral("csv")});
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    if (path == catalogue.absoluteFilePath()) {
        prompts.exclamation(QStringLiteral("\"%1\" is the open catalogue. Choose another file for the CSV.").arg(shown(path)));
        return;
    }
    if (QFileInfo::exists(path) && !prompts.confirm(QStringLiteral("\"%1\" exists already. Replace it?").arg(shown(path))))
        return;
    // The loans go to a file of their own beside the records, when the user wants them.
    QString loansPath;
    try {
        if (glance::LoanStore(*state.database).hasTable()) {
            const QString beside = glance::LoansCsv::besideExport(path);
            if (prompts.confirm(QStringLiteral("Write the loans too, to \"%1\" beside it?").arg(shown(beside))) &&
                (!QFileInfo::exists(beside) ||
                 prompts.confirm(QStringLiteral("\"%1\" exists already. Replace it?").arg(shown(beside)))))
                loansPath = beside;
        }
    } catch (const EngineError& error) {
        prompts.exclamation(error.message());
        return;
    }
    try {
        const int count = exchange::CsvExport::writeFile(*state.database, state.current->sql(), path);
        QString done = QStringLiteral("%1 records written to \"%2\".").arg(count).arg(shown(path));
        if (!loansPath.isEmpty()) {
            const int loans = glance::LoansCsv::writeFile(*state.database, loansPath);
            done += QStringLiteral("\n%1 loans written to \"%2\".").arg(loans).arg(shown(loansPath));
        }
        prompts.message(done);
    } catch (const EngineError& error) {
        prompts.exclamation(error.message());
    }
}

void CsvCommands::importCsv()
{
    editing::UserPrompts& prompts = m_window.prompts();
    if (!m_mayReplaceRecord())
        return;
    const QString folder = QFileInfo(m_window.state().databasePath).absolutePath();
    const std::optional<QString> chosen =
        prompts.chooseFile({QStringLiteral("Import CSV"), folder + QDir::separator(), CsvFilter, QStringLiteral("csv")});
    if (!chosen || chosen->isEmpty())
        return;
    try {
        const exchange::CsvImport import = exchange::CsvImport::fromFile(*chosen);
        const auto& refused = import.refusedRows();
        QString leftOut;
        if (!import.ignoredColumns().isEmpty())
            leftOut = QStringLiteral("\n\nColumns left out (not catalogue fields): %1.")
                          .arg(import.ignoredColumns().join(QStringLiteral(", ")));
        if (import.acceptedCount() == 0) {
            prompts.exclamation(refused.empty()
                                    ? QStringLiteral("\"%1\" holds no records.").arg(shown(*chosen))
                                    : QStringLiteral("No row of \"%1\" can be imported:\n\n%2")
                                          .arg(shown(*chosen), exchange::CsvImport::describe(refused)));
            return;
        }
        if (!refused.empty() &&
            !prompts.confirm(QStringLiteral("%1 rows of \"%2\" cannot be imported:\n\n%3%4\n\nImport the other %5 rows?")
                                 .arg(refused.size())
                                 .arg(shown(*chosen), exchange::CsvImport::describe(refused), leftOut)
                                 .arg(import.acceptedCount())))
            return;
        const int stored = import.append(*m_window.state().database);
        showAfterImport();
        prompts.message(QStringLiteral("%1 records imported from \"%2\".%3").arg(stored).arg(shown(*chosen), leftOut));
    } catch (const EngineError& error) {
        prompts.exclamation(error.message());
    }
}

void CsvCommands::showAfterImport()
{
    catalog::RecordSet& set = *m_window.state().current;
    const bool hadRow = set.hasCurrentRow();
    const qint64 key = hadRow ? set.bookmark() : 0;
    set.requery(); // the new records join the search and order in force
    try {
        set.moveLast();
        set.moveFirst();
        if (hadRow)
            set.setBookmark(key);
    } catch (const EngineError&) {
    }
    m_window.display().recordToForm();
    m_window.display().showRecordCount();
}

} // namespace quelto::app
