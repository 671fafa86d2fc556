#include "cli/Cli.h"

#include "cli/CliCommon.h"

#include <ostream>

namespace vitrimo {
namespace {

int ParseAndRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool run) {
    using namespace cli;
    CLI::App app{"Vitrimo lens calculations on the command line", kProgram};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Print the help of every command");
    const std::vector<Command> commands = {AddInfoCommand(app),   AddGlassCommand(app),  AddTraceCommand(app),
                                           AddCurvesCommand(app), AddSeidelCommand(app), AddScaleCommand(app),
                                           AddFigureCommand(app)};

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
    } catch (const CommandError& e) {
        err << kProgram << ": " << e.message << '\n';
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
