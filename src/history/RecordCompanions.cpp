#include "history/RecordCompanions.h"

namespace quelto::history {
namespace {

std::vector<RecordCompanions::Companion>& registry()
{
    static std::vector<RecordCompanions::Companion> companions;
    return companions;
}

} // namespace

void RecordCompanions::add(const Companion& companion)
{
    for (const Companion& known : registry()) {
        if (known.table.compare(companion.table, Qt::CaseInsensitive) == 0 &&
            known.keyColumn.compare(companion.keyColumn, Qt::CaseInsensitive) == 0)
            return;
    }
    registry().push_back(companion);
}

const std::vector<RecordCompanions::Companion>& RecordCompanions::all() { return registry(); }

} // namespace quelto::history
