#include "tasks/BusyIndicator.h"

#include "tasks/TaskControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace quelto::tasks {

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent), m_text(new QLabel(this)), m_progress(new QProgressBar(this)), m_cancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("busyIndicator"));
    m_text->setObjectName(QStringLiteral("busyText"));
    m_progress->setObjectName(QStringLiteral("busyProgress"));
    m_cancel->setObjectName(QStringLiteral("busyCancel"));
    m_cancel->setText(tr("Cancel"));
    m_cancel->setToolTip(tr("Stop this command; nothing it has done so far is kept (Esc)"));
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &BusyIndicator::cancelRequested);
}

void BusyIndicator::showTask(const QString& what)
{
    m_what = what;
    m_text->setText(what);
    m_progress->setRange(0, 0); // moving until the work tells how far it is
    m_cancel->setEnabled(true);
    setAccessibleName(what);
}

void BusyIndicator::showProgress(const TaskControl& control)
{
    const QString step = control.step();
    m_text->setText(step.isEmpty() ? m_what : step);
    const qint64 total = control.total();
    if (total <= 0) {
        m_progress->setRange(0, 0);
        return;
    }
    m_progress->setRange(0, 1000);
    m_progress->setValue(int(std::min<qint64>(1000, control.done() * 1000 / total)));
    if (control.cancelled())
        m_cancel->setEnabled(false);
}

} // namespace quelto::tasks
