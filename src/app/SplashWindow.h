#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace quelto::app {

// frmSplash: the picture shown at start, for at most two seconds; a click on
// it hides it at once. Hiding ends its modal display.
//
// A click that arrives while the splash is still being shown, before its
// modal loop runs, is answered once the window stands, from that loop, so
// that the loop ends instead of starting after the hide and never ending.
class SplashWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ShowMilliseconds = 2000;

    explicit SplashWindow(QWidget* parent = nullptr);

    // The 500 x 350 picture, drawn by the program.
    static QPixmap picture();
    QTimer* timer() const { return m_timer; }

    void setVisible(bool visible) override;
    // Returns once the splash is hidden (by its timer or a click), handling
    // events meanwhile; at once when it is not shown.
    void waitUntilGone();

signals:
    // The window is being shown and its timer runs.
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_image;
    QTimer* m_timer;
    bool m_showing = false;      // inside show()
    bool m_clickedEarly = false; // clicked inside show()
};

} // namespace quelto::app
