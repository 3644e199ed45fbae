#pragma once

#include "printing/DirectPdfDocument.h"
#include "printing/PdfFontRegistry.h"
#include "printing/PrintDocument.h"

#include <QPageLayout>
#include <QString>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QIODevice;

namespace quelto::printing {

// Writes a document's pages as PDF straight to a device: runs of pages go to
// workers on every core, each turning its pages into compressed content
// (PdfPageWriter), and the thread that adds the pages writes the finished
// runs in their order (DirectPdfDocument). A few runs at most wait.
class DirectPdfExport
{
public:
    static constexpr int RunLength = 16;

    // threads workers; fewer than one means one per core, at most four.
    DirectPdfExport(QIODevice& out, const QPageLayout& layout, const QString& title, int threads = 0);
    ~DirectPdfExport(); // stops the workers
    DirectPdfExport(const DirectPdfExport&) = delete;
    DirectPdfExport& operator=(const DirectPdfExport&) = delete;

    // False once writing has failed.
    bool add(PrintPage&& page);
    // Writes the rest and ends the document; the reason it failed, else empty.
    QString finish();
    // Stops without ending the document.
    void abandon();
    // Whether writing has failed.
    bool failed() const { return m_failed; }

private:
    struct Run
    {
        std::vector<PrintPage> pages;
        std::vector<PdfPageContent> contents;
        bool done = false;
    };

    void work();
    void submit();
    // Writes the finished runs at the head; waits for the head while more
    // than limit runs are out.
    bool drain(size_t limit);
    void stop();

    QIODevice& m_out;
    const QPageLayout m_layout;
    PdfFontRegistry m_fonts;
    DirectPdfDocument m_document;
    std::vector<std::thread> m_threads;
    size_t m_limit;
    std::mutex m_mutex;
    std::condition_variable m_work; // a run waits, or the workers stop
    std::condition_variable m_done; // a run is finished
    std::deque<std::shared_ptr<Run>> m_runs;    // in order, the head written next
    std::deque<std::shared_ptr<Run>> m_pending; // not taken by a worker yet
    std::vector<GlyphUsage> m_usages;           // one per worker
    std::shared_ptr<Run> m_filling;
    bool m_stopping = false;
    bool m_failed = false;
    bool m_finished = false;
};

} // namespace quelto::printing
