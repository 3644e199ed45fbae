#include "editing/FieldLineEdit.h"

#include <QFocusEvent>
#include <QMouseEvent>

namespace quelto::editing {

FieldLineEdit::FieldLineEdit(QWidget* parent) : QLineEdit(parent) {}

void FieldLineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (!isBlankSpace())
        return;
    // The press that gave the focus places the cursor after this event; the
    // selection follows on its release.
    if (event->reason() == Qt::MouseFocusReason)
        m_selectAfterClick = true;
    else
        selectAll();
}

void FieldLineEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (m_selectAfterClick && isBlankSpace())
        selectAll();
    m_selectAfterClick = false;
}

} // namespace quelto::editing
