#include "editing/CoverViewer.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quelto::editing {

CoverViewer::CoverViewer(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("coverViewer"));
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("coverPicture"));
    m_picture->setAlignment(Qt::AlignCenter);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_picture);
    scroll->setWidgetResizable(true);
    scroll->setAlignment(Qt::AlignCenter);
    m_caption = new QLabel(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_caption, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
}

void CoverViewer::setCover(const QImage& picture, const QString& title, QSize storedSize)
{
    setWindowTitle(title.trimmed().isEmpty() ? QStringLiteral("Cover") : QStringLiteral("Cover of %1").arg(title));
    m_picture->setPixmap(QPixmap::fromImage(picture));
    m_picture->setAccessibleName(windowTitle());
    m_caption->setText(QStringLiteral("%1 × %2 pixels").arg(storedSize.width()).arg(storedSize.height()));
    resize(picture.size().grownBy(QMargins(30, 30, 30, 70)));
}

void CoverViewer::mouseReleaseEvent(QMouseEvent* event)
{
    QDialog::mouseReleaseEvent(event);
    accept();
}

} // namespace quelto::editing
