// The lens drawing as vitrimo-cli writes it, with the painter the window uses.
#include "figures/CrossSectionPainter.h"
#include "model/FileIo.h"
#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;

const std::string kLens = test::SourcePath("data/Lens/");

// Pixels near a colour (each channel within 40).
int PixelsNear(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40)
                ++count;
        }
    return count;
}

TEST(CliCrossSection, WritesEachFormat) {
    test::TempDir dir;
    for (const char* lens :
         {"cooke-triplet.ldt", "double-gauss.ldt", "achromat-finite.ldt", "cassegrain.ldt", "asphere.ldt"}) {
        for (const char* extension : {".png", ".svg", ".pdf"}) {
            const std::string file = dir.File(std::string(lens) + extension);
            const CliRun run = Cli({"figure", kLens + lens, "--tab", "cross-section", "--angle", "0,5",
                                    "--size", "640x400", "-o", file});
            ASSERT_EQ(run.code, 0) << lens << ": " << run.err;
            std::string text;
            ASSERT_FALSE(ReadWholeFile(file, text)) << file;
            if (std::string(extension) == ".png") {
                const QImage image(QString::fromStdString(file));
                EXPECT_EQ(image.size(), QSize(640, 400)) << lens;
            } else if (std::string(extension) == ".svg") {
                EXPECT_NE(text.find("<svg"), std::string::npos);
                EXPECT_NE(text.find("polyline"), std::string::npos) << lens; // the profiles and rays
            } else {
                EXPECT_EQ(text.substr(0, 5), "%PDF-");
                EXPECT_GT(text.size(), 2000u) << lens;
            }
        }
    }
}

TEST(CliCrossSection, RaysAreDrawnInTheirAnglesColours) {
    test::TempDir dir;
    // Two angles: black rays for the first, blue for the second (the command's colours for the rows).
    const std::string two = dir.File("two.png");
    ASSERT_EQ(Cli({"figure", kLens + "cooke-triplet.ldt", "--tab", "cross-section", "--angle", "0,10",
                   "--size", "800x500", "-o", two})
                  .code,
              0);
    const std::string one = dir.File("one.png");
    ASSERT_EQ(
        Cli({"figure", kLens + "cooke-triplet.ldt", "--tab", "cross-section", "--size", "800x500", "-o", one})
            .code,
        0);
    const QImage withBlue(QString::fromStdString(two)), withoutBlue(QString::fromStdString(one));
    EXPECT_GT(PixelsNear(withBlue, QColor(0, 0, 255)), 300);
    EXPECT_LT(PixelsNear(withoutBlue, QColor(0, 0, 255)), 20);
    // By wavelength: the marked wavelengths' colours appear instead.
    const std::string multi = dir.File("multi.png");
    ASSERT_EQ(Cli({"figure", kLens + "cooke-triplet.ldt", "--tab", "cross-section", "--multicolor", "--size",
                   "800x500", "-o", multi})
                  .code,
              0);
    const QImage coloured(QString::fromStdString(multi));
    int colouredPixels = 0;
    for (int y = 0; y < coloured.height(); ++y)
        for (int x = 0; x < coloured.width(); ++x) {
            const QColor c = coloured.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 80)
                ++colouredPixels;
        }
    EXPECT_GT(colouredPixels, 500);
}

TEST(CliCrossSection, RefusesBadOptions) {
    test::TempDir dir;
    const std::string out = dir.File("x.png");
    const std::vector<std::vector<std::string>> refused = {
        {"--rays", "0"},
        {"--rays", "101"},
        {"--rays", "many"},
        {"--display-shift", "nan"},
        {"--display-shift", "inf"},
        {"--angle", "95"},
        {"--angle", "0,1,2,3,4,5,6,7,8,9"}, // more angles than the table has rows
    };
    for (const auto& extra : refused) {
        std::vector<std::string> args = {
            "figure", kLens + "cooke-triplet.ldt", "--tab", "cross-section", "-o", out};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << extra[0] << " " << extra[1] << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // More than one angle belongs to the cross-section only.
    const CliRun other =
        Cli({"figure", kLens + "cooke-triplet.ldt", "--tab", "transverse", "--angle", "0,5", "-o", out});
    EXPECT_EQ(other.code, 2) << other.err;
}

TEST(CrossSectionPainter, TheScaleBarIsOneTwoOrFiveTimesAPowerOfTen) {
    // The largest 1, 2 or 5 x 10^k not above a quarter of the width shown.
    const std::pair<double, double> cases[] = {{400, 100}, {399, 50}, {80, 20},   {79, 10},      {39, 5},
                                               {19.9, 2},  {7.9, 1},  {0.5, 0.1}, {0.004, 0.001}};
    for (const auto& [width, bar] : cases)
        EXPECT_TRUE(test::Near(ScaleBarLength(width), bar, 1e-12)) << width;
}

} // namespace
} // namespace vitrimo
