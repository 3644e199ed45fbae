#include "app/CatalogueSwitcher.h"

#include "app/CatalogSafety.h"
#include "app/MainMenu.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogLoader.h"
#include "catalog/EngineError.h"
#include "editing/FieldBinding.h"
#include "editing/OptionFields.h"
#include "editing/RecordDisplay.h"
#include "editing/StatusShape.h"
#include "editing/UserPrompts.h"
#include "exchange/AccessConversionFlow.h"
#include "search/SearchCommands.h"
#include "tasks/CommandRunner.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace quelto::app {
namespace {

using catalog::CatalogLoader;
using catalog::CatalogState;
using catalog::EngineError;

const QString CatalogueFilter = QStringLiteral("Quelto Catalogue (*.mdb);;All Files (*)");

// "quelto.mdb", or the first of "quelto-2.mdb", "quelto-3.mdb", ... that is free.
QString freeCatalogueName(const QDir& folder)
{
    for (int i = 1;; ++i) {
        const QString name = i == 1 ? QStringLiteral("quelto.mdb") : QStringLiteral("quelto-%1.mdb").arg(i);
        if (!folder.exists(name))
            return folder.filePath(name);
    }
}

} // namespace

CatalogueSwitcher::CatalogueSwitcher(MainWindow& window)
    : QObject(&window), m_window(window), m_name(new QLabel(&window))
{
    m_name->setObjectName(QStringLiteral("catalogueName"));
    window.statusBar()->addPermanentWidget(m_name);
    connect(window.menu().action(QStringLiteral("mnNewCatalogue")), &QAction::triggered, this,
            &CatalogueSwitcher::newCatalogue);
    connect(window.menu().action(QStringLiteral("mnOpenCatalogue")), &QAction::triggered, this,
            &CatalogueSwitcher::openCatalogue);
}

bool CatalogueSwitcher::mayReplaceRecord()
{
    if (!m_window.display().settleUnsavedChanges())
        return false;
    if (m_window.state().newRecordMode) {
        m_window.prompts().exclamation(search::SearchCommands::FinishNewRecord);
        return false;
    }
    return true;
}

void CatalogueSwitcher::newCatalogue()
{
    if (!mayReplaceRecord())
        return;
    const QDir folder = QFileInfo(m_window.state().databasePath).absoluteDir();
    const std::optional<QString> chosen = m_window.prompts().chooseFile(
        {QStringLiteral("New Catalogue"), freeCatalogueName(folder), CatalogueFilter, QStringLiteral("mdb")});
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    if (QFileInfo::exists(path)) {
        m_window.prompts().exclamation(
            QStringLiteral("\"%1\" exists already. A new catalogue needs a new file name; "
                           "to use that file, choose Open Catalogue.")
                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    try {
        CatalogLoader::createCatalogFile(path);
    } catch (const EngineError& error) {
        m_window.prompts().exclamation(error.message());
        return;
    }
    switchTo(path, true);
}

void CatalogueSwitcher::openCatalogue()
{
    if (!mayReplaceRecord())
        return;
    const std::optional<QString> chosen =
        m_window.prompts().chooseFile({QStringLiteral("Open Catalogue"), m_window.state().databasePath,
                                       CatalogueFilter, QStringLiteral("mdb")});
    if (!chosen || chosen->isEmpty())
        return;
    QString path = QFileInfo(*chosen).absoluteFilePath();
    if (catalog::CatalogFileCheck::inspect(path) == catalog::CatalogFileCheck::Kind::AccessDatabase) {
        const std::optional<QString> converted =
            exchange::AccessConversionFlow(m_window.prompts(), &m_window).convert(path);
        if (!converted)
            return;
        path = *converted;
    }
    switchTo(path);
}

bool CatalogueSwitcher::switchTo(const QString& path, bool created)
{
    CatalogState opened;
    opened.databasePath = QFileInfo(path).absoluteFilePath();
    // The window's own lock would count as another Quelto's.
    if (opened.databasePath == m_window.state().databasePath)
        m_window.state().lock.reset();
    try {
        CatalogLoader::open(opened, m_window.safety().questions(opened.databasePath, created));
    } catch (const EngineError& error) {
        m_window.prompts().exclamation(error.message());
        return false;
    }

    CatalogState& state = m_window.state();
    state.current.reset();
    state.optionSets.clear();
    state.integrityCheck.reset();
    state.database = std::move(opened.database);
    state.integrityCheck = std::move(opened.integrityCheck);
    state.lock = std::move(opened.lock);
    state.optionSets = std::move(opened.optionSets);
    state.current = std::move(opened.current);
    state.databasePath = opened.databasePath;
    state.newDatabase = created;
    state.filterClause = opened.filterClause;
    state.orderClause = opened.orderClause;
    state.filterActive = false;
    state.filterDescription.clear();
    state.newRecordMode = false;

    showFirstRecord();
    m_window.settings().setDatabaseFilename(state.databasePath);
    m_window.settings().sync();
    showCatalogueName();
    m_window.safety().followCheck(&m_window, m_window.commandRunner().patience());
    m_window.safety().tellAfterOpening();
    m_window.safety().tidyUp();
    emit catalogueSwitched();
    return true;
}

void CatalogueSwitcher::showFirstRecord()
{
    CatalogState& state = m_window.state();
    editing::RecordForm& form = m_window.form();
    // An empty catalogue shows empty fields, as at start-up, not the old record.
    if (state.current->bof() && state.current->eof()) {
        for (const editing::FieldBinding& field : editing::FieldBinding::of(form))
            field.setText(QString());
    }
    editing::OptionFields::fillAll(state, form);
    form.catalog->setEnabled(false);
    form.dbNoFilter->setEnabled(false);
    form.dbNew->setEnabled(true);
    form.filterset->clear();
    form.Shape1->setMode(editing::StatusShape::Mode::Browsing);
    if (QAction* byTitle = m_window.menu().action(QStringLiteral("mnOrdTitle")))
        byTitle->setChecked(true);
    m_window.display().recordToForm();
    m_window.tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
    m_window.display().showRecordCount();
    m_window.display().markUnchanged();
}

void CatalogueSwitcher::showCatalogueName()
{
    const QString& path = m_window.state().databasePath;
    m_name->setText(QStringLiteral("Catalogue: %1").arg(QFileInfo(path).fileName()));
    m_name->setToolTip(QDir::toNativeSeparators(path));
}

} // namespace quelto::app
