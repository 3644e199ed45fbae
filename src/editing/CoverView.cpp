#include "editing/CoverView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace quelto::editing {
namespace {

// Encoded picture bytes carried by drag-and-drop or the clipboard, if any.
QByteArray encodedPicture(const QMimeData* data)
{
    for (const char* type : {"image/jpeg", "image/png", "image/webp", "image/gif"}) {
        if (data->hasFormat(QString::fromLatin1(type)))
            return data->data(QString::fromLatin1(type));
    }
    return {};
}

QString localFile(const QMimeData* data)
{
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

} // namespace

CoverView::CoverView(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("cover"));
    setAccessibleName(QStringLiteral("Cover"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    setMinimumSize(90, 120);

    m_choose = new QAction(QStringLiteral("&Choose Picture..."), this);
    m_choose->setObjectName(QStringLiteral("coverChoose"));
    m_paste = new QAction(QStringLiteral("&Paste Picture"), this);
    m_paste->setObjectName(QStringLiteral("coverPaste"));
    m_paste->setShortcut(QKeySequence::Paste);
    m_paste->setShortcutContext(Qt::WidgetShortcut);
    m_remove = new QAction(QStringLiteral("&Remove Cover"), this);
    m_remove->setObjectName(QStringLiteral("coverRemove"));
    m_view = new QAction(QStringLiteral("Show &Full Size"), this);
    m_view->setObjectName(QStringLiteral("coverView"));
    addAction(m_paste);
    connect(m_paste, &QAction::triggered, this, &CoverView::pasteFromClipboard);
    updateActions();
}

QSize CoverView::sizeHint() const { return {150, 220}; }

QSize CoverView::pictureBound() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize inner = contentsRect().size().expandedTo(QSize(150, 220));
    return QSize(int(inner.width() * ratio), int(inner.height() * ratio));
}

void CoverView::setUnreadable()
{
    setPicture(QImage());
    m_unreadable = true;
    updateActions();
    setToolTip(QStringLiteral("The stored cover's picture is damaged: drop or paste another one, or right-click"));
    setAccessibleDescription(QStringLiteral("damaged cover"));
}

void CoverView::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_unreadable = false;
    updateActions();
    setToolTip(hasPicture() ? QStringLiteral("Click to see the cover at full size; right-click for more")
                            : QStringLiteral("No cover: drop a picture here, paste one (Ctrl+V) or right-click"));
    setAccessibleDescription(hasPicture() ? QStringLiteral("%1 by %2 pixels").arg(picture.width()).arg(picture.height())
                                          : QStringLiteral("no cover"));
    update();
}

void CoverView::updateActions()
{
    m_remove->setEnabled(hasPicture() || m_unreadable);
    m_view->setEnabled(hasPicture());
}

void CoverView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(3, 3, -3, -3);
    if (hasPicture()) {
        const qreal ratio = devicePixelRatioF();
        QSize size = m_picture.size() / ratio;
        if (size.width() > area.width() || size.height() > area.height())
            size.scale(area.size(), Qt::KeepAspectRatio);
        const QRect target(area.left() + (area.width() - size.width()) / 2,
                           area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_picture);
    } else if (m_unreadable) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("Cover cannot be shown\n\nIts picture is damaged; drop or paste another one"));
    } else {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("No cover\n\nDrop a picture here, paste one or right-click"));
    }
}

void CoverView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        if (hasPicture())
            m_view->trigger();
        else
            m_choose->trigger();
    }
    QFrame::mouseReleaseEvent(event);
}

void CoverView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (hasPicture())
            m_remove->trigger();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        (hasPicture() ? m_view : m_choose)->trigger();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void CoverView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(m_choose);
    menu.addAction(m_paste);
    menu.addAction(m_remove);
    menu.addSeparator();
    menu.addAction(m_view);
    menu.exec(event->globalPos());
}

void CoverView::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!localFile(data).isEmpty() || data->hasImage() || !encodedPicture(data).isEmpty())
        event->acceptProposedAction();
}

void CoverView::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (const QString file = localFile(data); !file.isEmpty()) {
        emit fileDropped(file);
    } else {
        emit imageGiven(qvariant_cast<QImage>(data->imageData()), encodedPicture(data));
    }
    event->acceptProposedAction();
}

void CoverView::pasteFromClipboard()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    if (const QString file = localFile(data); !file.isEmpty()) {
        emit fileDropped(file);
        return;
    }
    emit imageGiven(qvariant_cast<QImage>(data->imageData()), encodedPicture(data));
}

} // namespace quelto::editing
