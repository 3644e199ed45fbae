#include "editing/StarRating.h"

#include "collection/PersonalFormat.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <QtMath>

namespace quelto::editing {
namespace {

constexpr int kStars = 5;
constexpr int kMargin = 3;

QPainterPath starPath(const QRectF& box)
{
    QPainterPath path;
    const QPointF centre = box.center();
    const double outer = box.width() / 2;
    const double inner = outer * 0.45;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double radius = i % 2 ? inner : outer;
        const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

} // namespace

StarRating::StarRating(QWidget* parent) : QAbstractSlider(parent)
{
    setRange(0, 2 * kStars);
    setSingleStep(1);
    setPageStep(2);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setOrientation(Qt::Horizontal);
    connect(this, &QAbstractSlider::valueChanged, this, [this] {
        describe();
        update();
    });
    describe();
}

int StarRating::starSize() const { return std::max(16, fontMetrics().height() + 6); }

QSize StarRating::sizeHint() const { return {kStars * starSize() + 2 * kMargin, starSize() + 2 * kMargin}; }

QSize StarRating::minimumSizeHint() const { return sizeHint(); }

int StarRating::valueAt(const QPoint& point) const
{
    const int x = point.x() - kMargin;
    if (x < 0)
        return 0;
    const int halves = x * 2 / starSize() + 1;
    return std::clamp(halves, 1, 2 * kStars);
}

void StarRating::describe()
{
    setAccessibleDescription(collection::PersonalFormat::ratingText(value()));
    setToolTip(collection::PersonalFormat::ratingText(value()) +
               QStringLiteral("\nClick a star (its left half for a half star); 0 or Delete clears."));
}

void StarRating::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int size = starSize();
    const int shown = m_hover >= 0 ? m_hover : value();
    const QColor filled = isEnabled() ? QColor(0xf0, 0xb0, 0x00) : palette().color(QPalette::Disabled, QPalette::WindowText);
    const QColor outline = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    for (int i = 0; i < kStars; ++i) {
        const QRectF box(kMargin + i * size + 1, kMargin + 1, size - 2, size - 2);
        const QPainterPath star = starPath(box);
        const int halves = std::clamp(shown - 2 * i, 0, 2);
        if (halves > 0) {
            painter.save();
            painter.setClipRect(QRectF(box.left(), box.top(), box.width() * halves / 2.0, box.height()));
            painter.fillPath(star, m_hover >= 0 ? filled.lighter(120) : filled);
            painter.restore();
        }
        painter.setPen(QPen(outline, 1));
        painter.drawPath(star);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void StarRating::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractSlider::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int clicked = valueAt(event->position().toPoint());
    setValue(clicked == value() ? 0 : clicked);
    m_hover = -1;
    update();
    event->accept();
}

void StarRating::mouseMoveEvent(QMouseEvent* event)
{
    const int hover = isEnabled() ? valueAt(event->position().toPoint()) : -1;
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
}

void StarRating::leaveEvent(QEvent*)
{
    m_hover = -1;
    update();
}

void StarRating::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_5 && event->modifiers() == Qt::NoModifier) {
        setValue(2 * (key - Qt::Key_0));
    } else if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        setValue(0);
    } else if (key == Qt::Key_Plus) {
        triggerAction(SliderSingleStepAdd);
    } else if (key == Qt::Key_Minus) {
        triggerAction(SliderSingleStepSub);
    } else {
        QAbstractSlider::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace quelto::editing
