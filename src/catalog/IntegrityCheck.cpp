#include "catalog/IntegrityCheck.h"

#include "catalog/CatalogIntegrity.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "tasks/BackgroundTask.h"

#include <QDir>

namespace quelto::catalog {

IntegrityCheck::IntegrityCheck(const std::shared_ptr<SqliteConnection>& connection,
                               std::function<bool(const QString&)> askToWrite)
    : m_connection(connection), m_path(connection->path()), m_askToWrite(std::move(askToWrite)),
      m_found(std::make_shared<QString>())
{
}

void IntegrityCheck::start()
{
    std::lock_guard lock(m_startMutex);
    if (m_task)
        return;
    const QString path = m_path;
    const std::shared_ptr<QString> found = m_found;
    m_task = tasks::BackgroundTask::start([path, found](tasks::TaskControl& control) {
        auto reader = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
        control.setInterrupt([reader] { reader->interrupt(); });
        try {
            *found = CatalogIntegrity::quickCheck(*reader, CatalogIntegrity::checkedLater());
        } catch (const EngineError& error) {
            // A file that cannot be read through is not sound either.
            if (!control.cancelled())
                *found = error.message();
        }
        control.setInterrupt({});
    });
}

IntegrityCheck::~IntegrityCheck()
{
    if (m_task && !m_task->waitFor(0))
        m_task->cancel(); // the catalogue is closed: the check's answer has no taker
}

tasks::BackgroundTask& IntegrityCheck::task()
{
    start();
    return *m_task;
}

void IntegrityCheck::guardWrites()
{
    std::weak_ptr<IntegrityCheck> self = weak_from_this();
    if (auto connection = m_connection.lock()) {
        connection->setWriteGate([self] {
            if (auto check = self.lock())
                check->settle();
        });
    }
}

bool IntegrityCheck::waitFor(int ms) { return task().waitFor(ms); }

bool IntegrityCheck::isOver() const
{
    std::lock_guard lock(m_startMutex);
    return m_task && m_task->outcome() != tasks::BackgroundTask::Outcome::Running;
}

QString IntegrityCheck::damage() const { return isOver() ? *m_found : QString(); }

void IntegrityCheck::settle()
{
    task().waitFor(-1);
    {
        std::lock_guard lock(m_settleMutex);
        if (m_settling == Settling::Done)
            return;
        if (m_settling == Settling::Asking)
            throw EngineError(EngineError::Kind::Damaged,
                              QStringLiteral("Quelto is asking whether to change the damaged catalogue \"%1\"; "
                                             "nothing is changed until it has the answer.")
                                  .arg(QDir::toNativeSeparators(m_path)));
        m_settling = Settling::Asking;
    }
    const QString found = *m_found;
    auto connection = m_connection.lock();
    const bool allowed = found.isEmpty() || !connection || (m_askToWrite && m_askToWrite(found));
    if (!allowed) {
        connection->refuseWrites(EngineError(
            EngineError::Kind::Damaged,
            QStringLiteral("The catalogue \"%1\" is damaged; Quelto changes nothing in it:\n%2")
                .arg(QDir::toNativeSeparators(m_path), found)));
    }
    std::lock_guard lock(m_settleMutex);
    m_settling = Settling::Done;
}

void IntegrityCheck::settleWhenOver(QObject* receiver)
{
    std::weak_ptr<IntegrityCheck> self = weak_from_this();
    task().whenOver(receiver, [self] {
        try {
            if (auto check = self.lock())
                check->settle();
        } catch (const EngineError&) {
            // Asked already, from a write that is waiting for the answer.
        }
    });
}

} // namespace quelto::catalog
