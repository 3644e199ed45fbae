#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace quelto::app {

// frmSplash: the picture shown at start, for at most two seconds; a click on
// it hides it at once. Hiding ends its modal display.
class SplashWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ShowMilliseconds = 2000;

    explicit SplashWindow(QWidget* parent = nullptr);

    // The 500 x 350 picture, drawn by the program.
    static QPixmap picture();
    QTimer* timer() const { return m_timer; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_image;
    QTimer* m_timer;
};

} // namespace quelto::app
