#include "model/LensFile.h"
#include "support/CliRunner.h"
#include "support/ReferenceTrace.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;
using test::LineCount;
using test::Near;

const std::string kLens = test::SourcePath("data/Lens/");

nlohmann::json Json(const std::vector<std::string>& args) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.code, 0) << run.err;
    return run.code == 0 ? nlohmann::json::parse(run.out) : nlohmann::json();
}

// Every number in a JSON value, at any depth.
void Numbers(const nlohmann::json& value, std::vector<double>& out) {
    if (value.is_number()) out.push_back(value.get<double>());
    if (value.is_structured())
        for (const auto& item : value) Numbers(item, out);
}

TEST(CliSpot, SingletSpotAgreesWithAnIndependentTrace) {
    // The sample singlet: N-BK7 (nd 1.5168), radii 102.5 and -102.5, 5 mm thick, its 22 mm front face the
    // stop. The image plane is the paraxial focus, from the thick-lens formulas.
    const double n = 1.5168, r1 = 102.5, r2 = -102.5, t = 5;
    const double power = (n - 1) * (1 / r1 - 1 / r2 + (n - 1) * t / (n * r1 * r2));
    const double bfd = (1 - (n - 1) * t / (n * r1)) / power;
    const double pupil =
        Json({"info", kLens + "singlet.ldt", "--json"})["entrance_pupil_diameter"].get<double>();
    for (const int steps : {7, 15}) {
        const auto json = Json(
            {"spot", kLens + "singlet.ldt", "--wavelength", "d", "--steps", std::to_string(steps), "--json"});
        ASSERT_EQ(json.size(), 5u);
        // On axis a ray passes when it meets the 11 mm front face within its rim.
        const double pitch = 1.1 * pupil / 2 / steps;
        std::vector<std::array<double, 2>> points;
        for (int i = -steps; i <= steps; ++i)
            for (int j = -steps; j <= steps; ++j) {
                const double y = i * pitch - 1e-6, z = j * pitch;
                if (y * y + z * z > 121) continue;
                const auto [hit, d] = test::ReferenceSinglet({0, y, z}, {1, 0, 0}, r1, r2, t, n);
                const double travel = (t + bfd - hit.x) / d.x;
                points.push_back({hit.y + travel * d.y, hit.z + travel * d.z});
            }
        double cy = 0, sum = 0;
        for (const auto& p : points) cy += p[0] / points.size();
        for (const auto& p : points) sum += (p[0] - cy) * (p[0] - cy) + p[1] * p[1];
        EXPECT_EQ(json["rays"], points.size());
        EXPECT_TRUE(Near(json["centroid_y"].get<double>(), cy, 0, 1e-9));
        EXPECT_TRUE(Near(json["centroid_z"].get<double>(), 0, 0, 1e-9));
        EXPECT_TRUE(Near(json["rms_radius"].get<double>(), std::sqrt(sum / points.size()), 1e-9));
        ASSERT_EQ(json["wavelengths"].size(), 1u);
        EXPECT_EQ(json["wavelengths"][0]["line"], "d");
        EXPECT_EQ(json["wavelengths"][0]["rms_radius"], json["rms_radius"]);
    }
}

TEST(CliSpot, EveryTracedWavelengthAndItsPoints) {
    const auto json =
        Json({"spot", kLens + "achromat.ldt", "--angle", "1", "--steps", "6", "--points", "--json"});
    ASSERT_EQ(json["wavelengths"].size(), 7u); // r C d e F g h
    for (const auto& w : json["wavelengths"]) {
        ASSERT_EQ(w["points"].size(), w["rays"].get<std::size_t>());
        double cy = 0;
        for (const auto& p : w["points"]) cy += p[0].get<double>() / w["points"].size();
        EXPECT_TRUE(Near(w["centroid_y"].get<double>(), cy, 1e-12));
        EXPECT_TRUE(Near(w["centroid_y"].get<double>(), 100 * std::tan(M_PI / 180), 0.01)); // f tan(angle)
    }
    EXPECT_EQ(json["wavelengths"][2]["line"], "d");
    EXPECT_EQ(json["rms_radius"], json["wavelengths"][2]["rms_radius"]); // the reference, d
}

