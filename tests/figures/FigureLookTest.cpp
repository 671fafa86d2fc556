// What every figure shows, checked in the files vitrimo-cli writes with the painters the windows use:
// tick values on both axes, a light grid, axis titles with units, a legend with line letters and nm,
// degrees written with "°", and curves kept inside the plot.
#include "model/FileIo.h"
#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <QImage>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

namespace vitrimo {
namespace {

using test::Cli;

std::vector<std::string> SvgTexts(const std::string& svg) {
    std::vector<std::string> texts;
    static const std::regex text(R"(<text[^>]*>([^<]*)</text>)");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator(); ++it)
        texts.push_back((*it)[1].str());
    return texts;
}

TEST(FigureLook, EveryTabHasTicksGridUnitsAndALegendInNanometres) {
    test::TempDir dir;
    const std::string lens = test::SourcePath("data/Lens/double-gauss.ldt");
    for (const std::string tab : {"longitudinal", "transverse", "astigmatism", "distortion", "spot",
                                  "wavefront-line", "wavefront-face", "psf", "mtf"}) {
        const std::string file = dir.File(tab + ".svg");
        const test::CliRun run =
            Cli({"figure", lens, "--tab", tab, "--angle", "10", "--max-angle", "20", "-o", file});
        ASSERT_EQ(run.code, 0) << tab << ": " << run.err;
        std::string svg;
        ASSERT_FALSE(ReadWholeFile(file, svg));
        const auto texts = SvgTexts(svg);
        int ticks = 0, titles = 0;
        bool legend = false, degrees = false;
        static const std::regex number(R"(^-?[0-9]+(\.[0-9]+)?$)"), unit(R"(\((mm|°|%|waves|lines / mm)\)$)");
        for (const std::string& t : texts) {
            ticks += std::regex_match(t, number) ? 1 : 0;
            titles += std::regex_search(t, unit) ? 1 : 0;
            legend = legend || t.find("d  587.6 nm") != std::string::npos;
            degrees = degrees || t.find("°") != std::string::npos;
        }
        EXPECT_GE(ticks, 8) << tab;  // values on both axes
        EXPECT_GE(titles, 2) << tab; // an axis title with its unit on each axis
        EXPECT_TRUE(legend) << tab;
        EXPECT_TRUE(degrees) << tab;
        // A light grid under curves and spots; the wavefront map and the diffraction image are pictures
        // that a grid would hide.
        const bool picture = tab == "wavefront-face" || tab == "psf";
        EXPECT_EQ(svg.find("stroke=\"#d7d7d7\"") != std::string::npos, !picture) << tab << ": light grid";
    }
}

// Curves that run far beyond the scale stay inside the plot: nothing coloured is drawn in the margins
// with the tick values and titles (the legend's colour marks stand in the side panel on the right).
TEST(FigureLook, CurvesAreClippedToThePlot) {
    test::TempDir dir;
    const std::string lens = test::SourcePath("data/Lens/double-gauss.ldt");
    for (const std::string tab : {"longitudinal", "transverse", "astigmatism", "mtf"}) {
        const std::string file = dir.File(tab + ".png");
        ASSERT_EQ(Cli({"figure", lens, "--tab", tab, "--scale", "0.0005", "--angle", "15", "--max-angle",
                       "20", "--size", "800x600", "-o", file})
                      .code,
                  0);
        const QImage image(QString::fromStdString(file));
        ASSERT_FALSE(image.isNull());
        const auto coloured = [&](int x, int y) {
            const QColor c = image.pixelColor(x, y);
            return std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60;
        };
        int outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < 60; ++x) outside += coloured(x, y) ? 1 : 0; // left margin
        for (int x = 0; x < 560; ++x) {
            for (int y = 0; y < 40; ++y) outside += coloured(x, y) ? 1 : 0; // title
            for (int y = image.height() - 50; y < image.height(); ++y)
                outside += coloured(x, y) ? 1 : 0; // bottom
        }
        EXPECT_EQ(outside, 0) << tab;
    }
}

} // namespace
} // namespace vitrimo
