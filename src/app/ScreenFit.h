#pragma once

#include <QObject>

class QWidget;

namespace quelto::app {

// Every window of the program fits the screen it opens on, at any scale
// factor: a window or dialog larger than the screen's available area is made
// smaller as it is shown (as far as its contents allow), and one that sticks
// out is moved inside. Installed once for the whole application.
class ScreenFit : public QObject
{
    Q_OBJECT
public:
    // Watches every window shown from now on; calling it again does nothing.
    static void install();
    // Fits one window now, its frame included.
    static void fit(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
    static void fit(QWidget* window, bool sizeOnly);
    static void lowerMinimum(QWidget* window, const QSize& size);
};

} // namespace quelto::app
