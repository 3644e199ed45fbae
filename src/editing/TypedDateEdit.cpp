#include "editing/TypedDateEdit.h"

#include "collection/PersonalFormat.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace quelto::editing {

namespace {

bool printable(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return mods == Qt::NoModifier && !event.text().isEmpty() && event.text().at(0).isPrint();
}

} // namespace

TypedDateEdit::TypedDateEdit(QWidget* parent) : QDateEdit(parent), m_text(new QLineEdit(this))
{
    m_text->setObjectName(QStringLiteral("wholeDate"));
    m_text->setFrame(false);
    m_text->setMaxLength(40);
    m_text->hide();
    m_text->installEventFilter(this);
}

bool TypedDateEdit::startsWholeDate(const QKeyEvent& event) const
{
    // A selection of more than one part: the whole text, or one with a separator in it.
    const QString selected = lineEdit()->selectedText();
    if (!printable(event) || selected.isEmpty())
        return false;
    if (selected == lineEdit()->text())
        return true;
    for (const QChar c : selected) {
        if (!c.isLetterOrNumber())
            return true;
    }
    return false;
}

void TypedDateEdit::keyPressEvent(QKeyEvent* event)
{
    if (!startsWholeDate(*event)) {
        QDateEdit::keyPressEvent(event);
        return;
    }
    m_text->setAccessibleName(accessibleName());
    m_text->setGeometry(lineEdit()->geometry());
    m_text->setFont(lineEdit()->font());
    m_text->setText(event->text());
    m_text->show();
    m_text->setFocus(Qt::OtherFocusReason);
}

void TypedDateEdit::closeText()
{
    m_text->hide();
    m_text->clear();
}

void TypedDateEdit::commit()
{
    if (m_text->isHidden())
        return;
    const auto parsed = collection::PersonalFormat::parseDate(m_text->text());
    const QDate typed = parsed.ok() ? QDate::fromString(parsed.value.toString(), Qt::ISODate) : QDate();
    closeText();
    if (typed.isValid())
        setDate(typed);
}

bool TypedDateEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_text)
        return QDateEdit::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut && !m_text->isHidden()) {
        commit();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Escape:
        closeText();
        setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Read, then Enter goes on as in the field (a dialog's default button).
        commit();
        setFocus(Qt::OtherFocusReason);
        keyPressEvent(key);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // On to the next field: the date field's own Tab would step through its parts.
        commit();
        setFocus(Qt::OtherFocusReason);
        QWidget::focusNextPrevChild(key->key() == Qt::Key_Tab);
        return true;
    default:
        return false;
    }
}

} // namespace quelto::editing
