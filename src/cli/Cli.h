// vitrimo-cli: the program's calculations without a window, for scripts, tests and benchmarks.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vitrimo {

// Runs one command line (args[0] is the program name). Results go to `out`, errors as one line to `err`.
// Returns the exit code: 0 success, 1 a file or calculation failed, 2 the command line was wrong.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Parses a command line exactly as RunCli does, without running the command (no file is read or
// written): help goes to `out`, a wrong command line gives one line on `err`. Returns 0 when the line is
// accepted (or asked for help), 2 when it is wrong. The option-parser fuzz target calls it.
int ParseCliArguments(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vitrimo
