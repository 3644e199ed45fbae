#include "importing/ImportCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/UserPrompts.h"
#include "exchange/ImportedRecords.h"
#include "history/CatalogHistory.h"
#include "history/RecordImport.h"
#include "importing/CatalogueImport.h"
#include "importing/ImportPreview.h"
#include "importing/ImportSummary.h"
#include "tasks/BackgroundTask.h"
#include "tasks/TaskControl.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QMainWindow>
#include <QLocale>

namespace quelto::importing {
namespace {

using catalog::EngineError;

QString number(qint64 n)
{
    return QLocale().toString(n);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Ends a task run with the prompts: true when the work was over; Cancel and
// failures are told here.
bool ended(editing::UserPrompts& prompts, const tasks::BackgroundTask& task, const QString& failure)
{
    if (task.stoppedOnCancel()) {
        prompts.message(ImportCommands::ImportCancelled);
        return false;
    }
    try {
        task.rethrow();
    } catch (const EngineError& error) {
        prompts.exclamation(failure.arg(error.message()));
        return false;
    }
    return true;
}

} // namespace

ImportCommands::ImportCommands(const editing::WindowParts& parts, history::CatalogHistory& history,
                               std::function<bool()> mayReplaceRecord, QObject* parent)
    : QObject(parent), m_window(parts), m_history(history), m_mayReplaceRecord(std::move(mayReplaceRecord))
{
    if (QAction* item = parts.menuAction(QStringLiteral("mnImportOther")))
        connect(item, &QAction::triggered, this, &ImportCommands::importOther);
    if (QAction* item = parts.menuAction(QStringLiteral("mnImportNfoFolder")))
        connect(item, &QAction::triggered, this, &ImportCommands::importNfoFolder);
    m_prefix = CatalogueImport::DefaultPrefix;
}

bool ImportCommands::mayImport()
{
    if (m_mayReplaceRecord && !m_mayReplaceRecord())
        return false;
    // A catalogue that refuses writes is said so at once, as Save and Delete do.
    if (const EngineError* refusal = m_window.state.database->connection()->refusal()) {
        m_window.prompts.exclamation(CannotImport.arg(refusal->message()));
        return false;
    }
    return true;
}

void ImportCommands::importNfoFolder()
{
    if (!mayImport())
        return;
    editing::FileRequest request;
    request.title = FolderCaption;
    request.fileName = QFileInfo(m_window.state.databasePath).absolutePath();
    request.folder = true;
    const std::optional<QString> chosen = m_window.prompts.chooseFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    importFile(*chosen);
}

std::optional<QString> ImportCommands::askPrefix(qint64 unnumbered)
{
    for (;;) {
        QInputDialog dialog(&m_window.window);
        dialog.setObjectName(QStringLiteral("importPrefixDialog"));
        dialog.setWindowTitle(Caption);
        dialog.setLabelText(PrefixQuestion.arg(number(unnumbered)));
        dialog.setTextValue(m_prefix);
        m_window.prompts.showModal(dialog);
        if (dialog.result() != QDialog::Accepted)
            return std::nullopt;
        const QString prefix = dialog.textValue();
        const QString problem = CatalogueImport::prefixProblem(prefix);
        if (problem.isEmpty()) {
            m_prefix = prefix;
            return prefix;
        }
        m_window.prompts.exclamation(problem);
    }
}

void ImportCommands::importOther()
{
    if (!mayImport())
        return;
    catalog::CatalogState& state = m_window.state;
    const QString folder = QFileInfo(state.databasePath).absolutePath();
    // Any file: the format is found from what the file holds, not its name.
    const std::optional<QString> chosen = m_window.prompts.chooseFile(
        {Caption, folder + QDir::separator(),
         QStringLiteral("All Files (*);;Catalogues (*.tc *.xml *.gcs *.nfo *.csv *.zip *.amc *.plist *.json)"), QString()});
    if (!chosen || chosen->isEmpty())
        return;
    importFile(*chosen);
}

void ImportCommands::importFile(const QString& path)
{
    editing::UserPrompts& prompts = m_window.prompts;
    catalog::CatalogState& state = m_window.state;
    const QString cataloguePath = state.databasePath;
    const QString file = shown(path);

    ImportPreview preview;
    const auto reading =
        prompts.runTask(QStringLiteral("Reading \"%1\"").arg(file), [&](tasks::TaskControl& control) {
            preview = ImportPreview::of(path, cataloguePath, control);
        });
    if (!ended(prompts, *reading, CannotImport))
        return;
    if (preview.movies == 0) {
        prompts.exclamation(NothingToImport.arg(file, preview.formatName()));
        return;
    }
    const Decision decision = decide(preview);
    if (decision == Decision::Stop)
        return;

    CatalogueImport::Options options;
    options.addUnmatched = decision != Decision::UpdateOnly;
    if (options.addUnmatched && preview.unnumbered > 0) {
        const std::optional<QString> prefix = askPrefix(preview.unnumbered);
        if (!prefix)
            return;
        options.mediaIdPrefix = *prefix;
    }
    catalog::Database& db = *state.database;
    ImportSummary summary;
    // The record set's rows afterwards are found by the worker too.
    const QString keyQuery = state.current ? state.current->keyQuery() : QString();
    std::optional<std::vector<qint64>> keys;
    const auto storing =
        prompts.runTask(QStringLiteral("Importing \"%1\"").arg(file), [&](tasks::TaskControl& control) {
            CatalogueImport import(path, options);
            summary = import.run(db, control);
            if (summary.added > 0)
                keys = exchange::ImportedRecords::keysAfterImport(cataloguePath, keyQuery, control);
        });
    if (!ended(prompts, *storing, CannotImport))
        return;
    if (summary.added > 0 || summary.updated > 0) {
        if (state.current)
            state.current->columnsChanged(); // the collector's tables may be new
        exchange::ImportedRecords::show(m_window, std::move(keys));
    }
    if (summary.added > 0)
        emit imported(summary.firstKey, summary.lastKey);
    if (summary.added > 0 || !summary.updates.empty()) {
        std::vector<history::RecordImport::Update> updates;
        updates.reserve(summary.updates.size());
        for (const ImportSummary::Update& u : summary.updates)
            updates.push_back({u.rowid, u.ratingBefore, u.seenBefore, u.ratingAfter, u.seenAfter});
        m_history.add(std::make_unique<history::RecordImport>(summary.firstKey, summary.lastKey, int(summary.added),
                                                              QFileInfo(path).fileName(), std::move(updates)));
    }
    prompts.message(summary.text());
}

ImportCommands::Decision ImportCommands::decide(const ImportPreview& preview)
{
    editing::UserPrompts& prompts = m_window.prompts;
    const QString file = shown(preview.source);
    QString holds =
        QStringLiteral("\"%1\" is a %2 file. It holds %3 movies, %4 covers and %5 loans; %6 of the "
                       "movies are in this catalogue already.")
            .arg(file, preview.formatName(), number(preview.movies), number(preview.covers),
                 number(preview.loans), number(preview.matching));
    if (!preview.isWatchList) {
        const qint64 fresh = preview.movies - preview.matching;
        if (fresh <= 0) {
            prompts.exclamation(holds + QStringLiteral("\n\nThere is nothing new to import."));
            return Decision::Stop;
        }
        holds += QStringLiteral("\n\nImport the %1 movies that are not in the catalogue?").arg(number(fresh));
        return prompts.choose(holds, {Import, Cancel}) == 0 ? Decision::Add : Decision::Stop;
    }
    // A list of what was watched or rated: its own rating and seen date go to
    // the matching records; the others are added only when asked for.
    const qint64 unmatched = preview.movies - preview.matching;
    holds +=
        QStringLiteral("\n\nIt is a list of what was watched or rated: the matching records take its own "
                       "rating and seen date.");
    if (unmatched <= 0)
        return prompts.choose(holds, {UpdateOnly, Cancel}) == 0 ? Decision::UpdateOnly : Decision::Stop;
    holds +=
        QStringLiteral(" %1 movies match no record: add them as new records too?").arg(number(unmatched));
    switch (prompts.choose(holds, {UpdateAndAdd, UpdateOnly, Cancel})) {
    case 0:
        return Decision::UpdateAndAdd;
    case 1:
        return Decision::UpdateOnly;
    default:
        return Decision::Stop;
    }
}

} // namespace quelto::importing
