#include "model/TableRules.h"

#include "model/ClipboardBlock.h"
#include "model/NumberFormat.h"

#include <algorithm>

namespace vitrimo {
namespace {

bool IsLineIndexColumn(const Lens& lens, int column) {
    if (column < 0 || column >= lens.Columns().Count()) return false;
    const std::string& name = lens.Columns().Name(column);
    return std::find(col::LineIndices.begin(), col::LineIndices.end(), name) != col::LineIndices.end();
}

bool NamedColumn(const Lens& lens, int column, std::string_view name) {
    return column == lens.Column(name);
}

} // namespace

bool CellSelectable(const Lens& lens, int column, int row) {
    if (row < 1 || row >= lens.RowCount() || column < 1 || column >= lens.Table().ColumnCount()) return false;
    bool selectable = row != 1 || NamedColumn(lens, column, col::EffectiveDiameter) ||
                      NamedColumn(lens, column, col::Diameter) || NamedColumn(lens, column, col::Distance) ||
                      NamedColumn(lens, column, col::DPhi);
    if (selectable && IsLineIndexColumn(lens, column)) {
        const std::string& glass = lens.Text(col::GlassName, row);
        selectable = lens.Text(col::Remarks, row).empty() && glass != "Air" && glass != "Mirror";
    }
    selectable = selectable || (row == 1 && NamedColumn(lens, column, col::GlassName));
    if (lens.Text(col::GlassName, 1) != "Air") {
        if (row == 2) selectable = NamedColumn(lens, column, col::Distance);
        if (row == 1 && NamedColumn(lens, column, col::R)) selectable = true;
        if (row == 1 && NamedColumn(lens, column, col::Distance)) selectable = false;
    }
    return selectable;
}

bool CellChosenByDialog(const Lens& lens, int column, int row) {
    return row == 1 && NamedColumn(lens, column, col::GlassName);
}

CellDisplay DisplayCell(const Lens& lens, int column, int row) {
    CellDisplay display;
    display.text = lens.Text(column, row);
    if (NamedColumn(lens, column, col::Remarks)) {
        display.alignment = CellAlignment::Left;
        return display;
    }
    if (NamedColumn(lens, column, col::GlassName)) {
        display.alignment = CellAlignment::Centre;
        return display;
    }
    if (column >= lens.FirstIndexColumn()) {
        display.margin = 2;
        return display;
    }
    if (NamedColumn(lens, column, col::RFix) || NamedColumn(lens, column, col::LFix)) {
        display.margin = row == 0 ? 0 : 8;
        return display;
    }
    if (row > 0) {
        if (const auto value = ParseNumber(display.text)) {
            const bool fixed = NamedColumn(lens, column, col::R) || NamedColumn(lens, column, col::Distance);
            display.text = fixed ? FormatFixed(*value, 4) : FormatGeneral(*value, 5);
        }
    }
    display.margin = display.text.size() >= 7 ? 2 : 8;
    return display;
}

bool RowMakesALens(const Lens& lens, int row) {
    const std::string& glass = lens.Text(col::GlassName, row);
    const std::string& radius = lens.Text(col::R, row);
    return !glass.empty() && glass != "Air" && !radius.empty() && radius != "0";
}

bool CellTextAcceptable(const Lens& lens, int column, std::string_view text) {
    return !IsNumericColumn(lens, column) || IsBlank(text) || ParseNumber(text).has_value();
}

} // namespace vitrimo
