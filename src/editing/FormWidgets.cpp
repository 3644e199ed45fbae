#include "editing/FormWidgets.h"

#include "editing/AccessibleComboBox.h"
#include "editing/FieldLineEdit.h"
#include "editing/FoldingCompleter.h"

#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

namespace quelto::editing::form {

QComboBox* comboBox(const QString& name, QWidget* parent)
{
    AccessibleComboBox::install(); // named by its caption, not by its text
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setLineEdit(new FieldLineEdit(box));
    box->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is offered the entries of the list that begin with it,
    // case and accents aside; it changes only when one is chosen, and is
    // never added.
    auto* completer = new FoldingCompleter(box->model(), box);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    box->setCompleter(completer);
    box->setMinimumContentsLength(8);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMaxVisibleItems(16);
    return box;
}

QLineEdit* textBox(const QString& name, QWidget* parent)
{
    auto* edit = new FieldLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setContentsMargins(0, 0, 8, 0);
    return label;
}

QLabel* caption(const QString& text, QWidget* field, QWidget* parent)
{
    QLabel* label = caption(text, parent);
    label->setBuddy(field);
    nameField(field, text);
    return label;
}

void nameField(QWidget* field, const QString& caption)
{
    QString name = caption;
    name.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    field->setAccessibleName(name);
    if (auto* box = qobject_cast<QComboBox*>(field); box && box->lineEdit())
        box->lineEdit()->setAccessibleName(name);
}

QToolButton* editButton(const QString& name, const QString& listTitle, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(QStringLiteral("\u2026"));
    const QString what = QStringLiteral("Edit the %1 list").arg(listTitle);
    button->setToolTip(what + QStringLiteral(" (Ctrl+E)"));
    button->setAccessibleName(what);
    // No Tab stop and no focus from a click: Ctrl+E in its drop-down and the
    // mouse press it, and the focus stays in the field.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QPushButton* commandButton(const char* name, const QString& text, const QString& tip, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

} // namespace quelto::editing::form
