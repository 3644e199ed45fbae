#pragma once

#include "weblookup/PageSnapshot.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace quelto::weblookup {

// Label and value pairs in the visible text of a page, for what its markup
// does not tie together:
//
//   "Label: value" and "Label：value"   one line (a full-width colon too)
//   "Label<TAB>value"                 a table row as the page's text gives it
//   "Label" or "Label:" on its own     a headed section: the lines below it,
//                                      up to a blank line or the next label
//
// Only labels that isLabel accepts (given PageSnapshot::normalisedLabel of
// the text) are taken, so that a sentence with a colon is no label. A value
// is cut into its parts at " / ", " | ", " • ", ", ", "、" and the like.
namespace TextLabels {

constexpr qsizetype longestText = 4 << 20;  // characters read of a page's text
constexpr qsizetype longestLabel = 60;
constexpr qsizetype longestValue = 400;
constexpr int mostItems = 3000;
constexpr int mostSectionLines = 12;
constexpr int mostValues = 60;

std::vector<LabelledItem> read(const QString& text, const std::function<bool(const QString&)>& isLabel);

// The parts of one value text, in order, each trimmed; empty parts and
// "..." are left out.
QStringList splitValues(const QString& value);

} // namespace TextLabels
} // namespace quelto::weblookup
