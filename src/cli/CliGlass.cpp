// vitrimo-cli glass: a catalogue glass's indices at the eleven lines and at other wavelengths, from one
// of the four makers' catalogues or from AGF catalogue files (--agf).
#include "cli/CliCommon.h"
#include "glass/AgfCatalogue.h"
#include "glass/Dispersion.h"
#include "glass/GlassCatalogue.h"
#include "model/NumberFormat.h"
#include "model/Workspace.h"

#include <array>
#include <memory>

namespace vitrimo::cli {
namespace {

// The eleven lines in the order of the lens table's index columns, as the glass command names them.
constexpr std::array<const char*, kCatalogueTitleCount - 1> kLineNames{"t", "s", "A", "r", "C", "d",
                                                                       "e", "F", "g", "h", "i"};

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

// The glass from AGF files: the first file that has it, or the one `makerName` names. Line indices by
// the glass's formula at the exact line wavelengths (none more than 2 nm outside its range); further
// wavelengths by the formula wherever it gives an index, those outside the range listed.
void RunAgfGlass(const std::vector<std::string>& files, const std::string& makerName,
                 const std::string& glassName, const std::vector<double>& wavelengths, bool json,
                 std::ostream& out) {
    AddedCatalogues added;
    for (const std::string& file : files)
        if (auto error = added.Add(file)) throw CommandError{*error};
    const AgfIndices found = added.Indices(glassName, makerName, wavelengths);
    if (!found.Ok()) throw CommandError{found.error};
    const AgfGlass& glass = *added.Catalogue(found.catalogue)->Find(glassName);

    nlohmann::ordered_json indices = nlohmann::ordered_json::object();
    for (int line = 0; line < kCatalogueTitleCount - 1; ++line) {
        const auto index = ParseNumber(AgfLineIndexText(glass, line));
        indices[kLineNames[line]] = index ? nlohmann::ordered_json(*index) : nullptr;
    }
    nlohmann::ordered_json extra = nlohmann::ordered_json::object();
    nlohmann::ordered_json outside = nlohmann::ordered_json::array();
    for (std::size_t k = 0; k < wavelengths.size(); ++k) {
        const std::string key = FormatShortest(wavelengths[k]);
        if (!found.indices[k])
            throw CommandError{glassName + ": the " + std::string(AgfFormulaName(glass.formula)) +
                               " formula of the catalogue " + found.catalogue + " gives no real index at " +
                               key + " nm"};
        extra[key] = FiveDecimals(*found.indices[k]);
        if (found.outsideRange[k]) outside.push_back(key);
    }

    if (json) {
        nlohmann::ordered_json result;
        result["maker"] = found.catalogue;
        result["name"] = glassName;
        result["formula"] = AgfFormulaName(glass.formula);
        result["indices"] = std::move(indices);
        result["extra"] = std::move(extra);
        result["outside_range"] = std::move(outside);
        out << result.dump() << '\n';
        return;
    }
    out << "maker: " << found.catalogue << "\nname: " << glassName << "\nformula: " << glass.formula << ' '
        << AgfFormulaName(glass.formula) << '\n';
    for (const auto& [line, index] : indices.items())
        out << 'n' << line << ": " << (index.is_null() ? "none" : FormatFixed(index.get<double>(), 5))
            << '\n';
    for (std::size_t k = 0; k < wavelengths.size(); ++k)
        out << FormatShortest(wavelengths[k]) << "nm: " << FormatFixed(*found.indices[k], 5)
            << (found.outsideRange[k] ? " (outside the glass's range)" : "") << '\n';
}

} // namespace

Command AddGlassCommand(CLI::App& app) {
    struct Options {
        std::string maker, name;
        std::vector<std::string> agfFiles;
        std::vector<double> wavelengths;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* glass = app.add_subcommand(
        "glass", "Refractive indices of a catalogue glass at the eleven lines and at other wavelengths");
    glass->add_option("--maker", options->maker,
                      "Glass maker: Sumita, Ohara, HOYA or Schott; with --agf the catalogue's name");
    glass->add_option("--agf", options->agfFiles,
                      "An AGF glass catalogue file to look the glass up in (may be given more than once)");
    glass->add_option("--name", options->name, "Glass name as the catalogue writes it, e.g. N-BK7")
        ->required();
    const CLI::Validator positive(
        [](std::string& text) {
            const auto value = ParseNumber(text);
            return value && *value > 0 ? std::string()
                                       : "\"" + text + "\" is not a positive number of nanometres";
        },
        "NM");
    glass
        ->add_option("--wavelength", options->wavelengths,
                     "Further wavelengths in nm, computed by the maker's formula")
        ->check(positive);
    glass->add_flag("--json", options->json, "Print one JSON object");
    return {glass, [options](std::ostream& out, std::ostream&) {
                if (!options->agfFiles.empty()) {
                    RunAgfGlass(options->agfFiles, options->maker, options->name, options->wavelengths,
                                options->json, out);
                    return;
                }
                if (options->maker.empty()) throw UsageError{"glass: give --maker or --agf"};
                RunGlass(options->maker, options->name, options->wavelengths, options->json, out);
            }};
}

} // namespace vitrimo::cli
