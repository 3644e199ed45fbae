#pragma once

#include "statistics/StatisticsFigures.h"

#include <QJsonObject>

namespace quelto::statistics {

// The statistics as JSON, for `quelto --statistics` and anyone reading them
// with a program: every list as an array of {"name", "count", "share"}.
class StatisticsJson
{
public:
    static QJsonObject toJson(const StatisticsFigures& figures);
};

} // namespace quelto::statistics
