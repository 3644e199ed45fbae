#include "statistics/KeptStatisticsRefresher.h"

#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "statistics/KeptStatistics.h"
#include "statistics/StatisticsCollector.h"
#include "tasks/BackgroundTask.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <pthread.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/resource.h>

namespace quelto::statistics {
namespace {

// The pass takes only what the machine has to spare; the threads it starts
// inherit this.
void lowestPriority()
{
    sched_param none{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &none) != 0)
        setpriority(PRIO_PROCESS, 0, 19);
}

// Ends every statement of the connection soon after Cancel, also one that
// starts after it.
int stopWhenCancelled(void* control)
{
    return static_cast<tasks::TaskControl*>(control)->cancelled() ? 1 : 0;
}

} // namespace

KeptStatisticsRefresher::KeptStatisticsRefresher(catalog::CatalogState& state, std::function<bool()> busy,
                                                 QObject* parent)
    : QObject(parent), m_state(state), m_busy(std::move(busy)), m_pause(new QTimer(this))
{
    m_pause->setSingleShot(true);
    m_pause->setInterval(PauseMs);
    connect(m_pause, &QTimer::timeout, this, &KeptStatisticsRefresher::refresh);
}

KeptStatisticsRefresher::~KeptStatisticsRefresher()
{
    stop();
}

void KeptStatisticsRefresher::fileMayHaveChanged()
{
    if (!m_state.database)
        return;
    catalog::SqliteConnection& connection = *m_state.database->connection();
    if (m_hookedConnection != &connection) { // another catalogue, or the first command
        stop();
        m_hookedConnection = &connection;
        m_changesSeen = connection.totalChanges();
        QPointer<KeptStatisticsRefresher> self = this;
        connection.addBeforeWrite([self] {
            if (self)
                self->stop(); // its read lock must not hold up the write
        });
        // Figures kept from an earlier run may be out of date: another
        // program may have changed the catalogue since. They are checked
        // (and counted again if so) once the window is idle.
        if (QFileInfo::exists(KeptStatistics::fileFor(connection.path())))
            m_pause->start();
        return;
    }
    if (connection.totalChanges() == m_changesSeen)
        return;
    m_changesSeen = connection.totalChanges();
    if (!QFileInfo::exists(KeptStatistics::fileFor(connection.path())))
        return; // the statistics of this catalogue were never asked for
    stop();
    m_pause->start();
}

void KeptStatisticsRefresher::refreshNow()
{
    m_pause->stop();
    refresh();
}

void KeptStatisticsRefresher::refresh()
{
    if (!m_state.database)
        return;
    if (m_busy && m_busy()) {
        m_pause->start();
        return;
    }
    stop();
    const QString path = m_state.database->connection()->path();
    m_task = tasks::BackgroundTask::start([path](tasks::TaskControl& control) {
        lowestPriority();
        auto connection =
            catalog::SqliteConnection::open(path, catalog::SqliteConnection::Mode::OpenReadOnly);
        sqlite3_progress_handler(connection->handle(), 1000, stopWhenCancelled, &control);
        control.setInterrupt([connection] { StatisticsCollector::interrupt(*connection); });
        try {
            control.throwIfCancelled();
            KeptStatistics::collect(*connection, QDate::currentDate());
        } catch (...) {
            control.setInterrupt({});
            throw;
        }
        control.setInterrupt({});
    });
}

void KeptStatisticsRefresher::stop()
{
    m_pause->stop();
    if (m_task) {
        m_task->cancel();
        m_task->waitFor(StopWaitMs); // interrupted: it lets go of the file at once
    }
    m_task.reset();
}

bool KeptStatisticsRefresher::waitFor(int ms)
{
    return !m_task || m_task->waitFor(ms);
}

bool KeptStatisticsRefresher::isWaiting() const { return m_pause->isActive(); }

} // namespace quelto::statistics
