#include "printing/PdfPartPainters.h"

#include "printing/PageStream.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace quelto::printing {

// One part: a PDF writer on a thread of its own, fed through a short queue.
class PdfPartPainters::Painter
{
public:
    Painter(const QString& directory, const QPageLayout& layout, const QString& title)
        : m_directory(directory), m_layout(layout), m_title(title)
    {
    }
    ~Painter()
    {
        close(true);
        if (!m_path.isEmpty())
            QFile::remove(m_path);
    }

    void start()
    {
        m_thread = std::thread([this] { run(); });
    }

    // False once the painter has failed.
    bool push(PrintPage&& page)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_queue.size() < size_t(RunLength) || m_failed; });
        if (m_failed)
            return false;
        m_queue.push_back(std::move(page));
        m_ready.notify_one();
        return true;
    }

    bool failed() const { return m_failed; }

    // Ends the part, all queued pages painted, or at once when cancel.
    void close(bool cancel)
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
            m_cancelled = m_cancelled || cancel;
        }
        m_ready.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    // Once closed: the part's file (empty without a page), or why it failed.
    const QString& path() const { return m_path; }
    const QString& error() const { return m_error; }

private:
    void fail(const QString& error)
    {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        m_error = error;
        m_queue.clear();
        m_room.notify_all();
    }

    void run()
    {
        QTemporaryFile file(QDir(m_directory).filePath(QStringLiteral(".quelto-part-XXXXXX.pdf")));
        if (!file.open()) {
            fail(QStringLiteral("Cannot write a part of the document in \"%1\".").arg(m_directory));
            return;
        }
        int painted = 0;
        bool cancelled = false;
        {
            QPdfWriter writer(&file);
            writer.setCreator(QStringLiteral("Quelto"));
            writer.setTitle(m_title);
            if (!writer.setPageLayout(m_layout)) {
                fail(QStringLiteral("The page layout is refused."));
                return;
            }
            PageStream stream(writer);
            for (;;) {
                PrintPage page;
                {
                    std::unique_lock lock(m_mutex);
                    m_ready.wait(lock, [this] { return !m_queue.empty() || m_closed; });
                    cancelled = m_cancelled;
                    if (cancelled || m_queue.empty())
                        break;
                    page = std::move(m_queue.front());
                    m_queue.pop_front();
                }
                m_room.notify_one();
                if (!stream.add(std::move(page))) {
                    fail(QStringLiteral("Cannot paint a page of the document."));
                    return;
                }
                ++painted;
            }
            if (cancelled || painted == 0)
                return;
            if (!stream.finish()) {
                fail(QStringLiteral("Cannot end a part of the document."));
                return;
            }
        }
        if (!file.flush() || file.error() != QFileDevice::NoError) {
            fail(QStringLiteral("Cannot write a part of the document: %1").arg(file.errorString()));
            return;
        }
        file.close();
        file.setAutoRemove(false);
        m_path = file.fileName();
    }

    const QString m_directory;
    const QPageLayout m_layout;
    const QString m_title;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_ready; // a page is queued, or the part ends
    std::condition_variable m_room;  // the queue has room, or the painter failed
    std::deque<PrintPage> m_queue;
    std::atomic<bool> m_failed = false;
    bool m_closed = false;
    bool m_cancelled = false;
    QString m_path;
    QString m_error;
};

PdfPartPainters::PdfPartPainters(const QString& directory, const QPageLayout& layout, const QString& title,
                                 int threads)
{
    if (threads < 1)
        threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    for (int i = 0; i < threads; ++i)
        m_painters.push_back(std::make_unique<Painter>(directory, layout, title));
    for (auto& painter : m_painters)
        painter->start();
}

PdfPartPainters::~PdfPartPainters()
{
    for (auto& painter : m_painters)
        painter->close(!m_finished);
}

bool PdfPartPainters::add(PrintPage&& page)
{
    if (m_finished)
        return false;
    if (m_runs.empty() || m_runs.back().pages == RunLength) {
        for (const auto& painter : m_painters) {
            if (painter->failed())
                return false;
        }
        const int next = m_runs.empty() ? 0 : (m_runs.back().part + 1) % painters();
        m_runs.push_back({next, 0});
    }
    if (!m_painters[size_t(m_runs.back().part)]->push(std::move(page)))
        return false;
    ++m_runs.back().pages;
    return true;
}

QString PdfPartPainters::abandon()
{
    m_finished = true;
    for (auto& painter : m_painters)
        painter->close(true);
    for (const auto& painter : m_painters) {
        if (!painter->error().isEmpty())
            return painter->error();
    }
    return {};
}

QString PdfPartPainters::finish(QIODevice& out)
{
    m_finished = true;
    for (auto& painter : m_painters)
        painter->close(false);
    for (const auto& painter : m_painters) {
        if (!painter->error().isEmpty())
            return painter->error();
    }
    // The painters given pages are the first ones, since runs go round in turn.
    QStringList parts;
    for (const auto& painter : m_painters) {
        if (!painter->path().isEmpty())
            parts << painter->path();
    }
    if (parts.isEmpty())
        return QStringLiteral("No page was painted.");
    if (parts.size() > 1)
        return PdfPartJoin::join(parts, m_runs, out);
    // One part is the document as it stands.
    QFile part(parts.front());
    if (!part.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read a part of the document.");
    while (!part.atEnd()) {
        const QByteArray block = part.read(1 << 20);
        if (block.isEmpty() || out.write(block) != block.size())
            return QStringLiteral("Cannot write the document.");
    }
    return {};
}

} // namespace quelto::printing
