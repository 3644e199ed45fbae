#include "app/RecordNotices.h"

#include "catalog/CatalogState.h"
#include "catalog/RecordSet.h"

#include <QLabel>
#include <QStatusBar>

#include <utility>

namespace quelto::app {

RecordNotices::RecordNotices(const catalog::CatalogState& state, QStatusBar* bar, QObject* parent)
    : QObject(parent), m_state(state), m_bar(bar)
{
}

qint64 RecordNotices::shownKey() const
{
    if (m_state.newRecordMode)
        return NewRecord;
    const catalog::RecordSet* set = m_state.current.get();
    return set && set->hasCurrentRow() ? set->bookmark() : NoRecord;
}

void RecordNotices::shown()
{
    const qint64 now = shownKey();
    const qint64 before = std::exchange(m_shown, now);
    if (now == before)
        return;
    if (now == NewRecord) {
        m_beforeNew = before;
    } else if (before == NewRecord && now != m_beforeNew && now != NoRecord) {
        return; // the new record, saved
    }
    clear();
}

void RecordNotices::clear()
{
    m_bar->clearMessage();
    for (const QString& name : LabelNames) {
        if (auto* label = m_bar->findChild<QLabel*>(name)) {
            label->clear();
            label->setToolTip(QString());
        }
    }
}

} // namespace quelto::app
