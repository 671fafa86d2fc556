// What vitrimo-cli spot, wavefront and psf share, and the figures of those tabs drawn offscreen by the
// painters the window uses.
#include "cli/CliEvaluation.h"
#include "cli/CliHost.h"
#include "evaluation/Mtf.h"
#include "evaluation/PointSpread.h"
#include "evaluation/SpotDiagram.h"
#include "evaluation/Wavefront.h"
#include "figures/EvaluationPainter.h"
#include "figures/FigureExport.h"
#include "figures/MtfPainter.h"
#include "figures/PlotFrame.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vitrimo::cli {
namespace {

// A wavefront scale that shows the largest OPD: a round number, at least 0.05 waves.
double WavefrontScale(const std::vector<std::optional<double>>& values) {
    double largest = 0;
    for (const auto& value : values)
        if (value) largest = std::max(largest, std::fabs(*value));
    return std::max(RoundUpToOneDigit(largest), 0.05);
}

// A plot half-width that holds the spot: a round number beyond its farthest point from the centroid.
double SpotHalfWidth(const SpotResult& spot) {
    double farthest = 1.5 * spot.airyRadius;
    for (int w = 0; w < static_cast<int>(spot.wavelengths.size()); ++w) {
        if (!spot.rays->Shown(w)) continue;
        for (const auto& p : spot.wavelengths[w].points)
            farthest =
                std::max({farthest, std::fabs(p[0] - spot.centroidY), std::fabs(p[1] - spot.centroidZ)});
    }
    return NiceCeiling(1.05 * farthest);
}

// A plot half-width for the diffraction image: five Airy radii, or four times the spread of the
// reference wavelength's profiles when the image is wider, within the computed field.
double PsfHalfWidth(const PsfResult& psf) {
    const TracedRays& rays = *psf.trace->rays;
    const double airy = 1.22 * rays.wavelengths[rays.reference].Millimetres() * rays.workingFNumber;
    double spread = 0;
    for (const PsfWavelength& w : psf.wavelengths) {
        for (const auto* profile : {&w.rowProfile, &w.columnProfile}) {
            long double sum = 0, moment = 0;
            const int k = static_cast<int>(profile->size());
            for (int i = 0; i < k; ++i) {
                const double x = (i - k / 2) * w.pixelSize;
                sum += (*profile)[i];
                moment += (*profile)[i] * x * x;
            }
            if (sum > 0) spread = std::max(spread, static_cast<double>(std::sqrt(moment / sum)));
        }
    }
    const double field = psf.imageSize * psf.referencePixelSize / 2;
    return std::min(NiceCeiling(std::max(5 * airy, 4 * spread)), field);
}

// A brightness divisor that shows the brightest pixel of the image in full (for the linear and root
// scales; the logarithmic one keeps 1).
double PsfBrightness(const PsfResult& psf) {
    if (psf.settings.brightness == BrightnessScale::Log) return 1;
    int brightest = 0;
    for (const PsfWavelength& w : psf.wavelengths)
        for (const auto level : w.image) brightest = std::max(brightest, static_cast<int>(level));
    return std::clamp(brightest / 65535.0, 1e-3, 1.0);
}

} // namespace

