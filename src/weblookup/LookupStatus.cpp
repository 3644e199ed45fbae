#include "weblookup/LookupStatus.h"

#include "weblookup/LookupWorkflow.h"

#include <QLabel>
#include <QStatusBar>

namespace quelto::weblookup {

LookupStatus::LookupStatus(weblookup::LookupWorkflow& workflow, QStatusBar* bar)
    : QObject(bar), m_summary(new QLabel(bar)), m_notice(new QLabel(bar))
{
    setObjectName(QStringLiteral("lookupStatus"));
    m_summary->setObjectName(QStringLiteral("grabSummary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_notice->setObjectName(QStringLiteral("grabNotice"));
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setStyleSheet(QStringLiteral("QLabel { color: #a4000f; }"));
    m_notice->hide();
    // Both give way on a narrow window; the tooltips keep the whole text.
    for (QLabel* label : {m_summary, m_notice})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_summary, 2);
    bar->addWidget(m_notice, 3);

    connect(&workflow, &weblookup::LookupWorkflow::noticeChanged, this, &LookupStatus::showNotice);
    connect(&workflow, &weblookup::LookupWorkflow::summaryChanged, this,
            [this, &workflow](const QString& text) { showSummary(text, workflow.summaryDetails()); });
}

void LookupStatus::showSummary(const QString& text, const QString& details)
{
    m_summary->setText(text);
    // The whole line, then where each field came from.
    m_summary->setToolTip(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details);
}

void LookupStatus::showNotice(const QString& text)
{
    m_notice->setText(text);
    m_notice->setToolTip(text);
    m_notice->setVisible(!text.isEmpty());
}

} // namespace quelto::weblookup
