#pragma once

#include "weblookup/LookupFields.h"

#include <QString>
#include <utility>
#include <vector>

namespace quelto::weblookup {

// The fields a grab fills, as (archive column, text) pairs in the form's
// order: the text of each field, the caption for the rating, and the first
// cast slot under mv_cast6 as the form binds it.
std::vector<std::pair<QString, QString>> archiveValues(const LookupFields& fields);

} // namespace quelto::weblookup
