// The arithmetic of the print preview, without widgets: the page area fitted to the paper, the figure
// frame and its edges, the frame dragged by an edge, millimetres on paper to and from preview pixels,
// and the figure's place on the printer page.
//
// Preview values are whole pixels of the preview's page area, whose top-left corner is (0, 0). Printer
// values are device pixels; the printable area lies `offset` device pixels inside the physical page.
#pragma once

#include <optional>

namespace vitrimo {

// What the preview needs to know of the printer's page, in device pixels.
struct PrinterPage {
    int printableWidth = 0, printableHeight = 0; // the area the printer can print on
    int physicalWidth = 0, physicalHeight = 0;   // the whole sheet
    int offsetX = 0, offsetY = 0;                // from the sheet's edge to the printable area
    int dpiX = 0, dpiY = 0;                      // device pixels per inch
    int scalePercent = 100;                      // the printer's scale setting (100 where it has none)
};

// The page area in preview pixels.
struct PageArea {
    int width = 0;
    int height = 0;
};

// The figure rectangle in preview pixels, inside the page area.
struct FigureFrame {
    int left = 0, top = 0, width = 0, height = 0;

    friend bool operator==(const FigureFrame&, const FigureFrame&) = default;
};

// The image area's size fitted to the printable page's aspect: a wider area keeps its height and
// narrows, a taller one keeps its width and gets lower. An area or page without size stays as it is.
PageArea FitPageArea(int width, int height, const PrinterPage& page);

enum class FrameEdge { None, Left, Right, Top, Bottom };

// The edge of the frame within 3 pixels of (x, y), tested left, right, top, bottom in this order.
FrameEdge EdgeAt(const FigureFrame& frame, int x, int y);

// The frame with one edge dragged to (x, y). An edge dragged across the opposite one does nothing, so
// the width and height stay positive; the frame stays on the page area.
FigureFrame DragEdge(FigureFrame frame, FrameEdge edge, int x, int y, const PageArea& area);

enum class PageAxis { Across, Down };

// A preview value (a position when `position`, else a length) as tenths of a millimetre on the sheet:
// positions are measured from the sheet's edge, so they include the printable area's offset.
int PreviewToTenths(const PrinterPage& page, const PageArea& area, PageAxis axis, int value, bool position);
// The inverse, for typed tenths of a millimetre: preview pixels (not limited to the page area), or
// nullopt when the page has no size.
std::optional<int> TenthsToPreview(const PrinterPage& page, const PageArea& area, PageAxis axis,
                                   double tenths, bool position);

// The typed values of the Size command, applied to the frame one after the other:
// a left (top) edge only below the page area's size, negative values as 0, the width (height) then
// shortened to stay on the page; a width (height) only when positive, at most up to the page's edge.
FigureFrame ApplyLeft(FigureFrame frame, int left, const PageArea& area);
FigureFrame ApplyTop(FigureFrame frame, int top, const PageArea& area);
FigureFrame ApplyWidth(FigureFrame frame, int width, const PageArea& area);
FigureFrame ApplyHeight(FigureFrame frame, int height, const PageArea& area);

// The figure's rectangle on the printer, in device pixels of the printable area: the frame's share of
// the page area applied to the printable page, rounded to whole pixels.
struct DeviceRect {
    int left = 0, top = 0, width = 0, height = 0;
};
DeviceRect PrintedRect(const PrinterPage& page, const PageArea& area, const FigureFrame& frame);

} // namespace vitrimo
