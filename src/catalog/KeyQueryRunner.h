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

// Finds the rows of queries ("select * from archive ..." as the engine
// answers it, ArchiveQuery, or any "select rowid from ...") on a connection of
// its own in a worker thread, so that a long scan never holds up the window.
// Only the newest request counts: a newer one interrupts the query still
// running, and an answer that is no longer the newest is dropped.
class KeyQueryRunner : public QObject
{
    Q_OBJECT
public:
    // path: the database file the worker opens for reading.
    explicit KeyQueryRunner(QString path, QObject* parent = nullptr);
    ~KeyQueryRunner() override;

    // Starts a query (translated, Database::translate); returns its ticket.
    quint64 request(const QString& query);
    // Drops the request in progress.
    void cancel();
    // A write of the program's own is coming: the query under way stops at
    // once, releasing the file, and runs again as soon as it can.
    void yieldToWriter();
    quint64 latestTicket() const;

signals:
    // On the thread of this object. keys is moved from by the first receiver.
    void answered(quint64 ticket, std::vector<qint64>& keys);
    void failed(quint64 ticket, const QString& message);

private:
    void work();
    // The query once; the error's text, or nothing.
    QString runOnce(const QString& query, std::vector<qint64>& keys);

    QString m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QString m_pending;
    quint64 m_latest = 0;
    quint64 m_pendingTicket = 0;
    bool m_running = false;
    bool m_yielded = false; // the query under way was stopped for a write
    bool m_stop = false;
    std::shared_ptr<SqliteConnection> m_connection; // the worker's
    std::thread m_thread;
};

} // namespace quelto::catalog
