// What a lens file or a pasted block holds that is not what the table expects: text in numeric cells,
// rows cut short, a byte-order mark. Each is read the way the program always read it, but said.
#include "model/ClipboardBlock.h"
#include "model/LensFile.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::MakeLens;

std::string TitleLine() {
    const std::string text = LensFileText(Lens());
    return text.substr(0, text.find("\r\n"));
}

// A data line with the given texts in the named columns and the rest empty.
std::string Row(std::initializer_list<std::pair<std::string_view, std::string>> cells) {
    const Lens lens;
    std::vector<std::string> fields(lens.Columns().Count());
    for (const auto& [name, text] : cells) fields[lens.Column(name)] = text;
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) line += (k ? "\t" : "") + fields[k];
    return line;
}

TEST(LensFileCells, TextInNumericCellsIsReportedAndStillRepairedToZero) {
    const std::string text =
        TitleLine() + "\r\n" + Row({{"No", "0"}, {"GlassName", "Air"}, {"effectvDiam.", "10"}, {"nd", "1"}}) +
        "\r\n" +
        Row({{"No", "1"},
             {"GlassName", "N-BK7"},
             {"r", "5O.0"}, // a letter O for a zero
             {"rFix", "1"},
             {"Distance", "5"},
             {"k", " "}, // blank: an empty cell, not a typo
             {"nd", "1,5168"},
             {"Remarks", "Schott"}}) +
        "\r\n" + Row({{"No", "2"}, {"GlassName", "Air"}, {"r", "-50"}, {"Distance", "abc"}, {"nd", "1"}}) +
        "\r\n";
    Lens lens;
    const LensFileResult result = ParseLensFileText(lens, text);
    ASSERT_TRUE(result.Ok()) << result.error;
    const std::vector<NonNumericCell> expected = {
        {2, "r", "5O.0"}, {2, "nd", "1,5168"}, {3, "Distance", "abc"}};
    EXPECT_EQ(result.nonNumericCells, expected);
    // Read as they stand; the arrays read them as 0 and the cells become "0", as always.
    EXPECT_EQ(lens.Text(col::R, 2), "5O.0");
    test::ScriptedHost host;
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    EXPECT_EQ(lens.Arrays().surfaces[1].curvature, 0);
    EXPECT_EQ(lens.Text(col::R, 2), "0");
    EXPECT_EQ(lens.Text(col::Distance, 3), "0");
    EXPECT_EQ(lens.Text(col::RFix, 2), "x"); // the fixed mark is not a number and is not touched
}

TEST(LensFileCells, PastedBlocksReportTheirNonNumericCells) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5168"}, {"Air", "-50", "45", "1"}});
    const int r = lens.Column(col::R);
    // "r", "rFix", "effectvDiam.", "Diameter", "HideDiam.", "Distance" of faces 1 and 2.
    lens.PasteBlock(r, 2, "5O\tx\t10\t\t\t5\r-50\t1\tten\t \t0\t4S\r");
    const std::vector<NonNumericCell> expected = {
        {2, "r", "5O"}, {3, "effectvDiam.", "ten"}, {3, "Distance", "4S"}};
    EXPECT_EQ(NonNumericCells(lens, {r, 2, r + 5, 3}), expected);
    // Text columns, fixed marks and the cells outside the range are not numbers to report.
    EXPECT_TRUE(NonNumericCells(lens, {0, 2, r - 1, 3}).empty());
    EXPECT_EQ(NonNumericCells(lens, {r, 3, r + 5, 3}).size(), 2u);
    EXPECT_EQ(NonNumericCells(lens, {0, 0, 100, 100}).size(), 3u); // a range past the table is clipped
}

TEST(LensFileCells, APasteStartingLeftOfTheTableIsUndoneInPlace) {
    LensTable table(3, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) table.SetCell(c, r, std::to_string(c) + std::to_string(r));
    const LensTable before = table;
    // Anchored two columns left of the table: the first two fields of each line fall outside.
    const std::string undo = PasteBlock(table, -2, 1, "a\tb\tc\td\r\te\tf\r");
    EXPECT_EQ(table.Cell(0, 1), "c");
    EXPECT_EQ(table.Cell(1, 1), "d");
    EXPECT_EQ(table.Cell(0, 2), "f");
    EXPECT_EQ(undo, "\t\t01\t11\r\t\t02\r");
    PasteBlock(table, -2, 1, undo);
    EXPECT_EQ(table, before);
}

