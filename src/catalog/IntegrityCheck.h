#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace quelto::tasks {
class BackgroundTask;
}

namespace quelto::catalog {

class SqliteConnection;

// The engine's quick check of a catalogue, run on a thread and a connection
// of its own while the window already shows the first record: it starts
// once start() is called (after the first record is found, so that the two
// do not share the processor), or at the latest when anything waits for it. Nothing is
// written before it is over: the connection's write gate waits for it. A file
// it finds damaged gets the question whether to change it all the same, once,
// as soon as the check is over or before the first write, whichever comes
// first; without leave, writes to it are refused.
class IntegrityCheck : public std::enable_shared_from_this<IntegrityCheck>
{
public:
    // askToWrite: the question, with the check's report; an absent one counts as No.
    IntegrityCheck(const std::shared_ptr<SqliteConnection>& connection,
                   std::function<bool(const QString& report)> askToWrite);
    ~IntegrityCheck();
    // Starts the check, if it has not started yet.
    void start();
    IntegrityCheck(const IntegrityCheck&) = delete;
    IntegrityCheck& operator=(const IntegrityCheck&) = delete;

    // Makes the connection's writes wait for the check, and settle it. Call
    // it on a check held by a shared pointer.
    void guardWrites();
    // Waits up to ms milliseconds (-1: as long as it takes); true when over.
    bool waitFor(int ms);
    bool isOver() const;
    // Once the check is over: asks about damage (once) and refuses writes
    // without leave. Waits for the check first.
    void settle();
    // settle() on the receiver's (the window's) thread once the check is over.
    void settleWhenOver(QObject* receiver);
    // What the check found; empty for a sound file or while it runs.
    QString damage() const;

private:
    std::weak_ptr<SqliteConnection> m_connection;
    QString m_path;
    std::function<bool(const QString&)> m_askToWrite;
    tasks::BackgroundTask& task();

    std::shared_ptr<tasks::BackgroundTask> m_task; // from start() on
    mutable std::mutex m_startMutex;
    std::shared_ptr<QString> m_found; // written by the check's thread before it ends
    enum class Settling
    {
        Waiting,
        Asking, // the question is on show: no write may slip through meanwhile
        Done
    };
    std::mutex m_settleMutex;
    Settling m_settling = Settling::Waiting;
};

} // namespace quelto::catalog
