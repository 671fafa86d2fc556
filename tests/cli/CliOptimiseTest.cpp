// vitrimo-cli merit and optimise: their JSON, their exit codes, and the lens file they write.
#include "model/LensFile.h"
#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;
using test::Near;

std::string Triplet() {
    return test::SourcePath("data/Lens/cooke-triplet.ldt");
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

TEST(CliMerit, PrintsFAndItsParts) {
    const CliRun run = Cli({"merit", Triplet(), "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    for (const char* key : {"merit", "valid", "spot", "sph_sum", "coma_sum", "ast_sum", "dist_sum",
                            "petzval_sum", "curvature_sum", "bound_penalty", "sine_coma", "focus_shift"})
        EXPECT_TRUE(json.contains(key)) << key;
    EXPECT_TRUE(json["valid"].get<bool>());
    // The default conditions: F = (0.1 + curvature sum) S.
    EXPECT_TRUE(Near(json["merit"].get<double>(),
                     (0.1 + json["curvature_sum"].get<double>()) * json["spot"].get<double>(), 1e-12));
}

TEST(CliMerit, ReadsTheConditionsFromASettingsFile) {
    test::TempDir dir;
    WriteText(dir.File("c.ini"), "[CorrFactor]\nAngle=0\n");
    const CliRun zero = Cli({"merit", Triplet(), "--conditions", dir.File("c.ini"), "--json"});
    ASSERT_EQ(zero.code, 0) << zero.err;
    EXPECT_EQ(nlohmann::json::parse(zero.out)["merit"].get<double>(), 0);

    WriteText(dir.File("bad.ini"), "[CorrFactor]\nAngle=much\n");
    const CliRun bad = Cli({"merit", Triplet(), "--conditions", dir.File("bad.ini")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("Angle"), std::string::npos);
    EXPECT_EQ(Cli({"merit", Triplet(), "--conditions", dir.File("missing.ini")}).code, 1);
}

TEST(CliOptimise, WritesTheOptimizedLensAndReports) {
    test::TempDir dir;
    const std::string out = dir.File("out.ldt");
    const CliRun run =
        Cli({"optimise", Triplet(), "--method", "dfp", "--keep-focal-length", "-o", out, "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    for (const char* key :
         {"merit_start", "merit_end", "evaluations", "focal_length_start", "focal_length_end"})
        EXPECT_TRUE(json.contains(key)) << key;
    EXPECT_LT(json["merit_end"].get<double>(), json["merit_start"].get<double>());
    EXPECT_GT(json["evaluations"].get<int>(), 0);
    // The table holds radii to 4 decimals and distances to 3: the focal length read back stays within that.
    EXPECT_TRUE(Near(json["focal_length_end"].get<double>(), json["focal_length_start"].get<double>(), 1e-5));

    Lens written;
    ASSERT_TRUE(ReadLensFile(written, out).Ok());
    const CliRun merit = Cli({"merit", out, "--json"});
    ASSERT_EQ(merit.code, 0);
    EXPECT_TRUE(
        Near(nlohmann::json::parse(merit.out)["merit"].get<double>(), json["merit_end"].get<double>(), 0.05));
}

TEST(CliOptimise, TheEvaluationLimitEndsTheRun) {
    test::TempDir dir;
    const CliRun run =
        Cli({"optimise", Triplet(), "--max-evaluations", "12", "-o", dir.File("o.ldt"), "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["evaluations"].get<int>(), 12);
    EXPECT_TRUE(std::filesystem::exists(dir.File("o.ldt")));
}

TEST(CliOptimise, FailuresWriteNothing) {
    test::TempDir dir;
    const std::string out = dir.File("out.ldt");
    // A wrong command line: exit code 2.
    EXPECT_EQ(Cli({"optimise", Triplet(), "--method", "newton", "-o", out}).code, 2);
    EXPECT_EQ(Cli({"optimise", Triplet(), "--max-evaluations", "-3", "-o", out}).code, 2);
    EXPECT_EQ(Cli({"optimise", Triplet()}).code, 2);
    // Every radius and distance fixed: nothing to optimise.
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, Triplet()).Ok());
    for (int row = 2; row <= lens.RowCount() - 1; ++row) {
        lens.SetText(col::RFix, row, "x");
        lens.SetText(col::LFix, row, "x");
    }
    ASSERT_FALSE(WriteLensFile(lens, dir.File("fixed.ldt")));
    const CliRun fixed = Cli({"optimise", dir.File("fixed.ldt"), "-o", out});
    EXPECT_EQ(fixed.code, 1);
    EXPECT_NE(fixed.err.find("Nothing to optimize"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace vitrimo
