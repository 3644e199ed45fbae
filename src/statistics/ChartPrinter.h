#pragma once

#include <QRectF>
#include <QString>
#include <functional>

class QPainter;
class QWidget;

namespace quelto::statistics {

// Where a chart is printed: the system printer after its dialog, or for tests
// a recording.
class ChartPrinter
{
public:
    // Draws the page into the rectangle it is given (device coordinates).
    using Painting = std::function<void(QPainter& painter, const QRectF& page)>;

    virtual ~ChartPrinter();
    // Asks for the printer and prints one page; false when the dialog was
    // cancelled or the printer failed.
    virtual bool print(QWidget* parent, const QString& title, const Painting& paint) = 0;
};

// The system printer, chosen in the printer dialog, landscape by default.
class SystemChartPrinter : public ChartPrinter
{
public:
    bool print(QWidget* parent, const QString& title, const Painting& paint) override;
};

} // namespace quelto::statistics
