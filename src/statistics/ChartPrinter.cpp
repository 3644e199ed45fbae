#include "statistics/ChartPrinter.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace quelto::statistics {

ChartPrinter::~ChartPrinter() = default;

bool SystemChartPrinter::print(QWidget* parent, const QString& title, const Painting& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(title);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Chart"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paint(painter, QRectF(0, 0, printer.width(), printer.height()));
    return painter.end();
}

} // namespace quelto::statistics
