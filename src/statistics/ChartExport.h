#pragma once

#include "statistics/StatisticsFigures.h"

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

namespace quelto::statistics {

// A chart drawn away from the screen, at a size of its own: for the
// clipboard, PNG and PDF files and the printer. The chart is laid out at a
// fixed size (ChartWidth x ChartHeight) and scaled into the target, so its text keeps its
// proportions on any device.
class ChartExport
{
public:
    // The size the chart is laid out at, and how much finer its picture is.
    static constexpr int ChartWidth = 900;
    static constexpr int ChartHeight = 600;
    static constexpr int ImageScale = 2;

    // Draws the chart into target, centred and as large as fits.
    static void paint(const QString& id, const StatisticsFigures& figures, QPainter& painter, const QRectF& target);
    static QImage image(const QString& id, const StatisticsFigures& figures);
    // Writes a PNG, or a PDF when the name ends in ".pdf" (any case); throws
    // catalog::EngineError naming the file when it cannot be written.
    static void save(const QString& id, const StatisticsFigures& figures, const QString& path);
};

} // namespace quelto::statistics
