// vitrimo-cli import and export: lens files of other design programs (.zmx) to and from lens data files.
#include "cli/CliCommon.h"
#include "exchange/ZmxExport.h"
#include "exchange/ZmxImport.h"
#include "model/LensFile.h"
#include "model/Workspace.h"

#include <memory>

namespace vitrimo::cli {
namespace {

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += "\n  " + item;
    return text;
}

} // namespace

Command AddImportCommand(CLI::App& app) {
    struct Options {
        std::string source, output;
        std::vector<std::string> agfFiles;
        bool keepGoing = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "import", "Convert a lens file of another design program (.zmx) to a lens data file");
    command->add_option("FILE", options->source, "Lens file to import (.zmx)")->required();
    command->add_option("-o,--output", options->output, "Lens data file to write (.ldt)")->required();
    command->add_option(
        "--agf", options->agfFiles,
        "Glass catalogue in the makers' AGF format, asked before the built-in ones (repeatable)");
    command->add_flag(
        "--continue", options->keepGoing,
        "Write the lens even when the file holds what the program cannot express (listed on stderr)");

    return {command, [options](std::ostream& out, std::ostream& err) {
                auto catalogues =
                    std::make_shared<GlassCatalogues>(Workspace::FromCurrentDirectory(), ProgramDataDir());
                AddedCatalogues added;
                for (const std::string& file : options->agfFiles)
                    if (auto error = added.Add(file)) throw CommandError{*error};
                ZmxImport imported = ImportZmxFile(
                    options->source,
                    ChainGlassLookups({AddedGlassLookup(added), BuiltInGlassLookup(catalogues)}));
                if (!imported.Ok()) throw CommandError{imported.error};
                if (!imported.unsupported.empty()) {
                    const std::string list = options->source + " holds what the program cannot express:" +
                                             Listed(imported.unsupported);
                    if (!options->keepGoing)
                        throw CommandError{list + "\n(use --continue to write the lens without it)"};
                    err << kProgram << ": warning: " << list << '\n';
                }
                if (auto error = WriteLensFile(imported.lens, options->output)) throw CommandError{*error};
                out << "imported " << imported.lens.DataRowCount() - 1 << " faces into " << options->output
                    << '\n';
            }};
}

Command AddExportCommand(CLI::App& app) {
    struct Options {
        std::string lens, output;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command =
        app.add_subcommand("export", "Write a lens data file as a lens file of other design programs (.zmx)");
    command->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    command->add_option("-o,--output", options->output, "Lens file to write (.zmx)")->required();

    return {command, [options](std::ostream& out, std::ostream& err) {
                Lens lens;
                const LensFileResult read = ReadLensFile(lens, options->lens);
                if (!read.Ok()) throw CommandError{read.error};
                std::vector<std::string> notCarried;
                if (auto error = WriteZmxFile(lens, options->output, &notCarried)) throw CommandError{*error};
                if (!notCarried.empty())
                    err << kProgram << ": warning: the .zmx file leaves out:" << Listed(notCarried) << '\n';
                out << "exported " << lens.DataRowCount() - 1 << " faces into " << options->output << '\n';
            }};
}

} // namespace vitrimo::cli
