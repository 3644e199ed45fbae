#include "exchange/CsvCommands.h"

#include "exchange/ImportedRecords.h"

#include "catalog/ArchiveReader.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "editing/RecordDisplay.h"
#include "editing/UserPrompts.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvCoverFolder.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "history/CatalogHistory.h"
#include "history/RecordImport.h"
#include "loans/LoansCsv.h"
#include "loans/LoanStore.h"
#include "tasks/BackgroundTask.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace quelto::exchange {
namespace {

using catalog::EngineError;
using exchange::CsvImport;

const QString CsvFilter = QStringLiteral("CSV Files (*.csv);;All Files (*)");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString number(qint64 n)
{
    return QLocale().toString(n);
}

} // namespace

CsvCommands::CsvCommands(const editing::WindowParts& parts, history::CatalogHistory& history,
                         std::function<bool()> mayReplaceRecord, QObject* parent)
    : QObject(parent), m_window(parts), m_history(history), m_mayReplaceRecord(std::move(mayReplaceRecord))
{
    connect(parts.menuAction(QStringLiteral("mnExportCsv")), &QAction::triggered, this,
            &CsvCommands::exportCsv);
    connect(parts.menuAction(QStringLiteral("mnImportCsv")), &QAction::triggered, this,
            &CsvCommands::importCsv);
}

void CsvCommands::exportCsv()
{
    catalog::CatalogState& state = m_window.state;
    editing::UserPrompts& prompts = m_window.prompts;
    const QFileInfo catalogue(state.databasePath);
    editing::FileRequest request{
        QStringLiteral("Export CSV"),
        catalogue.absoluteDir().filePath(catalogue.completeBaseName() + QStringLiteral(".csv")), CsvFilter,
        QStringLiteral("csv")};
    request.save = true;
    request.replaceAskedByCaller = true; // below, beside the open catalogue's check
    const std::optional<QString> chosen = prompts.chooseFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    if (path == catalogue.absoluteFilePath()) {
        prompts.exclamation(QStringLiteral("\"%1\" is the open catalogue. Choose another file for the CSV.")
                                .arg(shown(path)));
        return;
    }
    if (QFileInfo::exists(path) &&
        !prompts.confirm(QStringLiteral("\"%1\" exists already. Replace it?").arg(shown(path))))
        return;
    // The loans go to a file of their own beside the records, when the user wants them.
    QString loansPath;
    try {
        if (loans::LoanStore(*state.database).hasTable()) {
            const QString beside = loans::LoansCsv::besideExport(path);
            if (prompts.confirm(
                    QStringLiteral("Write the loans too, to \"%1\" beside it?").arg(shown(beside))) &&
                (!QFileInfo::exists(beside) ||
                 prompts.confirm(QStringLiteral("\"%1\" exists already. Replace it?").arg(shown(beside)))))
                loansPath = beside;
        }
    } catch (const EngineError& error) {
        prompts.exclamation(error.message());
        return;
    }
    // The covers go into a folder beside the file, when the user wants them.
    QStringList columns;
    bool withCovers = false;
    try {
        catalog::SqliteConnection& connection = *state.database->connection();
        columns = exchange::CsvColumns::namesIn(connection);
        if (collection::CollectorSchema::hasTable(connection, collection::CollectorSchema::CoversTable) &&
            !collection::CoverStore::withCovers(connection).isEmpty()) {
            const QString folder = exchange::CsvCoverFolder::besideExport(path);
            withCovers =
                prompts.confirm(
                    QStringLiteral("Write the covers too, as pictures in the folder \"%1\" beside it?")
                        .arg(shown(folder))) &&
                (!QFileInfo::exists(folder) ||
                 prompts.confirm(QStringLiteral("\"%1\" exists already. Replace it?").arg(shown(folder))));
        }
    } catch (const EngineError& error) {
        prompts.exclamation(error.message());
        return;
    }

    // The rows of the record set in force, in its order; read by the worker.
    const catalog::RecordSet& set = *state.current;
    std::vector<qint64> keys(size_t(set.recordCount()));
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = set.keyAt(int(i));
    const QString cataloguePath = state.databasePath;
    qint64 count = 0;
    int covers = 0;
    const auto writeRecords = [&](tasks::TaskControl& progress) {
        progress.begin(QStringLiteral("Writing the records..."), qint64(keys.size()),
                       QStringLiteral("records"));
        catalog::ArchiveReader rows(cataloguePath, columns);
        std::optional<exchange::CsvCoverFolder> folder;
        if (withCovers)
            folder.emplace(path);
        count = exchange::CsvExport::writeFile(rows, keys, path, &progress, folder ? &*folder : nullptr);
        covers = folder ? folder->written() : 0;
    };
    const auto task =
        prompts.runTask(QStringLiteral("Exporting the records to \"%1\"").arg(shown(path)), writeRecords);
    if (task->stoppedOnCancel()) {
        prompts.message(ExportCancelled.arg(shown(path)));
        return;
    }
    try {
        task->rethrow();
        QString done = QStringLiteral("%1 records written to \"%2\".").arg(count).arg(shown(path));
        if (withCovers)
            done += QStringLiteral("\n%1 covers written to \"%2\".")
                        .arg(covers)
                        .arg(shown(exchange::CsvCoverFolder::besideExport(path)));
        if (!loansPath.isEmpty()) {
            const int loans = loans::LoansCsv::writeFile(*state.database, loansPath);
            done += QStringLiteral("\n%1 loans written to \"%2\".").arg(loans).arg(shown(loansPath));
        }
        prompts.message(done);
    } catch (const EngineError& error) {
        prompts.exclamation(error.message());
    }
}

