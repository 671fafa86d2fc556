#include "cli/Cli.h"

#include "cli/CliHost.h"
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "glass/Dispersion.h"
#include "glass/GlassCatalogue.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "model/Workspace.h"

#include <CLI/CLI.hpp>
#include <array>
#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <ostream>

namespace vitrimo {
namespace {

constexpr const char* kProgram = "vitrimo-cli";

// The folder with the glass catalogues, looked in after the current folder: $VITRIMO_DATA_DIR, else
// the folder CMake names (by default the data folder of the source tree the program was built from).
#ifndef VITRIMO_DATA_DIR
#define VITRIMO_DATA_DIR ""
#endif

std::string ProgramDataDir() {
    const char* fromEnvironment = std::getenv("VITRIMO_DATA_DIR");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : VITRIMO_DATA_DIR;
}

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

// The eleven lines in the order of the lens table's index columns, as the glass command names them.
constexpr std::array<const char*, kCatalogueTitleCount - 1> kLineNames{"t", "s", "A", "r", "C", "d",
                                                                       "e", "F", "g",  "h", "i"};

// A refractive index as the table would hold it: 5 decimals.
double FiveDecimals(double index) {
    return ParseNumber(FormatFixed(index, 5)).value_or(index);
}

void RunGlass(const std::string& makerName, const std::string& glassName,
              const std::vector<double>& wavelengths, bool json, std::ostream& out) {
    const auto maker = MakerFromName(makerName);
    if (!maker)
        throw CommandError{"unknown glass maker \"" + makerName + "\" (Sumita, Ohara, HOYA or Schott)"};
    GlassCatalogue catalogue;
    if (auto error =
            LoadGlassCatalogue(*maker, Workspace::FromCurrentDirectory(), ProgramDataDir(), catalogue))
        throw CommandError{*error};
    const GlassFormulaResult found = FindGlassFormula(catalogue, glassName);
    if (found.row < 0) throw CommandError{found.error};

    nlohmann::ordered_json indices = nlohmann::ordered_json::object();
    for (int line = 0; line < kCatalogueTitleCount - 1; ++line) {
        const auto index = ParseNumber(catalogue.TitledCell(static_cast<CatalogueTitle>(line), found.row));
        indices[kLineNames[line]] = index ? nlohmann::ordered_json(FiveDecimals(*index)) : nullptr;
    }
    nlohmann::ordered_json extra = nlohmann::ordered_json::object();
    for (double nanometres : wavelengths) {
        if (!found.Ok()) throw CommandError{found.error};
        const auto index = found.formula.IndexAt(nanometres);
        if (!index)
            throw CommandError{glassName + ": the " + std::string(found.formula.Name()) + " formula of the " +
                               std::string(MakerName(*maker)) + " catalogue gives no real index at " +
                               FormatShortest(nanometres) + " nm"};
        extra[FormatShortest(nanometres)] = FiveDecimals(*index);
    }

    if (json) {
        nlohmann::ordered_json result;
        result["maker"] = MakerName(*maker);
        result["name"] = glassName;
        result["indices"] = std::move(indices);
        result["extra"] = std::move(extra);
        out << result.dump() << '\n';
        return;
    }
    out << "maker: " << MakerName(*maker) << "\nname: " << glassName << '\n';
    for (const auto& [line, index] : indices.items())
        out << 'n' << line << ": " << (index.is_null() ? "none" : FormatFixed(index.get<double>(), 5))
            << '\n';
    for (const auto& [nanometres, index] : extra.items())
        out << nanometres << "nm: " << FormatFixed(index.get<double>(), 5) << '\n';
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

    std::string makerName, glassName;
    std::vector<double> wavelengths;
    CLI::App* glass = app.add_subcommand(
        "glass", "Refractive indices of a catalogue glass at the eleven lines and at other wavelengths");
    glass->add_option("--maker", makerName, "Glass maker: Sumita, Ohara, HOYA or Schott")->required();
    glass->add_option("--name", glassName, "Glass name as the catalogue writes it, e.g. N-BK7")->required();
    const CLI::Validator positive(
        [](std::string& text) {
            const auto value = ParseNumber(text);
            return value && *value > 0 ? std::string()
                                       : "\"" + text + "\" is not a positive number of nanometres";
        },
        "NM");
    glass
        ->add_option("--wavelength", wavelengths,
                     "Further wavelengths in nm, computed by the maker's formula")
        ->check(positive);
    glass->add_flag("--json", json, "Print one JSON object");

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
        if (glass->parsed()) RunGlass(makerName, glassName, wavelengths, json, out);
    } catch (const CommandError& e) {
        err << kProgram << ": " << e.message << '\n';
        return 1;
    }
    return 0;
}

} // namespace vitrimo
