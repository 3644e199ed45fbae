#include "printing/PdfExportRequest.h"

namespace quelto::printing {

std::optional<PdfExportRequest> PdfExportRequest::fromArguments(const QString& what, const QStringList& words,
                                                                bool vhs, bool eightMm, bool back, bool face,
                                                                bool box, QString& error)
{
    PdfExportRequest request;
    const bool labels = what == QLatin1String("labels");
    if (what == QLatin1String("long"))
        request.what = What::LongList;
    else if (what == QLatin1String("short"))
        request.what = What::ShortList;
    else if (labels)
        request.what = What::Labels;
    else {
        error = QStringLiteral("--export-pdf needs long, short or labels, not \"%1\".").arg(what);
        return std::nullopt;
    }

    const qsizetype wanted = labels ? 2 : 1;
    if (words.size() != wanted || words.last().isEmpty() || (labels && words.first().isEmpty())) {
        error = labels ? QStringLiteral("--export-pdf labels needs a media ID and the PDF file to write.")
                       : QStringLiteral("--export-pdf %1 needs the PDF file to write.").arg(what);
        return std::nullopt;
    }
    if (!labels && (vhs || eightMm || back || face || box)) {
        error = QStringLiteral("--vhs, --8mm, --back, --face and --box are for labels only.");
        return std::nullopt;
    }
    if (vhs && eightMm) {
        error = QStringLiteral("Choose either --vhs or --8mm.");
        return std::nullopt;
    }
    if (labels)
        request.mediaId = words.first();
    request.output = words.last();
    if (vhs)
        request.formFactor = FormFactor::Vhs;
    else if (eightMm)
        request.formFactor = FormFactor::EightMm;
    request.back = back;
    request.face = face;
    request.box = box;
    return request;
}

} // namespace quelto::printing
