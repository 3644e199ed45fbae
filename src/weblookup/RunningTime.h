#pragma once

#include <QString>
#include <optional>

namespace quelto::weblookup {

// A movie's running time in whole minutes, read from what pages give: an ISO
// 8601 duration in structured data ("PT2H16M", "PT136M", "P0DT2H"), or the
// runtime text a page shows in its own language ("136 min", "2h 16m",
// "1 hour 55 minutes", "1 Std. 55 Min.", "101 мин.", "91 分钟", "2時間16分",
// "2시간 16분", "136 dk", "136 perc"), or a bare number of minutes. The first
// time in the text counts ("91 min / 88 min (director's cut)" gives 91).
namespace RunningTime {

constexpr int longest = 1440; // minutes; anything longer is no movie's running time

// Nothing when the text gives no time, or one outside 1 to longest minutes.
std::optional<int> minutes(const QString& text);

} // namespace RunningTime
} // namespace quelto::weblookup
