#include "printing/LabelOffsets.h"

#include <QLocale>
#include <QSettings>
#include <algorithm>
#include <memory>

namespace quelto::printing {
namespace {

const QString Section = QStringLiteral("LabelOffsets/");

// The program's settings store; its location follows QSettings::setPath.
std::unique_ptr<QSettings> settingsStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quelto"),
                                       QStringLiteral("Quelto"));
}

// Printer names may hold the store's group separator.
QString keyOf(const QString& printer, const char* axis)
{
    QString name = printer;
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return Section + name + QLatin1Char(' ') + QLatin1String(axis);
}

double bounded(double value) { return std::clamp(value, -LabelOffsets::Limit, LabelOffsets::Limit); }

double number(const QSettings& settings, const QString& key)
{
    bool ok = false;
    const double value = settings.value(key).toString().trimmed().toDouble(&ok);
    return ok ? bounded(value) : 0;
}

QString mm(double value) { return QLocale::c().toString(value, 'f', 1); }

} // namespace

LabelOffsets LabelOffsets::load(const QString& printer)
{
    if (printer.isEmpty())
        return {};
    const auto settings = settingsStore();
    return {number(*settings, keyOf(printer, "X")), number(*settings, keyOf(printer, "Y"))};
}

void LabelOffsets::store(const QString& printer, const LabelOffsets& offsets)
{
    if (printer.isEmpty())
        return;
    const auto settings = settingsStore();
    settings->setValue(keyOf(printer, "X"), QString::number(bounded(offsets.x)));
    settings->setValue(keyOf(printer, "Y"), QString::number(bounded(offsets.y)));
}

PrintDocument LabelOffsets::applied(PrintDocument document) const
{
    if (isZero())
        return document;
    for (PrintPage& page : document.pages) {
        for (TextItem& t : page.texts) {
            t.x += x;
            t.y += y;
        }
        for (LineItem& l : page.lines) {
            l.x1 += x;
            l.x2 += x;
            l.y1 += y;
            l.y2 += y;
        }
        for (ImageItem& i : page.images) {
            i.x += x;
            i.y += y;
        }
        for (FrameItem& f : page.frames) {
            f.x1 += x;
            f.x2 += x;
            f.y1 += y;
            f.y2 += y;
        }
    }
    return document;
}

PrintDocument LabelOffsets::testPage(const LabelOffsets& printedWith)
{
    PageBuilder out;
    // Rulers: a tick every millimetre, longer every 5 and 10, numbered every 10.
    out.setFont(6, false);
    out.line(0, 0, 180, 0);
    out.line(0, 0, 0, 250);
    for (int mm = 0; mm <= 180; ++mm) {
        const double tick = mm % 10 == 0 ? 4 : mm % 5 == 0 ? 2.5 : 1.5;
        out.line(mm, 0, mm, tick);
        if (mm % 10 == 0 && mm > 0 && mm < 180)
            out.text(mm + 0.5, 3, QString::number(mm));
    }
    for (int mm = 0; mm <= 250; ++mm) {
        const double tick = mm % 10 == 0 ? 4 : mm % 5 == 0 ? 2.5 : 1.5;
        out.line(0, mm, tick, mm);
        if (mm % 10 == 0 && mm > 0 && mm < 250)
            out.text(4.5, mm + 0.5, QString::number(mm));
    }

    // Crosshairs where the labels' corners stand.
    const double points[][2] = {{15, 15}, {90, 15}, {162, 15}, {15, 40}, {93, 87}, {15, 125}};
    for (const auto& p : points) {
        out.line(p[0] - 5, p[1], p[0] + 5, p[1]);
        out.line(p[0], p[1] - 5, p[0], p[1] + 5);
        out.text(p[0] + 1, p[1] + 1, QStringLiteral("%1, %2").arg(p[0]).arg(p[1]));
    }

    out.setFont(12, true);
    out.text(30, 150, QStringLiteral("Quelto label offsets test page"));
    out.setFont(10, false);
    const QStringList lines = {
        QStringLiteral("Printed with offsets x %1 mm, y %2 mm.").arg(mm(printedWith.x), mm(printedWith.y)),
        QStringLiteral("The rulers start at the top-left corner of the printable area;"),
        QStringLiteral("each crosshair is labelled with its distance from it in millimetres."),
        QStringLiteral("Lay the printout on the label stock, measure how far a crosshair lies"),
        QStringLiteral("from the corner it belongs on, and enter that distance as offset"),
        QStringLiteral("(right and down positive)."),
    };
    double y = 158;
    for (const QString& line : lines)
        y = out.textLine(30, y, line);
    return printedWith.applied(out.take());
}

} // namespace quelto::printing
