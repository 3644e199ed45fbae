#pragma once

#include <QString>

namespace quelto::weblookup {

// The state of one drop-down field of the movie tab as the web lookup sees it:
// the text shown in the box and the tooltip that shows it in full.
struct ComboField
{
    QString text;
    QString toolTip;

    void set(const QString& value)
    {
        text = value;
        toolTip = value;
    }
    void clear()
    {
        text.clear();
        toolTip.clear();
    }

    friend bool operator==(const ComboField&, const ComboField&) = default;
};

} // namespace quelto::weblookup
