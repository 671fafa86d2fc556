#include "evaluation/ScreenMap.h"

#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::Near;

TEST(ScreenMap, LevelsAreRelativeToTheLargestValue) {
    const ScreenMapResult read = ParseScreenMap("0\t1\t2\r\n4\t-3\n\n8\t8\t8\t5\n");
    ASSERT_TRUE(read.Ok()) << read.error;
    const ScreenMap& map = read.map;
    ASSERT_EQ(map.rows, 3);
    ASSERT_EQ(map.columns, 3); // the first line's tabs fix the width
    // round(v / 8 x 255); a short line ends in zeros, a negative value counts as 0, an extra cell is dropped.
    EXPECT_EQ(map.levels, (std::vector<std::uint8_t>{0, 32, 64, 128, 0, 0, 255, 255, 255}));
}

TEST(ScreenMap, MalformedAndEmptyFilesAreErrors) {
    for (const char* text : {"", "\n  \n", "1\t2\n3\tx\n", "1\tnan\n"}) {
        const ScreenMapResult read = ParseScreenMap(text);
        EXPECT_FALSE(read.Ok()) << '"' << text << '"';
    }
    EXPECT_NE(ParseScreenMap("1\t2\n3\tx\n").error.find("line 2"), std::string::npos);
    // All zero: an opaque screen, not a division by zero.
    const ScreenMapResult opaque = ParseScreenMap("0\t0\n0\t0\n");
    ASSERT_TRUE(opaque.Ok());
    EXPECT_EQ(opaque.map.levels, (std::vector<std::uint8_t>(4, 0)));
    test::TempDir dir;
    EXPECT_FALSE(ReadScreenMap(dir.File("screen.txt")).Ok());
    // Binary data, and a first line that would make every later line a row of a million cells, are
    // refused before they cost memory; a byte-order mark is skipped.
    EXPECT_FALSE(ParseScreenMap(std::string("1\t2\0\x01\x02\n", 8)).Ok());
    std::string wide;
    for (int k = 0; k < 1'000'000; ++k) wide += "1\t";
    wide += "1\n";
    for (int k = 0; k < 10; ++k) wide += "1\n";
    const ScreenMapResult tooLarge = ParseScreenMap(wide);
    EXPECT_FALSE(tooLarge.Ok());
    EXPECT_NE(tooLarge.error.find("cells"), std::string::npos);
    const ScreenMapResult marked = ParseScreenMap("\xEF\xBB\xBF"
                                                  "2\t4\n");
    ASSERT_TRUE(marked.Ok()) << marked.error;
    EXPECT_EQ(marked.map.levels, (std::vector<std::uint8_t>{128, 255}));
}

// A map found by fuzzing: a full-transmission column beside others, where the area-weighted mean of
// 255s came out a hair above 1.
TEST(ScreenMap, TransmissionNeverExceedsOne) {
    const ScreenMapResult read = ParseScreenMap("1\n\n1\t\t9\n-2\n\t\n\n1\t@\n");
    ASSERT_TRUE(read.Ok()) << read.error;
    for (double y : {-12.0, -1.0, 0.0, 0.3, 5.0, 11.0})
        for (double z : {-7.0, 0.0, 2.5, 9.0})
            for (double half : {0.0, 0.01, 0.5, 30.0}) {
                const double t = ScreenTransmission(read.map, 20, y, z, half, half / 2);
                EXPECT_TRUE(t >= 0 && t <= 1) << y << " " << z << " " << half << ": " << t - 1;
            }
}

TEST(ScreenMap, TransmissionIsTheMeanOverTheRayRectangle) {
    // Two columns over a 10 mm face: the left half (z < 0) clear, the right half opaque.
    const ScreenMap map = ParseScreenMap("1\t0\n1\t0\n").map;
    const double d = 10;
    struct Case {
        double y, z, halfY, halfZ, expected;
    };
    for (const Case& c :
         std::vector<Case>{{0, -2.5, 1, 1, 1},    // wholly in the clear half
                           {2, 2.5, 1, 1, 0},     // wholly in the opaque half
                           {0, 0, 1, 1, 0.5},     // straddling the edge equally
                           {0, -0.5, 1, 1, 0.75}, // three quarters clear
                           {0, -4.5, 1, 1, 1}, // clipped at the face's edge: only the part on the map counts
                           {0, -20, 1, 1, 0},  // off the map
                           {3, -1, 0, 0, 1},   // a point: the cell it lies in
                           {-3, 1, 0, 0, 0}}) {
        EXPECT_TRUE(Near(ScreenTransmission(map, d, c.y, c.z, c.halfY, c.halfZ), c.expected, 1e-12))
            << c.y << ", " << c.z;
    }
    // Rows: the top row (y > 0) clear, the bottom one at a quarter.
    const ScreenMap rows = ParseScreenMap("4\t4\n1\t1\n").map; // levels 255 and 64
    EXPECT_TRUE(Near(ScreenTransmission(rows, d, 2.5, 0, 1, 1), 1, 1e-12));
    EXPECT_TRUE(Near(ScreenTransmission(rows, d, -2.5, 0, 1, 1), 64 / 255.0, 1e-12));
    EXPECT_EQ(ScreenTransmission(ScreenMap{}, d, 0, 0, 1, 1), 0);
}

} // namespace
} // namespace vitrimo
