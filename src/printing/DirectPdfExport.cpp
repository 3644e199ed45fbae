#include "printing/DirectPdfExport.h"

#include "printing/PdfPageWriter.h"

#include <QThread>
#include <algorithm>

namespace quelto::printing {

DirectPdfExport::DirectPdfExport(QIODevice& out, const QPageLayout& layout, const QString& title, int threads)
    : m_out(out), m_layout(layout), m_document(out, layout, title)
{
    if (threads < 1)
        threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    m_limit = size_t(threads) * 2;
    m_usages.resize(size_t(threads));
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this, i] {
            PdfPageWriter writer(m_layout, m_fonts);
            for (;;) {
                std::shared_ptr<Run> run;
                {
                    std::unique_lock lock(m_mutex);
                    m_work.wait(lock, [this] { return m_stopping || !m_pending.empty(); });
                    if (m_pending.empty())
                        break;
                    run = std::move(m_pending.front());
                    m_pending.pop_front();
                }
                std::vector<PdfPageContent> contents;
                contents.reserve(run->pages.size());
                for (PrintPage& page : run->pages)
                    contents.push_back(writer.write(std::move(page)));
                {
                    std::lock_guard lock(m_mutex);
                    run->pages.clear();
                    run->contents = std::move(contents);
                    run->done = true;
                }
                m_done.notify_all();
            }
            PdfFontRegistry::merge(m_usages[size_t(i)], writer.usage());
        });
}

DirectPdfExport::~DirectPdfExport() { stop(); }

void DirectPdfExport::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (!m_finished)
            m_pending.clear();
    }
    m_work.notify_all();
    for (std::thread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

void DirectPdfExport::submit()
{
    if (!m_filling)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_runs.push_back(m_filling);
        m_pending.push_back(std::move(m_filling));
    }
    m_filling.reset();
    m_work.notify_one();
}

bool DirectPdfExport::drain(size_t limit)
{
    for (;;) {
        std::shared_ptr<Run> head;
        {
            std::unique_lock lock(m_mutex);
            if (m_runs.empty())
                return true;
            if (m_runs.size() > limit)
                m_done.wait(lock, [this] { return m_runs.front()->done; });
            if (!m_runs.front()->done)
                return true;
            head = std::move(m_runs.front());
            m_runs.pop_front();
        }
        for (const PdfPageContent& content : head->contents) {
            if (!m_document.addPage(content)) {
                m_failed = true;
                return false;
            }
        }
    }
}

bool DirectPdfExport::add(PrintPage&& page)
{
    if (m_failed || m_finished)
        return false;
    if (!m_filling)
        m_filling = std::make_shared<Run>();
    m_filling->pages.push_back(std::move(page));
    if (m_filling->pages.size() >= size_t(RunLength)) {
        submit();
        return drain(m_limit);
    }
    return true;
}

QString DirectPdfExport::finish()
{
    if (m_failed)
        return QStringLiteral("Cannot write the document.");
    submit();
    if (!drain(0))
        return QStringLiteral("Cannot write the document.");
    m_finished = true;
    stop();
    GlyphUsage usage;
    for (const GlyphUsage& part : m_usages)
        PdfFontRegistry::merge(usage, part);
    return m_document.finish(m_fonts, usage);
}

void DirectPdfExport::abandon()
{
    m_failed = true;
    stop();
}

} // namespace quelto::printing
