#include "app/CatalogSafety.h"

#include "catalog/CatalogBackup.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/IntegrityCheck.h"
#include "catalog/SqliteConnection.h"
#include "editing/UserPrompts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace quelto::app {

CatalogSafety::CatalogSafety(catalog::CatalogState& state, editing::UserPrompts& prompts)
    : m_state(state), m_prompts(prompts)
{
}

catalog::CatalogLoader::Questions CatalogSafety::questions(const QString& path)
{
    const QString file = QDir::toNativeSeparators(path);
    catalog::CatalogLoader::Questions questions;
    questions.removeForeignObjects = [this, file](const QString& report) {
        return m_prompts.confirm(ForeignObjects.arg(file, report));
    };
    questions.writeToDamagedFile = [this, file](const QString& report) {
        return m_prompts.confirm(Damaged.arg(file, report));
    };
    m_runBackup.clear();
    questions.beforeFirstWrite = [this, path] { makeBackup(path); };
    return questions;
}

void CatalogSafety::tellAfterOpening()
{
    const QString file = QDir::toNativeSeparators(m_state.databasePath);
    const catalog::EngineError* refusal = m_state.database->connection()->refusal();
    if (refusal && refusal->kind() == catalog::EngineError::Kind::ReadOnly)
        m_prompts.exclamation(ReadOnly.arg(file));
    if (m_state.lock && !m_state.lock->held() && !m_state.lock->otherHolder().isEmpty())
        m_prompts.exclamation(OpenElsewhere.arg(file, m_state.lock->otherHolder()));
}

void CatalogSafety::makeBackup(const QString& path)
{
    // Asked again for each change until one is stored: the copy made for a
    // change that failed gives way to the newer one.
    const bool earlier = !m_runBackup.isEmpty() && QFileInfo::exists(m_runBackup);
    try {
        m_runBackup = catalog::CatalogBackup::make(path, QDateTime::currentDateTime(), m_runBackup);
    } catch (const catalog::EngineError& error) {
        if (!earlier) {
            const QString text = NoBackup.arg(error.message());
            // The first change may be stored by a long command's worker thread;
            // the message is shown by the window's thread, which waits for it.
            QCoreApplication* app = QCoreApplication::instance();
            if (app && QThread::currentThread() != app->thread())
                QMetaObject::invokeMethod(app, [this, text] { m_prompts.exclamation(text); }, Qt::BlockingQueuedConnection);
            else
                m_prompts.exclamation(text);
        }
    }
}

void CatalogSafety::followCheck(QObject* window, int patienceMs)
{
    const std::shared_ptr<catalog::IntegrityCheck> check = m_state.integrityCheck;
    if (!check)
        return;
    if (check->waitFor(patienceMs)) {
        check->settle();
        return;
    }
    check->settleWhenOver(window);
}

void CatalogSafety::tidyUp()
{
    // Unfinished copies of runs that ended while copying; another Quelto on
    // the same file could be copying right now, so only while this one holds the lock.
    if (m_state.lock && m_state.lock->held())
        catalog::CatalogBackup::removeLeftovers(m_state.databasePath);
}

} // namespace quelto::app
