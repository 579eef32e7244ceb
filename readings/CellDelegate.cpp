// Plain cell drawing.
#include "readings/CellDelegate.h"

#include <QPainter>

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.highlight());
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->setPen(selected               ? option.palette.highlightedText().color()
                    : foreground.isValid() ? foreground.value<QBrush>().color()
                                           : option.palette.text().color());
    const int alignment = index.data(Qt::TextAlignmentRole).toInt();
    painter->drawText(option.rect.adjusted(4, 0, -4, 0), alignment, index.data().toString());
}
