
#include "model/FileIo.h"
#include "model/LensFile.h"
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

TEST(CliInfo, PrintsFirstOrderDataAsJson) {
    const CliRun run = Cli({"info", test::SourcePath("data/Lens/cooke-triplet.ldt"), "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json.size(), 7u);
    EXPECT_EQ(json["surfaces"], 7);
    EXPECT_TRUE(test::Near(json["focal_length"].get<double>(), 100.065321203, 1e-9));
    EXPECT_TRUE(test::Near(json["back_focal_distance"].get<double>(), 82.5575956902, 1e-9));
    EXPECT_EQ(json["image_valid"], true);
    EXPECT_EQ(json["stop_surface"], 5);
    EXPECT_TRUE(test::Near(json["entrance_pupil_distance"].get<double>(), 22.6085, 1e-5));
    // Real rays aimed at the rim of the 17.174 mm stop: a little less than the paraxial 22.2 mm.
    EXPECT_TRUE(test::Near(json["entrance_pupil_diameter"].get<double>(), 22.1, 0.01));
}

TEST(CliInfo, PrintsTextLines) {
    const CliRun run = Cli({"info", test::SourcePath("data/Lens/singlet.ldt")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(LineCount(run.out), 7);
    EXPECT_NE(run.out.find("surfaces: 2\n"), std::string::npos);
    EXPECT_NE(run.out.find("image_valid: yes\n"), std::string::npos);
    EXPECT_NE(run.out.find("focal_length: 99.99896586"), std::string::npos);
}

TEST(CliInfo, AfocalLensGivesNullsNotInfinity) {
    test::TempDir dir;
    Lens lens = test::MakeLens({{"Ideal Lens", "100", "150", "1"}, {"Ideal Lens", "50", "10", "1"}});
    ASSERT_FALSE(WriteLensFile(lens, dir.File("kepler.ldt")));
    const CliRun run = Cli({"info", dir.File("kepler.ldt"), "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_TRUE(json["focal_length"].is_null());
    EXPECT_TRUE(json["back_focal_distance"].is_null());
    EXPECT_EQ(json["image_valid"], false);
}

TEST(CliInfo, BadFilesAndIncompleteLensesFailWithOneLine) {
    test::TempDir dir;
    ASSERT_FALSE(WriteFileAtomically(dir.File("junk.ldt"), "this is not a lens\r\n"));
    Lens incomplete = test::MakeLens({{"N-BK7", "50", "5", "1.5", "", ""}, {"Air", "-50", "0", "1", "", ""}});
    incomplete.SetText(col::EffectiveDiameter, 1, "");
    ASSERT_FALSE(WriteLensFile(incomplete, dir.File("incomplete.ldt")));
    for (const std::string& file :
         {dir.File("missing.ldt"), dir.File("junk.ldt"), dir.File("incomplete.ldt")}) {
        const CliRun run = Cli({"info", file});
        EXPECT_EQ(run.code, 1) << file;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("vitrimo-cli: ", 0), 0u) << run.err;
    }
    EXPECT_NE(Cli({"info", dir.File("incomplete.ldt")}).err.find("Input the effective diameter of No.1"),
              std::string::npos);
}

TEST(CliInfo, WrongCommandLinesExitWithTwo) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{}, {"info"}, {"nonsense"}, {"info", "a", "--bad"}}) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
    }
    EXPECT_EQ(Cli({"--help"}).code, 0);
}

} // namespace
} // namespace vitrimo
