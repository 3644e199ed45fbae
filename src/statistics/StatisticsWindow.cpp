#include "statistics/StatisticsWindow.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "editing/UserPrompts.h"
#include "groups/ReadWorker.h"
#include "search/SearchQuery.h"
#include "statistics/ChartExport.h"
#include "statistics/ChartPrinter.h"
#include "statistics/StatisticsCharts.h"
#include "statistics/KeptStatistics.h"
#include "statistics/StatisticsCollector.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelto::statistics {

using groups::ReadWorker;
namespace {

QString number(qint64 n)
{
    return QLocale().toString(n);
}

QToolButton* cardButton(const QString& text, const QString& name, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

StatisticsWindow::StatisticsWindow(catalog::CatalogState& state, editing::UserPrompts& prompts,
                                   ChartPrinter& printer, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_prompts(prompts), m_printer(printer),
      m_worker(std::make_unique<ReadWorker>()), m_scope(new QComboBox(this)),
      m_refresh(new QPushButton(QStringLiteral("&Refresh"), this)), m_summary(new QLabel(this)),
      m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("statisticsWindow"));
    setWindowTitle(QStringLiteral("Statistics"));
    m_scope->setObjectName(QStringLiteral("statisticsScope"));
    m_scope->addItem(QStringLiteral("Whole catalogue"));
    m_scope->addItem(QStringLiteral("Records shown"));
    m_scope->setAccessibleName(QStringLiteral("Records counted"));
    m_refresh->setObjectName(QStringLiteral("statisticsRefresh"));
    m_summary->setObjectName(QStringLiteral("statisticsSummary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setObjectName(QStringLiteral("statisticsStatus"));

    auto* scopeLabel = new QLabel(QStringLiteral("&Count:"), this);
    scopeLabel->setBuddy(m_scope);
    auto* top = new QHBoxLayout;
    top->addWidget(scopeLabel);
    top->addWidget(m_scope, 1);
    top->addWidget(m_refresh);

    auto* cards = new QWidget;
    auto* grid = new QGridLayout(cards);
    int index = 0;
    for (const StatisticsCharts::Definition& chart : StatisticsCharts::all()) {
        grid->addWidget(makeCard(chart.id, chart.title), index / 2, index % 2);
        ++index;
    }
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("statisticsCharts"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(cards);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_summary);
    layout->addWidget(scroll, 1);
    layout->addWidget(m_status);
    resize(980, 720);

    connect(m_scope, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    connect(m_refresh, &QPushButton::clicked, this, &StatisticsWindow::refresh);
}

StatisticsWindow::~StatisticsWindow() = default;

QWidget* StatisticsWindow::makeCard(const QString& id, const QString& title)
{
    auto* card = new QFrame;
    card->setObjectName(QStringLiteral("card_") + id);
    card->setFrameShape(QFrame::StyledPanel);
    auto* view = new QChartView(card);
    view->setObjectName(QStringLiteral("chart_") + id);
    view->setAccessibleName(title);
    view->setRenderHint(QPainter::Antialiasing);
    // Room for a label at each bar of the charts of up to twenty bars: a
    // label that has not a line's height is cut to "...".
    const bool tall = id == QLatin1String("directors") || id == QLatin1String("cast") ||
                      id == QLatin1String("genre") || id == QLatin1String("country") ||
                      id == QLatin1String("borrowers");
    view->setMinimumSize(440, tall ? 560 : 340);
    view->setChart(new QChart);
    m_views[id] = view;
    QToolButton* copy = cardButton(QStringLiteral("Copy"), QStringLiteral("copy_") + id,
                                   QStringLiteral("Copy the %1 chart").arg(title), card);
    QToolButton* save = cardButton(QStringLiteral("Save..."), QStringLiteral("save_") + id,
                                   QStringLiteral("Save the %1 chart as PNG or PDF").arg(title), card);
    QToolButton* print = cardButton(QStringLiteral("Print..."), QStringLiteral("print_") + id,
                                    QStringLiteral("Print the %1 chart").arg(title), card);
    connect(copy, &QToolButton::clicked, this, [this, id] { copyChart(id); });
    connect(save, &QToolButton::clicked, this, [this, id] { saveChart(id); });
    connect(print, &QToolButton::clicked, this, [this, id] { printChart(id); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addWidget(print);
    auto* layout = new QVBoxLayout(card);
    layout->addWidget(view, 1);
    layout->addLayout(buttons);
    return card;
}

QChartView* StatisticsWindow::chartView(const QString& id) const
{
    const auto it = m_views.find(id);
    return it == m_views.end() ? nullptr : it->second;
}

void StatisticsWindow::setScope(Scope scope)
{
    m_scope->setCurrentIndex(scope == Scope::RecordsShown ? 1 : 0);
}

StatisticsWindow::Scope StatisticsWindow::scope() const
{
    return m_scope->currentIndex() == 1 ? Scope::RecordsShown : Scope::WholeCatalogue;
}

void StatisticsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void StatisticsWindow::updateScopeChoice()
{
    const QSignalBlocker block(m_scope);
    const bool filtered = m_state.filterActive && !m_state.filterDescription.isEmpty();
    m_scope->setItemText(1, filtered ? QStringLiteral("Records shown: %1").arg(m_state.filterDescription)
                                     : QStringLiteral("Records shown (no search in force: all records)"));
}

void StatisticsWindow::refresh()
{
    updateScopeChoice();
    if (!m_state.database)
        return;
    QString condition;
    const bool filtered = scope() == Scope::RecordsShown && m_state.filterActive;
    try {
        if (filtered) {
            // The filter clause as SQLite reads it, without the query around it.
            const QString base = search::SearchQuery::Base;
            const QString translated = m_state.database->translate(base + m_state.filterClause);
            condition = translated.mid(base.size());
        }
    } catch (const catalog::EngineError& error) {
        m_status->setText(error.message());
        return;
    }
    m_scopeText = filtered ? m_state.filterDescription : QStringLiteral("the whole catalogue");
    m_counting = true;
    m_status->setText(QStringLiteral("Counting\u2026"));
    auto figures = std::make_shared<StatisticsFigures>();
    const QDate today = m_today();
    m_worker->run(
        m_state.database->path(),
        [figures, today, condition](catalog::SqliteConnection& reader) {
            // The whole catalogue's figures are kept while it stays as it was.
            *figures = condition.isEmpty() ? KeptStatistics::collect(reader, today)
                                           : StatisticsCollector::collect(reader, today, condition);
        },
        [this, figures] {
            m_counting = false;
            m_figures = std::move(*figures);
            m_hasFigures = true;
            showFigures();
        },
        [this](const QString& message) {
            m_counting = false;
            m_status->setText(QStringLiteral("The statistics could not be worked out: %1").arg(message));
        });
}

QString StatisticsWindow::summaryText() const
{
    const StatisticsFigures& f = m_figures;
    const TapeFigures& t = f.tapes;
    QStringList lines;
    lines << QStringLiteral("<b>%1 records</b> on %2 tapes (%3); %4 seen, %5 not seen.")
                 .arg(number(f.records), number(t.tapes), m_scopeText.toHtmlEscaped(), number(f.seen),
                      number(f.notSeen));
    if (t.withLength > 0) {
        QString tapes =
            QStringLiteral("Tapes of known length: %1, %2 minutes, of which %3 recorded and <b>%4 free</b> "
                           "(at standard play)")
                .arg(number(t.withLength), number(t.lengthMinutes), number(t.usedMinutes),
                     number(t.freeMinutes));
        if (t.moviesWithoutRunningTime > 0)
            tapes += QStringLiteral("; %1 movies on them have no running time")
                         .arg(number(t.moviesWithoutRunningTime));
        lines << tapes + QLatin1Char('.');
        if (t.unknownRoom > 0)
            lines << QStringLiteral("On %1 tapes what is left is unknown, not free: no running time for %2%3.")
                         .arg(number(t.unknownRoom), t.untimedMovies.join(QStringLiteral(", ")).toHtmlEscaped(),
                              t.moviesWithoutRunningTime > t.untimedMovies.size() ? QStringLiteral(", ...")
                                                                                  : QString());
    } else {
        lines << QStringLiteral("No tape length is known yet, so free minutes cannot be told.");
    }
    if (t.withRunningTime > 0)
        lines << QStringLiteral("Running time of the %1 movies that have one: %2 hours %3 minutes.")
                     .arg(number(t.withRunningTime), number(t.runningMinutes / 60),
                          number(t.runningMinutes % 60));
    lines
        << QStringLiteral("%1 tapes on loan, %2 overdue.").arg(number(f.tapesOnLoan), number(f.tapesOverdue));
    return lines.join(QStringLiteral("<br>"));
}

void StatisticsWindow::showFigures()
{
    for (const auto& [id, view] : m_views) {
        QChart* old = view->chart();
        view->setChart(StatisticsCharts::build(id, m_figures));
        delete old;
    }
    m_summary->setText(summaryText());
    m_status->clear();
    emit figuresShown();
}

void StatisticsWindow::copyChart(const QString& id)
{
    if (!m_hasFigures)
        return;
    QApplication::clipboard()->setImage(ChartExport::image(id, m_figures));
    m_status->setText(
        QStringLiteral("The %1 chart is on the clipboard.").arg(StatisticsCharts::byId(id)->title));
}

void StatisticsWindow::saveChart(const QString& id)
{
    if (!m_hasFigures)
        return;
    const QFileInfo catalogue(m_state.databasePath);
    const QString name = catalogue.absoluteDir().filePath(catalogue.completeBaseName() + QLatin1Char('-') +
                                                          id + QStringLiteral(".png"));
    const std::optional<QString> chosen = m_prompts.chooseFile(
        {QStringLiteral("Save Chart"), name, QStringLiteral("PNG Image (*.png);;PDF Document (*.pdf)"),
         QStringLiteral("png"), true});
    if (!chosen || chosen->isEmpty())
        return;
    QString path = *chosen;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
        path += QStringLiteral(".png");
    try {
        ChartExport::save(id, m_figures, path);
        m_status->setText(QStringLiteral("Saved to \"%1\".").arg(QDir::toNativeSeparators(path)));
    } catch (const catalog::EngineError& error) {
        m_prompts.exclamation(error.message());
    }
}

void StatisticsWindow::printChart(const QString& id)
{
    if (!m_hasFigures)
        return;
    const StatisticsFigures figures = m_figures;
    const bool printed = m_printer.print(this, StatisticsCharts::byId(id)->title,
                                         [id, figures](QPainter& painter, const QRectF& page) {
                                             ChartExport::paint(id, figures, painter, page);
                                         });
    m_status->setText(printed
                          ? QStringLiteral("The %1 chart was printed.").arg(StatisticsCharts::byId(id)->title)
                          : QStringLiteral("Not printed."));
}

} // namespace quelto::statistics
