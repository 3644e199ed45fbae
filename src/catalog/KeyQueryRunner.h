#pragma once

#include <QObject>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quelto::catalog {

class SqliteConnection;

// Runs key queries ("select rowid from ...") on a connection of its own in a
// worker thread, so that a long scan never holds up the window. Only the
// newest request counts: a newer one interrupts the query still running, and
// an answer that is no longer the newest is dropped.
class KeyQueryRunner : public QObject
{
    Q_OBJECT
public:
    // path: the database file the worker opens for reading.
    explicit KeyQueryRunner(QString path, QObject* parent = nullptr);
    ~KeyQueryRunner() override;

    // Starts a query; returns its ticket.
    quint64 request(const QString& keyQuery);
    // Drops the request in progress.
    void cancel();
    quint64 latestTicket() const;

signals:
    // On the thread of this object. keys is moved from by the first receiver.
    void answered(quint64 ticket, std::vector<qint64>& keys);
    void failed(quint64 ticket, const QString& message);

private:
    void work();

    QString m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QString m_pending;
    quint64 m_latest = 0;
    quint64 m_pendingTicket = 0;
    bool m_running = false;
    bool m_stop = false;
    std::shared_ptr<SqliteConnection> m_connection; // the worker's
    std::thread m_thread;
};

} // namespace quelto::catalog