TEST(CliSpot, ConvergesAsTheGridGrows) {
    std::vector<double> rms;
    for (const char* steps : {"20", "40", "80"})
        rms.push_back(Json({"spot", kLens + "double-gauss.ldt", "--angle", "10", "--wavelength", "d",
                            "--steps", steps, "--json"})["rms_radius"]
                          .get<double>());
    EXPECT_TRUE(Near(rms[1], rms[2], 0.002));
    EXPECT_TRUE(Near(rms[0], rms[2], 0.01));
}

TEST(CliWavefront, ClassicalCassegrainIsPerfectOnAxis) {
    // A paraboloid and a hyperboloid sharing its focus: no aberration on axis, despite the obscuration.
    for (const bool line : {false, true}) {
        std::vector<std::string> args = {"wavefront", kLens + "cassegrain.ldt", "--json"};
        if (line) args.push_back("--line");
        const auto json = Json(args);
        ASSERT_EQ(json.size(), 4u);
        EXPECT_LT(json["pv"].get<double>(), 1e-3);
        EXPECT_LT(json["rms"].get<double>(), 1e-3);
        EXPECT_TRUE(Near(json["strehl_estimate"].get<double>(), 1, 1e-4));
        EXPECT_GT(json["rays"].get<int>(), line ? 10 : 500);
    }
    const auto psf = Json({"psf", kLens + "cassegrain.ldt", "--json"});
    EXPECT_TRUE(Near(psf["strehl"].get<double>(), 1, 1e-6));
    EXPECT_EQ(psf["fft_size"], 256);
    EXPECT_EQ(psf["pupil"], 32);
    // f/10 at 587.6 nm: lambda F / 1.1 x N / M.
    EXPECT_TRUE(Near(psf["pixel_size"].get<double>(), 587.6e-6 * 10 / 1.1 * 32 / 256, 1e-3));
}

TEST(CliWavefront, DefocusOfTheCassegrainGivesTheAnalyticRms) {
    // F/10, 0.2 mm behind focus: W020 = dz / (8 F^2) = 2.5e-4 mm = 0.4255 waves of the d line, RMS
    // W020 / (2 sqrt 3), in the small-angle limit; the 30 % obscuration changes the pupil's shape.
    const double w020 = 0.2 / 800 / 587.6e-6;
    const double epsilon = 0.3; // annulus: RMS of rho^2 over eps < rho < 1 is (1 - eps^2) / (2 sqrt 3)
    const auto json =
        Json({"wavefront", kLens + "cassegrain.ldt", "--defocus", "0.2", "--steps", "40", "--json"});
    EXPECT_TRUE(Near(json["rms"].get<double>(), w020 * (1 - epsilon * epsilon) / (2 * std::sqrt(3.0)), 0.03));
}

TEST(CliPsf, ConvergesAsThePupilDivisionGrows) {
    std::vector<double> strehl;
    for (const int n : {32, 64, 128}) {
        const auto json = Json({"psf", kLens + "double-gauss.ldt", "--wavelength", "d", "--defocus", "-0.3",
                                "--pupil", std::to_string(n), "--fft-size", std::to_string(4 * n), "--json"});
        ASSERT_EQ(json["wavelengths"].size(), 1u);
        EXPECT_EQ(json["wavelengths"][0]["strehl"], json["strehl"]);
        strehl.push_back(json["strehl"].get<double>());
    }
    EXPECT_LT(std::fabs(strehl[2] - strehl[1]), std::fabs(strehl[1] - strehl[0]));
    EXPECT_LT(std::fabs(strehl[2] - strehl[1]), 0.002);
    // An odd division goes up to the next even one.
    EXPECT_EQ(Json({"psf", kLens + "singlet.ldt", "--pupil", "33", "--json"})["pupil"], 34);
}

