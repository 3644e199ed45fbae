#pragma once

#include <QStyledItemDelegate>

namespace quelto::collection {

// One card of the Covers view: the cover scaled into a frame of poster
// proportions, or, without one, a plain card with the title on it; below it
// the title and the year and media ID.
class CoverCardDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CoverCardDelegate(QObject* parent = nullptr);

    // The picture area's width; its height is 3/2 of it.
    void setPictureWidth(int width) { m_pictureWidth = width; }
    int pictureWidth() const { return m_pictureWidth; }
    QSize pictureSize() const { return {m_pictureWidth, m_pictureWidth * 3 / 2}; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_pictureWidth = 120;
};

} // namespace quelto::collection
