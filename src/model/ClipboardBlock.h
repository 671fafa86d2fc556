// The clipboard block: a rectangle of table cells as text.
//
// Each row of the block is its cell texts separated by tabs and ended by one CR. Pasting also accepts
// CR LF and LF line ends (text from other programs on this platform uses LF).
#pragma once

#include "model/Lens.h"
#include "model/LensTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

// A rectangle of cells, inclusive: columns left ... right, rows top ... bottom.
struct CellRange {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CellRange&) const = default;
};

// The block text of the cells in `range` (cells outside the table read as empty).
std::string CopyBlock(const LensTable& table, CellRange range);

// The block text of `range`, then the cells are emptied.
std::string CutBlock(LensTable& table, CellRange range);

// Pastes a block with its top-left cell at (column, row). A text without any line end goes whole into
// that one cell; otherwise each line fills one row, field by field, and a last line without a line end
// counts too. Cells outside the table are skipped. Returns the texts the paste overwrote, as a block
// anchored at the same cell, so that pasting it back undoes the paste.
std::string PasteBlock(LensTable& table, int column, int row, std::string_view text);

// The rectangle of cells a paste of `text` anchored at (column, row) covers (some may lie outside the
// table).
CellRange BlockRange(int column, int row, std::string_view text);

// A cell of a numeric column whose text is not a number. Building the arrays reads it as 0 and rewrites
// it "0" (the "Diameter" cell takes the effective diameter), as the program always has; the window tells
// the user which cells those were, so that a typo does not pass for a value.
struct NonNumericCell {
    int row = 0;        // table row: 1 is the object row, face k is row k + 1
    std::string column; // the column's name ("r", "Distance", "nd", "532nm")
    std::string text;   // the cell text as it stands

    bool operator==(const NonNumericCell&) const = default;
};

// Columns whose cells are numbers: radius, diameters, distances and their bounds, shifts and tilts, the
// conic and aspheric coefficients, and the index columns. "No", "GlassName", "rFix", "lFix", "Remarks"
// and unknown columns past "Remarks" hold text.
bool IsNumericColumn(const Lens& lens, int column);

// The cells of numeric columns in `range` (data rows only) whose text is neither blank nor a number, row
// by row. Call it on the range a paste filled, or on the whole table after reading a file.
std::vector<NonNumericCell> NonNumericCells(const Lens& lens, CellRange range);

} // namespace vitrimo
