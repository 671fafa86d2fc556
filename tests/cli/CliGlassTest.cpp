#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;
using test::LineCount;

TEST(CliGlass, PrintsCatalogueIndicesAndFormulaIndices) {
    CliRun run = Cli({"glass", "--maker", "Schott", "--name", "N-BK7", "--wavelength", "532", "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(json["maker"], "Schott");
    EXPECT_EQ(json["name"], "N-BK7");
    // SCHOTT's data sheet of N-BK7, lines t ... i.
    const std::vector<std::pair<std::string, double>> sheet{
        {"t", 1.50731}, {"s", 1.50980}, {"A", 1.51143}, {"r", 1.51289}, {"C", 1.51432}, {"d", 1.51680},
        {"e", 1.51872}, {"F", 1.52238}, {"g", 1.52668}, {"h", 1.53024}, {"i", 1.53627}};
    ASSERT_EQ(json["indices"].size(), sheet.size());
    auto index = json["indices"].begin();
    for (const auto& [line, value] : sheet) {
        EXPECT_EQ(index.key(), line);
        EXPECT_TRUE(test::Near((index++).value().get<double>(), value, 0, 1e-9)) << line;
    }
    // By hand from SCHOTT's Sellmeier coefficients: 1.5194726.
    EXPECT_EQ(json["extra"].size(), 1u);
    EXPECT_TRUE(test::Near(json["extra"]["532"].get<double>(), 1.51947, 0, 1e-9));

    run = Cli({"glass", "--maker", "hoya", "--name", "BSC7", "--wavelength", "1550", "587.5618"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(LineCount(run.out), 15);
    EXPECT_EQ(run.out.rfind("maker: HOYA\nname: BSC7\nnt: ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\n587.5618nm: 1.51680\n"), std::string::npos) << run.out; // HOYA's nd

    // N-SF11's catalogue has no index at the i line.
    run = Cli({"glass", "--maker", "Schott", "--name", "N-SF11", "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(nlohmann::json::parse(run.out)["indices"]["i"].is_null());
}

TEST(CliGlass, UnknownMakersGlassesAndWavelengthsFailWithOneLine) {
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> failures{
        {{"--maker", "Zeiss", "--name", "N-BK7"}, 1, "unknown glass maker \"Zeiss\""},
        {{"--maker", "Schott", "--name", "N-BK8"}, 1, "no glass \"N-BK8\""},
        {{"--maker", "Sumita", "--name", "K-BK7", "--wavelength", "20000"}, 1, "no real index at 20000 nm"},
        {{"--maker", "Schott"}, 2, "--name is required"},
        {{"--maker", "Schott", "--name", "N-BK7", "--wavelength", "-5"},
         2,
         "\"-5\" is not a positive number"},
    };
    for (auto [args, code, expected] : failures) {
        args.insert(args.begin(), "glass");
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, code) << expected;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace vitrimo
