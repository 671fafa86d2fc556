// vitrimo-cli's command line: every line is parsed as the program parses it. Lines that name no path
// outside the current folder and do not draw figures are also run, in a scratch folder holding the
// sample lenses, and what they print must not show NaN or infinity (nor null for a traced ray's numbers,
// which is how JSON prints NaN).
//
// The input is the argument list, one argument per line (the program name is added in front).
#include "FuzzSupport.h"
#include "cli/Cli.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <unistd.h>
#include <vector>

using namespace vitrimo;
using fuzz::Check;

namespace {

namespace fs = std::filesystem;

// A scratch folder with the sample lenses, made once; the runs happen there.
const std::set<std::string>& ScratchFolder() {
    static const std::set<std::string> samples = [] {
        std::string pattern = (fs::temp_directory_path() / "vitrimo-fuzz-cli-XXXXXX").string();
        Check(::mkdtemp(pattern.data()) != nullptr, "a scratch folder");
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(VITRIMO_SOURCE_DIR) / "data" / "Lens")) {
            fs::copy_file(entry.path(), fs::path(pattern) / entry.path().filename());
            names.insert(entry.path().filename().string());
        }
        fs::current_path(pattern);
        static const std::string folder = pattern;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        });
        return names;
    }();
    return samples;
}

// Removes what a run wrote, so that the folder holds the samples only.
void RemoveWrittenFiles(const std::set<std::string>& samples) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(".", ignored))
        if (!samples.contains(entry.path().filename().string())) fs::remove_all(entry.path(), ignored);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::set<std::string>& samples = ScratchFolder();
    std::vector<std::string> args{"vitrimo-cli"};
    std::string_view text = fuzz::AsText(data, size);
    while (!text.empty() && args.size() < 64) {
        const auto end = text.find('\n');
        args.emplace_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }

    std::ostringstream out, err;
    const int parsed = ParseCliArguments(args, out, err);
    Check(parsed == 0 || parsed == 2, "the parser accepts or refuses");
    Check(parsed == 0 || !err.str().empty(), "a refused line says why");
    if (parsed != 0) return 0;

    const bool local = std::none_of(args.begin() + 1, args.end(), [](const std::string& arg) {
        return arg.find('/') != std::string::npos || arg.find('\0') != std::string::npos;
    });
    const bool drawsFigure = std::find(args.begin(), args.end(), "figure") != args.end();
    if (!local || drawsFigure) return 0;

    std::ostringstream runOut, runErr;
    const int code = RunCli(args, runOut, runErr);
    Check(code == 0 || code == 1 || code == 2, "the exit code is one the program documents");
    Check(code == 0 || !runErr.str().empty(), "a failure says why");
    Check(!fuzz::ShowsNonFiniteNumber(runOut.str()), "no NaN or infinity is printed");
    // JSON prints NaN as null: a traced ray always has a direction and an optical path.
    for (const char* key : {"\"L\":null", "\"M\":null", "\"N\":null", "\"optical_path\":null"})
        Check(runOut.str().find(key) == std::string::npos, "a traced ray has numbers, not null");
    RemoveWrittenFiles(samples);
    return 0;
}
