#include "editing/StatusShape.h"

#include <QPainter>

namespace quelto::editing {

StatusShape::StatusShape(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Shape1"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Record status"));
    describe();
}

QString StatusShape::description(Mode mode)
{
    switch (mode) {
    case Mode::Browsing:
        return QStringLiteral("Browsing all records");
    case Mode::NewRecord:
        return QStringLiteral("New record");
    case Mode::Filtered:
        return QStringLiteral("Search filter active");
    }
    return {};
}

// The colour in words, for screen readers and as a tooltip.
void StatusShape::describe()
{
    setAccessibleDescription(description(m_mode));
    setToolTip(description(m_mode));
}

QColor StatusShape::colour(Mode mode)
{
    switch (mode) {
    case Mode::Browsing:
        return QColor(192, 255, 255);
    case Mode::NewRecord:
        return QColor(255, 0, 128);
    case Mode::Filtered:
        return QColor(0, 255, 192);
    }
    return {};
}

void StatusShape::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    describe();
    update();
}

QSize StatusShape::sizeHint() const { return {24, 24}; }

void StatusShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(fillColour());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace quelto::editing