void CsvCommands::importCsv()
{
    editing::UserPrompts& prompts = m_window.prompts;
    if (!m_mayReplaceRecord())
        return;
    catalog::CatalogState& state = m_window.state;
    // A catalogue that refuses writes is said so at once, as Save and Delete do.
    if (const EngineError* refusal = state.database->connection()->refusal()) {
        prompts.exclamation(CannotImport.arg(refusal->message()));
        return;
    }
    const QString folder = QFileInfo(state.databasePath).absolutePath();
    const std::optional<QString> chosen = prompts.chooseFile(
        {QStringLiteral("Import CSV"), folder + QDir::separator(), CsvFilter, QStringLiteral("csv")});
    if (!chosen || chosen->isEmpty())
        return;
    const QString file = shown(*chosen);

    CsvImport import(*chosen);
    const QString cataloguePath = state.databasePath;
    {
        const auto reading =
            prompts.runTask(QStringLiteral("Reading \"%1\"").arg(file),
                            [&](tasks::TaskControl& progress) { import.check(cataloguePath, &progress); });
        if (reading->stoppedOnCancel()) {
            prompts.message(ImportCancelled);
            return;
        }
        try {
            reading->rethrow();
        } catch (const EngineError& error) {
            prompts.exclamation(error.message());
            return;
        }
    }
    const Decision decision = decide(import, file);
    if (decision == Decision::Stop)
        return;
    const CsvImport::Duplicates duplicates =
        decision == Decision::Add ? CsvImport::Duplicates::Add : CsvImport::Duplicates::Skip;

    catalog::Database& db = *state.database;
    qint64 stored = 0;
    // The record set's rows afterwards are found by the worker too.
    const QString keyQuery = state.current ? state.current->keyQuery() : QString();
    std::optional<std::vector<qint64>> keys;
    const auto storeRows = [&](tasks::TaskControl& progress) {
        stored = import.append(db, duplicates, &progress);
        if (stored > 0)
            keys = ImportedRecords::keysAfterImport(cataloguePath, keyQuery, progress);
    };
    const auto storing = prompts.runTask(QStringLiteral("Importing \"%1\"").arg(file), storeRows);
    if (storing->stoppedOnCancel()) {
        prompts.message(ImportCancelled);
        return;
    }
    try {
        storing->rethrow();
    } catch (const EngineError& error) {
        prompts.exclamation(error.kind() == EngineError::Kind::Other && !db.connection()->writesRefused()
                                ? error.message()
                                : CannotImport.arg(error.message()));
        return;
    }
    if (import.changedSchema())
        state.current->columnsChanged(); // the collector's columns came with the file
    if (stored > 0)
        ImportedRecords::show(m_window, std::move(keys));
    if (stored > 0) {
        emit imported(import.firstStoredKey(), import.lastStoredKey());
        // The import's rows are the keys stored between its first and last.
        m_history.add(std::make_unique<history::RecordImport>(import.firstStoredKey(), import.lastStoredKey(),
                                                              int(stored), QFileInfo(*chosen).fileName()));
    }
    QString text = QStringLiteral("%1 records imported from \"%2\".").arg(number(stored), file);
    // The loans an export wrote beside the file come with it.
    const QString loansPath = loans::LoansCsv::besideExport(*chosen);
    if (QFileInfo::exists(loansPath)) {
        try {
            const loans::LoansCsv::ReadCount read = loans::LoansCsv::readFile(db, loansPath);
            text += QStringLiteral("\n\n%1 loans read from \"%2\".").arg(read.stored).arg(shown(loansPath));
            if (read.known > 0)
                text += QStringLiteral(" %1 the catalogue had already.").arg(read.known);
            if (read.refused > 0)
                text += QStringLiteral(" %1 left out (no media ID, borrower or date lent, or the tape out already).")
                            .arg(read.refused);
            if (read.stored > 0)
                emit loansRead();
        } catch (const EngineError& error) {
            text += QStringLiteral("\n\n") + error.message();
        }
    }
    const qint64 skipped = import.acceptedCount() - stored;
    if (skipped > 0)
        text += QStringLiteral("\n\n%1 rows identical to records in the catalogue were skipped.")
                    .arg(number(skipped));
    if (!import.ignoredColumns().isEmpty())
        text += QStringLiteral("\n\nColumns left out (not catalogue fields): %1.")
                    .arg(import.ignoredColumns().join(QStringLiteral(", ")));
    if (import.storedCovers() > 0)
        text += QStringLiteral("\n\n%1 covers stored.").arg(number(import.storedCovers()));
    if (import.leftOutCoverCount() > 0)
        text += QStringLiteral("\n\n%1 covers were left out (their records are stored):\n%2")
                    .arg(number(import.leftOutCoverCount()),
                         CsvImport::describe(import.leftOutCovers(), import.leftOutCoverCount()));
    prompts.message(text);
}

