#pragma once

#include <QStringList>

namespace quelto::editing {

// Letters for the buttons of one message box, so that Alt+letter (or the
// letter alone) presses each: a caption that has one ("&Overwrite") keeps it,
// the others get the first letter that no other button of the box uses, a
// word's first letter before the letters inside words. A caption without a
// free letter stays without one. "&&" is a plain ampersand.
class ButtonMnemonics
{
public:
    static QStringList assign(const QStringList& captions);
    // The letter after the marking "&", lower case; a null QChar when none.
    static QChar letterOf(const QString& caption);
};

} // namespace quelto::editing
