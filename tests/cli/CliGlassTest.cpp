#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <cmath>
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

// The same command on AGF files: the line indices of HOYA's BSC7 as HOYA's catalogue lists them, an
// added wavelength by its Laurent coefficients, one outside the glass's range marked.
TEST(CliGlass, AgfFilesGiveTheGlassByItsFormula) {
    const std::string makers = test::SourcePath("tests/glass/data/MAKERS.AGF");
    const std::string forms = test::SourcePath("tests/glass/data/FORMS.AGF");
    CliRun run = Cli({"glass", "--agf", forms, "--agf", makers, "--name", "BSC7", "--wavelength", "532",
                      "--wavelength", "1550", "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(json["maker"], "MAKERS");
    EXPECT_EQ(json["formula"], "Schott");
    // HOYA's catalogue: BSC7 nt 1.50733, nd 1.51680, ni 1.53622.
    EXPECT_TRUE(test::Near(json["indices"]["t"].get<double>(), 1.50733, 0, 1e-9));
    EXPECT_TRUE(test::Near(json["indices"]["d"].get<double>(), 1.51680, 0, 1e-9));
    EXPECT_TRUE(test::Near(json["indices"]["i"].get<double>(), 1.53622, 0, 1e-9));
    const double L = 0.532 * 0.532;
    const double at532 = std::sqrt(2.2702566 - 9.1988101e-3 * L + 1.1609706e-2 / L - 7.6123911e-5 / (L * L) +
                                   2.8558727e-5 / (L * L * L) - 1.2566486e-6 / (L * L * L * L));
    EXPECT_TRUE(test::Near(json["extra"]["532"].get<double>(), at532, 0, 5e-6 + 1e-12));
    EXPECT_EQ(json["outside_range"], nlohmann::json::array({"1550"}));

    // Text output; the catalogue chosen by name; an infrared glass without most line indices.
    run = Cli({"glass", "--agf", forms, "--maker", "forms.agf", "--name", "IRG22", "--wavelength", "10000"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("maker: FORMS\nname: IRG22\nformula: 9 Sellmeier 4\nnt: 2.59423\nns: none\n", 0),
              0u)
        << run.out;
    EXPECT_EQ(LineCount(run.out), 15);

    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> failures{
        {{"--agf", forms, "--name", "N-BK7"}, 1, "There is no glass \"N-BK7\" in any added catalogue"},
        {{"--agf", forms, "--maker", "SCHOTT", "--name", "IRG22"},
         1,
         "No added catalogue is named \"SCHOTT\""},
        {{"--agf", "/nonexistent/X.AGF", "--name", "N-BK7"}, 1, "/nonexistent/X.AGF"},
        {{"--agf", makers, "--agf", makers, "--name", "N-BK7"}, 0, ""},
        {{"--name", "N-BK7"}, 2, "give --maker or --agf"},
    };
    for (auto [args, code, expected] : failures) {
        args.insert(args.begin(), "glass");
        run = Cli(args);
        EXPECT_EQ(run.code, code) << expected;
        if (code == 0) continue;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace vitrimo
