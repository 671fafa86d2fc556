#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;
using test::Near;

const std::string kLens = test::SourcePath("data/Lens/");

nlohmann::json Json(std::vector<std::string> args) {
    args.push_back("--json");
    const CliRun run = Cli(args);
    EXPECT_EQ(run.code, 0) << run.err;
    return run.code == 0 ? nlohmann::json::parse(run.out) : nlohmann::json();
}

// The largest difference between two runs' MTF values, meridional and sagittal.
double LargestDifference(const nlohmann::json& a, const nlohmann::json& b) {
    double largest = 0;
    for (const char* key : {"meridional", "sagittal"})
        for (std::size_t j = 0; j < a[key].size(); ++j)
            largest = std::max(largest, std::fabs(a[key][j].get<double>() - b[key][j].get<double>()));
    return largest;
}

TEST(CliMtf, PrintsTheWeightedMtfAtOneHundredAndOneFrequencies) {
    const auto json = Json({"mtf", kLens + "cooke-triplet.ldt", "--max-frequency", "150", "--angle", "5",
                            "--defocus", "-0.1", "--source", "geometric"});
    std::vector<std::string> keys; // in the order printed
    const CliRun run = Cli({"mtf", kLens + "cooke-triplet.ldt", "--source", "geometric", "--json"});
    const auto ordered = nlohmann::ordered_json::parse(run.out);
    for (const auto& [key, value] : ordered.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"source", "angle", "defocus", "frequencies", "meridional",
                                              "sagittal"}));
    EXPECT_EQ(json["source"], "geometric");
    EXPECT_EQ(json["angle"], 5.0);
    EXPECT_EQ(json["defocus"], -0.1);
    ASSERT_EQ(json["frequencies"].size(), 101u);
    ASSERT_EQ(json["meridional"].size(), 101u);
    ASSERT_EQ(json["sagittal"].size(), 101u);
    for (int j = 0; j <= 100; ++j) {
        EXPECT_TRUE(Near(json["frequencies"][j].get<double>(), 1.5 * j, 1e-12));
        for (const char* key : {"meridional", "sagittal"}) {
            const double value = json[key][j].get<double>();
            EXPECT_TRUE(value >= 0 && value <= 1 + 1e-12) << key << " " << j;
        }
    }
    EXPECT_TRUE(Near(json["meridional"][0].get<double>(), 1, 1e-9));
    EXPECT_TRUE(Near(json["sagittal"][0].get<double>(), 1, 1e-9));
    // Off axis the two directions differ.
    double apart = 0;
    for (int j = 0; j <= 100; ++j)
        apart = std::max(apart,
                         std::fabs(json["meridional"][j].get<double>() - json["sagittal"][j].get<double>()));
    EXPECT_GT(apart, 0.01);
}

TEST(CliMtf, TextOutputHoldsTheSameNumbers) {
    const std::vector<std::string> args = {"mtf", kLens + "double-gauss.ldt", "--pupil", "64", "--fft-size",
                                           "128"};
    const auto json = Json(args);
    const CliRun run = Cli(args);
    ASSERT_EQ(run.code, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "source: diffraction");
    while (std::getline(lines, line) && line != "line/mm\tMTF(Mer)\tMTF(Sag)") {
    }
    EXPECT_EQ(line, "line/mm\tMTF(Mer)\tMTF(Sag)");
    int rows = 0;
    for (; std::getline(lines, line); ++rows) {
        std::istringstream cells(line);
        double frequency = 0, meridional = 0, sagittal = 0;
        cells >> frequency >> meridional >> sagittal;
        EXPECT_TRUE(Near(frequency, json["frequencies"][rows].get<double>(), 1e-6));
        EXPECT_TRUE(Near(meridional, json["meridional"][rows].get<double>(), 1e-6, 1e-7));
        EXPECT_TRUE(Near(sagittal, json["sagittal"][rows].get<double>(), 1e-6, 1e-7));
    }
    EXPECT_EQ(rows, 101);
}

TEST(CliMtf, DiffractionMtfConvergesAsThePupilGridGrows) {
    // Near the best focus of the sample lenses: each doubling of the pupil division changes the MTF
    // less than the one before, and the finest grids agree within 0.02. The FFT size only pads the
    // pupil: for one pupil division it does not change the OTF at all.
    for (const std::string lens : {"double-gauss.ldt", "cooke-triplet.ldt"}) {
        std::vector<nlohmann::json> runs;
        for (const int n : {32, 64, 128, 256})
            runs.push_back(Json({"mtf", kLens + lens, "--defocus", "-0.2", "--pupil", std::to_string(n),
                                 "--fft-size", std::to_string(2 * n)}));
        double previous = 1;
        for (std::size_t k = 0; k + 1 < runs.size(); ++k) {
            const double change = LargestDifference(runs[k], runs[k + 1]);
            EXPECT_LT(change, previous) << lens << " " << k;
            previous = change;
        }
        EXPECT_LT(previous, 0.02) << lens;
        const auto padded =
            Json({"mtf", kLens + lens, "--defocus", "-0.2", "--pupil", "64", "--fft-size", "1024"});
        EXPECT_LT(LargestDifference(padded, runs[1]), 1e-9) << lens;
    }
}

TEST(CliMtf, GeometricAndDiffractionSourcesMeetForAStronglyAberratedLens) {
    // The sample singlet's spherical aberration spreads its image over many Airy disks: at low
    // frequencies the geometrical MTF is then the diffraction MTF.
    const std::vector<std::string> common = {"mtf", kLens + "singlet.ldt", "--wavelength",
                                             "d",   "--max-frequency",     "50"};
    auto geometric = common, diffraction = common;
    for (const char* arg : {"--source", "geometric", "--steps", "40"}) geometric.push_back(arg);
    for (const char* arg : {"--source", "diffraction", "--pupil", "256", "--fft-size", "512"})
        diffraction.push_back(arg);
    const auto a = Json(geometric), b = Json(diffraction);
    for (int j = 10; j <= 50; j += 5) {
        for (const char* key : {"meridional", "sagittal"}) {
            EXPECT_TRUE(Near(a[key][j].get<double>(), b[key][j].get<double>(), 0, 0.02)) << key << " " << j;
            EXPECT_LT(a[key][j].get<double>(), 0.5); // far below a perfect lens's 0.95 at 5 lines/mm and up
        }
    }
}

TEST(CliMtf, RefusesWhatCannotBeCalculated) {
    struct Case {
        std::vector<std::string> args;
        int code;
    };
    for (const Case& c :
         {Case{{"--source", "both"}, 2}, Case{{"--fft-size", "100"}, 2}, Case{{"--max-frequency", "0"}, 2},
          Case{{"--max-frequency", "nan"}, 2}, Case{{"--angle", "90"}, 2}, Case{{"--steps", "0"}, 2},
          Case{{"--angle", "89"}, 1}}) {
        std::vector<std::string> args = {"mtf", kLens + "cooke-triplet.ldt"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, c.code) << c.args.front() << " " << c.args.back() << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(test::LineCount(run.err), 1) << run.err;
    }
}

} // namespace
} // namespace vitrimo
