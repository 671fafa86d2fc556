#include "model/ClipboardBlock.h"

#include "model/NumberFormat.h"

#include <algorithm>
#include <vector>

namespace vitrimo {
namespace {

std::vector<std::string_view> BlockLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

} // namespace

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
    for (std::string_view line : BlockLines(text)) {
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
