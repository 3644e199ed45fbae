#pragma once

#include <QObject>
#include <QString>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::groups {

// Reads a catalogue on a thread of its own, through a read-only connection of
// its own, so that counting a large catalogue never holds up the window. Only
// the newest request counts: a newer one interrupts the one still running,
// and the answer of an older one is dropped.
class ReadWorker : public QObject
{
    Q_OBJECT
public:
    using Work = std::function<void(catalog::SqliteConnection&)>;

    explicit ReadWorker(QObject* parent = nullptr);
    ~ReadWorker() override;

    // Runs work on the worker's connection to the file at path. Once it has
    // ended, done (or failed, with the error's message) runs on this object's
    // thread, unless a newer request came in meanwhile. What work computes,
    // it leaves in state that done shares.
    void run(const QString& path, Work work, std::function<void()> done,
             std::function<void(const QString&)> failed = {});
    // Drops the request in progress.
    void cancel();
    // A request is running or waiting.
    bool isBusy() const;

private:
    struct Request
    {
        quint64 ticket = 0;
        QString path;
        Work work;
        std::function<void()> done;
        std::function<void(const QString&)> failed;
    };
    void loop();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Request m_pending;
    quint64 m_latest = 0;
    bool m_running = false;
    bool m_stop = false;
    std::shared_ptr<catalog::SqliteConnection> m_connection; // the worker's
    QString m_connectionPath;
    std::thread m_thread;
};

} // namespace quelto::groups
