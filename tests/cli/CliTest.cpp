
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

// Text output writes each number as the shortest text that reads back as it, with an exponent when that
// is shorter.
TEST(CliInfo, TextNumbersAreShortAndExact) {
    const CliRun run = Cli({"wavefront", test::SourcePath("data/Lens/cassegrain.ldt")});
    ASSERT_EQ(run.code, 0) << run.err;
    for (std::size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = run.out.substr(start, end - start);
        EXPECT_LE(line.size(), 40u) << line;
    }
    EXPECT_NE(run.out.find("e-"), std::string::npos)
        << run.out; // the near-zero wavefront of a perfect mirror
}

// A lens without a focal length has null for it, never infinity nor the 0 it used to print: an afocal
// lens, and one the paraxial trace cannot run through (its object space has an index of 0).
TEST(CliInfo, NoFocalLengthIsNullNotZero) {
    test::TempDir dir;
    Lens kepler = test::MakeLens({{"Ideal Lens", "100", "150", "1"}, {"Ideal Lens", "50", "10", "1"}});
    Lens noIndex =
        test::MakeLens({{"N-BK7", "50", "5", "1.5", "", "20"}, {"Air", "-50", "0", "1", "", "20"}});
    for (int w = 0; w < noIndex.Wavelengths().Count(); ++w) noIndex.SetText(noIndex.IndexColumn(w), 1, "0");
    ASSERT_FALSE(WriteLensFile(kepler, dir.File("kepler.ldt")));
    ASSERT_FALSE(WriteLensFile(noIndex, dir.File("no-index.ldt")));
    for (const auto& [file, keys] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"kepler.ldt", {"focal_length", "back_focal_distance"}},
             {"no-index.ldt", {"focal_length", "back_focal_distance", "entrance_pupil_diameter"}}}) {
        const CliRun run = Cli({"info", dir.File(file), "--json"});
        ASSERT_EQ(run.code, 0) << run.err;
        const auto json = nlohmann::json::parse(run.out);
        for (const std::string& key : keys) EXPECT_TRUE(json[key].is_null()) << key << " " << run.out;
        EXPECT_EQ(json["image_valid"], false) << file;
    }
    const CliRun text = Cli({"info", dir.File("no-index.ldt")});
    EXPECT_NE(text.out.find("focal_length: none\n"), std::string::npos) << text.out;
}

// "nan" and "inf" are words, not numbers: every command refuses them as a wrong command line.
TEST(Cli, NonFiniteNumbersAreRefusedAsWrongCommandLines) {
    const std::string lens = test::SourcePath("data/Lens/singlet.ldt");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"trace", lens, "--angle", "nan"},
             {"trace", lens, "--defocus", "-inf"},
             {"trace", lens, "--pupil", "nan,0"},
             {"trace", lens, "--pupil", "0,1e999"},
             {"curves", lens, "--kind", "transverse", "--angle", "inf"},
             {"curves", lens, "--kind", "distortion", "--max-angle", "NaN"},
             {"scale", lens, "--focal-length", "inf", "-o", "x.ldt"},
             {"figure", lens, "--tab", "longitudinal", "--scale", "nan", "-o", "x.png"},
             {"glass", "--maker", "Schott", "--name", "N-BK7", "--wavelength", "nan"}}) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << args[0] << " " << args.back() << ": " << run.err;
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
    }
}

// Output that cannot be written is a failure: exit code 1 and one line on stderr.
TEST(Cli, UnwritableOutputFails) {
    struct FullBuffer : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
    } full;
    std::ostream out(&full);
    std::ostringstream err;
    const int code = RunCli({"vitrimo-cli", "info", test::SourcePath("data/Lens/singlet.ldt")}, out, err);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(LineCount(err.str()), 1) << err.str();
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

// Wrong command lines exit with 2, a wrong wavelength name with 1, and each says what is wrong in one line.
TEST(CliInfo, WrongCommandLinesExitWithTwo) {
    const std::string lens = test::SourcePath("data/Lens/singlet.ldt");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string said;
    };
    const Case cases[] = {
        {{}, 2, ""},
        {{"info"}, 2, ""},
        {{"nonsense"}, 2, ""},
        {{"info", "a", "--bad"}, 2, "--bad"},
        {{"trace", lens, "--pupil", "half"}, 2, "--pupil"},
        {{"trace", lens, "--wavelength", "X"}, 1, "\"X\""},
        {{"curves", lens, "--kind", "longitudinal", "--steps", "0"}, 2, "--steps"},
        {{"curves", lens, "--kind", "coma"}, 2, "--kind"},
        // The field curves need a maximum angle, as the window asks for one.
        {{"curves", lens, "--kind", "astigmatism"}, 2, "--max-angle"},
        {{"curves", lens, "--kind", "distortion"}, 2, "--max-angle"},
        // Every command with a field angle takes it strictly between -90 and 90 degrees.
        {{"spot", lens, "--angle", "90"}, 2, "--angle"},
        {{"wavefront", lens, "--angle", "-95"}, 2, "--angle"},
        {{"psf", lens, "--angle", "120"}, 2, "--angle"},
        {{"mtf", lens, "--angle", "90"}, 2, "--angle"},
        {{"psf", lens, "--fft-size", "100"}, 2, "--fft-size"},
        {{"mtf", lens, "--fft-size", "16384"}, 2, "--fft-size"},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_EQ(Cli({"--help"}).code, 0);
}

} // namespace
} // namespace vitrimo
