#include "app/CatalogueLocator.h"

#include "app/DatabaseDialog.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "editing/UserPrompts.h"
#include "exchange/AccessConversionFlow.h"

#include <QFileInfo>

namespace quelto::app {
namespace {

using catalog::CatalogLoader;
using catalog::EngineError;

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

QString absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

CatalogueLocator::CatalogueLocator(Settings& settings, editing::UserPrompts& prompts, QWidget* window)
    : m_settings(settings), m_prompts(prompts), m_window(window)
{
}

// An old Access file is offered for conversion: the new catalogue is the file
// to open, and its path is stored. Nothing when the user declined.
std::optional<QString> CatalogueLocator::convertedIfAccess(const QString& path)
{
    using catalog::CatalogFileCheck;
    if (!isFile(path) || CatalogFileCheck::inspect(path) != CatalogFileCheck::Kind::AccessDatabase)
        return path;
    const std::optional<QString> converted =
        exchange::AccessConversionFlow(m_prompts, m_window).convert(path);
    if (converted) {
        m_settings.setDatabaseFilename(*converted);
        m_settings.sync();
    }
    return converted;
}

bool CatalogueLocator::locate(catalog::CatalogState& state, const QString& databaseOverride)
{
    if (!databaseOverride.isEmpty()) {
        state.databasePath = absolute(databaseOverride);
        if (!isFile(state.databasePath)) {
            CatalogLoader::createCatalogFile(state.databasePath);
            state.newDatabase = true;
        }
        const std::optional<QString> catalogue = convertedIfAccess(state.databasePath);
        if (!catalogue)
            return false;
        state.databasePath = *catalogue;
        return true;
    }
    if (!state.databasePath.isEmpty() && isFile(state.databasePath)) {
        const std::optional<QString> catalogue = convertedIfAccess(state.databasePath);
        if (!catalogue)
            return false;
        state.databasePath = *catalogue;
        return true;
    }

    // A choice that cannot be used is explained and the dialog comes back, as
    // does an Access file the user declines to convert.
    for (;;) {
        const std::optional<QString> typed = m_prompts.chooseDatabase();
        if (!typed)
            return false;
        if (typed->trimmed().isEmpty()) {
            m_prompts.exclamation(MainWindow::NoCatalogueNamed);
            continue;
        }
        try {
            const std::optional<QString> chosen = convertedIfAccess(DatabaseDialog::fullPath(*typed));
            if (!chosen)
                continue;
            const QString path = absolute(*chosen);
            if (isFile(path)) {
                CatalogLoader::checkCatalogFile(path);
            } else {
                CatalogLoader::createCatalogFile(path);
                state.newDatabase = true;
            }
            state.databasePath = path;
            break;
        } catch (const EngineError& error) {
            m_prompts.exclamation(error.message());
        }
    }
    m_settings.setDatabaseFilename(state.databasePath);
    m_settings.sync();
    return true;
}

} // namespace quelto::app
