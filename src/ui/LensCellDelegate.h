// Paints the lens table's cells with their margins, the fixed "No" column like a header, and the
// "GlassName" column centred a little to the right.
#pragma once

#include <QStyledItemDelegate>

namespace vitrimo {

class LensCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace vitrimo
