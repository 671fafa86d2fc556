// The figures vitrimo-cli draws with the painters the windows use (built with the figure painters only).
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "support/CliRunner.h"
#include "support/TestUtil.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;
using test::LineCount;

const std::string kLens = test::SourcePath("data/Lens/");

// The format follows the file's extension (PNG files of every tab: FigureLook.*, EvaluationTabs...);
// an unknown extension, a bad size or a folder that is not there fail with one line.
TEST(CliFigure, DrawsEachTabInEachFormat) {
    test::TempDir dir;
    const std::vector<std::string> figure = {"figure", kLens + "achromat.ldt", "--tab", "longitudinal"};
    const auto run = [&](std::vector<std::string> more) {
        std::vector<std::string> args = figure;
        args.insert(args.end(), more.begin(), more.end());
        return Cli(args);
    };
    std::string svg, pdf;
    ASSERT_EQ(run({"-o", dir.File("f.svg")}).code, 0);
    ASSERT_EQ(run({"-o", dir.File("f.pdf")}).code, 0);
    ASSERT_FALSE(ReadWholeFile(dir.File("f.svg"), svg));
    ASSERT_FALSE(ReadWholeFile(dir.File("f.pdf"), pdf));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    for (const auto& [more, code] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"-o", dir.File("f.gif")}, 1},
             {{"--size", "big", "-o", dir.File("g.png")}, 2},
             {{"--size", "0x100", "-o", dir.File("g.png")}, 2},
             {{"-o", dir.File("no/folder/g.png")}, 1}}) {
        const CliRun failed = run(more);
        EXPECT_EQ(failed.code, code) << more.back();
        EXPECT_EQ(LineCount(failed.err), 1) << failed.err;
    }
}

// The figure of the transverse fans takes its defocus.
TEST(CliFigure, TheFansTakeTheDefocus) {
    test::TempDir dir;
    ASSERT_EQ(Cli({"figure", kLens + "singlet.ldt", "--tab", "transverse", "--defocus", "0.125", "-o",
                   dir.File("fans.svg")})
                  .code,
              0);
    std::string svg;
    ASSERT_FALSE(ReadWholeFile(dir.File("fans.svg"), svg));
    EXPECT_NE(svg.find("defocus 0.125 mm"), std::string::npos);
}

TEST(CliPsf, WritesTheImageItComputed) {
    test::TempDir dir;
    const CliRun run =
        Cli({"psf", kLens + "achromat.ldt", "--fft-size", "128", "--pupil", "32", "-o", dir.File("psf.png")});
    ASSERT_EQ(run.code, 0) << run.err;
    const QImage image(QString::fromStdString(dir.File("psf.png")));
    ASSERT_EQ(image.width(), 128);
    ASSERT_EQ(image.height(), 128);
    // Bright at the reference point, dark in the corner.
    EXPECT_GT(qGray(image.pixel(64, 64)), 100);
    EXPECT_LT(qGray(image.pixel(2, 2)), qGray(image.pixel(64, 64)) / 4);
}

TEST(CliFigure, EvaluationTabsDrawTheirFigures) {
    test::TempDir dir;
    for (const std::string tab : {"spot", "wavefront-line", "wavefront-face", "psf", "mtf"}) {
        const std::string file = dir.File(tab + ".png");
        const CliRun run = Cli({"figure", kLens + "double-gauss.ldt", "--tab", tab, "--angle", "5", "--size",
                                "640x480", "-o", file});
        ASSERT_EQ(run.code, 0) << tab << ": " << run.err;
        const QImage image(QString::fromStdString(file));
        ASSERT_EQ(image.size(), QSize(640, 480)) << tab;
        // The figure's own content, not only ink, paper and grid: coloured marks and curves, or the map's
        // grey cells.
        int content = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) {
                const QColor c = image.pixelColor(x, y);
                const int spread =
                    std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
                const bool cell = tab == "wavefront-face" && spread == 0 && c.red() > 40 && c.red() < 185;
                if (spread > 60 || cell) ++content;
            }
        EXPECT_GT(content, 200) << tab;
    }
    // An angle at which no ray passes still draws the figure, with the window's message.
    const CliRun none = Cli(
        {"figure", kLens + "double-gauss.ldt", "--tab", "spot", "--angle", "70", "-o", dir.File("none.png")});
    EXPECT_EQ(none.code, 0) << none.err;
    EXPECT_NE(none.err.find("No point exist!"), std::string::npos);
}

} // namespace
} // namespace vitrimo
