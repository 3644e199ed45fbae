#pragma once

#include <QtGlobal>

namespace quelto::app {

// Window geometry is kept in twips, 1440 to the inch: 15 to a pixel at 96 dpi.
namespace twips {

inline int toPixels(double twips, double dpi) { return qRound(twips * dpi / 1440.0); }
inline double fromPixels(int pixels, double dpi) { return pixels * 1440.0 / dpi; }

} // namespace twips
} // namespace quelto::app
