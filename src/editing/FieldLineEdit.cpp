#include "editing/FieldLineEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
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

void FieldLineEdit::keyPressEvent(QKeyEvent* event)
{
    // A mnemonic is taken before this; what is left of Alt+letter is no text.
    if (isUnclaimedAltKey(*event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool FieldLineEdit::isUnclaimedAltKey(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    // AltGr reaches some systems as Ctrl+Alt and types its character.
    return mods == Qt::AltModifier && !event.text().isEmpty() && event.text().at(0).isPrint();
}

} // namespace quelto::editing
