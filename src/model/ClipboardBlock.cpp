#include "model/ClipboardBlock.h"

#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>
#include <vector>

namespace vitrimo {

std::string CopyBlock(const LensTable& table, CellRange range) {
    std::string text;
    for (int row = range.top; row <= range.bottom; ++row) {
        for (int column = range.left; column <= range.right; ++column) {
            if (column > range.left) text += '\t';
            text += table.Cell(column, row);
        }
        text += '\r';
    }
    return text;
}

std::string CutBlock(LensTable& table, CellRange range) {
    std::string text = CopyBlock(table, range);
    for (int row = range.top; row <= range.bottom; ++row)
        for (int column = range.left; column <= range.right; ++column) table.SetCell(column, row, "");
    return text;
}

std::string PasteBlock(LensTable& table, int column, int row, std::string_view text) {
    std::string previous;
    if (text.find_first_of("\r\n") == std::string_view::npos) {
        previous = table.Cell(column, row) + "\r";
        table.SetCell(column, row, std::string(text));
        return previous;
    }
    int r = row;
    for (std::string_view line : SplitLines(text)) {
        if (r >= table.RowCount()) break;
        int c = column;
        // Fields that fell left of the table keep their places in the undo text as empty fields.
        int skipped = 0;
        for (;;) {
            const auto tab = line.find('\t');
            const std::string_view field = line.substr(0, tab);
            if (table.Contains(c, r)) {
                previous.append(static_cast<std::size_t>(skipped), '\t');
                previous += table.Cell(c, r);
                table.SetCell(c, r, std::string(field));
                skipped = 1;
            } else if (c < 0) {
                ++skipped;
            }
            if (tab == std::string_view::npos) break;
            line.remove_prefix(tab + 1);
            ++c;
        }
        previous += '\r';
        ++r;
    }
    return previous;
}

CellRange BlockRange(int column, int row, std::string_view text) {
    if (text.find_first_of("\r\n") == std::string_view::npos) return {column, row, column, row};
    const auto lines = SplitLines(text);
    std::size_t fields = 1;
    for (std::string_view line : lines)
        fields = std::max(fields, static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1);
    return {column, row, column + static_cast<int>(fields) - 1, row + static_cast<int>(lines.size()) - 1};
}

bool IsNumericColumn(const Lens& lens, int column) {
    const int remarks = lens.Column(col::Remarks);
    if (column < 0 || column >= remarks) return false;
    if (column >= lens.FirstIndexColumn()) return true;
    const std::string& name = lens.Columns().Name(column);
    return name != col::No && name != col::GlassName && name != col::RFix && name != col::LFix;
}

std::vector<NonNumericCell> NonNumericCells(const Lens& lens, CellRange range) {
    std::vector<NonNumericCell> cells;
    const int top = std::max(range.top, 1), bottom = std::min(range.bottom, lens.RowCount() - 1);
    const int left = std::max(range.left, 0), right = std::min(range.right, lens.Columns().Count() - 1);
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column) {
            const std::string& text = lens.Text(column, row);
            if (IsBlank(text) || !IsNumericColumn(lens, column) || ParseNumber(text)) continue;
            cells.push_back({row, lens.Columns().Name(column), text});
        }
    }
    return cells;
}

} // namespace vitrimo
