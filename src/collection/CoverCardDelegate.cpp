#include "collection/CoverCardDelegate.h"

#include "collection/CoverGridModel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextOption>

namespace quelto::collection {

namespace {
constexpr int kPadding = 6;
}

CoverCardDelegate::CoverCardDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize CoverCardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const int line = option.fontMetrics.height();
    return {m_pictureWidth + 2 * kPadding, pictureSize().height() + 2 * kPadding + 3 * line + 4};
}

void CoverCardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect card = option.rect.adjusted(2, 2, -2, -2);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    if (selected)
        painter->fillRect(card, palette.brush(QPalette::Highlight));
    const QRect picture(card.left() + kPadding - 2, card.top() + kPadding - 2, m_pictureWidth, pictureSize().height());

    const QVariant decoration = index.data(Qt::DecorationRole);
    const QString title = index.data(Qt::DisplayRole).toString();
    if (decoration.canConvert<QImage>() && !decoration.value<QImage>().isNull()) {
        const QImage image = decoration.value<QImage>();
        QSize size = image.size() / image.devicePixelRatio();
        size.scale(picture.size(), Qt::KeepAspectRatio);
        const QRect target(picture.left() + (picture.width() - size.width()) / 2,
                           picture.bottom() - size.height() + 1, size.width(), size.height());
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(target, image);
        painter->setPen(palette.color(QPalette::Mid));
        painter->drawRect(target.adjusted(0, 0, -1, -1));
    } else {
        // A plain card: the title where the cover would be.
        const bool unknown = !index.data(collection::CoverGridModel::HasCoverRole).isValid();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(palette.color(QPalette::Mid));
        painter->setBrush(unknown ? palette.color(QPalette::Button) : palette.color(QPalette::AlternateBase));
        painter->drawRoundedRect(QRectF(picture).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        QFont font = option.font;
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.15);
        painter->setFont(font);
        painter->setPen(palette.color(QPalette::ButtonText));
        QTextOption wrap(Qt::AlignCenter);
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        painter->drawText(QRectF(picture.adjusted(8, 8, -8, -8)), title, wrap);
        painter->setFont(option.font);
    }

    // Title and caption below, each elided to the card.
    const int line = option.fontMetrics.height();
    QRect text(card.left() + 2, picture.bottom() + 4, card.width() - 4, line);
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    const QFontMetrics boldMetrics(bold);
    painter->drawText(text, Qt::AlignHCenter | Qt::AlignVCenter, boldMetrics.elidedText(title, Qt::ElideRight, text.width()));
    painter->setFont(option.font);
    text.translate(0, line);
    const QString caption = index.data(collection::CoverGridModel::CaptionRole).toString();
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(caption, Qt::ElideRight, text.width()));
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(palette.color(QPalette::Highlight), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(card.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

} // namespace quelto::collection
