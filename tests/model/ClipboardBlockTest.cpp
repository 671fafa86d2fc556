#include "model/ClipboardBlock.h"

#include "model/TextLines.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

LensTable NumberedTable(int columns, int rows) {
    LensTable table(columns, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) table.SetCell(c, r, std::to_string(c) + "," + std::to_string(r));
    return table;
}

TEST(ClipboardBlock, CopyAndCutWriteTabsAndOneCrPerRow) {
    LensTable table = NumberedTable(4, 4);
    EXPECT_EQ(CopyBlock(table, {1, 2, 2, 3}), "1,2\t2,2\r1,3\t2,3\r");
    EXPECT_EQ(CutBlock(table, {0, 1, 0, 2}), "0,1\r0,2\r");
    EXPECT_EQ(table.Cell(0, 1), "");
    EXPECT_EQ(table.Cell(0, 2), "");
    EXPECT_EQ(table.Cell(1, 1), "1,1");
}

TEST(ClipboardBlock, TextWithoutLineEndGoesWholeIntoOneCell) {
    LensTable table = NumberedTable(4, 4);
    EXPECT_EQ(PasteBlock(table, 1, 1, "1.5"), "1,1\r");
    EXPECT_EQ(table.Cell(1, 1), "1.5");
    EXPECT_EQ(table.Cell(2, 1), "2,1");
    PasteBlock(table, 1, 2, "a\tb");
    EXPECT_EQ(table.Cell(1, 2), "a\tb");
    EXPECT_EQ(table.Cell(2, 2), "2,2");
}

TEST(ClipboardBlock, LinesFillRowsFromTheAnchorAndUndoRestoresThem) {
    LensTable table = NumberedTable(5, 5);
    const LensTable before = table;
    // Two rows of two fields at ("r", row 2) fill "r" and "rFix" of rows 2 and 3.
    const std::string undo = PasteBlock(table, 2, 2, "50\tx\r-50\t\r\n");
    EXPECT_EQ(table.Cell(2, 2), "50");
    EXPECT_EQ(table.Cell(3, 2), "x");
    EXPECT_EQ(table.Cell(2, 3), "-50");
    EXPECT_EQ(table.Cell(3, 3), "");
    EXPECT_EQ(table.Cell(2, 4), "2,4");
    EXPECT_EQ(undo, "2,2\t3,2\r2,3\t3,3\r");
    PasteBlock(table, 2, 2, undo);
    EXPECT_EQ(table, before);
}

TEST(ClipboardBlock, OtherLineEndsAndTheEdgesOfTheTable) {
    LensTable table = NumberedTable(3, 3);
    // LF alone (text from other programs here), and a last line without a line end.
    PasteBlock(table, 0, 0, "a\tb\nc\td");
    EXPECT_EQ(table.Cell(0, 0), "a");
    EXPECT_EQ(table.Cell(1, 1), "d");
    // Cells past the right and bottom edges are skipped, and so is their undo text.
    const std::string undo = PasteBlock(table, 1, 1, "p\tq\tr\rs\tt\r\r\r");
    EXPECT_EQ(table.Cell(1, 1), "p");
    EXPECT_EQ(table.Cell(2, 1), "q");
    EXPECT_EQ(table.Cell(1, 2), "s");
    EXPECT_EQ(table.Cell(2, 2), "t");
    EXPECT_EQ(undo, "d\t2,1\r1,2\t2,2\r");
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.ColumnCount(), 3);
}

} // namespace
} // namespace vitrimo

namespace vitrimo {
namespace {

// One rule for the lines of every file and block: LF, CR LF and a lone CR end a line; a last line without
// an end counts; nothing else is a line.
TEST(TextLines, EveryLineEndAndTheLastLine) {
    using Lines = std::vector<std::string_view>;
    const std::pair<std::string_view, Lines> cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\n\nc\r", {"a", "b", "", "c"}},
        {"\n\r\n", {"", ""}},
        {"a\tb\r\n\tc", {"a\tb", "\tc"}},
    };
    for (const auto& [text, lines] : cases) EXPECT_EQ(SplitLines(text), lines) << text;
    // A paste covers as many rows as lines and as many columns as its widest line has fields.
    EXPECT_EQ(BlockRange(3, 2, "1\t2\t3\r4\r"), (CellRange{3, 2, 5, 3}));
    EXPECT_EQ(BlockRange(3, 2, "one cell"), (CellRange{3, 2, 3, 2}));
}

} // namespace
} // namespace vitrimo
