#include "glance/StatisticsCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLocale>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>
#include <algorithm>

namespace quelto::glance {
namespace {

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setTheme(QChart::ChartThemeLight);
    QFont font = chart->titleFont();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.1);
    chart->setTitleFont(font);
    chart->legend()->setVisible(false);
    return chart;
}

QString percent(double share) { return QLocale().toString(share * 100, 'f', share < 0.1 ? 1 : 0) + QLatin1Char('%'); }

QChart* pie(const QString& title, const std::vector<Share>& shares)
{
    QChart* chart = newChart(title);
    auto* series = new QPieSeries;
    for (const Share& share : StatisticsCharts::limited(shares, StatisticsCharts::MaxSlices)) {
        QPieSlice* slice = series->append(QStringLiteral("%1 (%2, %3)").arg(share.name).arg(share.count).arg(percent(share.share)),
                                          share.count);
        slice->setLabelVisible(shares.size() <= size_t(StatisticsCharts::MaxSlices) && share.share >= 0.04);
    }
    series->setPieSize(0.7);
    chart->addSeries(series);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignRight);
    return chart;
}

// Bars with the largest (or first) at the top for horizontal bars.
QChart* bars(const QString& title, const std::vector<Share>& shares, bool horizontal, const QString& unit)
{
    QChart* chart = newChart(title);
    auto* set = new QBarSet(unit);
    QStringList categories;
    std::vector<Share> shown = StatisticsCharts::limited(shares, horizontal ? 20 : 30);
    if (horizontal)
        std::reverse(shown.begin(), shown.end());
    int most = 0;
    for (const Share& share : shown) {
        *set << share.count;
        categories << (share.name.size() > 32 ? share.name.left(31) + QChar(0x2026) : share.name);
        most = std::max(most, share.count);
    }
    QAbstractBarSeries* series = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                            : static_cast<QAbstractBarSeries*>(new QBarSeries);
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(categories);
    auto* values = new QValueAxis;
    values->setRange(0, std::max(1, most) * 1.1);
    values->setLabelFormat(QStringLiteral("%d"));
    values->applyNiceNumbers();
    chart->addAxis(names, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(names);
    series->attachAxis(values);
    return chart;
}

QChart* borrowers(const std::vector<BorrowerFigures>& figures)
{
    QChart* chart = newChart(QStringLiteral("Loans per borrower"));
    auto* out = new QBarSet(QStringLiteral("Out now"));
    auto* back = new QBarSet(QStringLiteral("Returned"));
    QStringList names;
    int most = 0;
    const size_t shown = std::min<size_t>(figures.size(), StatisticsCharts::MaxBars);
    for (size_t i = shown; i-- > 0;) {
        *out << figures[i].current;
        *back << figures[i].loans - figures[i].current;
        names << figures[i].borrower;
        most = std::max(most, figures[i].loans);
    }
    auto* series = new QHorizontalStackedBarSeries;
    series->append(out);
    series->append(back);
    chart->addSeries(series);
    auto* axis = new QBarCategoryAxis;
    axis->append(names);
    auto* values = new QValueAxis;
    values->setRange(0, std::max(1, most));
    values->setLabelFormat(QStringLiteral("%d"));
    values->applyNiceNumbers();
    chart->addAxis(axis, Qt::AlignLeft);
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(axis);
    series->attachAxis(values);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

} // namespace

const std::vector<StatisticsCharts::Definition>& StatisticsCharts::all()
{
    static const std::vector<Definition> charts = {
        {QStringLiteral("medium"), QStringLiteral("Medium")},
        {QStringLiteral("genre"), QStringLiteral("Genre")},
        {QStringLiteral("decade"), QStringLiteral("Decade")},
        {QStringLiteral("country"), QStringLiteral("Country")},
        {QStringLiteral("directors"), QStringLiteral("Top 20 directors")},
        {QStringLiteral("cast"), QStringLiteral("Top 20 cast members")},
        {QStringLiteral("myrating"), QStringLiteral("My rating")},
        {QStringLiteral("seen"), QStringLiteral("Seen")},
        {QStringLiteral("tapes"), QStringLiteral("Tape minutes")},
        {QStringLiteral("borrowers"), QStringLiteral("Loans per borrower")},
    };
    return charts;
}

const StatisticsCharts::Definition* StatisticsCharts::byId(const QString& id)
{
    for (const Definition& chart : all()) {
        if (chart.id == id)
            return &chart;
    }
    return nullptr;
}

std::vector<Share> StatisticsCharts::limited(const std::vector<Share>& shares, int most)
{
    if (int(shares.size()) <= most)
        return shares;
    std::vector<Share> kept(shares.begin(), shares.begin() + (most - 1));
    Share others{QStringLiteral("Others"), 0, 0};
    for (auto it = shares.begin() + (most - 1); it != shares.end(); ++it) {
        others.count += it->count;
        others.share += it->share;
    }
    kept.push_back(others);
    return kept;
}

QChart* StatisticsCharts::build(const QString& id, const StatisticsFigures& f)
{
    const Definition* definition = byId(id);
    const QString title = definition ? definition->title : id;
    if (id == QLatin1String("medium"))
        return pie(title, f.byMedium);
    if (id == QLatin1String("genre"))
        return bars(title, limited(f.byGenre, MaxBars), true, QStringLiteral("Records"));
    if (id == QLatin1String("decade"))
        return bars(title, f.byDecade, false, QStringLiteral("Records"));
    if (id == QLatin1String("country"))
        return bars(title, limited(f.byCountry, MaxBars), true, QStringLiteral("Records"));
    if (id == QLatin1String("directors"))
        return bars(title, f.topDirectors, true, QStringLiteral("Records"));
    if (id == QLatin1String("cast"))
        return bars(title, f.topCast, true, QStringLiteral("Records"));
    if (id == QLatin1String("myrating"))
        return bars(title, f.myRating, false, QStringLiteral("Records"));
    if (id == QLatin1String("seen")) {
        const double total = std::max(1, f.records);
        return pie(title, {{QStringLiteral("Seen"), f.seen, f.seen / total},
                           {QStringLiteral("Not seen"), f.notSeen, f.notSeen / total}});
    }
    if (id == QLatin1String("tapes")) {
        const double total = std::max<qint64>(1, f.tapes.usedMinutes + f.tapes.freeMinutes);
        const int used = int(f.tapes.usedMinutes);
        const int free = int(f.tapes.freeMinutes);
        return pie(QStringLiteral("%1 (%2 of %3 tapes with a known length)").arg(title).arg(f.tapes.withLength).arg(f.tapes.tapes),
                   {{QStringLiteral("Recorded min"), used, used / total}, {QStringLiteral("Free min"), free, free / total}});
    }
    return borrowers(f.loansPerBorrower);
}

} // namespace quelto::glance
