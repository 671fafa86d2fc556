#include "cli/CliCrossSection.h"

#ifdef VITRIMO_WITH_FIGURES

#include "cli/CliEvaluation.h"
#include "cli/CliHost.h"
#include "design/CrossSection.h"
#include "figures/CrossSectionPainter.h"
#include "figures/FigureExport.h"

#include <QPainter>
#include <filesystem>

namespace vitrimo::cli {
namespace {

// The rays of each angle in their own colour, as one would choose them in the window's angle table.
constexpr Colour kAngleColours[] = {colours::Black,  colours::Blue,   colours::Red,
                                    colours::Green,  colours::Purple, colours::Teal,
                                    colours::Maroon, colours::Navy,   colours::Olive};

} // namespace

void AddCrossSectionOptions(CLI::App& figure, CrossSectionFigureOptions& options) {
    figure.add_option("--rays", options.rays, "cross-section: rays across the pupil per angle (default 7)")
        ->check(CLI::Range(1, 100));
    figure.add_flag("--all-rays", options.allRays,
                    "cross-section: draw lost rays on and the hidden parts of the faces");
    figure.add_flag("--multicolor", options.multiColour,
                    "cross-section: colour the rays by wavelength (every marked one) instead of by angle");
    figure.add_option("--display-shift", options.displayShift,
                      "cross-section: the rays end this many mm behind the image plane (default 0)");
}

void DrawCrossSectionFigure(const std::string& lensPath, const CrossSectionFigureOptions& options,
                            const std::string& output, QSize size, std::ostream& err) {
    LoadedLens loaded;
    LoadLensWithImage(lensPath, loaded, err);
    CliHost host;
    RayTracer& tracer = PrepareTracer(loaded, host, err);
    CrossSectionSettings settings;
    settings.angles.clear();
    const std::vector<double> angles = options.angles.empty() ? std::vector<double>{0} : options.angles;
    if (angles.size() > std::size(kAngleColours))
        throw UsageError{"--angle: at most " + std::to_string(std::size(kAngleColours)) +
                         " angles for the cross-section"};
    for (std::size_t k = 0; k < angles.size(); ++k) settings.angles.push_back({angles[k], kAngleColours[k]});
    settings.rayCount = options.rays;
    settings.allRays = options.allRays;
    settings.multiColour = options.multiColour;
    settings.displayShift = options.displayShift;

    CrossSectionPlot plot;
    plot.result = ComputeCrossSection(loaded.lens, tracer, settings, host);
    if (!plot.result.valid) throw CommandError{lensPath + ": " + plot.result.error};
    if (!plot.result.error.empty()) throw CommandError{lensPath + ": " + plot.result.error};
    if (plot.result.cannotDraw)
        err << kProgram << ": warning: " << lensPath
            << ": Cannot draw the figure! (a face's height lies beyond its sphere; drawn flat there)\n";
    plot.lensName = std::filesystem::path(lensPath).filename().string();

    EnsureGuiApplication();
    const auto error =
        ExportFigure(QString::fromStdString(output), size, [&plot](QPainter& painter, const QRectF& area) {
            PaintCrossSection(painter, area, plot);
        });
    if (error) throw CommandError{error->toStdString()};
}

} // namespace vitrimo::cli

#endif
