// A grid of text cells printed page by page (the third-order table on paper): the cells of a window's
// grid, with its column widths and row height, laid into a rectangle of the printer page.
//
// Page margins of 10 mm left, 10 mm top, 5 mm right and 10 mm bottom are kept inside the rectangle.
// Columns and rows keep the size they have on the screen (scaled by the device's resolution over the
// screen's), times a fit factor that makes the table as wide as the rectangle allows; rows that do not
// fit the height go on further pages, each headed by the title rows again. The frame and the line under
// the titles are drawn with a pen twice as wide as the other lines.
#pragma once

#include <QFont>
#include <QRectF>
#include <string>
#include <utility>
#include <vector>

class QPainter;

namespace vitrimo {

struct PrintGrid {
    std::vector<std::vector<std::string>> cells; // rows of cells, the title rows first
    int titleRows = 1;
    std::vector<double> columnWidths; // screen pixels
    double rowHeight = 20;            // screen pixels
    double screenDpi = 96;            // screen pixels per inch
    QFont font;                       // the grid's font; its size is taken from `fontPixels`
    double fontPixels = 13;           // the font's height on the screen, pixels
};

class TSGridPrintDraw {
public:
    static constexpr double kLeftMm = 10, kTopMm = 10, kRightMm = 5, kBottomMm = 10;
    static constexpr double kFramePen = 2, kLinePen = 1; // at 96 device units per inch

    // `area` in device units of `dotsPerInch`. With `fitToArea` the table is scaled to fill the width
    // within the margins (and shrunk further when not even the titles and one row fit the height);
    // without it the fit factor is 1.
    TSGridPrintDraw(PrintGrid grid, const QRectF& area, double dotsPerInch, bool fitToArea = true);

    // Device units per screen pixel: the resolution ratio times the fit factor.
    double Scale() const { return scale_; }
    // The area less the margins.
    const QRectF& Printable() const { return printable_; }
    double TableWidth() const;
    double RowHeight() const { return grid_.rowHeight * scale_; }
    // Body rows (below the titles) on each page, at least 1.
    int RowsPerPage() const { return rowsPerPage_; }
    int PageCount() const;
    // The grid rows of a page's body: the first row's index in `cells` and how many.
    std::pair<int, int> PageRows(int page) const;
    // Where a cell of a page is drawn: `line` 0 ... titleRows - 1 are the titles, the body follows.
    QRectF CellRect(int line, int column) const;

    void DrawPage(QPainter& painter, int page) const;

private:
    double Units(double millimetres) const { return millimetres * dpi_ / 25.4; }
    int BodyRows() const;

    PrintGrid grid_;
    double dpi_;
    double scale_ = 1;
    QRectF printable_;
    int rowsPerPage_ = 1;
};

} // namespace vitrimo
