#include "app/EmptyCatalogueHint.h"

#include "catalog/CatalogState.h"
#include "catalog/RecordSet.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QPushButton>

namespace quelto::app {

EmptyCatalogueHint::EmptyCatalogueHint(const catalog::CatalogState& state, QPushButton* newRecord, QMenu* imports,
                                       QAction* open, QWidget* parent)
    : QLabel(Text, parent), m_state(state), m_new(newRecord), m_imports(imports), m_open(open)
{
    setObjectName(QStringLiteral("emptyCatalogueHint"));
    setAccessibleName(QStringLiteral("How to begin"));
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    setMargin(6);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    connect(this, &QLabel::linkActivated, this, &EmptyCatalogueHint::activate);
    hide();
}

bool EmptyCatalogueHint::isEmptyCatalogue() const
{
    const catalog::RecordSet* set = m_state.current.get();
    return set && !m_state.newRecordMode && !m_state.filterActive && set->bof() && set->eof();
}

bool EmptyCatalogueHint::follow()
{
    const bool empty = isEmptyCatalogue();
    if (empty == !isHidden())
        return false;
    setVisible(empty);
    return true;
}

void EmptyCatalogueHint::activate(const QString& link)
{
    if (link == QLatin1String("new") && m_new->isEnabled())
        m_new->click();
    else if (link == QLatin1String("import") && m_imports)
        m_imports->popup(QCursor::pos());
    else if (link == QLatin1String("open") && m_open)
        m_open->trigger();
}

} // namespace quelto::app
