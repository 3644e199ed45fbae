#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

namespace quelto::weblookup {
class LookupWorkflow;
}

namespace quelto::weblookup {

// The web lookup's part of the main window's status bar: the summary of the
// last grab ("grabSummary", its tooltip says where each field came from) and,
// after it, the pages of that grab that failed ("grabNotice"). Neither asks
// anything of the user; a new grab replaces both.
class LookupStatus : public QObject
{
    Q_OBJECT
public:
    LookupStatus(weblookup::LookupWorkflow& workflow, QStatusBar* bar);

    QLabel* summary() const { return m_summary; }
    QLabel* notice() const { return m_notice; }

private:
    void showSummary(const QString& text, const QString& details);
    void showNotice(const QString& text);

    QLabel* m_summary;
    QLabel* m_notice;
};

} // namespace quelto::weblookup
