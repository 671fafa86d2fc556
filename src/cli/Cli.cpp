#include "cli/Cli.h"

#include "cli/CliHost.h"
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

namespace vitrimo {
namespace {

constexpr const char* kProgram = "vitrimo-cli";

// A failure that ends the command: one line on stderr and exit code 1.
struct CommandError {
    std::string message;
};

// Reads a lens file and brings its arrays and paraxial data up to date.
struct LoadedLens {
    Lens lens;
    ParaxialTrace paraxial;
    Readiness readiness = Readiness::NoImage;
};

void LoadLens(const std::string& path, LoadedLens& loaded, std::ostream& err) {
    const LensFileResult read = ReadLensFile(loaded.lens, path);
    if (!read.Ok()) throw CommandError{read.error};
    for (const auto& title : read.unknownColumns)
        err << kProgram << ": warning: " << path << ": unknown column \"" << title << "\" ignored\n";
    CliHost host;
    loaded.readiness = PrepareForCalculation(loaded.lens, loaded.paraxial, host);
    if (loaded.readiness == Readiness::Cancelled) {
        const std::string question =
            host.Unanswered().empty() ? "a value is missing" : host.Unanswered().back();
        throw CommandError{path + ": the lens is incomplete (" + question + ")"};
    }
}

nlohmann::json NumberOrNull(double value, bool present = true) {
    return present && std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(nullptr);
}

std::string TextOf(const nlohmann::json& value) {
    if (value.is_null()) return "none";
    if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
    if (value.is_number_float()) return FormatShortest(value.get<double>());
    return value.dump();
}

// Prints an object either as JSON on one line or as "key: value" lines.
void Print(std::ostream& out, const nlohmann::ordered_json& object, bool json) {
    if (json) {
        out << object.dump() << '\n';
        return;
    }
    for (const auto& [key, value] : object.items()) out << key << ": " << TextOf(value) << '\n';
}

void RunInfo(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
    LoadedLens loaded;
    LoadLens(path, loaded, err);
    const Lens& lens = loaded.lens;
    const bool afocal = loaded.paraxial.Afocal();
    const int stop = lens.StopSurfaceIndex();
    nlohmann::ordered_json info;
    info["surfaces"] = lens.SurfaceCount();
    info["focal_length"] = NumberOrNull(lens.FocalLength(), !afocal);
    info["back_focal_distance"] =
        NumberOrNull(lens.BackFocalDistance(), !afocal || lens.Text(col::GlassName, 1) != "Air");
    info["image_valid"] = loaded.paraxial.ImageValid();
    info["stop_surface"] = stop;
    info["entrance_pupil_distance"] = NumberOrNull(ParaxialTrace::EntrancePupilDistance(lens, stop));
    Print(out, info, json);
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"Vitrimo lens calculations on the command line", kProgram};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Print the help of every command");

    std::string lensPath;
    bool json = false;
    CLI::App* info =
        app.add_subcommand("info", "First-order data of a lens: focal length, back focal distance, stop");
    info->add_option("LENS", lensPath, "Lens data file (.ldt)")->required();
    info->add_flag("--json", json, "Print one JSON object");

    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::ParseError& e) {
        err << kProgram << ": " << e.what() << " (see " << kProgram << " --help)\n";
        return 2;
    }

    try {
        if (info->parsed()) RunInfo(lensPath, json, out, err);
    } catch (const CommandError& e) {
        err << kProgram << ": " << e.message << '\n';
        return 1;
    }
    return 0;
}

} // namespace vitrimo
