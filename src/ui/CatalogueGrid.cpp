#include "ui/CatalogueGrid.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace vitrimo {
namespace {

constexpr int kTextMargin = 2;
const std::string kNoText;

} // namespace

CatalogueGrid::CatalogueGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
}

void CatalogueGrid::SetCatalogue(const GlassCatalogue* catalogue) {
    catalogue_ = catalogue;
    order_.clear();
    for (int row = FixedRowCount(); row < RowCount(); ++row) order_.push_back(row);
    selected_ = order_.empty() ? -1 : order_.front();
    dragFrom_ = dragTo_ = -1;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
    emit RowSelected(selected_);
}

void CatalogueGrid::SetCellSize(int rowHeight, int columnWidth) {
    rowHeight_ = std::max(rowHeight, 4);
    columnWidth_ = std::max(columnWidth, 8);
    UpdateScrollBars();
    ScrollTo(selected_);
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------------
// Geometry

int CatalogueGrid::RowCount() const {
    return catalogue_ ? catalogue_->RowCount() : 0;
}

int CatalogueGrid::ColumnCount() const {
    return catalogue_ ? catalogue_->ColumnCount() : 0;
}

int CatalogueGrid::FixedRowCount() const {
    return catalogue_ ? std::min(catalogue_->FixedRowCount(), RowCount()) : 0;
}

int CatalogueGrid::FixedColumnCount() const {
    return std::min(kFixedColumns, ColumnCount());
}

const std::string& CatalogueGrid::Text(int column, int catalogueRow) const {
    return catalogue_ ? catalogue_->Cell(column, catalogueRow) : kNoText;
}

int CatalogueGrid::VisibleGlassRows() const {
    return std::max(1, (viewport()->height() - FixedRowCount() * rowHeight_) / rowHeight_);
}

int CatalogueGrid::VisibleScrollingColumns() const {
    return std::max(1, (viewport()->width() - FixedColumnCount() * columnWidth_) / columnWidth_);
}

void CatalogueGrid::UpdateScrollBars() {
    const int glassRows = static_cast<int>(order_.size());
    const int rows = VisibleGlassRows();
    verticalScrollBar()->setRange(0, std::max(0, glassRows - rows));
    verticalScrollBar()->setPageStep(rows);
    const int scrolling = ColumnCount() - FixedColumnCount();
    const int columns = VisibleScrollingColumns();
    horizontalScrollBar()->setRange(0, std::max(0, scrolling - columns));
    horizontalScrollBar()->setPageStep(columns);
}

std::optional<int> CatalogueGrid::ColumnLeft(int column) const {
    if (column < 0 || column >= ColumnCount()) return std::nullopt;
    if (column < FixedColumnCount()) return column * columnWidth_;
    const int shown = column - FixedColumnCount() - horizontalScrollBar()->value();
    if (shown < 0) return std::nullopt;
    return (FixedColumnCount() + shown) * columnWidth_;
}

int CatalogueGrid::PositionOf(int catalogueRow) const {
    const auto it = std::find(order_.begin(), order_.end(), catalogueRow);
    return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

std::optional<int> CatalogueGrid::RowTop(int catalogueRow) const {
    if (catalogueRow < 0 || catalogueRow >= RowCount()) return std::nullopt;
    if (catalogueRow < FixedRowCount()) return catalogueRow * rowHeight_;
    const int shown = PositionOf(catalogueRow) - verticalScrollBar()->value();
    if (shown < 0) return std::nullopt;
    return (FixedRowCount() + shown) * rowHeight_;
}

QRect CatalogueGrid::CellRect(int column, int catalogueRow) const {
    const auto left = ColumnLeft(column);
    const auto top = RowTop(catalogueRow);
    if (!left || !top) return {};
    const QRect rect(*left, *top, columnWidth_, rowHeight_);
    return rect.intersects(viewport()->rect()) ? rect : QRect();
}

std::pair<int, int> CatalogueGrid::CellAt(QPoint point) const {
    if (!catalogue_ || point.x() < 0 || point.y() < 0) return {-1, -1};
    const int fixedWidth = FixedColumnCount() * columnWidth_;
    const int column = point.x() < fixedWidth ? point.x() / columnWidth_
                                              : FixedColumnCount() + horizontalScrollBar()->value() +
                                                    (point.x() - fixedWidth) / columnWidth_;
    const int fixedHeight = FixedRowCount() * rowHeight_;
    int row = -1;
    if (point.y() < fixedHeight) {
        row = point.y() / rowHeight_;
    } else {
        const int position = verticalScrollBar()->value() + (point.y() - fixedHeight) / rowHeight_;
        if (position < static_cast<int>(order_.size())) row = order_[position];
    }
    if (column >= ColumnCount() || row < 0) return {-1, -1};
    return {column, row};
}

int CatalogueGrid::PositionAt(int y) const {
    const int first = verticalScrollBar()->value();
    const int fixedHeight = FixedRowCount() * rowHeight_;
    const int position = y < fixedHeight ? first - 1 : first + (y - fixedHeight) / rowHeight_;
    return std::clamp(position, 0, std::max(0, static_cast<int>(order_.size()) - 1));
}

void CatalogueGrid::ScrollTo(int catalogueRow) {
    const int position = PositionOf(catalogueRow);
    if (position < 0) return;
    const int first = verticalScrollBar()->value();
    const int rows = VisibleGlassRows();
    if (position < first)
        verticalScrollBar()->setValue(position);
    else if (position >= first + rows)
        verticalScrollBar()->setValue(position - rows + 1);
}

// ---------------------------------------------------------------------------------------------------
// Selection and order

void CatalogueGrid::SelectRow(int catalogueRow) {
    if (PositionOf(catalogueRow) < 0) return;
    selected_ = catalogueRow;
    ScrollTo(catalogueRow);
    viewport()->update();
    emit RowSelected(catalogueRow);
}

void CatalogueGrid::SelectPosition(int position) {
    if (order_.empty()) return;
    SelectRow(order_[std::clamp(position, 0, static_cast<int>(order_.size()) - 1)]);
}

void CatalogueGrid::SortByColumn(int column) {
    if (column < 0 || column >= ColumnCount()) return;
    std::vector<std::pair<QString, int>> keyed;
    keyed.reserve(order_.size());
    for (int row : order_) keyed.emplace_back(QString::fromStdString(Text(column, row)), row);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    for (std::size_t k = 0; k < keyed.size(); ++k) order_[k] = keyed[k].second;
    ScrollTo(selected_);
    viewport()->update();
}

void CatalogueGrid::MoveRow(int from, int to) {
    const int count = static_cast<int>(order_.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
    const auto begin = order_.begin();
    if (from < to)
        std::rotate(begin + from, begin + from + 1, begin + to + 1);
    else
        std::rotate(begin + to, begin + from, begin + from + 1);
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------------
// Painting

void CatalogueGrid::PaintCell(QPainter& painter, int column, int row, const QRect& rect) {
    const QPalette& palette = this->palette();
    const bool title = catalogue_ && row == catalogue_->TitleRow();
    const bool fixed = column < FixedColumnCount();
    QColor background = palette.color(QPalette::Base);
    QColor foreground = palette.color(QPalette::Text);
    if (title) {
        background = kTitleColour;
        foreground = Qt::black;
    } else if (fixed) {
        background = palette.color(QPalette::Button);
        foreground = palette.color(QPalette::ButtonText);
    } else if (row == selected_) {
        background = palette.color(QPalette::Highlight);
        foreground = palette.color(QPalette::HighlightedText);
    }
    painter.fillRect(rect, background);
    if (fixed && row == selected_) {
        // The fixed cells of the selected row keep their colour but show a marker at the left.
        painter.fillRect(QRect(rect.left(), rect.top(), 3, rect.height()),
                         palette.color(QPalette::Highlight));
    }

    const QString text = QString::fromStdString(Text(column, row));
    if (!text.isEmpty()) {
        const QRect inner = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
        // Texts are centred; one too wide for its cell shows its beginning.
        const bool fits = painter.fontMetrics().horizontalAdvance(text) <= inner.width();
        painter.save();
        painter.setClipRect(inner);
        painter.setPen(foreground);
        painter.drawText(inner, (fits ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, text);
        painter.restore();
    }
    painter.setPen(palette.color(QPalette::Mid));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
}

// The lines before the title line carry headings and notes: a text runs on over the empty cells to
// its right, as far as the next text.
void CatalogueGrid::PaintHeadingRow(QPainter& painter, int row, int top, const std::vector<int>& columns) {
    if (columns.empty()) return;
    const QPalette& palette = this->palette();
    const int left = *ColumnLeft(columns.front());
    const int right = *ColumnLeft(columns.back()) + columnWidth_;
    painter.fillRect(QRect(left, top, right - left, rowHeight_), palette.color(QPalette::Button));

    const auto finishRun = [&](int runLeft, int runRight, const QString& text) {
        const QRect run(runLeft, top, runRight - runLeft, rowHeight_);
        if (!text.isEmpty()) {
            painter.save();
            painter.setClipRect(run.adjusted(kTextMargin, 0, -kTextMargin, 0));
            painter.setPen(palette.color(QPalette::ButtonText));
            painter.drawText(run.adjusted(kTextMargin, 0, -kTextMargin, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             text);
            painter.restore();
        }
        painter.setPen(palette.color(QPalette::Mid));
        painter.drawLine(runRight - 1, top, runRight - 1, top + rowHeight_ - 1);
    };

    int runLeft = left;
    QString runText;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const int cellLeft = *ColumnLeft(columns[k]);
        const QString text = QString::fromStdString(Text(columns[k], row));
        if (k > 0 && !text.isEmpty()) {
            finishRun(runLeft, cellLeft, runText);
            runLeft = cellLeft;
        }
        if (k == 0 || !text.isEmpty()) runText = text;
    }
    finishRun(runLeft, right, runText);
    painter.setPen(palette.color(QPalette::Mid));
    painter.drawLine(left, top + rowHeight_ - 1, right - 1, top + rowHeight_ - 1);
}

void CatalogueGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    if (!catalogue_) return;
    const int width = viewport()->width(), height = viewport()->height();

    std::vector<int> columns;
    for (int column = 0; column < FixedColumnCount(); ++column) columns.push_back(column);
    for (int column = FixedColumnCount() + horizontalScrollBar()->value();
         column < ColumnCount() && *ColumnLeft(column) < width; ++column)
        columns.push_back(column);

    std::vector<int> rows;
    for (int row = 0; row < FixedRowCount(); ++row) rows.push_back(row);
    for (int position = verticalScrollBar()->value();
         position < static_cast<int>(order_.size()) && *RowTop(order_[position]) < height; ++position)
        rows.push_back(order_[position]);

    for (int row : rows) {
        const int top = *RowTop(row);
        if (row < catalogue_->TitleRow()) {
            PaintHeadingRow(painter, row, top, columns);
            continue;
        }
        for (int column : columns)
            PaintCell(painter, column, row, QRect(*ColumnLeft(column), top, columnWidth_, rowHeight_));
    }

    // Where a dragged row would go.
    if (dragFrom_ >= 0 && dragTo_ >= 0 && dragTo_ != dragFrom_) {
        if (const auto top = RowTop(order_[dragTo_])) {
            const int y = dragTo_ < dragFrom_ ? *top : *top + rowHeight_ - 2;
            painter.fillRect(QRect(0, y, width, 2), palette().color(QPalette::Highlight));
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Mouse and keys

void CatalogueGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CatalogueGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void CatalogueGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !catalogue_) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const auto [column, row] = CellAt(event->position().toPoint());
    if (row < 0) return;
    if (row == catalogue_->TitleRow()) {
        SortByColumn(column);
        return;
    }
    if (row < FixedRowCount()) return;
    SelectRow(row);
    if (column < FixedColumnCount()) dragFrom_ = dragTo_ = PositionOf(row);
}

void CatalogueGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (dragFrom_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        // Dragging past the top or bottom edge scrolls on.
        if (point.y() >= viewport()->height())
            verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
        else if (point.y() < FixedRowCount() * rowHeight_)
            verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
        dragTo_ = PositionAt(point.y());
        viewport()->update();
        return;
    }
    const auto [column, row] = CellAt(point);
    emit CellHovered(column, row);
}

void CatalogueGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (dragFrom_ >= 0 && event->button() == Qt::LeftButton) {
        MoveRow(dragFrom_, dragTo_);
        dragFrom_ = dragTo_ = -1;
        viewport()->update();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CatalogueGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const auto [column, row] = CellAt(event->position().toPoint());
    (void)column;
    if (event->button() == Qt::LeftButton && row >= FixedRowCount() && row == selected_)
        emit RowActivated(row);
}

void CatalogueGrid::keyPressEvent(QKeyEvent* event) {
    const int position = PositionOf(selected_);
    switch (event->key()) {
    case Qt::Key_Up:
        SelectPosition(position - 1);
        break;
    case Qt::Key_Down:
        SelectPosition(position + 1);
        break;
    case Qt::Key_PageUp:
        SelectPosition(position - VisibleGlassRows());
        break;
    case Qt::Key_PageDown:
        SelectPosition(position + VisibleGlassRows());
        break;
    case Qt::Key_Home:
        SelectPosition(0);
        break;
    case Qt::Key_End:
        SelectPosition(static_cast<int>(order_.size()) - 1);
        break;
    case Qt::Key_Left:
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - 1);
        break;
    case Qt::Key_Right:
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selected_ >= 0) emit RowActivated(selected_);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool CatalogueGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // A hint shows a cell's text only when the cell is too narrow for it.
        const auto* help = static_cast<QHelpEvent*>(event);
        const auto [column, row] = CellAt(help->pos());
        const QString text = row >= 0 ? QString::fromStdString(Text(column, row)) : QString();
        const QRect rect = row >= 0 ? CellRect(column, row) : QRect();
        if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) > rect.width() - 2 * kTextMargin)
            QToolTip::showText(help->globalPos(), text, viewport(), rect);
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::Leave) emit CellHovered(-1, -1);
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace vitrimo
