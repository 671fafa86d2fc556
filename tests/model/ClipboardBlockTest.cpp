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

// The table's rows, each with its cells separated by " | ".
std::vector<std::string> Rows(const LensTable& table) {
    std::vector<std::string> rows;
    for (int r = 0; r < table.RowCount(); ++r) {
        std::string row;
        for (int c = 0; c < table.ColumnCount(); ++c) row += (c ? " | " : "") + table.Cell(c, r);
        rows.push_back(row);
    }
    return rows;
}

using Lines = std::vector<std::string>;

TEST(ClipboardBlock, CopyAndCutWriteTabsAndOneCrPerRow) {
    LensTable table = NumberedTable(3, 3);
    EXPECT_EQ(CopyBlock(table, {1, 1, 2, 2}), "1,1\t2,1\r1,2\t2,2\r");
    EXPECT_EQ(CutBlock(table, {0, 1, 0, 2}), "0,1\r0,2\r");
    EXPECT_EQ(Rows(table), (Lines{"0,0 | 1,0 | 2,0", " | 1,1 | 2,1", " | 1,2 | 2,2"}));
}

TEST(ClipboardBlock, TextWithoutLineEndGoesWholeIntoOneCell) {
    LensTable table = NumberedTable(3, 3);
    EXPECT_EQ(PasteBlock(table, 1, 1, "1.5"), "1,1\r");
    PasteBlock(table, 1, 2, "a\tb");
    EXPECT_EQ(Rows(table), (Lines{"0,0 | 1,0 | 2,0", "0,1 | 1.5 | 2,1", "0,2 | a\tb | 2,2"}));
}

TEST(ClipboardBlock, LinesFillRowsFromTheAnchorAndUndoRestoresThem) {
    LensTable table = NumberedTable(4, 4);
    const LensTable before = table;
    // Two rows of two fields at column 2, row 1 fill columns 2 and 3 of rows 1 and 2.
    const std::string undo = PasteBlock(table, 2, 1, "50\tx\r-50\t\r\n");
    EXPECT_EQ(Rows(table), (Lines{"0,0 | 1,0 | 2,0 | 3,0", "0,1 | 1,1 | 50 | x", "0,2 | 1,2 | -50 | ",
                                  "0,3 | 1,3 | 2,3 | 3,3"}));
    EXPECT_EQ(undo, "2,1\t3,1\r2,2\t3,2\r");
    PasteBlock(table, 2, 1, undo);
    EXPECT_EQ(table, before);
}

TEST(ClipboardBlock, OtherLineEndsAndTheEdgesOfTheTable) {
    LensTable table = NumberedTable(3, 3);
    // LF alone (text from other programs here), and a last line without a line end.
    PasteBlock(table, 0, 0, "a\tb\nc\td");
    // Cells past the right and bottom edges are skipped, and so is their undo text.
    const std::string undo = PasteBlock(table, 1, 1, "p\tq\tr\rs\tt\r\r\r");
    EXPECT_EQ(Rows(table), (Lines{"a | b | 2,0", "c | p | q", "0,2 | s | t"}));
    EXPECT_EQ(undo, "d\t2,1\r1,2\t2,2\r");
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
