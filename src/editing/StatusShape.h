#pragma once

#include <QColor>
#include <QWidget>

namespace quelto::editing {

// The coloured shape that shows the window's mode.
class StatusShape : public QWidget
{
    Q_OBJECT
public:
    enum class Mode
    {
        Browsing,
        NewRecord,
        Filtered
    };

    explicit StatusShape(QWidget* parent = nullptr);

    static QColor colour(Mode mode);
    static QString description(Mode mode);
    void setMode(Mode mode);
    Mode mode() const { return m_mode; }
    QColor fillColour() const { return colour(m_mode); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void describe();

    Mode m_mode = Mode::Browsing;
};

} // namespace quelto::editing
