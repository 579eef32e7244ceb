// Draws the readings table's cells as plain one-line text: the style's item drawing lays
// every cell's text out afresh, which with a row added on top many times a second is most of
// what a repaint of the table costs.
#pragma once

#include <QStyledItemDelegate>

class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
