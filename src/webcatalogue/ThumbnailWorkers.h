#pragma once

#include "collection/CoverPicture.h"

#include <QSet>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quelto::webcatalogue {

// Makes the covers' thumbnails (CoverThumbnailFiles) on worker threads, one
// a core, while the caller reads the pictures from the catalogue; at most a
// few pictures wait at a time, so memory stays small.
class ThumbnailWorkers
{
public:
    // folder: the export's folder; the pictures go into its "covers".
    // Throws catalog::EngineError when that cannot be made.
    explicit ThumbnailWorkers(const QString& folder, int threads = 0);
    ~ThumbnailWorkers(); // stops the workers; pictures not yet made are dropped
    ThumbnailWorkers(const ThumbnailWorkers&) = delete;
    ThumbnailWorkers& operator=(const ThumbnailWorkers&) = delete;

    // Hands a record's picture on; waits while the queue is full.
    void add(qint64 recordId, collection::CoverPicture picture);
    // Waits for every picture; returns the identities whose file was written
    // (a picture that does not decode has none). Throws catalog::EngineError
    // when a file could not be written.
    QSet<qint64> finish();

private:
    void work();
    void stop();

    QString m_folder;
    std::mutex m_mutex;
    std::condition_variable m_wake;  // work arrived, or the end
    std::condition_variable m_room;  // the queue has room again
    std::deque<std::pair<qint64, collection::CoverPicture>> m_queue;
    size_t m_limit;
    bool m_ending = false;
    QSet<qint64> m_written;
    std::optional<QString> m_failure;
    std::vector<std::thread> m_threads;
};

} // namespace quelto::webcatalogue
