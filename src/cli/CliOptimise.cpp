// vitrimo-cli merit and optimise: the merit value of a lens under optimisation conditions, and the
// optimisation itself, written as a lens data file.
#include "cli/CliCommon.h"
#include "cli/CliHost.h"
#include "design/Optimisation.h"
#include "model/IniFile.h"
#include "model/LensFile.h"

#include <filesystem>
#include <memory>

namespace vitrimo::cli {
namespace {

// The conditions of section "CorrFactor" of a settings file, or the defaults without one.
MeritConditions LoadConditions(const std::string& path) {
    if (path.empty()) return {};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw CommandError{path + ": no such settings file"};
    std::string error;
    const IniFile settings = IniFile::Load(path, &error);
    if (!error.empty()) throw CommandError{path + ": " + error};
    MeritConditions conditions = MeritConditions::Read(settings, &error);
    if (!error.empty()) throw CommandError{path + ": " + error};
    return conditions;
}

void Warn(const LensMerit& merit, std::ostream& err) {
    for (const std::string& line : merit.SkippedWavelengths())
        err << kProgram << ": warning: wavelength " << line
            << " has a weight but cannot be traced: some face has no refractive index for it\n";
}

} // namespace

Command AddMeritCommand(CLI::App& app) {
    struct Options {
        std::string lens, conditions;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* merit = app.add_subcommand("merit", "The merit value F of a lens under the optimization "
                                                  "conditions, with its parts");
    merit->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    merit->add_option(
        "--conditions", options->conditions,
        "Settings file whose section [CorrFactor] holds the conditions (default: the defaults)");
    merit->add_flag("--json", options->json, "Print one JSON object");

    return {merit, [options](std::ostream& out, std::ostream& err) {
                const MeritConditions conditions = LoadConditions(options->conditions);
                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                CliHost host;
                LensMerit merit(loaded.lens, conditions, host);
                merit.SetThreads(loaded.bench.Threads());
                if (!merit.Error().empty()) throw CommandError{options->lens + ": " + merit.Error()};
                Warn(merit, err);
                const double f = merit.FValue(merit.Variables());
                const MeritParts& parts = merit.Last();
                nlohmann::ordered_json json;
                json["merit"] = NumberOrNull(f);
                json["valid"] = parts.valid;
                json["spot"] = NumberOrNull(parts.spot, parts.valid);
                json["sph_sum"] = NumberOrNull(parts.sphSum, parts.valid);
                json["coma_sum"] = NumberOrNull(parts.comaSum, parts.valid);
                json["ast_sum"] = NumberOrNull(parts.astSum, parts.valid);
                json["dist_sum"] = NumberOrNull(parts.distSum, parts.valid);
                json["petzval_sum"] = NumberOrNull(parts.petzvalSum, parts.valid);
                json["curvature_sum"] = NumberOrNull(parts.curvatureSum, parts.valid);
                json["bound_penalty"] = NumberOrNull(parts.boundPenalty, parts.valid);
                json["sine_coma"] = NumberOrNull(parts.sineComa, parts.valid);
                json["focus_shift"] = NumberOrNull(parts.focus, parts.valid);
                Print(out, json, options->json);
            }};
}

Command AddOptimiseCommand(CLI::App& app) {
    struct Options {
        std::string lens, conditions, output, method = "simplex";
        bool keepFocalLength = false;
        long long maxEvaluations = 0;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* optimise = app.add_subcommand(
        "optimise", "Optimize the free radii and distances (empty rFix/lFix) of a lens against its merit "
                    "function and write the result");
    optimise->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    optimise->add_option("--method", options->method, "The minimiser")
        ->check(CLI::IsMember({"simplex", "dfp"}))
        ->capture_default_str();
    optimise->add_option(
        "--conditions", options->conditions,
        "Settings file whose section [CorrFactor] holds the conditions (default: the defaults)");
    optimise->add_flag("--keep-focal-length", options->keepFocalLength,
                       "Keep the focal length (whatever the conditions say)");
    optimise
        ->add_option("--max-evaluations", options->maxEvaluations,
                     "End the run after this many merit evaluations, keeping the best point (0: no limit)")
        ->check(CLI::NonNegativeNumber);
    optimise->add_option("-o,--output", options->output, "The optimized lens data file to write")->required();
    optimise->add_flag("--json", options->json, "Print one JSON object");

    return {optimise, [options](std::ostream& out, std::ostream& err) {
                OptimisationJob job;
                job.conditions = LoadConditions(options->conditions);
                job.conditions.method =
                    options->method == "dfp" ? MinimiserMethod::Dfp : MinimiserMethod::Simplex;
                if (options->keepFocalLength) job.conditions.constFL = true;
                job.maxEvaluations = options->maxEvaluations;
                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                job.threads = loaded.bench.Threads();
                CliHost host;
                {
                    const LensMerit check(loaded.lens, job.conditions, host);
                    Warn(check, err);
                }
                const OptimisationResult result = Optimise(loaded.lens, job, host);
                if (!result.Ok()) throw CommandError{options->lens + ": " + result.error};
                if (result.run.stopped) throw CommandError{options->lens + ": the optimization was stopped"};

                // The table takes the values as the main window writes them; the focal length reported is
                // that of the lens read back from its text.
                WriteOptimisedValues(loaded.lens, result.run.x);
                if (loaded.bench.Prepare(host) != Readiness::Ready)
                    throw CommandError{options->lens + ": the optimized lens forms no real image"};
                if (const auto error = WriteLensFile(loaded.lens, options->output))
                    throw CommandError{*error};

                nlohmann::ordered_json json;
                json["merit_start"] = NumberOrNull(result.meritStart);
                json["merit_end"] = NumberOrNull(result.run.value);
                json["evaluations"] = result.run.evaluations;
                json["focal_length_start"] = NumberOrNull(result.focalLengthStart);
                json["focal_length_end"] = NumberOrNull(loaded.lens.FocalLength());
                json["evaluation_limit_reached"] = result.run.capped;
                Print(out, json, options->json);
            }};
}

} // namespace vitrimo::cli
