#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quelto::tasks {
class BackgroundTask;
class TaskControl;
}

namespace quelto::app {

// The window of a long command ("taskProgress"): what runs, the task's step,
// a progress bar (busy while the size is not known) and Cancel. run() starts
// the work as a task and returns the task when it has ended; the window's thread keeps answering
// meanwhile. The dialog only appears when the task takes longer than a
// moment; until then, and while it is shown, no other window takes input.
class TaskProgressDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ShowAfterMs = 400;
    static constexpr int RefreshMs = 50;
    static inline const QString Cancelling = QStringLiteral("Cancelling...");

    TaskProgressDialog(const QString& text, QWidget* parent);

    std::shared_ptr<tasks::BackgroundTask> run(std::function<void(tasks::TaskControl&)> work);

protected:
    void reject() override; // Escape and the close button cancel the task
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void cancel();

    std::shared_ptr<tasks::BackgroundTask> m_task;
    QLabel* m_text;
    QLabel* m_step;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    QTimer* m_refresh;
};

} // namespace quelto::app
