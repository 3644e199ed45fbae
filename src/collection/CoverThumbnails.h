#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// Small pictures of the covers, made on demand on a worker thread with a
// connection of its own (reading only), and kept in a cache bounded in bytes.
// The newest requests are served first, so the covers on screen come before
// those scrolled past. Nothing is read until a thumbnail is asked for.
class CoverThumbnails : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 DefaultCacheBytes = 48LL * 1024 * 1024;

    // path: the catalogue file; bound: the thumbnails' largest size.
    CoverThumbnails(QString path, QSize bound, QObject* parent = nullptr);
    ~CoverThumbnails() override;

    const QString& path() const { return m_path; }
    QSize bound() const { return m_bound; }

    // The thumbnail of a record's cover if it is at hand. Otherwise null, and
    // it is made (ready() follows) unless the record is known to have none.
    const QImage* thumbnail(qint64 recordId);
    // Whether the record is known to have no cover.
    bool knownWithout(qint64 recordId) const { return m_without.contains(recordId); }
    // A cover was stored or removed: the next request reads it again.
    void forget(qint64 recordId);
    void forgetAll();
    void setCacheBytes(qint64 bytes) { m_cache.setMaxCost(bytes); }
    qint64 cachedBytes() const { return m_cache.totalCost(); }
    // Requests not yet served.
    int pending() const;

signals:
    // On the thread of this object; the image is null when the record has no
    // cover or it does not decode.
    void ready(qint64 recordId);

private:
    void work();
    void deliver(qint64 recordId, const QImage& image, quint64 generation);

    QString m_path;
    QSize m_bound;
    QCache<qint64, QImage> m_cache;
    QSet<qint64> m_without;
    QSet<qint64> m_requested;
    quint64 m_generation = 0; // bumped by forgetAll, so that late answers are dropped

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<qint64, quint64>> m_queue; // newest at the front
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace quelto::collection