TEST(CliPsf, WarnsWhenThePupilGridAliases) {
    // 14 degrees off axis the double Gauss has many waves of aberration: 32 cells cannot follow them.
    const CliRun coarse =
        Cli({"psf", kLens + "double-gauss.ldt", "--angle", "14", "--wavelength", "d", "--json"});
    ASSERT_EQ(coarse.code, 0);
    EXPECT_NE(coarse.err.find("warning: the pupil grid undersamples the wavefront"), std::string::npos);
    EXPECT_EQ(LineCount(coarse.err), 1);
    const CliRun fine = Cli({"psf", kLens + "double-gauss.ldt", "--angle", "14", "--wavelength", "d",
                             "--pupil", "256", "--fft-size", "1024", "--json"});
    ASSERT_EQ(fine.code, 0);
    EXPECT_EQ(fine.err, "");
}

TEST(CliEvaluation, FailuresAreOneLineAndExitOne) {
    test::TempDir dir;
    Lens kepler = test::MakeLens({{"Ideal Lens", "100", "150", "1"}, {"Ideal Lens", "50", "10", "1"}});
    ASSERT_FALSE(WriteLensFile(kepler, dir.File("kepler.ldt")));
    for (const auto& command : {"spot", "wavefront", "psf"}) {
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {command, dir.File("kepler.ldt"), "--json"},                      // no image
                 {command, kLens + "double-gauss.ldt", "--angle", "70", "--json"}, // no ray passes
                 {command, kLens + "double-gauss.ldt", "--wavelength", "X"}}) {
            const CliRun run = Cli(args);
            EXPECT_EQ(run.code, 1) << command << ' ' << args[2];
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(LineCount(run.err), 1) << run.err;
        }
    }
    EXPECT_NE(Cli({"spot", kLens + "double-gauss.ldt", "--angle", "70"})
                  .err.find("No point exist!  Maybe the angle is too large."),
              std::string::npos);
    EXPECT_NE(Cli({"psf", dir.File("kepler.ldt")}).err.find("No fucus point exist!"), std::string::npos);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"psf", kLens + "singlet.ldt", "--fft-size", "100"},
                                               {"spot", kLens + "singlet.ldt", "--steps", "0"},
                                               {"psf", kLens + "singlet.ldt", "--pupil", "-2"}}) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << args[2];
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
    }
}

TEST(CliEvaluation, TextOutputAndNoNaNAnywhere) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"spot", kLens + "cooke-triplet.ldt", "--angle", "20", "--json"},
             {"wavefront", kLens + "cooke-triplet.ldt", "--angle", "20", "--json"},
             {"psf", kLens + "cooke-triplet.ldt", "--angle", "20", "--json"},
             {"spot", kLens + "achromat-finite.ldt", "--angle", "2", "--json"},
             {"psf", kLens + "asphere.ldt", "--json"}}) {
        std::vector<double> numbers;
        Numbers(Json(args), numbers);
        EXPECT_FALSE(numbers.empty());
        for (double v : numbers) EXPECT_TRUE(std::isfinite(v)) << args[0] << ' ' << args[1];
    }
    const CliRun spot = Cli({"spot", kLens + "singlet.ldt"});
    ASSERT_EQ(spot.code, 0);
    EXPECT_NE(spot.out.find("rms_radius: "), std::string::npos);
    EXPECT_NE(spot.out.find("line\trays\tcentroid_y\tcentroid_z\trms_radius\n"), std::string::npos);
    const CliRun psf = Cli({"psf", kLens + "singlet.ldt"});
    ASSERT_EQ(psf.code, 0);
    EXPECT_NE(psf.out.find("strehl: "), std::string::npos);
}

} // namespace
} // namespace vitrimo
