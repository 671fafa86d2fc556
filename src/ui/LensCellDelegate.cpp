#include "ui/LensCellDelegate.h"

#include "ui/LensTableModel.h"

#include <QApplication>
#include <QPainter>

namespace vitrimo {

void LensCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const bool fixed = index.data(LensTableModel::FixedRole).toBool();
    if (fixed) opt.backgroundBrush = opt.palette.button();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const int margin = index.data(LensTableModel::MarginRole).toInt();
    const int alignment = index.data(Qt::TextAlignmentRole).toInt();
    QRect area = option.rect;
    if (alignment & Qt::AlignLeft) area.setLeft(area.left() + margin);
    if (alignment & Qt::AlignRight) area.setRight(area.right() - margin);
    if (alignment & Qt::AlignHCenter) area.translate(4, 0); // centred, then moved by half the margin

    painter->save();
    painter->setFont(opt.font);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->setPen(opt.palette.color(fixed      ? QPalette::ButtonText
                                      : selected ? QPalette::HighlightedText
                                                 : QPalette::Text));
    painter->drawText(area, alignment, opt.fontMetrics.elidedText(text, Qt::ElideRight, area.width() + 2));
    painter->restore();
}

} // namespace vitrimo
