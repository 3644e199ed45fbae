#pragma once

#include "weblookup/ComboField.h"

#include <array>
#include <QString>

namespace quelto::weblookup {

// The main window's fields that a web lookup writes, named after their controls.
// The window copies its current field contents in, runs an extraction step and
// applies the result: a step writes only the fields it owns, so whatever it
// leaves alone (cast slots past the last name found, say) keeps its contents.
struct LookupFields
{
    static constexpr int castSlots = 6;

    // Title page
    QString title;
    QString mv_year;
    ComboField mvDirector;
    ComboField mvGenre;
    ComboField mv_country;
    ComboField mv_lang;
    ComboField mvColor;
    ComboField mvSound;
    QString mvRanking; // caption of the rating label

    // Credits page
    ComboField mvBook;
    std::array<ComboField, castSlots> mvCast;
    ComboField mvMusic;

    // Companies page
    ComboField mvProducer;

    // Beyond the form's fields: the running time in whole minutes ("136") and
    // the absolute address of the movie's poster, each empty when the pages
    // give none.
    QString runningTime;
    QString cover;

    friend bool operator==(const LookupFields&, const LookupFields&) = default;
};

} // namespace quelto::weblookup
