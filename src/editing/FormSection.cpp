#include "editing/FormSection.h"

#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

namespace quelto::editing {

void FormSection::reveal(QWidget* field)
{
    for (QWidget* child = field; child && child->parentWidget(); child = child->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(child->parentWidget());
        if (stack && qobject_cast<QTabWidget*>(stack->parentWidget()))
            static_cast<QTabWidget*>(stack->parentWidget())->setCurrentWidget(child);
    }
    field->setFocus(Qt::OtherFocusReason);
}

} // namespace quelto::editing
