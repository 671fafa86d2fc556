// The small tables of field angles and spatial frequencies that the evaluation windows sweep over.
//
// Like the dialog that edits them, a table is a grid of text cells with a title row (row 0) and data
// rows 1, 2, ... Angle tables hold degrees and minutes with the marks between them:
//     degrees | "°" | minutes | "'"          (+ "color" for the cross-section's angle table)
// and the frequency table a frequency in lines per mm and a colour:
//     frequency | "color"
// Colour cells hold colour names such as "clBlack". Callers read the values back with Angles(),
// Frequencies() and Colours(); empty rows are skipped there.
#pragma once

#include "model/Angles.h"
#include "model/Colour.h"
#include "model/Host.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vitrimo {

enum class SweepTableKind {
    Angles,             // the aberration and bending windows' field angles
    ColouredAngles,     // the cross-section drawing's field angles, each with its colour
    GeneratedAngles,    // the MTF and Strehl angle sweeps: typed in, or generated from a maximum and a step
    SpatialFrequencies, // the MTF sweeps' frequencies, lines per mm
};

class SweepTable {
public:
    // Rows a table may reach by typing, the title row included.
    static constexpr int kMaxRows = 10;
    // Angles one generation may produce.
    static constexpr int kMaxGeneratedAngles = 1000;

    // A title row and one data row: empty angles, or 10 lines per mm in black.
    explicit SweepTable(SweepTableKind kind);

    SweepTableKind Kind() const { return kind_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int DataRowCount() const { return RowCount() - 1; }
    int ColumnCount() const { return static_cast<int>(rows_.front().size()); }

    const std::string& Cell(int column, int row) const;
    // Writes a cell of a data row; other cells are left alone.
    void SetCell(int column, int row, std::string text);

    // The columns of the value (degrees or frequency), the minutes and the colour; -1 where the table
    // has none.
    int ValueColumn() const { return 0; }
    int MinutesColumn() const;
    int ColourColumn() const;

    // A data row whose value cells (degrees and minutes, or the frequency) are all blank.
    bool RowIsEmpty(int row) const;

    // Down arrow on the last row: appends a row, with the marks filled in, when the last row is not
    // empty and the table is below kMaxRows. Returns whether a row was added.
    bool AppendRow();

    // "Delete" on a data row: when the table has more than one data row and this one is not empty,
    // asks "You delete this Angle ?" (or "Spatial Freq.") with Yes and Cancel; on Yes the rows below
    // move up. Returns whether the row was deleted.
    bool DeleteRow(int row, Host& host);

    // Fills an angle table with the angles 0, step, 2 step, ... below maxAngle - 0.0001 and then
    // maxAngle itself (degrees). Returns the reason and leaves the table as it was when the step is not
    // positive, the maximum is negative, or more than kMaxGeneratedAngles angles would result.
    std::optional<Wording> GenerateAngles(double maxAngle, double step);

    // "OK": drops the empty rows (rows below move up) and completes the rest (an empty degrees, minutes
    // or frequency cell reads "0", an empty colour "clBlack"). When every row was empty, the table is
    // left with its initial row.
    void Tidy();

    // Degrees + minutes / 60 of every non-empty row; "-5" and "30" is -5.5 degrees. A cell that is not a
    // number reads as 0.
    std::vector<double> Angles() const;
    // The frequency of every non-empty row, lines per mm.
    std::vector<double> Frequencies() const;
    // The colour of every non-empty row (black where the table has no colours or the name is unknown).
    std::vector<Colour> Colours() const;

    bool operator==(const SweepTable&) const = default;

private:
    std::vector<std::string> BlankRow() const;
    bool IsAngleTable() const { return kind_ != SweepTableKind::SpatialFrequencies; }

    SweepTableKind kind_;
    std::vector<std::vector<std::string>> rows_;
};

} // namespace vitrimo
