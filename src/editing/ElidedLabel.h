#pragma once

#include <QLabel>

namespace quelto::editing {

// A one-line label whose size does not depend on its text, so the controls
// beside it never move: a text too long for it is shown shortened with "…";
// text() keeps the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The width the label asks for.
    void setPreferredWidth(int width) { m_preferredWidth = width; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as it is painted now.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_preferredWidth = 200;
};

} // namespace quelto::editing
