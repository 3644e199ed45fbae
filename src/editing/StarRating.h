#pragma once

#include <QAbstractSlider>

namespace quelto::editing {

// My rating: five stars that fill in half steps, 0 to 10 half stars, 0 meaning
// not rated. A click on the left half of a star sets the half, on its right
// half the whole star; clicking the value shown again clears it. Keys: Left
// and Right (or - and +) by a half star, 1 to 5 whole stars, 0, Delete or
// Backspace to clear; Home and End as a slider has them.
class StarRating : public QAbstractSlider
{
    Q_OBJECT
public:
    explicit StarRating(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The half stars under a point of the widget (1 to 10), 0 left of the stars.
    int valueAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int starSize() const;
    void describe();

    int m_hover = -1; // the value a click would give, while the mouse is over
};

} // namespace quelto::editing
