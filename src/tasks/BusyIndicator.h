#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quelto::tasks {

class TaskControl;

// What the window shows while a command runs in the background: what it
// does, how far it has come (a moving bar while that is not known), and
// Cancel.
class BusyIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    void showTask(const QString& what);
    void showProgress(const TaskControl& control);
    QPushButton* cancelButton() const { return m_cancel; }
    QLabel* label() const { return m_text; }
    QProgressBar* progressBar() const { return m_progress; }

signals:
    void cancelRequested();

private:
    QLabel* m_text;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QString m_what;
};

} // namespace quelto::tasks
