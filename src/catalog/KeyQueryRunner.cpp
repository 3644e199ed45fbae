#include "catalog/KeyQueryRunner.h"

#include "catalog/EngineError.h"
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

quint64 KeyQueryRunner::request(const QString& keyQuery)
{
    quint64 ticket;
    {
        std::lock_guard lock(m_mutex);
        ticket = ++m_latest;
        m_pending = keyQuery;
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

quint64 KeyQueryRunner::latestTicket() const
{
    std::lock_guard lock(m_mutex);
    return m_latest;
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
        try {
            if (!m_connection) {
                auto connection = SqliteConnection::open(m_path, SqliteConnection::Mode::OpenExisting);
                std::lock_guard lock(m_mutex);
                m_connection = std::move(connection);
            }
            auto statement = m_connection->prepare(query);
            while (statement->step())
                keys->push_back(statement->int64(0));
        } catch (const EngineError& e) {
            error = e.message();
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
