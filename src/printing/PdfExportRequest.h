#pragma once

#include "printing/TapeLabels.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quelto::printing {

// What `quelto --export-pdf` is asked to write:
//   --export-pdf long|short OUT.pdf [--covers]
//   --export-pdf labels MEDIA-ID OUT.pdf [--vhs|--8mm] [--back] [--face] [--box]
struct PdfExportRequest
{
    enum class What
    {
        LongList,
        ShortList,
        Labels
    };

    What what = What::LongList;
    QString mediaId;
    QString output;
    std::optional<FormFactor> formFactor; // --vhs, --8mm; otherwise the medium's type decides
    bool back = false;                    // none of the three: the form factor's usual labels
    bool face = false;
    bool box = false;
    bool covers = false;                  // --covers: the long list with each record's cover

    // From the word after --export-pdf, the words that follow it, and the
    // label options. Nothing, with error set, when they cannot be used.
    static std::optional<PdfExportRequest> fromArguments(const QString& what, const QStringList& words, bool vhs,
                                                         bool eightMm, bool back, bool face, bool box,
                                                         QString& error);
};

} // namespace quelto::printing
