#include "app/TaskProgressDialog.h"

#include "tasks/BackgroundTask.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace quelto::app {

TaskProgressDialog::TaskProgressDialog(const QString& text, QWidget* parent)
    : QDialog(parent),
      m_text(new QLabel(text, this)),
      m_step(new QLabel(this)),
      m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)),
      m_refresh(new QTimer(this))
{
    setObjectName(QStringLiteral("taskProgress"));
    setWindowTitle(QStringLiteral("Quelto"));
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    m_text->setObjectName(QStringLiteral("taskText"));
    m_text->setWordWrap(true);
    m_step->setObjectName(QStringLiteral("taskStep"));
    m_bar->setObjectName(QStringLiteral("taskBar"));
    m_bar->setMinimumWidth(360);
    m_cancel->setObjectName(QStringLiteral("taskCancel"));
    m_cancel->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_step);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &TaskProgressDialog::cancel);
    m_refresh->setInterval(RefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &TaskProgressDialog::refresh);
}

std::shared_ptr<tasks::BackgroundTask> TaskProgressDialog::run(std::function<void(tasks::TaskControl&)> work)
{
    QEventLoop loop;
    m_task = tasks::BackgroundTask::start(std::move(work));
    const std::shared_ptr<tasks::BackgroundTask> task = m_task;
    const auto over = [&task] { return task->outcome() != tasks::BackgroundTask::Outcome::Running; };
    task->whenOver(&loop, [&loop] { loop.quit(); }); // wakes the window's thread
    // A short task shows no dialog; until it shows, the window takes no input.
    QTimer showTimer;
    showTimer.setSingleShot(true);
    connect(&showTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
    showTimer.start(ShowAfterMs);
    if (!over())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!over()) {
        refresh();
        show();
        m_refresh->start();
        while (!over())
            loop.exec();
        m_refresh->stop();
        hide();
    }
    m_task.reset();
    return task;
}

void TaskProgressDialog::refresh()
{
    if (!m_task)
        return;
    const tasks::TaskControl::Snapshot now = m_task->control().snapshot();
    if (m_task->control().cancelled()) {
        m_step->setText(Cancelling);
    } else if (now.total > 0 && !now.unit.isEmpty()) {
        const QLocale locale;
        m_step->setText(QStringLiteral("%1 %2 of %3 %4")
                            .arg(now.step, locale.toString(std::min(now.done, now.total)), locale.toString(now.total),
                                 now.unit));
    } else {
        m_step->setText(now.step);
    }
    if (now.total > 0) {
        // The bar counts in thousandths, so that any size fits its int range.
        m_bar->setRange(0, 1000);
        m_bar->setValue(int(std::clamp<qint64>(now.done * 1000 / now.total, 0, 1000)));
    } else {
        m_bar->setRange(0, 0); // busy
    }
}

void TaskProgressDialog::cancel()
{
    if (!m_task)
        return;
    m_task->cancel();
    m_cancel->setEnabled(false);
    refresh();
}

void TaskProgressDialog::reject()
{
    cancel(); // the dialog goes when the task has ended
}

void TaskProgressDialog::closeEvent(QCloseEvent* event)
{
    cancel();
    event->ignore();
}

} // namespace quelto::app