CsvCommands::Decision CsvCommands::decide(const exchange::CsvImport& import, const QString& file)
{
    editing::UserPrompts& prompts = m_window.prompts;
    QString leftOut;
    if (!import.ignoredColumns().isEmpty())
        leftOut = QStringLiteral("\n\nColumns left out (not catalogue fields): %1.")
                      .arg(import.ignoredColumns().join(QStringLiteral(", ")));
    const qint64 refused = import.refusedCount();
    if (import.acceptedCount() == 0) {
        prompts.exclamation(refused == 0
                                ? QStringLiteral("\"%1\" holds no records.").arg(file)
                                : QStringLiteral("No row of \"%1\" can be imported:\n\n%2")
                                      .arg(file, CsvImport::describe(import.refusedRows(), refused)));
        return Decision::Stop;
    }
    QString refusedText;
    if (refused > 0)
        refusedText =
            QStringLiteral("%1 rows of \"%2\" cannot be imported:\n\n%3%4\n\n")
                .arg(number(refused), file, CsvImport::describe(import.refusedRows(), refused), leftOut);
    const qint64 duplicates = import.duplicateCount();
    const qint64 fresh = import.acceptedCount() - duplicates;
    if (duplicates == 0) {
        if (refused == 0)
            return Decision::Skip;
        return prompts.confirm(refusedText + QStringLiteral("Import the other %1 rows?").arg(number(fresh)))
                   ? Decision::Skip
                   : Decision::Stop;
    }
    if (fresh == 0) {
        const QString text =
            refusedText +
            QStringLiteral("All %1 rows of \"%2\" that can be imported are identical to records in "
                           "the catalogue (imported before?).\n\nAdd them again all the same?")
                .arg(number(duplicates), file);
        return prompts.choose(text, {AddAgain, Cancel}) == 0 ? Decision::Add : Decision::Stop;
    }
    const QString text =
        refusedText +
        QStringLiteral("%1 rows of \"%2\" are identical to records in the catalogue (imported "
                       "before?); %3 rows are new.\n\nSkip the identical rows and import the new ones, "
                       "or add them all?")
            .arg(number(duplicates), file, number(fresh));
    switch (prompts.choose(text, {SkipDuplicates, AddDuplicates, Cancel})) {
    case 0:
        return Decision::Skip;
    case 1:
        return Decision::Add;
    default:
        return Decision::Stop;
    }
}

} // namespace quelto::exchange
