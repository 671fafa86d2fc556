// The lens data file (.ldt): tab-separated text, CR LF line ends.
//
// Line 1 names the columns. Then one line per table row, object row first; an optional "Color" line with
// the display colour of each wavelength under its index column; then the memo. "rFix"/"lFix" marks are
// stored as "1" (fixed) or "No" + face number (linked). Diameters are always stored as diameters, even
// while the table shows radii. Lines with fewer than five tabs are memo text -- except a line right after
// the table rows whose "No" field holds the number of the next face: that is a table row cut short (a
// program that drops empty trailing cells writes such rows), read with the cells it has.
#pragma once

#include "model/ClipboardBlock.h"
#include "model/Lens.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

struct LensFileResult {
    std::string error; // empty on success; otherwise what was wrong, and the lens is unchanged
    // Column titles this program does not know: their cells are read into extra columns past "Remarks",
    // kept while the program runs, and not saved.
    std::vector<std::string> unknownColumns;
    // Cells of numeric columns whose text is not a number, as the file holds them (in row order). They
    // are kept as they stand; building the arrays reads them as 0 (see NonNumericCell).
    std::vector<NonNumericCell> nonNumericCells;
    // Table rows whose line had fewer cells than the title line names; their missing cells are empty.
    std::vector<int> shortRows;

    bool Ok() const { return error.empty(); }
};

// The file text for the lens as it stands. Tabs and line breaks inside a cell are written as spaces,
// since the format cannot carry them.
std::string LensFileText(const Lens& lens);

// Writes the file (atomically) and clears DataModified. Returns an error message or nullopt.
std::optional<std::string> WriteLensFile(Lens& lens, const std::string& path);

// Reads a file into the lens. The reading happens on a reset copy: only a complete read replaces the
// table, its columns, the wavelength list and the memo; a failed one leaves the lens as it was. A UTF-8
// byte-order mark at the start is skipped. A file without any table row (not even the object row) is
// refused, naming the first line that looks like a row cut short. Cells beyond the title line's last
// column belong to its last column; their tabs are read as spaces, since a cell cannot hold a tab.
LensFileResult ParseLensFileText(Lens& lens, std::string_view text);
LensFileResult ReadLensFile(Lens& lens, const std::string& path);

} // namespace vitrimo
