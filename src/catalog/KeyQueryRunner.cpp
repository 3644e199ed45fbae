#include "catalog/KeyQueryRunner.h"

#include "catalog/ArchiveQuery.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"

namespace quelto::catalog {

KeyQueryRunner::KeyQueryRunner(QString path, QObject* parent) : QObject(parent), m_path(std::move(path))
{
    m_thread = std::thread([this] { work(); });
}

KeyQueryRunner::~KeyQueryRunner()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        if (m_running && m_connection)
            m_connection->interrupt();
    }
    m_wake.notify_all();
    m_thread.join();
}

quint64 KeyQueryRunner::request(const QString& query)
{
    quint64 ticket;
    {
        std::lock_guard lock(m_mutex);
        ticket = ++m_latest;
        m_pending = query;
        m_pendingTicket = ticket;
        if (m_running && m_connection)
            m_connection->interrupt();
    }
    m_wake.notify_all();
    return ticket;
}

void KeyQueryRunner::cancel()
{
    std::lock_guard lock(m_mutex);
    ++m_latest;
    m_pendingTicket = 0;
    if (m_running && m_connection)
        m_connection->interrupt();
}

void KeyQueryRunner::yieldToWriter()
{
    std::lock_guard lock(m_mutex);
    if (m_running && m_connection) {
        m_yielded = true;
        m_connection->interrupt();
    }
}

quint64 KeyQueryRunner::latestTicket() const
{
    std::lock_guard lock(m_mutex);
    return m_latest;
}

QString KeyQueryRunner::runOnce(const QString& query, std::vector<qint64>& keys)
{
    keys.clear();
    try {
        if (!m_connection) {
            auto connection = SqliteConnection::open(m_path, SqliteConnection::Mode::OpenReadOnly);
            std::lock_guard lock(m_mutex);
            m_connection = std::move(connection);
        }
        if (std::optional<std::vector<qint64>> planned = ArchiveQuery::keys(*m_connection, query)) {
            keys = std::move(*planned);
        } else {
            const QString keyQuery = RecordSet::keyQueryFor(query);
            auto statement = m_connection->prepare(keyQuery.isEmpty() ? query : keyQuery);
            while (statement->step())
                keys.push_back(statement->int64(0));
        }
    } catch (const EngineError& e) {
        return e.message();
    }
    return {};
}

void KeyQueryRunner::work()
{
    for (;;) {
        QString query;
        quint64 ticket;
        {
            std::unique_lock lock(m_mutex);
            m_running = false;
            m_wake.wait(lock, [this] { return m_stop || m_pendingTicket != 0; });
            if (m_stop)
                break;
            query = std::move(m_pending);
            ticket = m_pendingTicket;
            m_pendingTicket = 0;
            m_running = true;
        }
        auto keys = std::make_shared<std::vector<qint64>>();
        QString error;
        for (bool again = true; again;) {
            again = false;
            error = runOnce(query, *keys);
            // Stopped for a write of the program's own, and not overtaken:
            // the same query again, once the write lets it read.
            std::lock_guard lock(m_mutex);
            if (m_yielded) {
                m_yielded = false;
                again = !error.isEmpty() && ticket == m_latest && !m_stop;
            }
        }
        std::lock_guard lock(m_mutex);
        if (ticket != m_latest || m_stop)
            continue; // overtaken by a newer request
        if (error.isEmpty()) {
            QMetaObject::invokeMethod(
                this, [this, ticket, keys] { emit answered(ticket, *keys); }, Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(
                this, [this, ticket, error] { emit failed(ticket, error); }, Qt::QueuedConnection);
        }
    }
    std::lock_guard lock(m_mutex);
    m_connection.reset();
}

} // namespace quelto::catalog
