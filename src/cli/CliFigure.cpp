// vitrimo-cli figure: an aberration figure drawn offscreen by the painter the window uses.
#include "cli/CliCommon.h"
#include "cli/CliCrossSection.h"
#include "cli/CliEvaluation.h"
#include "cli/CliHost.h"
#include "engine/AberrationCurves.h"
#include "figures/AberrationFigure.h"
#include "figures/FigureExport.h"
#include "model/NumberFormat.h"

#include <QGuiApplication>
#include <QPainter>
#include <memory>

namespace vitrimo::cli {

// Text needs a GUI application object; a command line has no display, so it draws offscreen.
void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vitrimo-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

namespace {

QSize ParseSize(const std::string& text) {
    const auto x = text.find('x');
    const auto width = ParseInteger(text.substr(0, x));
    const auto height = x == std::string::npos ? std::nullopt : ParseInteger(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > 20000 || *height > 20000)
        throw UsageError{"--size needs WIDTHxHEIGHT in pixels (1 to 20000 each), not \"" + text + "\""};
    return QSize(static_cast<int>(*width), static_cast<int>(*height));
}

} // namespace

Command AddFigureCommand(CLI::App& app) {
    struct Options {
        std::string lens, tab, output, size = "800x600", wavelength, source = "diffraction";
        std::vector<double> angles;
        double maxAngle = 0, scale = 0, defocus = 0;
        int steps = 30, fftSize = 256, pupil = 32;
        CrossSectionFigureOptions crossSection;
    };
    auto options = std::make_shared<Options>();
    CLI::App* figure =
        app.add_subcommand("figure", "Draw an aberration figure as the window shows it, to PNG, SVG or PDF");
    figure->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    std::vector<std::string> tabs = kCurveKindNames;
    tabs.insert(tabs.end(), kEvaluationTabNames.begin(), kEvaluationTabNames.end());
    tabs.push_back("cross-section");
    figure
        ->add_option(
            "--tab", options->tab,
            "longitudinal, transverse, astigmatism, distortion, spot, wavefront-line, wavefront-face, "
            "psf, mtf or cross-section")
        ->required()
        ->check(CLI::IsMember(tabs));
    figure
        ->add_option(
            "--angle", options->angles,
            "Field angle, degrees (default 0); cross-section: one per fan, repeated or as a list 0,10,20")
        ->delimiter(',')
        ->allow_extra_args(false)
        ->check(FieldAngle());
    figure
        ->add_option("--max-angle", options->maxAngle,
                     "Maximum field angle of astigmatism and distortion, degrees")
        ->check(FieldAngle());
    figure
        ->add_option(
            "--scale", options->scale,
            "Half-width of the value axis: mm, or % for distortion (default 0.5 mm, 1 %); spot and "
            "psf: mm from the centre to the edge, wavefronts: waves (default: fitted); mtf: the highest "
            "spatial frequency, lines/mm (default 200)")
        ->check(CLI::PositiveNumber);
    CLI::Option* steps =
        figure
            ->add_option("--steps", options->steps,
                         "Steps per pupil radius or up to the maximum angle (default 30; spot "
                         "and wavefront-face 15)")
            ->check(CLI::Range(2, 40));
    figure->add_option("--defocus", options->defocus,
                       "Image plane shift from the paraxial image, mm (spot, wavefronts, psf)");
    figure->add_option("--wavelength", options->wavelength,
                       "Spot, wavefronts, psf: trace only this line; it is then the reference");
    figure->add_option("--fft-size", options->fftSize, "psf: FFT size M (default 256)")
        ->check(CLI::IsMember({64, 128, 256, 512, 1024, 2048, 4096, 8192}));
    figure->add_option("--pupil", options->pupil, "psf: pupil divisions N (default 32)")
        ->check(CLI::Range(1, 8192));
    figure->add_option("--source", options->source, "mtf: diffraction (default) or geometric")
        ->check(CLI::IsMember({"diffraction", "geometric"}));
    AddCrossSectionOptions(*figure, options->crossSection);
    figure->add_option("--size", options->size, "WIDTHxHEIGHT in pixels (default 800x600)");
    figure->add_option("-o,--output", options->output, "The file to write: .png, .svg or .pdf")->required();

    return {figure, [options, steps](std::ostream& out, std::ostream& err) {
                const QSize size = ParseSize(options->size);
                if (FigureFormat(QString::fromStdString(options->output)).isEmpty())
                    throw CommandError{"\"" + options->output +
                                       "\": the file name must end in .png, .svg or .pdf"};
                if (options->tab == "cross-section") {
                    CrossSectionFigureOptions crossSection = options->crossSection;
                    crossSection.angles = options->angles;
                    DrawCrossSectionFigure(options->lens, crossSection, options->output, size, err);
                    out << options->output << '\n';
                    return;
                }
                if (options->angles.size() > 1)
                    throw UsageError{"--angle takes one angle except with --tab cross-section"};
                const double angle = options->angles.empty() ? 0 : options->angles.front();
                if (std::find(kEvaluationTabNames.begin(), kEvaluationTabNames.end(), options->tab) !=
                    kEvaluationTabNames.end()) {
                    EvaluationFigureOptions evaluation;
                    evaluation.evaluation = {options->lens, options->wavelength, angle, options->defocus};
                    evaluation.tab = options->tab;
                    evaluation.scale = options->scale;
                    evaluation.steps = steps->count() > 0 ? options->steps : 0;
                    evaluation.fftSize = options->fftSize;
                    evaluation.pupil = options->pupil;
                    evaluation.source = options->source;
                    DrawEvaluationFigure(evaluation, options->output, size, err);
                    out << options->output << '\n';
                    return;
                }
                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                CliHost host;
                RayTracer& tracer = loaded.bench.Tracer();
                CurveSettings settings;
                settings.steps = options->steps;
                settings.fieldAngle = angle;
                settings.maxAngle = options->maxAngle;
                settings.defocus = options->defocus;
                const CurveResult curve =
                    ComputeNamedCurve(loaded, options->lens, options->tab, settings, host, err);
                FigureLook look;
                if (options->scale > 0) look.curveScale = look.distortionScale = options->scale;
                const AberrationPlot plot = MakeAberrationPlot(tracer, loaded.lens, curve, settings, look);

                EnsureGuiApplication();
                const auto error = ExportFigure(QString::fromStdString(options->output), size,
                                                [&plot](QPainter& painter, const QRectF& area) {
                                                    PaintAberrationPlot(painter, area, plot);
                                                });
                if (error) throw CommandError{error->toStdString()};
                out << options->output << '\n';
            }};
}

} // namespace vitrimo::cli
