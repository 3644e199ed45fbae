#include "statistics/StatisticsCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLocale>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>
#include <algorithm>

namespace quelto::statistics {
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
    chart->setLocalizeNumbers(true); // counts and axes as the summary writes them: "302,954"
    return chart;
}

QString percent(double share) { return QLocale().toString(share * 100, 'f', share < 0.1 ? 1 : 0) + QLatin1Char('%'); }

// A value axis of whole numbers with a round step: 0, 200, 400 ...;
// headroom: the share of the largest count left free beyond it, for the
// counts written past the ends of the bars.
QValueAxis* countAxis(int most, double headroom = 0.05)
{
    const auto roundStep = [](int wanted) {
        for (int base = 1;; base *= 10) {
            for (int factor : {1, 2, 5}) {
                if (base * factor >= wanted)
                    return base * factor;
            }
        }
    };
    // Counts of six digits and more take three or four labels: five are cut short.
    const int step = roundStep(std::max(1, most / (most >= 100000 ? 3 : 5)));
    auto* axis = new QValueAxis;
    const int top = std::max(step, (most + int(most * headroom) + step) / step * step);
    axis->setRange(0, top);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

// unit follows each count in the legend: "Free (99,465 min, 50%)".
QChart* pie(const QString& title, const std::vector<Share>& shares, const QString& empty = QStringLiteral("No records"),
            const QString& unit = QString())
{
    QChart* chart = newChart(title);
    auto* series = new QPieSeries;
    QStringList names;
    int total = 0;
    for (const Share& share : shares)
        total += share.count;
    if (total == 0) {
        QPieSlice* slice = series->append(empty, 1);
        slice->setColor(QColor(210, 210, 210));
        slice->setPen(Qt::NoPen);
        slice->setLabelVisible(true);
        slice->setLabelPosition(QPieSlice::LabelInsideHorizontal);
        series->setPieSize(0.75);
        chart->addSeries(series);
        return chart;
    }
    for (const Share& share : StatisticsCharts::limited(shares, StatisticsCharts::MaxSlices)) {
        if (share.count == 0)
            continue;
        // The legend names every slice, its count below; the slices show their share.
        names << QStringLiteral("%1<br>%2%3, %4")
                     .arg(share.name.toHtmlEscaped(), QLocale().toString(share.count), unit, percent(share.share));
        QPieSlice* slice = series->append(percent(share.share), share.count);
        slice->setLabelVisible(share.share >= 0.04);
        slice->setLabelPosition(QPieSlice::LabelInsideHorizontal);
        slice->setLabelColor(Qt::white);
    }
    if (series->count() == 1)
        series->slices().first()->setPen(Qt::NoPen); // a whole circle has no edge to draw
    series->setPieSize(0.75);
    chart->addSeries(series);
    chart->legend()->setVisible(true);
    // Long names go below the pie, where the legend has the chart's width.
    // A slice's name and its count are two lines: the longer counts.
    qsizetype longest = 0;
    for (const QString& name : names) {
        for (const QString& line : name.split(QStringLiteral("<br>")))
            longest = std::max(longest, line.size());
    }
    chart->legend()->setAlignment(longest > 24 ? Qt::AlignBottom : Qt::AlignRight);
    const QList<QLegendMarker*> markers = chart->legend()->markers(series);
    for (qsizetype i = 0; i < markers.size() && i < names.size(); ++i)
        markers[i]->setLabel(names[i]);
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
    qsizetype longest = 0;
    for (const Share& share : shown) {
        *set << share.count;
        categories << (share.name.size() > 32 ? share.name.left(31) + QChar(0x2026) : share.name);
        most = std::max(most, share.count);
        longest = std::max(longest, categories.back().size());
    }
    QAbstractBarSeries* series = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                            : static_cast<QAbstractBarSeries*>(new QBarSeries);
    series->append(set);
    // Each count past the end of its bar, where a short bar cannot cut it;
    // upright above columns, which are narrower than a count of six digits.
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    set->setLabelColor(QColor(40, 40, 40));
    series->setLabelsPrecision(12); // a million as 1000000, not 1e+06
    if (!horizontal)
        series->setLabelsAngle(-90);
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(categories);
    // Many columns side by side leave a narrow space under each: longer names
    // ("1990s", "(none)", "Others") are written aslant instead of cut short.
    if (!horizontal && categories.size() > 8 && longest > 3) {
        names->setLabelsAngle(-45);
        names->setTruncateLabels(false);
    }
    // Room past the largest bar for its count: about a twentieth of the
    // plot's length a digit.
    const double digits = double(QString::number(most).size());
    QValueAxis* values = countAxis(most, 0.05 + digits * (horizontal ? 0.035 : 0.04));
    chart->addAxis(names, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(names);
    series->attachAxis(values);
    return chart;
}

// A top list's title with what lies beyond it: "Top 20 directors" and
// "24,980 more directors in 912,345 records" below.
QString withOthers(const QString& title, int names, qint64 credits, const QString& kind, const QString& unit)
{
    if (names <= 0)
        return title;
    return QStringLiteral("%1<br><small>%2 more %3 in %4 %5</small>")
        .arg(title, QLocale().toString(names), kind, QLocale().toString(credits), unit);
}

QChart* borrowers(const StatisticsFigures& f)
{
    const std::vector<BorrowerFigures>& figures = f.loansPerBorrower;
    if (figures.empty()) // an empty plot would say nothing
        return pie(QStringLiteral("Loans per borrower"), {}, QStringLiteral("No loans yet"));
    const size_t shown = std::min<size_t>(figures.size(), StatisticsCharts::MaxBars);
    int moreBorrowers = f.otherBorrowers;
    qint64 moreLoans = f.otherBorrowersLoans;
    for (size_t i = shown; i < figures.size(); ++i) {
        ++moreBorrowers;
        moreLoans += figures[i].loans;
    }
    QChart* chart = newChart(withOthers(QStringLiteral("Loans per borrower"), moreBorrowers, moreLoans,
                                        QStringLiteral("borrowers"), QStringLiteral("loans")));
    auto* out = new QBarSet(QStringLiteral("Out now"));
    auto* back = new QBarSet(QStringLiteral("Returned"));
    QStringList names;
    int most = 0;
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
    QValueAxis* values = countAxis(most);
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
        return bars(withOthers(title, f.otherDirectors.names, f.otherDirectors.credits, QStringLiteral("directors"),
                               QStringLiteral("records")),
                    f.topDirectors, true, QStringLiteral("Records"));
    if (id == QLatin1String("cast"))
        return bars(withOthers(title, f.otherCast.names, f.otherCast.credits, QStringLiteral("cast members"),
                               QStringLiteral("credits")),
                    f.topCast, true, QStringLiteral("Records"));
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
        return pie(QStringLiteral("%1<br><small>%2 of %3 tapes with a known length</small>")
                       .arg(title, QLocale().toString(f.tapes.withLength), QLocale().toString(f.tapes.tapes)),
                   {{QStringLiteral("Recorded"), used, used / total}, {QStringLiteral("Free"), free, free / total}},
                   QStringLiteral("No tape length known yet"), QStringLiteral(" min"));
    }
    return borrowers(f);
}

} // namespace quelto::statistics
