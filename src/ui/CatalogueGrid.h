// The grid of the glass data window: one maker's catalogue as its file has it, one line per row.
//
// The lines up to and including the title line stay at the top while the glass rows scroll beneath
// them, and the first two columns stay at the left while the others scroll across. The title row is
// painted in the title colour; a click on one of its cells sorts the glass rows by that column. A
// click selects a whole glass row; dragging a row by one of its two fixed cells moves it.
//
// The order of the glass rows is the grid's own: the catalogue is never changed, so rows are named by
// their catalogue row number everywhere in this interface.
#pragma once

#include "glass/GlassCatalogue.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <optional>
#include <vector>

namespace vitrimo {

class CatalogueGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kFixedColumns = GlassCatalogue::kFixedColumns;
    // The title row's background: red 0xBB, green 0xBB, blue 0.
    static inline const QColor kTitleColour{0xBB, 0xBB, 0x00};

    explicit CatalogueGrid(QWidget* parent = nullptr);

    // Shows a catalogue (nullptr: an empty grid), the glass rows in file order, the first one
    // selected. The catalogue must outlive its display here.
    void SetCatalogue(const GlassCatalogue* catalogue);

    void SetCellSize(int rowHeight, int columnWidth);
    int RowHeight() const { return rowHeight_; }
    int ColumnWidth() const { return columnWidth_; }

    // The catalogue rows of the glasses, top to bottom as shown.
    const std::vector<int>& Order() const { return order_; }
    // The selected glass's catalogue row, or -1.
    int SelectedRow() const { return selected_; }
    void SelectRow(int catalogueRow);

    // Sorts the glass rows by the text of a column (ascending, case-insensitive; rows with equal
    // texts keep their order). The selected glass stays selected and is scrolled into view.
    void SortByColumn(int column);
    // Moves the glass shown at position `from` to position `to` (positions in Order()).
    void MoveRow(int from, int to);

    // Where a cell is drawn, in viewport coordinates; an empty rectangle when it is scrolled out of view.
    QRect CellRect(int column, int catalogueRow) const;
    // The cell under a viewport point as (column, catalogue row); (-1, -1) outside the cells.
    std::pair<int, int> CellAt(QPoint point) const;
    void ScrollTo(int catalogueRow);

signals:
    void RowSelected(int catalogueRow);
    // A double-click or Enter on a glass row.
    void RowActivated(int catalogueRow);
    // The mouse is over a cell; (-1, -1) when it left the cells.
    void CellHovered(int column, int catalogueRow);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    int RowCount() const;
    int ColumnCount() const;
    int FixedRowCount() const;
    int FixedColumnCount() const;
    int VisibleGlassRows() const;
    int VisibleScrollingColumns() const;
    // Left edge of a column in the viewport, or nullopt when scrolled out of view.
    std::optional<int> ColumnLeft(int column) const;
    // Top edge of a catalogue row in the viewport, or nullopt when scrolled out of view.
    std::optional<int> RowTop(int catalogueRow) const;
    // The glass position (index into order_) at a viewport height, clamped to the glass rows.
    int PositionAt(int y) const;
    int PositionOf(int catalogueRow) const;
    void UpdateScrollBars();
    void SelectPosition(int position);
    const std::string& Text(int column, int catalogueRow) const;

    void PaintHeadingRow(QPainter& painter, int row, int top, const std::vector<int>& columns);
    void PaintCell(QPainter& painter, int column, int row, const QRect& rect);

    const GlassCatalogue* catalogue_ = nullptr;
    std::vector<int> order_;
    int selected_ = -1;
    int rowHeight_ = 20;
    int columnWidth_ = 64;
    // While a row is dragged: its position and the position it would go to.
    int dragFrom_ = -1;
    int dragTo_ = -1;
};

} // namespace vitrimo
