#include "editing/AccessibleComboBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace quelto::editing {

namespace {

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        return new AccessibleComboBox(static_cast<QComboBox*>(object));
    return nullptr;
}

} // namespace

AccessibleComboBox::AccessibleComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

void AccessibleComboBox::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

QComboBox* AccessibleComboBox::box() const
{
    return static_cast<QComboBox*>(widget());
}

QString AccessibleComboBox::text(QAccessible::Text t) const
{
    const QString shown = box()->isEditable() && box()->lineEdit() ? box()->lineEdit()->text() : box()->currentText();
    switch (t) {
    case QAccessible::Name: {
        // The accessible name, else the label that has it as buddy.
        const QString name = QAccessibleWidget::text(t);
        return name.isEmpty() ? shown : name;
    }
    case QAccessible::Value:
        return shown;
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State AccessibleComboBox::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = box()->view() && box()->view()->isVisible();
    s.editable = box()->isEditable();
    return s;
}

QStringList AccessibleComboBox::actionNames() const
{
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
}

void AccessibleComboBox::doAction(const QString& actionName)
{
    if (actionName == showMenuAction() || actionName == pressAction())
        box()->showPopup();
    else
        QAccessibleWidget::doAction(actionName);
}

} // namespace quelto::editing
