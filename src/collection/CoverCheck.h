#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// The engine's quick check of the covers table, which opening leaves out
// because it can be gigabytes: run on a worker thread with a connection of its
// own, reading only, right after a catalogue has opened.
class CoverCheck : public QObject
{
    Q_OBJECT
public:
    explicit CoverCheck(QString path, QObject* parent = nullptr);
    ~CoverCheck() override;

    const QString& path() const { return m_path; }
    bool isRunning() const { return m_running; }

signals:
    // On the thread of this object: empty when the covers are sound.
    void finished(const QString& problems);

private:
    QString m_path;
    bool m_running = true;
    std::shared_ptr<catalog::SqliteConnection> m_connection; // used by the worker only, until it ends
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace quelto::collection
