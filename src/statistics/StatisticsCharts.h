#pragma once

#include "statistics/StatisticsFigures.h"

#include <QString>
#include <vector>

class QChart;

namespace quelto::statistics {

// The charts of the Statistics window, drawn with Qt Charts from the figures.
class StatisticsCharts
{
public:
    struct Definition
    {
        QString id;    // object names and file names: "genre"
        QString title; // "Genre"
    };
    static const std::vector<Definition>& all();
    static const Definition* byId(const QString& id);

    // A new chart of one kind; the caller owns it.
    static QChart* build(const QString& id, const StatisticsFigures& figures);

    // At most this many slices or bars; the rest are put together as "Others".
    static constexpr int MaxSlices = 8;
    static constexpr int MaxBars = 15;
    static std::vector<Share> limited(const std::vector<Share>& shares, int most);
};

} // namespace quelto::statistics
