#include "webcatalogue/WebCatalogueCommand.h"

#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "editing/UserPrompts.h"
#include "tasks/BackgroundTask.h"
#include "webcatalogue/WebCatalogueDialog.h"
#include "webcatalogue/WebCatalogueExport.h"
#include "webcatalogue/WebCatalogueFolder.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMainWindow>

namespace quelto::webcatalogue {
namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

WebCatalogueCommand::WebCatalogueCommand(const editing::WindowParts& parts, QObject* parent)
    : QObject(parent), m_window(parts)
{
    if (QAction* action = parts.menuAction(QStringLiteral("mnExportWeb")))
        connect(action, &QAction::triggered, this, &WebCatalogueCommand::exportWebCatalogue);
}

void WebCatalogueCommand::exportWebCatalogue()
{
    catalog::CatalogState& state = m_window.state;
    editing::UserPrompts& prompts = m_window.prompts;
    if (!state.database || !state.current)
        return;
    const QFileInfo catalogue(state.databasePath);

    WebCatalogueDialog dialog(
        [&prompts](const QString& start) {
            editing::FileRequest request{QStringLiteral("Web Catalogue Folder"), start, {}, {}};
            request.folder = true;
            return prompts.chooseFile(request);
        },
        &m_window.window);
    dialog.setFolder(catalogue.absoluteDir().filePath(catalogue.completeBaseName() + QStringLiteral("-web")));
    try {
        catalog::SqliteConnection& connection = *state.database->connection();
        dialog.setCoversAvailable(
            collection::CollectorSchema::hasTable(connection, collection::CollectorSchema::CoversTable) &&
            !collection::CoverStore::withCovers(connection).isEmpty());
    } catch (const catalog::EngineError& error) {
        prompts.exclamation(error.message());
        return;
    }
    dialog.setSearch(state.filterActive ? state.filterDescription : QString());
    prompts.showModal(dialog);
    if (dialog.result() != QDialog::Accepted || dialog.folder().isEmpty())
        return;

    WebCatalogueRequest request;
    request.cataloguePath = state.databasePath;
    request.folder = QFileInfo(dialog.folder()).absoluteFilePath();
    request.covers = dialog.covers();
    const QString refusal = WebCatalogueFolder::refusal(request.folder, request.cataloguePath);
    if (!refusal.isEmpty()) {
        prompts.exclamation(refusal);
        return;
    }
    switch (WebCatalogueFolder::inspect(request.folder)) {
    case WebCatalogueFolder::State::NotAFolder:
        prompts.exclamation(QStringLiteral("\"%1\" is no folder.").arg(shown(request.folder)));
        return;
    case WebCatalogueFolder::State::Foreign:
        if (!prompts.confirm(ReplaceForeign.arg(shown(request.folder))))
            return;
        request.mayReplaceForeign = true;
        break;
    default:
        break;
    }
    if (dialog.onlySearch()) {
        const catalog::RecordSet& set = *state.current;
        std::vector<qint64> keys(size_t(set.recordCount()));
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = set.keyAt(int(i));
        request.keys = std::move(keys);
        request.search = state.filterDescription;
    } else {
        request.query = state.database->translate(catalog::CatalogSchema::ArchiveQuery +
                                                  catalog::CatalogState::InitialFilter +
                                                  catalog::CatalogState::InitialOrder);
    }

    WebCatalogueExport::Result result;
    const auto task = prompts.runTask(QStringLiteral("Writing the web catalogue \"%1\"").arg(shown(request.folder)),
                                      [&](tasks::TaskControl& progress) {
                                          result = WebCatalogueExport::write(request, &progress);
                                      });
    if (task->stoppedOnCancel()) {
        prompts.message(Cancelled.arg(shown(request.folder)));
        return;
    }
    try {
        task->rethrow();
        QString done = QStringLiteral("%1 movies written to \"%2\"")
                           .arg(QLocale().toString(result.movies), shown(request.folder));
        if (request.covers)
            done += QStringLiteral(", with %1 covers").arg(QLocale().toString(result.covers));
        prompts.message(done + QStringLiteral(".\nOpen index.html in the folder with any browser."));
    } catch (const catalog::EngineError& error) {
        prompts.exclamation(error.message());
    }
}

} // namespace quelto::webcatalogue
