// Painting of the four aberration-curve figures into any QPainter rectangle: the window, the print
// preview and the figure export of vitrimo-cli all use this one painter.
//
// A plot takes the computed curve and how to show it; it never traces rays itself.
#pragma once

#include "engine/AberrationCurves.h"
#include "model/Colour.h"

#include <QRectF>
#include <string>
#include <vector>

class QPainter;

namespace vitrimo {

struct AberrationPlot {
    CurveKind kind = CurveKind::Longitudinal;
    CurveResult curve;
    std::string lensName;           // shown in the title line
    std::vector<std::string> names; // per traced wavelength: "d", "532nm"
    std::vector<double> nanometres; // per traced wavelength
    std::vector<Colour> colours;    // per traced wavelength
    std::vector<bool> visible;      // per traced wavelength: drawn or not
    int reference = 0;              // traced number of the reference wavelength (the sine condition)
    double scale = 0.5;             // half-width of the value axis: mm, or % for distortion
    double fNumber = 1;             // f / D: the transverse fans are drawn to scale / fNumber
    double pupilRadius = 0;         // D / 2, the top of the pupil axis
    double maxAngle = 0;            // degrees, the top of the angle axis
    double defocus = 0;             // mm, shown under the transverse fans
    double fieldAngle = 0;          // degrees, shown under the transverse fans
    Colour background = colours::White;
    int penWidth = 1;
    bool japanese = false; // labels in the Japanese wording
};

// The tab caption of a curve kind, without the '&' of its shortcut.
std::string CurveTitle(CurveKind kind, bool japanese);

// Draws the plot into `area` of the painter's device: a title line (caption, lens, field, defocus), the
// plot with ticks, values, a light grid and axis titles with units, and a side panel with the legend
// (line letter and nm) and notes. Curves are clipped to the plot and interrupted where a ray was
// vignetted. Font sizes are in pixels of the device, so the figure looks the same on screen, in a PNG, an
// SVG or a PDF.
void PaintAberrationPlot(QPainter& painter, const QRectF& area, const AberrationPlot& plot);

// A number rounded to 4 significant digits, as the axis labels show it.
double RoundToFourDigits(double value);

} // namespace vitrimo
