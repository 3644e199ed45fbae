#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace quelto::catalog {

class SqliteConnection;

// Finds a catalogue file's rows in the opening order on a thread of its own,
// while the splash shows, so that the window's opening finds them in the
// OrderCache instead of sorting. It only reads, through a read-only
// connection of its own; a file that is not an SQLite database is not
// touched, and every error is left for the opening to meet and report.
class OpeningPrefetch
{
public:
    // Starts at once; an empty path does nothing.
    explicit OpeningPrefetch(const QString& path);
    // Stops the reading where it is and waits for the thread.
    ~OpeningPrefetch();
    OpeningPrefetch(const OpeningPrefetch&) = delete;
    OpeningPrefetch& operator=(const OpeningPrefetch&) = delete;

    // Waits until the rows are found (or the reading gave up).
    void wait();
    // Whether wait() would return at once.
    bool finished() const { return m_finished.load(); }

private:
    void run(const QString& path);

    std::mutex m_mutex;
    std::shared_ptr<SqliteConnection> m_connection; // while reading, to interrupt it
    bool m_stopping = false;
    std::atomic<bool> m_finished{true}; // false while the thread reads
    std::thread m_thread;
};

} // namespace quelto::catalog