void DrawEvaluationFigure(const EvaluationFigureOptions& options, const std::string& output, QSize size,
                          std::ostream& err) {
    LoadedLens loaded;
    RayTracer& tracer = loaded.bench.Tracer();
    const double defocus = PrepareEvaluation(loaded, options.evaluation, err);
    const std::string& lensPath = options.evaluation.lens;
    CliHost host;
    EvaluationLook look;
    look.lensName = std::filesystem::path(lensPath).filename().string();
    look.defocus = options.evaluation.defocus;
    FigurePainter paint;
    // A failed calculation ends the command; no point reaching the image is drawn, as the window shows it.
    const auto check = [&](bool valid, const std::string& status) {
        if (valid) return;
        if (status != kNoPointText) throw CommandError{lensPath + ": " + status};
        err << kProgram << ": warning: " << lensPath << ": " << status << '\n';
    };

    if (options.tab == "spot") {
        SpotSettings settings{options.evaluation.angle, defocus, options.steps > 0 ? options.steps : 15};
        SpotPlot plot;
        plot.spot = ComputeSpot(tracer, loaded.lens, settings, host);
        check(plot.spot.valid, plot.spot.status);
        plot.halfWidth = options.scale > 0 ? options.scale
                         : plot.spot.valid ? SpotHalfWidth(plot.spot)
                                           : 0.05;
        plot.drawAiryDisk = true;
        plot.look = look;
        paint = [plot](QPainter& painter, const QRectF& area) { PaintSpotPlot(painter, area, plot); };
    } else if (options.tab == "wavefront-line" || options.tab == "wavefront-face") {
        WavefrontSettings settings;
        settings.fieldAngle = options.evaluation.angle;
        settings.defocus = defocus;
        if (options.tab == "wavefront-line") {
            settings.steps = options.steps > 0 ? options.steps : 30;
            WavefrontLinePlot plot;
            plot.line = ComputeWavefrontLine(tracer, loaded.lens, settings, host);
            check(plot.line.valid, plot.line.status);
            std::vector<std::optional<double>> all = plot.line.meridional;
            if (plot.line.sagittalShown)
                all.insert(all.end(), plot.line.sagittal.begin(), plot.line.sagittal.end());
            plot.scale = options.scale > 0 ? options.scale : WavefrontScale(all);
            plot.look = look;
            paint = [plot](QPainter& painter, const QRectF& area) {
                PaintWavefrontLinePlot(painter, area, plot);
            };
        } else {
            settings.steps = options.steps > 0 ? options.steps : 15;
            WavefrontMapPlot plot;
            plot.map = ComputeWavefrontMap(tracer, loaded.lens, settings, host);
            check(plot.map.valid, plot.map.status);
            plot.scale = options.scale > 0 ? options.scale : WavefrontScale(plot.map.opd);
            plot.look = look;
            paint = [plot](QPainter& painter, const QRectF& area) {
                PaintWavefrontMapPlot(painter, area, plot);
            };
        }
    } else if (options.tab == "mtf") {
        MtfSettings settings;
        settings.source = options.source == "geometric" ? OtfSource::Geometric : OtfSource::Diffraction;
        settings.fieldAngle = options.evaluation.angle;
        settings.defocus = defocus;
        settings.spotSteps = options.steps > 0 ? options.steps : 15;
        settings.fftSize = options.fftSize;
        settings.pupilDivision = NormalisedPupilDivision(options.pupil, options.fftSize);
        if (options.scale > 0) settings.maxFrequency = options.scale;
        MtfPlot plot;
        plot.result = ComputeMtf(tracer, loaded.lens, settings, host);
        check(plot.result.valid, plot.result.status);
        plot.look = look;
        paint = [plot](QPainter& painter, const QRectF& area) { PaintMtfPlot(painter, area, plot); };
    } else {
        PsfSettings settings;
        settings.fieldAngle = options.evaluation.angle;
        settings.defocus = defocus;
        settings.fftSize = options.fftSize;
        settings.pupilDivision = NormalisedPupilDivision(options.pupil, options.fftSize);
        if (options.scale > 0) settings.halfWidth = options.scale;
        settings.screen = ScreenOfLens(loaded, tracer, lensPath);
        PsfPlot plot;
        plot.psf = ComputePsf(tracer, loaded.lens, settings, host);
        check(plot.psf.valid, plot.psf.status);
        if (plot.psf.undersampled) err << kProgram << ": warning: " << UndersampledText(plot.psf) << '\n';
        plot.halfWidth = options.scale > 0 ? options.scale : plot.psf.valid ? PsfHalfWidth(plot.psf) : 0.05;
        plot.brightness = plot.psf.valid ? PsfBrightness(plot.psf) : 1;
        plot.drawCircle = true;
        plot.intensityLine = true;
        plot.columnLine = options.evaluation.angle != 0 || loaded.lens.HasDecenter();
        plot.look = look;
        paint = [plot](QPainter& painter, const QRectF& area) { PaintPsfPlot(painter, area, plot); };
    }

    EnsureGuiApplication();
    const auto error = ExportFigure(QString::fromStdString(output), size, paint);
    if (error) throw CommandError{error->toStdString()};
}

} // namespace vitrimo::cli
