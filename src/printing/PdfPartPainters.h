#pragma once

#include "printing/PdfPartJoin.h"
#include "printing/PrintDocument.h"

#include <QPageLayout>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;

namespace quelto::printing {

// Paints a document's pages into PDF parts on threads of their own, a run of
// pages to each painter in turn, and joins the parts into one document: the
// painting, the shaping of texts and the compression of the pages, which
// take nearly all of a long list's time, use every core. Each painter holds
// at most a run of pages waiting. The parts are temporary files in the
// directory given, removed when the painters are destroyed, whatever the
// outcome.
class PdfPartPainters
{
public:
    static constexpr int RunLength = 16;

    // threads painters; fewer than one means one per core, at most four.
    PdfPartPainters(const QString& directory, const QPageLayout& layout, const QString& title, int threads = 0);
    ~PdfPartPainters(); // stops the painters, waiting for the pages they paint
    PdfPartPainters(const PdfPartPainters&) = delete;
    PdfPartPainters& operator=(const PdfPartPainters&) = delete;

    // Hands the next page to a painter, waiting while it is busy; false once
    // any painter has failed.
    bool add(PrintPage&& page);
    // Ends the parts and writes the document to out. Returns the reason
    // when a part failed or the join did, else empty; a document without
    // a page fails.
    QString finish(QIODevice& out);
    // Stops the painters without a document, as when the pages stopped
    // coming; returns why a painter failed, empty when none did.
    QString abandon();

    int painters() const { return int(m_painters.size()); }

private:
    class Painter;

    std::vector<std::unique_ptr<Painter>> m_painters;
    std::vector<PdfPartJoin::Run> m_runs;
    bool m_finished = false;
};

} // namespace quelto::printing
