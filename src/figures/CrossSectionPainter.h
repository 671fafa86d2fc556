// Painting of the lens drawing into any QPainter rectangle: the window, the print preview and vitrimo-cli's
// figure export use this one painter.
//
// The figure is a drawing, not a plot: no axes and no grid, one scale for both directions, a scale bar in
// mm below it. A title line names the lens and the field angles; a legend beside the scale bar gives each
// angle's colour, or each wavelength's line letter and nm when the rays are coloured by wavelength. Lens
// outlines are black, rays in their colours; both in the pen width chosen (1 ... 5), thickened in
// proportion on a large canvas such as a printer page.
#pragma once

#include "design/CrossSection.h"

#include <QRectF>
#include <optional>
#include <string>

class QPainter;

namespace vitrimo {

struct CrossSectionPlot {
    CrossSectionResult result;
    std::optional<CrossSectionView> view; // a zoomed view; the fitted view when empty
    int penWidth = 1;
    std::string lensName; // shown in the title line
    bool japanese = false;
};

// The part of `area` the lens is drawn in; the title line lies above it, the scale bar and legend below.
QRectF CrossSectionDrawingArea(const QRectF& area);

// How the drawing maps onto the drawing area of `area`: the plot's view, or the fitted view.
CanvasMapping CrossSectionMappingFor(const CrossSectionPlot& plot, const QRectF& area);

// The scale bar's length for a drawing `visibleWidth` mm wide: the largest 1, 2 or 5 times a power of ten
// not above a quarter of it.
double ScaleBarLength(double visibleWidth);

void PaintCrossSection(QPainter& painter, const QRectF& area, const CrossSectionPlot& plot);

} // namespace vitrimo
