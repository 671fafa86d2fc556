// What the aberration window shows for a curve, built from the trace: the plot the painter draws.
#pragma once

#include "engine/AberrationCurves.h"
#include "figures/AberrationPainter.h"
#include "model/Lens.h"

namespace vitrimo {

// The appearance the window's settings give the figure.
struct FigureLook {
    double curveScale = 0.5;      // mm: longitudinal, transverse, astigmatism
    double distortionScale = 1.0; // %
    Colour background = colours::White;
    int penWidth = 1;
    bool japanese = false;
};

// The plot of a computed curve: the traced wavelengths' names, colours and display flags from the lens,
// the scales and labels from the tracer's context and the look.
AberrationPlot MakeAberrationPlot(const RayTracer& tracer, const Lens& lens, const CurveResult& curve,
                                  const CurveSettings& settings, const FigureLook& look);

} // namespace vitrimo
