#include "cli/Cli.h"

#include "cli/CliCommon.h"
#include "cli/CliEvaluation.h"

#include <exception>
#include <new>
#include <ostream>

namespace vitrimo {
namespace {

int ParseAndRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool run) {
    using namespace cli;
    CLI::App app{"Vitrimo lens calculations on the command line", kProgram};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Print the help of every command");
    std::vector<Command> commands = {AddInfoCommand(app),    AddGlassCommand(app),  AddTraceCommand(app),
                                     AddCurvesCommand(app),  AddSeidelCommand(app), AddScaleCommand(app),
                                     AddBendCommand(app),    AddSpotCommand(app),   AddWavefrontCommand(app),
                                     AddPsfCommand(app),     AddMtfCommand(app),    AddMeritCommand(app),
                                     AddOptimiseCommand(app)};
    commands.push_back(AddReportCommand(app));
    commands.push_back(AddImportCommand(app));
    commands.push_back(AddExportCommand(app));
#ifdef VITRIMO_WITH_FIGURES
    commands.push_back(AddFigureCommand(app));
#endif

    // Every number on the command line must be finite: "nan" and "inf" are refused like any other word
    // that is not a number, so they can never reach a calculation or an output.
    RequireFiniteNumbers(app);
    AddThreadsOption(app);

    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        const auto chosen = app.get_subcommands();
        out << (chosen.empty() ? app.help() : chosen.front()->help());
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::ParseError& e) {
        err << kProgram << ": " << e.what() << " (see " << kProgram << " --help)\n";
        return 2;
    }
    if (!run) return 0;

    try {
        for (const Command& command : commands)
            if (command.app->parsed()) command.run(out, err);
    } catch (const UsageError& e) {
        err << kProgram << ": " << e.message << " (see " << kProgram << " --help)\n";
        return 2;
    } catch (const CommandError& e) {
        err << kProgram << ": " << e.message << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        err << kProgram << ": not enough memory for this calculation\n";
        return 1;
    } catch (const std::exception& e) {
        // The core reports what a user can cause as values; an exception is a fault, reported the same.
        err << kProgram << ": " << e.what() << '\n';
        return 1;
    }
    // Output that could not be written (a full disk, a closed pipe) is a failure, not a success.
    out.flush();
    if (!out) {
        err << kProgram << ": the output could not be written\n";
        return 1;
    }
    return 0;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return ParseAndRun(args, out, err, true);
}

int ParseCliArguments(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return ParseAndRun(args, out, err, false);
}

} // namespace vitrimo
