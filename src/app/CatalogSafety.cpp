#include "app/CatalogSafety.h"

#include "exchange/CsvCoverFolder.h"
#include "catalog/CatalogBackup.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/IntegrityCheck.h"
#include "catalog/SqliteConnection.h"
#include "editing/UserPrompts.h"
#include "exchange/CsvCoverFolder.h"
#include "tasks/TaskControl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <utility>

namespace quelto::app {

void CatalogSafety::damageFound(const QString& path, const QString& problems)
{
    if (problems.isEmpty() || !m_state.database || m_state.database->path() != path)
        return;
    catalog::SqliteConnection& connection = *m_state.database->connection();
    if (connection.writesRefused())
        return;
    const QString file = QDir::toNativeSeparators(path);
    if (!m_prompts.confirm(Damaged.arg(file, problems))) {
        connection.refuseWrites(catalog::EngineError(
            catalog::EngineError::Kind::Damaged,
            QStringLiteral("The catalogue \"%1\" is damaged; Quelto changes nothing in it:\n%2")
                .arg(file, problems)));
    }
}

CatalogSafety::CatalogSafety(catalog::CatalogState& state, editing::UserPrompts& prompts)
    : m_state(state), m_prompts(prompts)
{
}

catalog::CatalogLoader::Questions CatalogSafety::questions(const QString& path, bool created)
{
    const QString file = QDir::toNativeSeparators(path);
    catalog::CatalogLoader::Questions questions;
    questions.removeForeignObjects = [this, file](const QString& report) {
        return m_prompts.confirm(ForeignObjects.arg(file, report));
    };
    questions.writeToDamagedFile = [this, file](const QString& report) {
        return m_prompts.confirm(Damaged.arg(file, report));
    };
    {
        std::lock_guard lock(m_copies->mutex);
        m_copies->runBackup.clear();
        m_copies->ahead.clear();
        m_copies->backupOf = created ? QString() : path;
    }
    if (!created)
        questions.beforeFirstWrite = [this, path] { makeBackup(path); };
    return questions;
}

QByteArray CatalogSafety::fileStamp(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(100);
    if (header.size() < 100)
        return {};
    const QFileInfo info(path);
    return header.mid(24, 8) + QByteArray::number(info.size()) + ' ' +
           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
}

std::function<void(tasks::TaskControl&)> CatalogSafety::writePreparation()
{
    const std::shared_ptr<catalog::IntegrityCheck> check = m_state.integrityCheck;
    const bool checking = check && !check->isOver();
    bool copying = false;
    const QString path = m_state.databasePath;
    if (m_state.database) {
        const catalog::SqliteConnection& connection = *m_state.database->connection();
        std::lock_guard lock(m_copies->mutex);
        copying = !connection.changeStored() && !connection.writesRefused() && path == m_copies->backupOf &&
                  m_copies->ahead.isEmpty();
    }
    if (!checking && !copying)
        return {};
    const std::shared_ptr<Copies> copies = m_copies;
    return [copies, check, checking, copying, path](tasks::TaskControl& control) {
        if (checking) {
            while (!check->waitFor(50))
                control.throwIfCancelled();
        }
        control.throwIfCancelled();
        // A file found damaged is copied too: the change may still be allowed.
        if (copying)
            makeBackupAhead(*copies, path);
    };
}

void CatalogSafety::makeBackupAhead(Copies& copies, const QString& path)
{
    QString replaces;
    {
        std::lock_guard lock(copies.mutex);
        if (path != copies.backupOf || !copies.ahead.isEmpty())
            return;
        replaces = copies.runBackup;
    }
    const QByteArray before = fileStamp(path);
    QString made;
    try {
        made = catalog::CatalogBackup::make(path, QDateTime::currentDateTime(), replaces);
    } catch (const catalog::EngineError&) {
        return; // the change tries again itself, and tells
    }
    const QByteArray after = fileStamp(path);
    std::lock_guard lock(copies.mutex);
    if (path != copies.backupOf) {
        QFile::remove(made); // another catalogue is open now
        return;
    }
    copies.runBackup = made;
    if (!before.isEmpty() && before == after) {
        copies.ahead = made;
        copies.aheadStamp = after;
    }
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
    QString earlierCopy;
    {
        std::lock_guard lock(m_copies->mutex);
        const QString ahead = std::exchange(m_copies->ahead, QString());
        // Made ahead of this change, of the file as it still is: taken.
        if (!ahead.isEmpty() && ahead == m_copies->runBackup && QFileInfo::exists(ahead) &&
            fileStamp(path) == m_copies->aheadStamp)
            return;
        earlierCopy = m_copies->runBackup;
    }
    const bool earlier = !earlierCopy.isEmpty() && QFileInfo::exists(earlierCopy);
    try {
        const QString made = catalog::CatalogBackup::make(path, QDateTime::currentDateTime(), earlierCopy);
        std::lock_guard lock(m_copies->mutex);
        m_copies->runBackup = made;
    } catch (const catalog::EngineError& error) {
        if (!earlier) {
            const QString text = NoBackup.arg(error.message());
            // The first change may be stored by a long command's worker thread;
            // the message is shown by the window's thread, which waits for it.
            QCoreApplication* app = QCoreApplication::instance();
            if (app && QThread::currentThread() != app->thread())
                QMetaObject::invokeMethod(
                    app, [this, text] { m_prompts.exclamation(text); }, Qt::BlockingQueuedConnection);
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
    // The covers folders of CSV exports that were killed, wherever they were written.
    exchange::CsvCoverFolder::removeLeftovers();
}

} // namespace quelto::app
