// vitrimo-cli spot: the spot diagram of a lens, its centroid and RMS radius per traced wavelength.
#include "cli/CliEvaluation.h"
#include "cli/CliHost.h"
#include "evaluation/SpotDiagram.h"
#include "model/NumberFormat.h"

#include <memory>

namespace vitrimo::cli {
namespace {

nlohmann::ordered_json SpotValues(const SpotWavelength& spot) {
    const bool any = spot.Count() > 0;
    nlohmann::ordered_json values;
    values["rays"] = spot.Count();
    values["centroid_y"] = NumberOrNull(spot.centroidY, any);
    values["centroid_z"] = NumberOrNull(spot.centroidZ, any);
    values["rms_radius"] = NumberOrNull(spot.rmsRadius, any);
    return values;
}

std::string Cell(const nlohmann::ordered_json& value) {
    return value.is_null()             ? std::string()
           : value.is_number_integer() ? value.dump()
                                       : FormatGeneral(value.get<double>(), 12);
}

} // namespace

double PrepareEvaluation(LoadedLens& loaded, const EvaluationOptions& options, std::ostream& err) {
    LoadLensWithImage(options.lens, loaded, err);
    CliHost host;
    RayTracer& tracer = PrepareTracer(loaded, host, err);
    if (!options.wavelength.empty())
        TraceOnly(tracer, loaded.lens, WavelengthByName(loaded.lens, options.wavelength));
    // The option counts from the paraxial image; the tracer's defocus from the last distance.
    return tracer.ParaxialImageDistance() - tracer.LastDistance() + options.defocus;
}

Command AddSpotCommand(CLI::App& app) {
    struct Options {
        EvaluationOptions evaluation;
        int steps = 15;
        bool points = false, json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* spot = app.add_subcommand(
        "spot", "Spot diagram: centroid and RMS radius of the points on the image surface per wavelength");
    spot->add_option("LENS", options->evaluation.lens, "Lens data file (.ldt)")->required();
    spot->add_option("--angle", options->evaluation.angle, "Field angle in degrees (default 0)")
        ->check(FieldAngle());
    spot->add_option("--defocus", options->evaluation.defocus,
                     "Image plane shift from the paraxial image, mm (default 0)");
    spot->add_option("--steps", options->steps, "Pupil grid steps per radius (default 15)")
        ->check(CLI::Range(1, 500));
    spot->add_option("--wavelength", options->evaluation.wavelength,
                     "Trace only this line (t s A r C d e F g h i); it is then the reference");
    spot->add_flag("--points", options->points, "Add the spot points (y, z in mm) of every wavelength");
    spot->add_flag("--json", options->json, "Print one JSON object");

    return {spot, [options](std::ostream& out, std::ostream& err) {
                LoadedLens loaded;
                RayTracer& tracer = loaded.bench.Tracer();
                SpotSettings settings;
                settings.defocus = PrepareEvaluation(loaded, options->evaluation, err);
                settings.fieldAngle = options->evaluation.angle;
                settings.steps = options->steps;
                CliHost host;
                const SpotResult result = ComputeSpot(tracer, loaded.lens, settings, host);
                if (!result.valid) throw CommandError{options->evaluation.lens + ": " + result.status};

                nlohmann::ordered_json json = SpotValues(result.Reference());
                json["wavelengths"] = nlohmann::ordered_json::array();
                for (int w = 0; w < static_cast<int>(result.wavelengths.size()); ++w) {
                    nlohmann::ordered_json entry;
                    entry["line"] = result.rays->wavelengths[w].name;
                    entry.update(SpotValues(result.wavelengths[w]));
                    if (options->points) {
                        entry["points"] = nlohmann::ordered_json::array();
                        for (const auto& p : result.wavelengths[w].points)
                            entry["points"].push_back({p[0], p[1]});
                    }
                    json["wavelengths"].push_back(entry);
                }
                if (options->json) {
                    out << json.dump() << '\n';
                    return;
                }
                nlohmann::ordered_json summary = json;
                summary.erase("wavelengths");
                Print(out, summary, false);
                out << "line\trays\tcentroid_y\tcentroid_z\trms_radius\n";
                for (const auto& entry : json["wavelengths"])
                    out << entry["line"].get<std::string>() << '\t' << Cell(entry["rays"]) << '\t'
                        << Cell(entry["centroid_y"]) << '\t' << Cell(entry["centroid_z"]) << '\t'
                        << Cell(entry["rms_radius"]) << '\n';
                if (options->points) {
                    out << "line\ty\tz\n";
                    for (const auto& entry : json["wavelengths"])
                        for (const auto& p : entry["points"])
                            out << entry["line"].get<std::string>() << '\t' << Cell(p[0]) << '\t'
                                << Cell(p[1]) << '\n';
                }
            }};
}

} // namespace vitrimo::cli
