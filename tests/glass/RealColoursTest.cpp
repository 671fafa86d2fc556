#include "glass/RealColours.h"

#include "glass/GlassCatalogue.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

TEST(RealColours, ColumnsAreBlueGreenRedInterpolatedAndHeldToAByte) {
    // Blue rises and red falls linearly (the natural spline of a line is that line), green is
    // constant; beyond the rows the lines leave 0 ... 255. Listed either way round.
    for (std::string_view text : {"nm\tblue\tgreen\tred\r\n400\t0\t128\t250\r\n500\t100\t128\t150\r\n"
                                  "600\t200\t128\t50\r\n\r\n",
                                  "nm\tB\tG\tR\n600\t200\t128\t50\n500\t100\t128\t150\n400\t0\t128\t250\n"}) {
        RgbTable table;
        ASSERT_FALSE(ParseRgbTable(text, "RGBtable.txt", table));
        const Colour d = RealColour(table, 587.6);
        EXPECT_EQ(BlueOf(d), 188u); // 187.6
        EXPECT_EQ(GreenOf(d), 128u);
        EXPECT_EQ(RedOf(d), 62u);                                  // 62.4
        EXPECT_EQ(RealColour(table, 700), RgbColour(0, 128, 255)); // red would be -50, blue 300
        EXPECT_EQ(RealColour(table, 300), RgbColour(255, 128, 0)); // red would be 350, blue -100
    }
}

TEST(RealColours, TheShippedTableFollowsTheSpectrum) {
    RgbTable table;
    const auto path =
        LocateDataFile("/nonexistent", test::SourcePath("data"), std::string(kRgbTableFileName));
    ASSERT_TRUE(path);
    ASSERT_FALSE(ReadRgbTable(*path, table));
    WavelengthList list;
    ApplyRealColours(list, table);
    EXPECT_TRUE(list.NonDefaultColours());
    const auto colourOf = [&](const char* line) { return list.At(list.Find(line)).colour; };
    const auto strongest = [&](const char* line) {
        const Colour c = colourOf(line);
        return RedOf(c) > std::max(GreenOf(c), BlueOf(c)) ? 'R' : GreenOf(c) > BlueOf(c) ? 'G' : 'B';
    };
    EXPECT_EQ(std::string({strongest("r"), strongest("C"), strongest("e"), strongest("F"), strongest("g")}),
              "RRGBB");
    EXPECT_GT(RedOf(colourOf("d")), 200u); // yellow
    EXPECT_GT(GreenOf(colourOf("d")), 100u);
    EXPECT_EQ(BlueOf(colourOf("d")), 0u);
    for (const char* dark : {"i", "s", "t"}) // barely visible or not at all
        EXPECT_LT(RedOf(colourOf(dark)) + GreenOf(colourOf(dark)) + BlueOf(colourOf(dark)), 40u) << dark;

    list.SetCalculate(0, true);
    UseDefaultColours(list);
    EXPECT_FALSE(list.NonDefaultColours());
    EXPECT_EQ(colourOf("d"), 0x00BFFFu);
    EXPECT_EQ(list.CalculatedCount(), 7); // the t line is off again
}

TEST(RealColours, MalformedTablesAreRefusedAndTheTableKept) {
    RgbTable table;
    ASSERT_FALSE(ParseRgbTable("nm\tblue\tgreen\tred\n400\t1\t2\t3\n500\t4\t5\t6\n", "RGBtable.txt", table));
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", "at least two"},
        {"nm blue green red\n400\t1\t2\t3\n", "four tab-separated columns"},
        {"nm\tb\tg\tr\n400\t1\t2\t3\n500\t1\tgreen\t3\n", "line 3: \"green\""},
        {"nm\tb\tg\tr\n400\t1\t2\t3\n500\t1\t2\t1e300\n", "line 3"}, // too large for the table
        {"nm\tb\tg\tr\n400\t1\t2\t3\n400\t1\t2\t3\n500\t1\t2\t3\n", "ascend or descend"},
    };
    for (const auto& [text, expected] : cases) {
        const auto error = ParseRgbTable(text, "RGBtable.txt", table);
        ASSERT_TRUE(error) << text;
        EXPECT_NE(error->find(expected), std::string::npos) << *error;
        EXPECT_EQ(table.nanometres.size(), 2u);
    }
    EXPECT_TRUE(ReadRgbTable("/nonexistent/RGBtable.txt", table));
}

} // namespace
} // namespace vitrimo
