#pragma once

#include "statistics/StatisticsFigures.h"

#include <functional>
#include <map>
#include <memory>
#include <QDate>
#include <QWidget>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
class UserPrompts;
}

namespace quelto::groups {
class ReadWorker;
}

namespace quelto::statistics {

class ChartPrinter;

// The Statistics window: the catalogue's figures (of every record, or of the
// records the search in force shows) worked out on a worker thread, a
// summary line, and the charts, each of which can be copied, saved as PNG or
// PDF, and printed.
class StatisticsWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Scope
    {
        WholeCatalogue,
        RecordsShown
    };

    StatisticsWindow(catalog::CatalogState& state, editing::UserPrompts& prompts, ChartPrinter& printer,
                     QWidget* parent = nullptr);
    ~StatisticsWindow() override;

    void setToday(std::function<QDate()> today) { m_today = std::move(today); }
    void setScope(Scope scope);
    Scope scope() const;
    // Works the figures out afresh.
    void refresh();
    bool isCounting() const { return m_counting; }
    const StatisticsFigures& figures() const { return m_figures; }

    void copyChart(const QString& id);
    void saveChart(const QString& id);
    void printChart(const QString& id);

    QChartView* chartView(const QString& id) const;
    QLabel* summary() const { return m_summary; }
    QLabel* status() const { return m_status; }
    QComboBox* scopeBox() const { return m_scope; }

signals:
    void figuresShown();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeCard(const QString& id, const QString& title);
    void showFigures();
    void updateScopeChoice();
    QString summaryText() const;

    catalog::CatalogState& m_state;
    editing::UserPrompts& m_prompts;
    ChartPrinter& m_printer;
    std::unique_ptr<groups::ReadWorker> m_worker;
    std::function<QDate()> m_today = [] { return QDate::currentDate(); };
    StatisticsFigures m_figures;
    QString m_scopeText; // what the figures shown cover
    bool m_counting = false;
    bool m_hasFigures = false;

    QComboBox* m_scope;
    QPushButton* m_refresh;
    QLabel* m_summary;
    QLabel* m_status;
    std::map<QString, QChartView*> m_views;
};

} // namespace quelto::statistics
