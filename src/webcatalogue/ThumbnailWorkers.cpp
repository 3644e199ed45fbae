#include "webcatalogue/ThumbnailWorkers.h"

#include "catalog/EngineError.h"
#include "webcatalogue/CoverThumbnailFiles.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace quelto::webcatalogue {

ThumbnailWorkers::ThumbnailWorkers(const QString& folder, int threads) : m_folder(folder)
{
    if (!QDir(folder).mkpath(CoverThumbnailFiles::FolderName))
        throw catalog::EngineError(QStringLiteral("The folder \"%1\" cannot be made.")
                                       .arg(QDir::toNativeSeparators(QDir(folder).filePath(CoverThumbnailFiles::FolderName))));
    const int count = threads > 0 ? threads : std::max(1, int(std::thread::hardware_concurrency()));
    m_limit = size_t(count) * 4;
    for (int i = 0; i < count; ++i)
        m_threads.emplace_back([this] { work(); });
}

ThumbnailWorkers::~ThumbnailWorkers()
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
    }
    stop();
}

void ThumbnailWorkers::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_all();
    m_room.notify_all();
    for (std::thread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
    m_threads.clear();
}

void ThumbnailWorkers::add(qint64 recordId, collection::CoverPicture picture)
{
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [this] { return m_queue.size() < m_limit || m_ending; });
    m_queue.emplace_back(recordId, std::move(picture));
    lock.unlock();
    m_wake.notify_one();
}

QSet<qint64> ThumbnailWorkers::finish()
{
    stop(); // the workers empty the queue before they end
    if (m_failure)
        throw catalog::EngineError(*m_failure);
    return m_written;
}

void ThumbnailWorkers::work()
{
    const QDir folder(m_folder);
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_ending; });
        if (m_queue.empty())
            return;
        auto [id, picture] = std::move(m_queue.front());
        m_queue.pop_front();
        const bool failed = m_failure.has_value();
        lock.unlock();
        m_room.notify_one();
        if (failed)
            continue;

        const QByteArray bytes = CoverThumbnailFiles::thumbnail(picture);
        if (bytes.isEmpty())
            continue; // no picture: the record shows none
        QFile file(folder.filePath(CoverThumbnailFiles::relativePath(id)));
        const bool written =
            file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
        lock.lock();
        if (written)
            m_written.insert(id);
        else if (!m_failure)
            m_failure = QStringLiteral("\"%1\" cannot be written: %2")
                            .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
    }
}

} // namespace quelto::webcatalogue
