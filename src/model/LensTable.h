// The lens table: a grid of text cells, the master copy of the prescription.
//
// Row 0 holds the column titles, row 1 the object row, rows 2... the faces. Cells are addressed as
// (column, row). Reading outside the grid gives an empty text; writing outside it is ignored.
#pragma once

#include <string>
#include <vector>

namespace vitrimo {

class LensTable {
public:
    LensTable(int columns = 0, int rows = 0);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    int ColumnCount() const { return columns_; }
    bool Contains(int column, int row) const {
        return column >= 0 && column < columns_ && row >= 0 && row < RowCount();
    }

    const std::string& Cell(int column, int row) const;
    void SetCell(int column, int row, std::string text);

    // New rows and columns are empty; removed ones are gone.
    void SetRowCount(int rows);
    void SetColumnCount(int columns);
    void InsertColumn(int column);
    void InsertRow(int row);
    void RemoveRow(int row);

    bool operator==(const LensTable&) const = default;

private:
    int columns_ = 0;
    std::vector<std::vector<std::string>> rows_;
};

} // namespace vitrimo
