// vitrimo-cli figure: an aberration figure drawn offscreen by the painter the window uses.
#include "cli/CliCommon.h"
#include "cli/CliHost.h"
#include "engine/AberrationCurves.h"
#include "figures/AberrationFigure.h"
#include "figures/FigureExport.h"
#include "model/NumberFormat.h"

#include <QGuiApplication>
#include <QPainter>
#include <memory>

namespace vitrimo::cli {
namespace {

// Text needs a GUI application object; a command line has no display, so it draws offscreen.
void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vitrimo-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

QSize ParseSize(const std::string& text) {
    const auto x = text.find('x');
    const auto width = ParseInteger(text.substr(0, x));
    const auto height = x == std::string::npos ? std::nullopt : ParseInteger(text.substr(x + 1));
    // Beyond the range of int a size would wrap around to another size.
    constexpr long long kLargest = 1000000;
    if (!width || !height || std::abs(*width) > kLargest || std::abs(*height) > kLargest)
        throw CommandError{"--size needs WIDTHxHEIGHT in pixels, not \"" + text + "\""};
    return QSize(static_cast<int>(*width), static_cast<int>(*height));
}

} // namespace

Command AddFigureCommand(CLI::App& app) {
    struct Options {
        std::string lens, tab, output, size = "800x600";
        double angle = 0, maxAngle = 0, scale = 0;
        int steps = 30;
    };
    auto options = std::make_shared<Options>();
    CLI::App* figure =
        app.add_subcommand("figure", "Draw an aberration figure as the window shows it, to PNG, SVG or PDF");
    figure->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    figure->add_option("--tab", options->tab, "longitudinal, transverse, astigmatism or distortion")
        ->required()
        ->check(CLI::IsMember(kCurveKindNames));
    figure->add_option("--angle", options->angle, "Field angle of the transverse fans, degrees (default 0)")
        ->check(FieldAngle());
    figure
        ->add_option("--max-angle", options->maxAngle,
                     "Maximum field angle of astigmatism and distortion, degrees")
        ->check(FieldAngle());
    figure
        ->add_option("--scale", options->scale,
                     "Half-width of the value axis: mm, or % for distortion (default 0.5 mm, 1 %)")
        ->check(FiniteNumber() & CLI::PositiveNumber);
    figure
        ->add_option("--steps", options->steps,
                     "Steps per pupil radius or up to the maximum angle (default 30)")
        ->check(CLI::Range(2, 40));
    figure->add_option("--size", options->size, "WIDTHxHEIGHT in pixels (default 800x600)");
    figure->add_option("-o,--output", options->output, "The file to write: .png, .svg or .pdf")->required();

    return {figure, [options](std::ostream& out, std::ostream& err) {
                const QSize size = ParseSize(options->size);
                if (FigureFormat(QString::fromStdString(options->output)).isEmpty())
                    throw CommandError{"\"" + options->output +
                                       "\": the file name must end in .png, .svg or .pdf"};
                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                CliHost host;
                RayTracer tracer;
                CurveSettings settings;
                settings.steps = options->steps;
                settings.fieldAngle = options->angle;
                settings.maxAngle = options->maxAngle;
                const CurveResult curve =
                    ComputeNamedCurve(tracer, loaded, options->lens, options->tab, settings, host);
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
