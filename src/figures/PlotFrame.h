// What the evaluation figures share: the font, the title line, the legend, axes with ticks, values and a
// light grid, and text placed by an anchor point.
#pragma once

#include "model/Colour.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

class QPainter;

namespace vitrimo {

// The figure font for an area: Arial, sized in device pixels from the area's height, so a figure looks
// the same on screen, in a PNG, an SVG or a PDF.
QFont FigureFont(const QRectF& area);

// Text whose anchor point `at` is placed by `alignment` (left/right/centre, top/bottom/centre).
void DrawAnchoredText(QPainter& painter, const QPointF& at, const QString& text, Qt::Alignment alignment);

// Tick values of a "nice" step (1, 2 or 5 times a power of ten) covering low ... high, about `wanted` of
// them; the step is returned through `step`.
std::vector<double> NiceTicks(double low, double high, int wanted, double* step = nullptr);
// The smallest 1, 2 or 5 times a power of ten at or above a positive value.
double NiceCeiling(double value);
// A positive value rounded up to one significant digit (0.37 -> 0.4, 5.52 -> 6).
double RoundUpToOneDigit(double value);
// A tick value with as many decimals as the step needs ("0.005", "-0.01", "20").
QString TickLabel(double value, double step);

// A value range on both axes of a plot rectangle.
struct AxisRange {
    double low = -1;
    double high = 1;
};

// Maps values to device coordinates inside `plot`: x grows to the right, y upwards.
struct PlotMapping {
    QRectF plot;
    AxisRange x;
    AxisRange y;
    double X(double value) const;
    double Y(double value) const;
};

// The frame of a plot with ticks and their values on the left and bottom edges, a light grid at the
// ticks (unless `grid` is false), and the axis titles.
void DrawAxes(QPainter& painter, const PlotMapping& mapping, const QString& xTitle, const QString& yTitle,
              bool grid = true);

// The title line above a figure: the caption, the lens name, the field angle in degrees and the defocus.
QString TitleLine(const std::string& caption, const std::string& lensName, double fieldAngle, double defocus,
                  bool japanese);

// One wavelength of a legend.
struct LegendEntry {
    std::string name; // line letter or added title
    double nanometres = 0;
    Colour colour = 0;
};
// The legend as lines of colour marks and "d  587.6 nm", from `topLeft` downwards; returns the y below it.
double DrawLegend(QPainter& painter, const QPointF& topLeft, const std::vector<LegendEntry>& entries);

// Where the parts of a figure go: the title line, the plot (with room for its ticks and axis titles)
// and the side panel with the legend and read-outs.
struct FigureLayout {
    QRectF title;
    QRectF plot;
    QRectF side;
    double line = 0; // the height of a text line
};

// The layout of a figure in `area` for text lines of height `line`; a square plot, or one as wide as the
// side panel leaves.
FigureLayout LayOutFigure(const QRectF& area, double line, bool square);

// Starts a figure: white background, the figure font, the title line in bold. Returns the layout.
FigureLayout BeginFigure(QPainter& painter, const QRectF& area, const std::string& caption,
                         const std::string& lensName, double fieldAngle, double defocus, bool japanese,
                         bool square);

// Read-out lines from (x, y) downwards; returns the y below them.
double DrawTextLines(QPainter& painter, double x, double y, const std::vector<QString>& lines);

// A message across the middle of a plot (a calculation without result, a warning).
void DrawPlotMessage(QPainter& painter, const QRectF& plot, const QString& text, QColor colour = Qt::black);

// A number with at most `significant` significant digits.
QString FigureNumber(double value, int significant = 4);
// "Angle   = 5 o 30.0 '", the field angle as the windows write it.
QString AngleText(double angle);
// "defocus = 0.020 mm".
QString DefocusText(double defocus);

// A light grey for grids and a darker one for ticks and frames.
inline QColor GridColour() {
    return QColor(215, 215, 215);
}

} // namespace vitrimo
