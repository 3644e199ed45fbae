#include "collection/CoverThumbnails.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/CoverPicture.h"

namespace quelto::collection {

CoverThumbnails::CoverThumbnails(QString path, QSize bound, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_bound(bound), m_cache(DefaultCacheBytes)
{
    m_thread = std::thread([this] { work(); });
}

CoverThumbnails::~CoverThumbnails()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

const QImage* CoverThumbnails::thumbnail(qint64 recordId)
{
    if (recordId <= 0 || m_without.contains(recordId))
        return nullptr;
    if (const QImage* image = m_cache.object(recordId))
        return image;
    {
        std::lock_guard lock(m_mutex);
        if (m_requested.contains(recordId)) {
            // Asked again: it is on screen now, so it moves to the front.
            for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
                if (it->first == recordId) {
                    m_queue.erase(it);
                    break;
                }
            }
        }
        m_requested.insert(recordId);
        m_queue.emplace_front(recordId, m_generation);
    }
    m_wake.notify_one();
    return nullptr;
}

void CoverThumbnails::forget(qint64 recordId)
{
    m_cache.remove(recordId);
    m_without.remove(recordId);
}

void CoverThumbnails::forgetAll()
{
    std::lock_guard lock(m_mutex);
    ++m_generation;
    m_queue.clear();
    m_requested.clear();
    m_cache.clear();
    m_without.clear();
}

int CoverThumbnails::pending() const
{
    std::lock_guard lock(m_mutex);
    return int(m_requested.size());
}

void CoverThumbnails::deliver(qint64 recordId, const QImage& image, quint64 generation)
{
    {
        std::lock_guard lock(m_mutex);
        if (generation != m_generation)
            return;
        m_requested.remove(recordId);
    }
    if (image.isNull())
        m_without.insert(recordId);
    else
        m_cache.insert(recordId, new QImage(image), std::max<qint64>(1, image.sizeInBytes()));
    emit ready(recordId);
}

void CoverThumbnails::work()
{
    std::shared_ptr<catalog::SqliteConnection> connection;
    std::unique_ptr<catalog::SqliteStatement> query;
    for (;;) {
        std::pair<qint64, quint64> request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop)
                return;
            request = m_queue.front();
            m_queue.pop_front();
        }
        QImage image;
        try {
            if (!connection) {
                connection = catalog::SqliteConnection::open(m_path, catalog::SqliteConnection::Mode::OpenReadOnly);
                query = connection->prepare(QStringLiteral("select picture from quelto_covers where record_id = ?"));
            }
            query->reset();
            query->bindInt64(1, request.first);
            if (query->step())
                image = CoverPicture::decode(query->value(0).toByteArray(), m_bound);
            query->reset();
        } catch (const catalog::EngineError&) {
            // No covers table yet, or the file is busy: shown without a cover.
            query.reset();
            connection.reset();
        }
        if (!image.isNull() && image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
            image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                  : QImage::Format_RGB32);
        QMetaObject::invokeMethod(
            this, [this, request, image] { deliver(request.first, image, request.second); }, Qt::QueuedConnection);
    }
}

} // namespace quelto::collection
