#pragma once

#include <QString>
#include <QStringList>

namespace quelto::weblookup {

class LabelDictionary;

// The JavaScript that collects a PageSnapshot in a page, filled with the
// labels it is to recognise. Run it with QWebEnginePage::runJavaScript (the
// application world keeps the page's own scripts out); its result is a JSON
// text for PageSnapshot::fromScriptResult().
class CollectorScript
{
public:
    // An element that shows nothing but one of the dictionary's labels or of
    // extraLabels (a trailing "*" makes a label a prefix) is a label whatever
    // its markup; the dictionary's class words name elements by their class.
    static QString withLabels(const LabelDictionary& labels, const QStringList& extraLabels);
    // The script with the shipped label dictionary.
    static QString withShippedLabels();
};

} // namespace quelto::weblookup
