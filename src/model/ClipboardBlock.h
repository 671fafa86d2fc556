// The clipboard block: a rectangle of table cells as text.
//
// Each row of the block is its cell texts separated by tabs and ended by one CR. Pasting also accepts
// CR LF and LF line ends (text from other programs on this platform uses LF).
#pragma once

#include "model/LensTable.h"

#include <string>
#include <string_view>

namespace vitrimo {

// A rectangle of cells, inclusive: columns left ... right, rows top ... bottom.
struct CellRange {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
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

} // namespace vitrimo
