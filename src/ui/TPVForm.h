// The printable window: a window whose content the print preview places on the printer page.
//
// The preview and the printer call DrawForPrint with a rectangle in paper units: kPaperUnitsPerInch of
// them to the inch of paper, whatever the device. The preview shows the page scaled down to its page
// area; the printer records the page in a picture at that resolution and plays it onto its own pixels.
// So a line one unit wide is as thick on paper as a one-pixel line on a screen, a painter that sizes its
// fonts from the rectangle looks the same in the preview and on paper, and content measured in
// millimetres (the third-order table's margins) converts with kPaperUnitsPerInch / 25.4.
//
// The third-order window, the aberration figure window and the MTF window implement it; a window with a
// figure painter adopts it in one line:
//     void DrawForPrint(QPainter& painter, const QRectF& area) override { PaintFigure(painter, area); }
#pragma once

#include <QRectF>

class QPainter;

namespace vitrimo {

inline constexpr double kPaperUnitsPerInch = 96;

class TPVForm {
public:
    virtual ~TPVForm() = default;

    // Paints the window's content into `area` of the painter (paper units), scaled to the rectangle.
    virtual void DrawForPrint(QPainter& painter, const QRectF& area) = 0;

    // Content longer than one page (a long table) is printed on several pages, each into the same
    // rectangle of its page. The preview shows the first.
    virtual int PrintPageCount(const QRectF& /*area*/) { return 1; }
    virtual void DrawPrintPage(QPainter& painter, const QRectF& area, int /*page*/) {
        DrawForPrint(painter, area);
    }
};

} // namespace vitrimo
