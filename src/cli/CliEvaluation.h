// vitrimo-cli spot, wavefront, psf and mtf, and the figures of those tabs: image evaluation on the command
// line.
#pragma once

#include "cli/CliCommon.h"
#include "engine/RayTracer.h"
#include "evaluation/PointSpread.h"
#include "evaluation/ScreenMap.h"

#include <string>
#include <vector>

#ifdef VITRIMO_WITH_FIGURES
#include <QSize>
#endif

namespace vitrimo::cli {

Command AddSpotCommand(CLI::App& app);
Command AddWavefrontCommand(CLI::App& app);
Command AddPsfCommand(CLI::App& app);
Command AddMtfCommand(CLI::App& app);

// The options the evaluation commands share.
struct EvaluationOptions {
    std::string lens;
    std::string wavelength; // a line letter: trace only it, it is then the reference; empty: the lens's
    double angle = 0;       // degrees
    double defocus = 0;     // mm from the paraxial image
};

// Loads the lens (a real image required), binds the workbench's tracer to it, finds the entrance pupil
// and picks the traced wavelengths. Returns the tracer's defocus for the options' defocus from the
// paraxial image.
double PrepareEvaluation(LoadedLens& loaded, const EvaluationOptions& options, std::ostream& err);

// The first "Screen" face of the lens with its map, read from "screen.txt" beside the lens file; nullopt
// when the lens has no screen. A missing or malformed map is a CommandError.
std::optional<ScreenFace> ScreenOfLens(const LoadedLens& loaded, const RayTracer& tracer,
                                       const std::string& lensPath);

// The warning for a PSF whose pupil grid is too coarse for its wavefront.
std::string UndersampledText(const PsfResult& psf);

// The figure tabs of the evaluation: "spot", "wavefront-line", "wavefront-face", "psf", and the MTF window's
// frequency tab "mtf".
inline const std::vector<std::string> kEvaluationTabNames{"spot", "wavefront-line", "wavefront-face", "psf",
                                                          "mtf"};

// What the figure command passes to an evaluation tab.
struct EvaluationFigureOptions {
    EvaluationOptions evaluation;
    std::string tab;
    double scale = 0; // the plot's half-width (mm) or the wavefront scale (waves); 0: the tab's default
    int steps = 0;    // 0: the tab's default (15 spot and map, 30 line)
    int fftSize = 256;
    int pupil = 32;
    std::string source = "diffraction"; // mtf: "diffraction" or "geometric"
};

#ifdef VITRIMO_WITH_FIGURES
// Text needs a GUI application object; a command line has no display, so it draws offscreen.
void EnsureGuiApplication();

// Computes an evaluation tab and draws it into `output` (PNG, SVG or PDF) of `size` pixels.
void DrawEvaluationFigure(const EvaluationFigureOptions& options, const std::string& output, QSize size,
                          std::ostream& err);
#endif

} // namespace vitrimo::cli
