#include "model/FileIo.h"
#include "model/LensFile.h"
#include "support/CliRunner.h"
#include "support/ReferenceTrace.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;
std::vector<std::vector<std::string>> Rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}

const std::string kLens = test::SourcePath("data/Lens/");

TEST(CliTrace, SingletRaysAgreeWithAnIndependentTrace) {
    // The sample singlet: N-BK7 (nd 1.51680), radii 102.5 and -102.5, 5 mm thick, a 22 mm pupil at its
    // first face, the image plane at the paraxial focus 98.3369474463 mm behind it.
    const double n = 1.51680, bfd = 98.3369474463, radius = 11;
    for (auto [angle, yp, zp] :
         std::vector<std::array<double, 3>>{{0, 0.5, 0.3}, {3, -0.8, 0}, {-2, 0.2, -0.6}}) {
        const CliRun run =
            Cli({"trace", kLens + "singlet.ldt", "--angle", std::to_string(angle), "--pupil",
                 std::to_string(yp) + "," + std::to_string(zp), "--wavelength", "d", "--json"});
        ASSERT_EQ(run.code, 0) << run.err;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json.size(), 7u);
        const double theta = angle * M_PI / 180;
        const auto [hit, d] = test::ReferenceSinglet(
            {0, yp * radius, zp * radius}, {std::cos(theta), std::sin(theta), 0}, 102.5, -102.5, 5, n);
        const double travel = (5 + bfd - hit.x) / d.x;
        EXPECT_TRUE(test::Near(json["y"].get<double>(), hit.y + travel * d.y, 0, 1e-9)) << run.out;
        EXPECT_TRUE(test::Near(json["z"].get<double>(), hit.z + travel * d.z, 0, 1e-9)) << run.out;
        EXPECT_TRUE(test::Near(json["L"].get<double>(), d.x, 0, 1e-12));
        EXPECT_TRUE(test::Near(json["M"].get<double>(), d.y, 0, 1e-12));
        EXPECT_TRUE(test::Near(json["N"].get<double>(), d.z, 0, 1e-12));
        EXPECT_EQ(json["vignetted"], false);
    }
}

TEST(CliTrace, CassegrainFocusesAxialRaysAndItsSecondaryBlocksTheCentre) {
    const CliRun rim = Cli({"trace", kLens + "cassegrain.ldt", "--pupil", "0.9,0", "--json"});
    ASSERT_EQ(rim.code, 0) << rim.err;
    const auto json = nlohmann::json::parse(rim.out);
    EXPECT_LT(std::fabs(json["y"].get<double>()), 1e-9);
    EXPECT_EQ(json["vignetted"], false);
    const CliRun centre = Cli({"trace", kLens + "cassegrain.ldt", "--pupil", "0.1,0.1", "--json"});
    ASSERT_EQ(centre.code, 0) << centre.err;
    EXPECT_EQ(nlohmann::json::parse(centre.out)["vignetted"], true);
}

TEST(CliCurves, ColumnsPerWavelengthAndARowPerPoint) {
    const CliRun longitudinal =
        Cli({"curves", kLens + "achromat.ldt", "--kind", "longitudinal", "--steps", "4"});
    ASSERT_EQ(longitudinal.code, 0) << longitudinal.err;
    const auto rows = Rows(longitudinal.out);
    ASSERT_EQ(rows.size(), 1u + 5u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"pupil_height", "r", "C", "d", "e", "F", "g", "h",
                                                 "sine_condition"}));
    // The outermost ray stays just inside the rim of the pupil (25.4 mm).
    EXPECT_TRUE(test::Near(std::stod(rows[5][0]), 25.4 / 2, 2e-4));
    EXPECT_LT(std::stod(rows[5][0]), 25.4 / 2);
    // On the axis every wavelength starts at its paraxial focus: d at 0, the others at their colour.
    EXPECT_LT(std::fabs(std::stod(rows[1][3])), 1e-9);
    EXPECT_LT(std::fabs(std::stod(rows[1][8])), 1e-9);

    const CliRun fans =
        Cli({"curves", kLens + "achromat.ldt", "--kind", "transverse", "--steps", "3", "--angle", "1"});
    ASSERT_EQ(fans.code, 0) << fans.err;
    const auto fanRows = Rows(fans.out);
    ASSERT_EQ(fanRows.size(), 1u + 2u * 7u);
    EXPECT_EQ(fanRows[0][0], "fan");
    EXPECT_EQ(fanRows[1][0], "m");
    EXPECT_EQ(fanRows[8][0], "s");
    EXPECT_EQ(fanRows[8][1], "0");

    const CliRun astigmatism = Cli({"curves", kLens + "cooke-triplet.ldt", "--kind", "astigmatism", "--steps",
                                    "2", "--max-angle", "10"});
    ASSERT_EQ(astigmatism.code, 0) << astigmatism.err;
    const auto astRows = Rows(astigmatism.out);
    ASSERT_EQ(astRows.size(), 4u);
    EXPECT_EQ(astRows[0][1], "r_m");
    EXPECT_EQ(astRows[0][2], "r_s");
    EXPECT_EQ(astRows[3][0], "10");
    // On the axis the meridional and sagittal foci coincide.
    EXPECT_TRUE(test::Near(std::stod(astRows[1][5]), std::stod(astRows[1][6]), 0, 1e-8));
}

TEST(CliSeidel, PrintsTheSavedTableWithItsSubtotals) {
    const CliRun run =
        Cli({"seidel", kLens + "double-gauss.ldt", "--subtotal", "2", "--subtotal", "4", "--subtotal", "7"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto rows = Rows(run.out);
    // 11 faces, the header, the sum, and the subtotals at rows 4 and 7 (row 2 is refused).
    ASSERT_EQ(rows.size(), 11u + 2u + 2u);
    EXPECT_EQ(rows[4][0], "-");
    EXPECT_EQ(rows[7][0], "-");
    EXPECT_EQ(rows.back()[0], "SUM");
}

} // namespace
} // namespace vitrimo

namespace vitrimo {
namespace {

TEST(CliScale, WritesTheRescaledLensAndItsFocalLength) {
    test::TempDir dir;
    // Face 1's radius fixed: the search has to work around it.
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, kLens + "cooke-triplet.ldt").Ok());
    lens.SetText(col::RFix, 2, "x");
    ASSERT_FALSE(WriteLensFile(lens, dir.File("in.ldt")));
    const CliRun run = Cli({"scale", dir.File("in.ldt"), "--focal-length", "120", "-o", dir.File("out.ldt")});
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(run.out.rfind("focal_length: ", 0), 0u);
    const double printed = std::stod(run.out.substr(14));
    EXPECT_TRUE(test::Near(printed, 120, 1e-9));
    const CliRun info = Cli({"info", dir.File("out.ldt"), "--json"});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_TRUE(test::Near(nlohmann::json::parse(info.out)["focal_length"].get<double>(), printed, 1e-12));
    EXPECT_EQ(Cli({"scale", dir.File("in.ldt"), "--focal-length", "-5", "-o", dir.File("x.ldt")}).code, 2);
    // With the front radius fixed the lens cannot get shorter than about 81 mm: it says so.
    const CliRun far =
        Cli({"scale", dir.File("in.ldt"), "--focal-length", "50", "-o", dir.File("short.ldt")});
    EXPECT_EQ(far.code, 0);
    EXPECT_NE(far.err.find("cannot reach"), std::string::npos) << far.err;
}

} // namespace
} // namespace vitrimo
