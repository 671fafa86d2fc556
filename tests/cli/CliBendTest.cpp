// vitrimo-cli bend: the bent radii against the power steps computed here, and wrong command lines.
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;

// The sample singlet: N-BK7 (nd 1.5168), radii 102.5 / -102.5, 5 mm thick.
constexpr double kN = 1.5168;

double Radius(const Lens& lens, int face) {
    return ParseNumber(lens.Text(col::R, face + 1)).value_or(0);
}

struct BendCase {
    std::vector<std::string> faces;
    int steps;
    std::string interval;
    double power1, power2; // the step of each face's power, in units of interval * steps / f
};

TEST(CliBend, RadiiMoveByTheStepsPowers) {
    const std::string singlet = test::SourcePath("data/Lens/singlet.ldt");
    const double c = 1 / 102.5;
    const double f = 1 / (2 * (kN - 1) * c - 5 / kN * (kN - 1) * c * (kN - 1) * c); // thick-lens focal length
    test::TempDir dir;
    for (const BendCase& k :
         {BendCase{{"--faces", "1,2"}, 20, "", -1, +1}, BendCase{{"--faces", "2,1"}, -300, "0.0001", +1, -1},
          BendCase{{"--face", "1"}, 20, "", -1, 0}, BendCase{{"--face", "2"}, 45, "0.00002", 0, -1}}) {
        std::vector<std::string> args{"bend", singlet};
        args.insert(args.end(), k.faces.begin(), k.faces.end());
        args.insert(args.end(), {"--steps", std::to_string(k.steps), "-o", dir.File("out.ldt")});
        if (!k.interval.empty()) args.insert(args.end(), {"--interval", k.interval});
        const CliRun run = Cli(args);
        ASSERT_EQ(run.code, 0) << run.err;
        const double interval = k.interval.empty() ? (k.faces[0] == "--faces" ? 0.00001 : 0.0001)
                                                   : ParseNumber(k.interval).value();
        const double delta = k.steps * interval / f;
        const double c1 = c + k.power1 * delta / (kN - 1), c2 = -c + k.power2 * delta / (1 - kN);
        Lens bent;
        ASSERT_TRUE(ReadLensFile(bent, dir.File("out.ldt")).Ok());
        EXPECT_TRUE(test::Near(Radius(bent, 1), 1 / c1, 0, 0.00005)) << k.steps;
        EXPECT_TRUE(test::Near(Radius(bent, 2), 1 / c2, 0, 0.00005)) << k.steps;
        EXPECT_EQ(bent.Text(col::Distance, 2), "5") << "the thickness is not bent";
    }
}

TEST(CliBend, WrongCommandLinesExitWithTwo) {
    const std::string singlet = test::SourcePath("data/Lens/singlet.ldt");
    test::TempDir dir;
    const std::string out = dir.File("out.ldt");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"bend", singlet, "--steps", "20", "-o", out},
             {"bend", singlet, "--face", "1", "--faces", "1,2", "--steps", "20", "-o", out},
             {"bend", singlet, "--faces", "1", "--steps", "20", "-o", out},
             {"bend", singlet, "--faces", "1,2,3", "--steps", "20", "-o", out},
             {"bend", singlet, "--faces", "1,1", "--steps", "20", "-o", out},
             {"bend", singlet, "--face", "0", "--steps", "20", "-o", out},
             {"bend", singlet, "--face", "3", "--steps", "20", "-o", out},
             {"bend", singlet, "--face", "1", "--steps", "5001", "-o", out},
             {"bend", singlet, "--face", "1", "--steps", "abc", "-o", out},
             {"bend", singlet, "--face", "1", "--steps", "20", "--interval", "0", "-o", out},
             {"bend", singlet, "--face", "1", "--steps", "20", "--interval", "-0.1", "-o", out},
             {"bend", singlet, "--face", "1", "--steps", "20"}}) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << args[2] << " " << args[3] << ": " << run.err;
        EXPECT_EQ(test::LineCount(run.err), 1) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

// A bend that would leave no real image fails and writes nothing.
TEST(CliBend, LosingTheImageFailsWithoutWriting) {
    test::TempDir dir;
    const CliRun run = Cli({"bend", test::SourcePath("data/Lens/singlet.ldt"), "--face", "1", "--steps",
                            "500", "--interval", "0.01", "-o", dir.File("out.ldt")});
    EXPECT_EQ(run.code, 1) << run.err;
    EXPECT_NE(run.err.find("No fucus point exist!"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.ldt")));
}

} // namespace
} // namespace vitrimo
