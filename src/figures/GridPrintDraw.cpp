#include "figures/GridPrintDraw.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace vitrimo {

TSGridPrintDraw::TSGridPrintDraw(PrintGrid grid, const QRectF& area, double dotsPerInch, bool fitToArea)
    : grid_(std::move(grid)), dpi_(dotsPerInch > 0 ? dotsPerInch : 96) {
    grid_.titleRows = std::clamp(grid_.titleRows, 0, static_cast<int>(grid_.cells.size()));
    if (!(grid_.rowHeight > 0)) grid_.rowHeight = 1;
    if (!(grid_.screenDpi > 0)) grid_.screenDpi = 96;
    printable_ = QRectF(area.left() + Units(kLeftMm), area.top() + Units(kTopMm),
                        std::max(area.width() - Units(kLeftMm + kRightMm), 1.0),
                        std::max(area.height() - Units(kTopMm + kBottomMm), 1.0));
    const double ratio = dpi_ / grid_.screenDpi;
    double fit = 1;
    if (fitToArea) {
        const double natural =
            std::accumulate(grid_.columnWidths.begin(), grid_.columnWidths.end(), 0.0) * ratio;
        if (natural > 0) fit = printable_.width() / natural;
        // The titles and at least one row on every page.
        const double lines = grid_.titleRows + 1.0;
        fit = std::min(fit, printable_.height() / (lines * grid_.rowHeight * ratio));
    }
    scale_ = ratio * fit;
    const int fitting =
        static_cast<int>(std::floor(printable_.height() / RowHeight() + 1e-9)) - grid_.titleRows;
    rowsPerPage_ = std::max(fitting, 1);
}

double TSGridPrintDraw::TableWidth() const {
    return std::accumulate(grid_.columnWidths.begin(), grid_.columnWidths.end(), 0.0) * scale_;
}

int TSGridPrintDraw::BodyRows() const {
    return static_cast<int>(grid_.cells.size()) - grid_.titleRows;
}

int TSGridPrintDraw::PageCount() const {
    return std::max(1, (BodyRows() + rowsPerPage_ - 1) / rowsPerPage_);
}

std::pair<int, int> TSGridPrintDraw::PageRows(int page) const {
    const int first = grid_.titleRows + page * rowsPerPage_;
    const int count = std::clamp(BodyRows() - page * rowsPerPage_, 0, rowsPerPage_);
    return {first, count};
}

QRectF TSGridPrintDraw::CellRect(int line, int column) const {
    double left = printable_.left();
    for (int c = 0; c < column && c < static_cast<int>(grid_.columnWidths.size()); ++c)
        left += grid_.columnWidths[c] * scale_;
    const double width =
        column < static_cast<int>(grid_.columnWidths.size()) ? grid_.columnWidths[column] * scale_ : 0;
    return QRectF(left, printable_.top() + line * RowHeight(), width, RowHeight());
}

void TSGridPrintDraw::DrawPage(QPainter& p, int page) const {
    const auto [first, count] = PageRows(page);
    const int lines = grid_.titleRows + count;
    const int columns = static_cast<int>(grid_.columnWidths.size());
    if (columns == 0 || lines == 0) return;
    p.save();
    QFont font = grid_.font;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(grid_.fontPixels * scale_))));
    p.setFont(font);
    const double penUnit = dpi_ / 96;
    const double margin = 2 * scale_; // the cells' texts stand 2 screen pixels off the lines
    const QRectF table(printable_.topLeft(), QSizeF(TableWidth(), lines * RowHeight()));

    p.setPen(Qt::black);
    for (int line = 0; line < lines; ++line) {
        const bool title = line < grid_.titleRows;
        const auto& row = grid_.cells[title ? line : first + line - grid_.titleRows];
        for (int c = 0; c < columns && c < static_cast<int>(row.size()); ++c) {
            const QRectF cell = CellRect(line, c).adjusted(margin, margin, -margin, 0);
            const int flags = title ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignTop;
            p.drawText(cell, flags, QString::fromStdString(row[c]));
        }
    }

    // The thin lines between the cells, then the frame and the title line over them.
    p.setPen(QPen(Qt::black, kLinePen * penUnit, Qt::SolidLine, Qt::SquareCap));
    p.setBrush(Qt::NoBrush);
    for (int line = grid_.titleRows + 1; line < lines; ++line)
        p.drawLine(QPointF(table.left(), CellRect(line, 0).top()),
                   QPointF(table.right(), CellRect(line, 0).top()));
    for (int c = 1; c < columns; ++c)
        p.drawLine(QPointF(CellRect(0, c).left(), table.top()),
                   QPointF(CellRect(0, c).left(), table.bottom()));
    p.setPen(QPen(Qt::black, kFramePen * penUnit, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(table);
    if (grid_.titleRows > 0 && grid_.titleRows < lines) {
        const double y = CellRect(grid_.titleRows, 0).top();
        p.drawLine(QPointF(table.left(), y), QPointF(table.right(), y));
    }
    p.restore();
}

} // namespace vitrimo
