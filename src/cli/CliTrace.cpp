// vitrimo-cli trace and curves: exact rays and the aberration curves of a lens.
#include "cli/CliCommon.h"
#include "cli/CliHost.h"
#include "engine/AberrationCurves.h"
#include "engine/RayTracer.h"
#include "model/NumberFormat.h"

#include <cmath>
#include <memory>
#include <numbers>

namespace vitrimo::cli {
namespace {

// "0.5,-0.25" as two numbers.
std::array<double, 2> PupilPoint(const std::string& text) {
    const auto comma = text.find(',');
    const auto y = ParseNumber(text.substr(0, comma));
    const auto z = comma == std::string::npos ? std::nullopt : ParseNumber(text.substr(comma + 1));
    if (!y || !z)
        throw UsageError{"--pupil needs two numbers Y,Z (fractions of the pupil radius), not \"" + text +
                         "\""};
    return {*y, *z};
}

std::string Cell(const std::optional<double>& value) {
    return value ? FormatGeneral(*value, 12) : std::string();
}

} // namespace

Command AddTraceCommand(CLI::App& app) {
    struct Options {
        std::string lens, pupil = "0,0", wavelength;
        double angle = 0, defocus = 0;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* trace = app.add_subcommand(
        "trace",
        "One exact ray: its point on the image surface, direction and optical path to the chief ray");
    trace->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    trace->add_option("--angle", options->angle, "Field angle in degrees (default 0)")->check(FieldAngle());
    trace->add_option(
        "--pupil", options->pupil,
        "Pupil point Y,Z as fractions of the entrance pupil radius, from the axis (default 0,0)");
    trace->add_option("--wavelength", options->wavelength,
                      "Line t s A r C d e F g h i (default: the reference)");
    trace->add_option("--defocus", options->defocus,
                      "Image plane shift from the paraxial image, mm (default 0)");
    trace->add_flag("--json", options->json, "Print one JSON object");

    return {trace, [options](std::ostream& out, std::ostream& err) {
                const auto pupil = PupilPoint(options->pupil);
                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                CliHost host;
                RayTracer& tracer = PrepareTracer(loaded, host, err);
                const int wavelength = options->wavelength.empty()
                                           ? loaded.lens.Wavelengths().Reference()
                                           : WavelengthByName(loaded.lens, options->wavelength);
                TraceOnly(tracer, loaded.lens, wavelength);

                TraceContext& context = tracer.Context();
                context.mode = TraceMode::Spot;
                context.fieldAngle = options->angle;
                const double radius = context.entrancePupilDiameter / 2;
                // Ray 0 through the pupil centre, ray 1 through the pupil point.
                tracer.StartPupilRays({{pupil[0] * radius, pupil[1] * radius}});
                context.defocus = tracer.ParaxialImageDistance() - tracer.LastDistance() + options->defocus;
                const TraceOutcome outcome = tracer.TraceAll(host);
                if (!outcome.completed) throw CommandError{options->lens + ": " + outcome.error};

                const RayRecord ray = tracer.Bundle().Record(1, 0, 0);
                const auto point = tracer.ImageSurfacePoint(1, 0);
                nlohmann::ordered_json result;
                result["y"] = NumberOrNull(point ? (*point)[0] : 0, point.has_value());
                result["z"] = NumberOrNull(point ? (*point)[1] : 0, point.has_value());
                result["L"] = NumberOrNull(ray.L);
                result["M"] = NumberOrNull(ray.M);
                result["N"] = NumberOrNull(ray.N);
                result["optical_path"] = NumberOrNull(tracer.Bundle().Path(1, 0, 0));
                result["vignetted"] = tracer.Bundle().Vignetted(1, 0, 0);
                Print(out, result, options->json);
            }};
}

Command AddCurvesCommand(CLI::App& app) {
    struct Options {
        std::string lens, kind;
        int steps = 30;
        double angle = 0, maxAngle = 0, defocus = 0;
    };
    auto options = std::make_shared<Options>();
    CLI::App* curves =
        app.add_subcommand("curves", "Aberration curves from exact rays, as tab-separated columns");
    curves->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    curves->add_option("--kind", options->kind, "longitudinal, transverse, astigmatism or distortion")
        ->required()
        ->check(CLI::IsMember(kCurveKindNames));
    curves
        ->add_option("--steps", options->steps,
                     "Steps per pupil radius or up to the maximum angle (default 30)")
        ->check(CLI::Range(1, 10000));
    curves->add_option("--angle", options->angle, "Field angle of the transverse fans, degrees (default 0)")
        ->check(FieldAngle());
    curves
        ->add_option("--max-angle", options->maxAngle,
                     "Maximum field angle of astigmatism and distortion, degrees")
        ->check(FieldAngle());
    curves->add_option("--defocus", options->defocus,
                       "Image plane shift of the transverse fans, mm (default 0)");

    return {curves, [options](std::ostream& out, std::ostream& err) {
                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                CliHost host;
                RayTracer& tracer = loaded.bench.Tracer();
                CurveSettings settings;
                settings.steps = options->steps;
                settings.fieldAngle = options->angle;
                settings.maxAngle = options->maxAngle;
                settings.defocus = options->defocus;
                const CurveResult curve =
                    ComputeNamedCurve(loaded, options->lens, options->kind, settings, host, err);
                const CurveKind kind = curve.kind;

                std::vector<std::string> names;
                for (int w = 0; w < tracer.TracedWavelengthCount(); ++w)
                    names.push_back(WavelengthName(loaded.lens, tracer.ListWavelength(w)));
                std::string header;
                switch (kind) {
                case CurveKind::Longitudinal:
                    header = "pupil_height";
                    break;
                case CurveKind::Transverse:
                    header = "fan\tindex\tpupil";
                    break;
                default:
                    header = "angle";
                    break;
                }
                for (const auto& name : names)
                    header +=
                        kind == CurveKind::Astigmatism ? "\t" + name + "_m\t" + name + "_s" : "\t" + name;
                if (kind == CurveKind::Longitudinal) header += "\tsine_condition";
                out << header << '\n';

                const int fan = 2 * settings.steps + 1;
                for (std::size_t k = 0; k < curve.abscissa.size(); ++k) {
                    std::string line;
                    if (kind == CurveKind::Transverse) {
                        const bool meridional = static_cast<int>(k) < fan;
                        line = std::string(meridional ? "m" : "s") + "\t" +
                               std::to_string(meridional ? k : k - fan) + "\t";
                    }
                    line += FormatGeneral(curve.abscissa[k], 12);
                    for (std::size_t w = 0; w < names.size(); ++w) {
                        line += "\t" + Cell(curve.values[w][k]);
                        if (kind == CurveKind::Astigmatism) line += "\t" + Cell(curve.sagittal[w][k]);
                    }
                    if (kind == CurveKind::Longitudinal) line += "\t" + Cell(curve.sineCondition[k]);
                    out << line << '\n';
                }
            }};
}

} // namespace vitrimo::cli
