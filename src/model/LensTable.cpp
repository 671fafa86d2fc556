#include "model/LensTable.h"

#include <algorithm>

namespace vitrimo {

LensTable::LensTable(int columns, int rows) : columns_(std::max(columns, 0)) {
    SetRowCount(rows);
}

const std::string& LensTable::Cell(int column, int row) const {
    static const std::string kEmpty;
    return Contains(column, row) ? rows_[row][column] : kEmpty;
}

void LensTable::SetCell(int column, int row, std::string text) {
    if (Contains(column, row)) rows_[row][column] = std::move(text);
}

void LensTable::SetRowCount(int rows) {
    rows_.resize(std::max(rows, 0), std::vector<std::string>(columns_));
}

void LensTable::SetColumnCount(int columns) {
    columns_ = std::max(columns, 0);
    for (auto& row : rows_) row.resize(columns_);
}

void LensTable::InsertColumn(int column) {
    column = std::clamp(column, 0, columns_);
    for (auto& row : rows_) row.insert(row.begin() + column, std::string());
    ++columns_;
}

void LensTable::InsertRow(int row) {
    row = std::clamp(row, 0, RowCount());
    rows_.insert(rows_.begin() + row, std::vector<std::string>(columns_));
}

void LensTable::RemoveRow(int row) {
    if (row >= 0 && row < RowCount()) rows_.erase(rows_.begin() + row);
}

} // namespace vitrimo
