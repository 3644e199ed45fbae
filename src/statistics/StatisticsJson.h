#pragma once

#include "statistics/StatisticsFigures.h"

#include <QJsonObject>
#include <optional>

namespace quelto::statistics {

// The statistics as JSON, for `quelto --statistics` and anyone reading them
// with a program: every list as an array of {"name", "count", "share"}.
class StatisticsJson
{
public:
    static QJsonObject toJson(const StatisticsFigures& figures);
    // The figures toJson wrote, or nothing when a part is missing or of
    // another type. Shares are worked out again from the counts, as the
    // collector makes them, so that they equal the figures written.
    static std::optional<StatisticsFigures> fromJson(const QJsonObject& json);
};

} // namespace quelto::statistics