TEST(LensFileCells, CellValueNeverRewritesAFixedMark) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5168"}, {"Air", "-50", "45", "1"}});
    lens.SetText(col::RFix, 2, "x");
    lens.SetText(col::LFix, 2, "2");
    lens.SetText(col::RFix, 3, "linked");
    EXPECT_EQ(lens.CellValue(col::RFix, 2), 0);
    EXPECT_EQ(lens.CellValue(col::LFix, 2), 2);
    EXPECT_EQ(lens.CellValue(col::RFix, 3), 0);
    EXPECT_EQ(lens.Text(col::RFix, 2), "x");
    EXPECT_EQ(lens.Text(col::LFix, 2), "2");
    EXPECT_EQ(lens.Text(col::RFix, 3), "linked");
    EXPECT_EQ(lens.CellValue(col::K, 2), 0); // other cells are still repaired
    EXPECT_EQ(lens.Text(col::K, 2), "0");
}

// Rows with fewer cells than the title line: a program that drops empty trailing cells writes them.
TEST(LensFileCells, RowsCutShortOpenWithTheCellsThereAre) {
    const std::string title = TitleLine();
    Lens lens;
    LensFileResult result =
        ParseLensFileText(lens, title + "\r\n0\tAir\t0\t\t10\r\n1\tN-BK7\t50\r\n2\tAir\t-50"
                                        "\r\nnotes\r\n3\tnot a row: the memo began\r\n");
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(lens.RowCount(), 4);
    EXPECT_EQ(lens.Text(col::EffectiveDiameter, 1), "10");
    EXPECT_EQ(lens.Text(col::GlassName, 2), "N-BK7");
    EXPECT_EQ(lens.Text(col::R, 3), "-50");
    EXPECT_EQ(lens.Text(col::Distance, 3), "");
    EXPECT_EQ(lens.Memo(), "notes\n3\tnot a row: the memo began");
    EXPECT_EQ(result.shortRows, (std::vector<int>{1, 2, 3}));

    // A memo whose first line starts like the next face's row is written so that it stays memo.
    lens.SetMemo("3\tlooks like a face\nsecond");
    Lens again;
    ASSERT_TRUE(ParseLensFileText(again, LensFileText(lens)).Ok());
    EXPECT_EQ(again.RowCount(), 4);
    EXPECT_EQ(again.Memo(), "3 looks like a face\nsecond");
}

TEST(LensFileCells, AFileWithoutAnyTableRowIsRefusedNamingTheFirstShortLine) {
    const std::string title = TitleLine();
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5168"}});
    const LensTable before = lens.Table();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {title + "\r\n", "no table rows"},
        {title + "\r\nsome notes\r\n", "no table rows"},
        // The rows lost their "No" cells: nothing says they are rows.
        {title + "\r\nnotes\r\nAir\t0\t\t10\r\nN-BK7\t50\r\n",
         "line 3 has 4 cells where the first line names 39"},
    };
    for (const auto& [text, message] : cases) {
        const LensFileResult result = ParseLensFileText(lens, text);
        ASSERT_FALSE(result.Ok()) << message;
        EXPECT_NE(result.error.find(message), std::string::npos) << result.error;
        EXPECT_EQ(lens.Table(), before);
    }
}

TEST(LensFileCells, AByteOrderMarkIsSkipped) {
    const Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5168"}, {"Air", "-50", "45", "1"}});
    Lens read;
    const LensFileResult result = ParseLensFileText(read, "\xEF\xBB\xBF" + LensFileText(lens));
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_TRUE(result.unknownColumns.empty()); // "No" was not read as an unknown "\xEF\xBB\xBFNo"
    EXPECT_EQ(read.Table(), lens.Table());
}

TEST(LensFileCells, RadiusDisplayFormatsEveryRepairedDiameter) {
    // "Diameter" is not a number and the effective diameter is empty: both are repaired to 0 and, as
    // every diameter cell with a text, shown with four decimals.
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5168"}});
    lens.SetText(col::EffectiveDiameter, 2, "");
    lens.SetText(col::Diameter, 2, "junk");
    lens.SetText(col::HideDiameter, 2, "3");
    Lens read;
    read.SetRadiusMode(true);
    ASSERT_TRUE(ParseLensFileText(read, LensFileText(lens)).Ok());
    EXPECT_EQ(read.Text(col::EffectiveDiameter, 2), "0.0000");
    EXPECT_EQ(read.Text(col::Diameter, 2), "0.0000");
    EXPECT_EQ(read.Text(col::HideDiameter, 2), "1.5000");
}

TEST(LensFileCells, TabsPastTheLastColumnBecomeSpaces) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5168", "Schott"}});
    std::string text = LensFileText(lens);
    text.replace(text.find("Schott"), 6, "Schott\tcemented\tto F2");
    Lens read;
    ASSERT_TRUE(ParseLensFileText(read, text).Ok());
    EXPECT_EQ(read.Text(col::Remarks, 2), "Schott cemented to F2");
    Lens again;
    ASSERT_TRUE(ParseLensFileText(again, LensFileText(read)).Ok());
    EXPECT_EQ(again.Table(), read.Table());
}

} // namespace
} // namespace vitrimo
