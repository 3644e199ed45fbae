#include "statistics/ChartExport.h"

#include "catalog/EngineError.h"
#include "statistics/StatisticsCharts.h"

#include <QChart>
#include <QDir>
#include <QGraphicsScene>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace quelto::statistics {

void ChartExport::paint(const QString& id, const StatisticsFigures& figures, QPainter& painter, const QRectF& target)
{
    QGraphicsScene scene;
    QChart* chart = StatisticsCharts::build(id, figures);
    scene.addItem(chart); // the scene owns it
    const QRectF source(0, 0, ChartWidth, ChartHeight);
    chart->setGeometry(source);
    scene.setSceneRect(source);
    QRectF fitted = target;
    const double scale = std::min(target.width() / source.width(), target.height() / source.height());
    fitted.setSize(source.size() * scale);
    fitted.moveCenter(target.center());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, fitted, source);
    painter.restore();
}

QImage ChartExport::image(const QString& id, const StatisticsFigures& figures)
{
    QImage image(ChartWidth * ImageScale, ChartHeight * ImageScale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(id, figures, painter, QRectF(image.rect()));
    painter.end();
    return image;
}

void ChartExport::save(const QString& id, const StatisticsFigures& figures, const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    bool written = false;
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
        pdf.setTitle(StatisticsCharts::byId(id) ? StatisticsCharts::byId(id)->title : id);
        pdf.setCreator(QStringLiteral("Quelto"));
        QPainter painter;
        written = painter.begin(&pdf);
        if (written) {
            paint(id, figures, painter, QRectF(0, 0, pdf.width(), pdf.height()));
            written = painter.end();
        }
    } else {
        written = image(id, figures).save(&file, "PNG");
    }
    if (!written) {
        file.cancelWriting();
        throw catalog::EngineError(QStringLiteral("\"%1\" was not written: the chart could not be drawn into it.").arg(name));
    }
    if (!file.commit())
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
}

} // namespace quelto::statistics
