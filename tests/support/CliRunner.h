#pragma once

#include "cli/Cli.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace vitrimo::test {

// One run of the command-line program in process: exit code and both streams.
struct CliRun {
    int code;
    std::string out;
    std::string err;
};

inline CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), "vitrimo-cli");
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

inline int LineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace vitrimo::test
