#pragma once

#include "printing/PrintDocument.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quelto::printing {

// What one movie on a tape contributes to its labels.
struct LabelEntry
{
    QString title;
    QString countryYear; // mv_country + "/" + mv_year
    QString genre;
    QString director;
    QString rating;
    QString runningTime; // "117 min"; empty when not known
    QImage cover;        // the record's cover; null when it has none
};

enum class FormFactor
{
    None,
    Vhs,
    EightMm
};

struct LabelChoice
{
    FormFactor formFactor = FormFactor::None;
    bool backLabel = false;
    bool faceLabel = false; // VHS only
    bool boxCover = false;
};

// The labels of one tape: for VHS a back label, a face label and, on a page
// of its own, a box cover; for 8 mm a back label and a box insert below it.
// A movie's running time follows its rating where the label has room; the
// VHS box cover shows the first cover of the tape's movies on its front.
class TapeLabels
{
public:
    static constexpr int MaxTitles = 10;

    // The document's title: "Tape labels " + the media ID.
    static QString documentTitle(const QString& mediaId) { return QStringLiteral("Tape labels ") + mediaId; }

    // The titles of a media ID; the ID is matched with like, so its wildcard
    // characters work. Apostrophes are doubled.
    static QString mediaIdQuery(const QString& mediaId);
    // The record of one listed title on the tape; the title matches only itself.
    static QString titleQuery(const QString& mediaId, const QString& title);

    // The form factor a medium's type implies ("8", "vhs", "VHS", the later
    // match winning), or nothing when it names neither.
    static std::optional<FormFactor> formFactorFor(const QString& mediaType);

    // Moves entry index one place by step (-1 up, +1 down); returns the
    // entry's new index, or index itself when it cannot move.
    static int moveTitle(QStringList& titles, int index, int step);

    // The VHS box cover's front, above the spine band: the picture is
    // fitted into it with its aspect kept.
    static constexpr double FrontLeft = 8, FrontTop = 8, FrontRight = 193, FrontBottom = 116;

    // At most MaxTitles entries are used. Nothing is laid out without a form factor.
    static PrintDocument layout(const std::vector<LabelEntry>& entries, const QString& mediaId,
                                const LabelChoice& choice);

private:
    static void eightMm(PageBuilder& out, const std::vector<LabelEntry>& entries, int n, const QString& mediaId,
                        const LabelChoice& choice);
    static void vhs(PageBuilder& out, const std::vector<LabelEntry>& entries, int n, const QString& mediaId,
                    const LabelChoice& choice);
};

} // namespace quelto::printing
