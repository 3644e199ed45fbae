#pragma once

#include <QFrame>
#include <QImage>

class QAction;

namespace quelto::editing {

// The record's cover on the Movie tab: the picture scaled to fit, or a plain
// card saying how to give one. A picture file or a picture dropped on it, or
// pasted into it (Ctrl+V), is offered as the new cover; Delete removes it; a
// click (or Enter) asks for the full-size view. The context menu has every
// command. The view only asks; the cover field decides.
class CoverView : public QFrame
{
    Q_OBJECT
public:
    explicit CoverView(QWidget* parent = nullptr);

    // The picture to show (already decoded to about the view's size), or none.
    void setPicture(const QImage& picture);
    // A stored cover whose picture does not decode: a placeholder that says
    // so, and the cover can still be removed or replaced.
    void setUnreadable();
    bool isUnreadable() const { return m_unreadable; }
    bool hasPicture() const { return !m_picture.isNull(); }
    // The size worth decoding a cover to for this view.
    QSize pictureBound() const;

    QAction* chooseAction() const { return m_choose; }
    QAction* pasteAction() const { return m_paste; }
    QAction* removeAction() const { return m_remove; }
    QAction* viewAction() const { return m_view; }

    QSize sizeHint() const override;

signals:
    // A file dropped on the view.
    void fileDropped(const QString& path);
    // Picture data dropped or pasted.
    void imageGiven(const QImage& image, const QByteArray& encoded);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void pasteFromClipboard();
    void updateActions();

    QImage m_picture;
    bool m_unreadable = false;
    QAction* m_choose;
    QAction* m_paste;
    QAction* m_remove;
    QAction* m_view;
};

} // namespace quelto::editing
