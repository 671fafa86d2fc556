// vitrimo-cli wavefront: the peak-to-valley and RMS wavefront aberration of a lens and the Strehl ratio
// estimated from it.
#include "cli/CliEvaluation.h"
#include "cli/CliHost.h"
#include "evaluation/Wavefront.h"

#include <memory>

namespace vitrimo::cli {

Command AddWavefrontCommand(CLI::App& app) {
    struct Options {
        EvaluationOptions evaluation;
        int steps = 0;
        bool line = false, json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* wavefront = app.add_subcommand(
        "wavefront",
        "Wavefront aberration of the reference wavelength: L-V and RMS in waves, Strehl estimate");
    wavefront->add_option("LENS", options->evaluation.lens, "Lens data file (.ldt)")->required();
    wavefront->add_option("--angle", options->evaluation.angle, "Field angle in degrees (default 0)")
        ->check(FieldAngle());
    wavefront->add_option("--defocus", options->evaluation.defocus,
                          "Image plane shift from the paraxial image, mm (default 0)");
    wavefront
        ->add_option("--steps", options->steps,
                     "Pupil steps per radius (default 15 for the map, 30 for the line)")
        ->check(CLI::Range(1, 500));
    wavefront->add_flag("--line", options->line,
                        "The values of the line tab (the two fans of the pupil) instead of the map");
    wavefront->add_option("--wavelength", options->evaluation.wavelength,
                          "Trace only this line (t s A r C d e F g h i); it is then the reference");
    wavefront->add_flag("--json", options->json, "Print one JSON object");

    return {wavefront, [options](std::ostream& out, std::ostream& err) {
                LoadedLens loaded;
                RayTracer& tracer = loaded.bench.Tracer();
                WavefrontSettings settings;
                settings.defocus = PrepareEvaluation(loaded, options->evaluation, err);
                settings.fieldAngle = options->evaluation.angle;
                settings.steps = options->steps > 0 ? options->steps : options->line ? 30 : 15;
                CliHost host;
                nlohmann::ordered_json result;
                if (options->line) {
                    const WavefrontLine line = ComputeWavefrontLine(tracer, loaded.lens, settings, host);
                    if (!line.valid) throw CommandError{options->evaluation.lens + ": " + line.status};
                    result["pv"] = line.peakToValley;
                    result["rms"] = line.rms;
                    result["strehl_estimate"] = line.strehl;
                    result["rays"] = line.samples;
                } else {
                    const WavefrontMap map = ComputeWavefrontMap(tracer, loaded.lens, settings, host);
                    if (!map.valid) throw CommandError{options->evaluation.lens + ": " + map.status};
                    result["pv"] = map.peakToValley;
                    result["rms"] = map.rms;
                    result["strehl_estimate"] = map.strehl;
                    result["rays"] = map.samples;
                }
                Print(out, result, options->json);
            }};
}

} // namespace vitrimo::cli
