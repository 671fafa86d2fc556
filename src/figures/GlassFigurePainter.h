// The glass dispersion figure: the refractive index of one glass against the wavelength over the range
// its maker's formula is given for, with the eleven lines marked, and beside it the glass map of the
// catalogue (nd against the Abbe number, the Abbe number falling to the right as makers draw it) with
// the selected glass and the glasses of the current lens marked.
//
// MakeGlassFigure reads the catalogue and samples the formula; the painter only draws, into any QPainter
// rectangle (the window, the print preview, the printer).
#pragma once

#include "glass/GlassCatalogue.h"
#include "model/Colour.h"

#include <QPointF>
#include <QRectF>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace vitrimo {

// One catalogue glass on the map.
struct GlassMapPoint {
    double nd = 0;
    double abbe = 0; // νd
    std::string name;
    int row = -1; // catalogue row
};

// One of the eleven lines at the selected glass.
struct GlassLineMark {
    std::string name; // line letter
    double nanometres = 0;
    Colour colour = 0;
    std::optional<double> formula;   // the formula's index, where the line lies in its range
    std::optional<double> catalogue; // the index the catalogue lists
};

struct GlassFigure {
    std::string maker;       // "Schott"
    std::string glass;       // the selected glass, empty when none is
    std::string formulaName; // "Sellmeier", "Laurent"; empty without a formula
    std::string error;       // why there is no curve
    double lowNm = 365.0;    // the wavelength axis: the formula's range
    double highNm = 1014.0;
    bool rangeFromCatalogue = false; // the catalogue gave the range (else the eleven lines' span)
    struct Sample {
        double nanometres = 0;
        std::optional<double> index; // none where the formula has no index
    };
    std::vector<Sample> curve;
    std::vector<GlassLineMark> lines; // the eleven, longest wavelength first
    std::vector<GlassMapPoint> glasses;
    int selected = -1;            // index into `glasses`
    std::vector<int> lensGlasses; // indices into `glasses`
    bool japanese = false;
};

// The figure of the glass in catalogue row `selectedRow` (-1: none), its names read from column
// `nameColumn`; `lensGlassNames` are the glass names of the lens's faces. The range of the formula
// comes from the catalogue's "λmin"/"λmax" columns (micrometres) where it has them, else it spans the
// eleven lines.
GlassFigure MakeGlassFigure(const GlassCatalogue& catalogue, int nameColumn, int selectedRow,
                            const std::vector<std::string>& lensGlassNames, bool japanese);

// Where the two plots go in an area.
struct GlassFigureLayout {
    QRectF title;
    QRectF dispersion; // the index against the wavelength
    QRectF map;        // nd against νd
    QRectF dispersionLegend;
    QRectF mapLegend;
    double line = 0;
};
GlassFigureLayout LayOutGlassFigure(const QRectF& area);

// The map's value ranges: νd from `abbeHigh` at the left to `abbeLow` at the right, nd upwards.
struct GlassMapRange {
    double abbeLow = 20, abbeHigh = 90;
    double ndLow = 1.4, ndHigh = 2.0;
};
GlassMapRange MapRangeOf(const GlassFigure& figure);

void PaintGlassFigure(QPainter& painter, const QRectF& area, const GlassFigure& figure);

// The glass whose map point is nearest to `point` (a click), as an index into `figure.glasses`; -1 when
// the point is not on the map.
int GlassAt(const GlassFigure& figure, const QRectF& area, const QPointF& point);

} // namespace vitrimo
