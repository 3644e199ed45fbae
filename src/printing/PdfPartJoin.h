#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QIODevice;

namespace quelto::printing {

// Joins PDF files that QPdfWriter wrote, each with its own pages, into one
// document. Every object of the first part keeps its number and bytes; the
// others' objects are numbered after it, with their references renumbered
// (only in dictionaries and arrays, never in stream data), and each part's
// pages hang from the first part's page tree. Its catalogue and document
// information stay; the other parts' are left out. Each part keeps its own
// fonts. The parts are read through memory maps, one at a time.
class PdfPartJoin
{
public:
    // The next pages of one part.
    struct Run
    {
        int part = 0;
        int pages = 0;
    };

    // Writes the parts' pages in the order of runs to out: each run takes its
    // part's next pages, and every page of every part must be taken once.
    // Returns the reason when a part cannot be read or joined, else empty.
    static QString join(const QStringList& parts, const std::vector<Run>& runs, QIODevice& out);
};

} // namespace quelto::printing
