#include "app/SplashWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRadialGradient>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace quelto::app {

SplashWindow::SplashWindow(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_image(new QLabel), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraMainFrame"));
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(2);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setPixmap(picture());
    m_image->setFixedSize(500, 350);
    m_image->installEventFilter(this);

    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(2, 2, 2, 2);
    inner->addWidget(m_image);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    setFixedSize(sizeHint());

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(ShowMilliseconds);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_timer->stop();
        hide();
    });
}

void SplashWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_timer->start();
    emit shown();
}

void SplashWindow::setVisible(bool visible)
{
    if (!visible) {
        QDialog::setVisible(false);
        return;
    }
    m_showing = true;
    m_clickedEarly = false;
    QDialog::setVisible(true);
    m_showing = false;
    if (m_clickedEarly)
        QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
}

void SplashWindow::waitUntilGone()
{
    QPointer<SplashWindow> self(this);
    while (self && self->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_image && event->type() == QEvent::MouseButtonPress) {
        m_timer->stop();
        if (m_showing)
            m_clickedEarly = true;
        else
            hide();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QPixmap SplashWindow::picture()
{
    QPixmap pixmap(500, 350);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 350);
    sky.setColorAt(0, QColor(18, 24, 58));
    sky.setColorAt(1, QColor(70, 22, 48));
    p.fillRect(pixmap.rect(), sky);

    // Film strips along the top and the bottom.
    for (int y : {0, 314}) {
        p.fillRect(0, y, 500, 36, QColor(12, 12, 12));
        p.setBrush(QColor(235, 225, 200));
        p.setPen(Qt::NoPen);
        for (int x = 8; x < 500; x += 26)
            p.drawRoundedRect(x, y + 11, 14, 14, 3, 3);
    }

    // A reel on the right.
    const QPointF centre(385, 172);
    QRadialGradient metal(centre, 92);
    metal.setColorAt(0, QColor(220, 220, 228));
    metal.setColorAt(1, QColor(110, 112, 125));
    p.setBrush(metal);
    p.setPen(QPen(QColor(40, 40, 50), 2));
    p.drawEllipse(centre, 88, 88);
    p.setBrush(QColor(30, 28, 45));
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3;
        p.drawEllipse(QPointF(centre.x() + 52 * std::cos(a), centre.y() + 52 * std::sin(a)), 20, 20);
    }
    p.setBrush(QColor(60, 60, 70));
    p.drawEllipse(centre, 12, 12);

    // Name and line.
    QFont name(QStringLiteral("DejaVu Serif"), 46, QFont::Bold);
    p.setFont(name);
    p.setPen(QColor(255, 214, 120));
    p.drawText(QRect(28, 100, 300, 80), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quelto"));
    QFont line(QStringLiteral("DejaVu Sans"), 13);
    p.setFont(line);
    p.setPen(QColor(235, 230, 220));
    p.drawText(QRect(32, 180, 260, 50), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("The catalogue of your recorded movies"));
    QFont small(QStringLiteral("DejaVu Sans"), 10);
    p.setFont(small);
    p.setPen(QColor(190, 190, 210));
    p.drawText(QRect(32, 262, 200, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version 1.2"));
    return pixmap;
}

} // namespace quelto::app
