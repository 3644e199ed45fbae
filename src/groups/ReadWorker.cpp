#include "groups/ReadWorker.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

#include <QPointer>

namespace quelto::groups {

ReadWorker::ReadWorker(QObject* parent) : QObject(parent)
{
    m_thread = std::thread([this] { loop(); });
}

ReadWorker::~ReadWorker()
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

void ReadWorker::run(const QString& path, Work work, std::function<void()> done,
                     std::function<void(const QString&)> failed)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Request{++m_latest, path, std::move(work), std::move(done), std::move(failed)};
        if (m_running && m_connection)
            m_connection->interrupt();
    }
    m_wake.notify_all();
}

void ReadWorker::cancel()
{
    std::lock_guard lock(m_mutex);
    ++m_latest;
    m_pending = Request{};
    if (m_running && m_connection)
        m_connection->interrupt();
}

bool ReadWorker::isBusy() const
{
    std::lock_guard lock(m_mutex);
    return m_running || m_pending.ticket != 0;
}

void ReadWorker::loop()
{
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_running = false;
            m_wake.wait(lock, [this] { return m_stop || m_pending.ticket != 0; });
            if (m_stop)
                break;
            request = std::move(m_pending);
            m_pending = Request{};
            m_running = true;
        }
        QString error;
        try {
            if (!m_connection || m_connectionPath != request.path) {
                auto connection = catalog::SqliteConnection::open(request.path,
                                                                  catalog::SqliteConnection::Mode::OpenReadOnly);
                std::lock_guard lock(m_mutex);
                m_connection = std::move(connection);
                m_connectionPath = request.path;
            }
            request.work(*m_connection);
        } catch (const catalog::EngineError& e) {
            error = e.message();
        }
        std::lock_guard lock(m_mutex);
        if (request.ticket != m_latest || m_stop)
            continue; // overtaken by a newer request
        QPointer<ReadWorker> self(this);
        const quint64 ticket = request.ticket;
        QMetaObject::invokeMethod(
            this,
            [self, ticket, error, done = std::move(request.done), failed = std::move(request.failed)] {
                if (!self || ticket != self->m_latest)
                    return;
                if (error.isEmpty()) {
                    if (done)
                        done();
                } else if (failed) {
                    failed(error);
                }
            },
            Qt::QueuedConnection);
    }
    std::lock_guard lock(m_mutex);
    m_connection.reset();
}

} // namespace quelto::groups
