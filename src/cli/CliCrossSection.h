// vitrimo-cli figure --tab cross-section: the lens drawing with its ray fans, drawn offscreen by the
// painter the window uses.
#pragma once

#ifdef VITRIMO_WITH_FIGURES

#include "cli/CliCommon.h"

#include <QSize>
#include <ostream>
#include <string>
#include <vector>

namespace vitrimo::cli {

struct CrossSectionFigureOptions {
    std::vector<double> angles; // degrees; none: the axis
    int rays = 7;               // rays across the pupil besides the chief ray
    bool allRays = false;
    bool multiColour = false;
    double displayShift = 0; // mm
};

// Adds the options only the cross-section tab reads to the figure command.
void AddCrossSectionOptions(CLI::App& figure, CrossSectionFigureOptions& options);

// Loads the lens (a real image required), computes the drawing and writes it into `output` (PNG, SVG or
// PDF) of `size` pixels. Failures are CommandErrors.
void DrawCrossSectionFigure(const std::string& lensPath, const CrossSectionFigureOptions& options,
                            const std::string& output, QSize size, std::ostream& err);

} // namespace vitrimo::cli

#endif
