// Pasted clipboard blocks: a paste and the paste of what it returned leave the table as it was; the
// non-numeric cells it reports are exactly those in its range; a cut and a paste of the cut text agree.
#include "FuzzSupport.h"
#include "model/ClipboardBlock.h"
#include "model/NumberFormat.h"

#include <algorithm>

using namespace vitrimo;
using fuzz::Check;

namespace {

// A small lens in table text: a cemented doublet with its stop.
Lens Doublet() {
    Lens lens;
    lens.SetText(col::EffectiveDiameter, 1, "20");
    const char* rows[][5] = {{"N-BK7", "61.47", "x", "6", "1.5168"},
                             {"F2", "-44.64", "", "2.5", "1.62004"},
                             {"Air", "-129.94", "2", "94.5", "1"}};
    for (const auto& row : rows) {
        lens.AddFace();
        const int r = lens.RowCount() - 1;
        lens.SetText(col::GlassName, r, row[0]);
        lens.SetText(col::R, r, row[1]);
        lens.SetText(col::RFix, r, row[2]);
        lens.SetText(col::Distance, r, row[3]);
        for (int w = 0; w < lens.Wavelengths().Count(); ++w) lens.SetText(lens.IndexColumn(w), r, row[4]);
    }
    return lens;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    Lens lens = Doublet();
    const int columns = lens.Table().ColumnCount(), rows = lens.RowCount();
    // The anchor may lie outside the table: such cells are skipped.
    const int column = data[0] % (columns + 2) - 1;
    const int row = data[1] % (rows + 2) - 1;
    const std::string_view text = fuzz::AsText(data + 2, size - 2);

    const LensTable before = lens.Table();
    const std::string undo = lens.PasteBlock(column, row, text);
    Check(lens.Table().RowCount() == rows && lens.Table().ColumnCount() == columns, "a paste keeps the size");

    // The cells a paste can have filled: from the anchor to the right edge, as many rows as it had.
    const CellRange range{column, row, columns - 1, rows - 1};
    const auto cells = NonNumericCells(lens, range);
    std::size_t expected = 0;
    for (int r = std::max(row, 1); r < rows; ++r)
        for (int c = std::max(column, 0); c < columns; ++c) {
            const std::string& cell = lens.Text(c, r);
            if (IsNumericColumn(lens, c) && !IsBlank(cell) && !ParseNumber(cell)) ++expected;
        }
    Check(cells.size() == expected, "every non-numeric cell of the range is reported, and no other");

    LensTable undone = lens.Table();
    PasteBlock(undone, column, row, undo);
    Check(undone == before, "pasting what a paste returned restores the table");

    // Cut a block of what the paste left and paste it back: the table is the same again (when no cell
    // holds a tab or a line end, which a block cannot carry).
    const LensTable pasted = lens.Table();
    const CellRange block{std::max(column, 0), std::max(row, 0), std::min(column + 3, columns - 1),
                          std::min(row + 2, rows - 1)};
    bool clean = block.left <= block.right && block.top <= block.bottom;
    for (int r = block.top; clean && r <= block.bottom; ++r)
        for (int c = block.left; c <= block.right; ++c)
            if (pasted.Cell(c, r).find_first_of("\t\r\n") != std::string::npos) clean = false;
    if (clean) {
        const std::string cut = lens.CutBlock(block.left, block.top, block.right, block.bottom);
        lens.PasteBlock(block.left, block.top, cut);
        Check(lens.Table() == pasted, "a cut block pasted back restores the cells");
    }

    // What the paste left builds arrays with finite numbers, or a question is declined.
    fuzz::DecliningHost host;
    lens.MarkChanged();
    if (lens.BuildSurfaceArrays(host)) {
        for (const Surface& s : lens.Arrays().surfaces) {
            fuzz::CheckFinite(s.curvature, "curvature");
            fuzz::CheckFinite(s.distance, "distance");
            fuzz::CheckFinite(s.effectiveDiameter, "effective diameter");
        }
        for (double n : lens.Arrays().indices) fuzz::CheckFinite(n, "index");
    }
    return 0;
}
