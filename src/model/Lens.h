// The lens prescription the whole program shares.
//
// The table text is the master copy. The numeric SurfaceArrays are rebuilt from it on demand
// (BuildSurfaceArrays); every edit marks them stale (MarkChanged). The lens also carries the wavelength
// list, the memo, the radius display mode, the shift/tilt groups, the paraxial focal length and back
// focal distance, and the flags that tell windows whether the data changed.
#pragma once

#include "model/ColumnMap.h"
#include "model/Host.h"
#include "model/LensTable.h"
#include "model/SurfaceArrays.h"
#include "model/WavelengthList.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

// A range of faces that the Shift, Tilt command moves together; face numbers, 1 <= first <= last.
struct ShiftTiltGroup {
    int first = 0;
    int last = 0;
    bool operator==(const ShiftTiltGroup&) const = default;
};

class Lens {
public:
    static constexpr int kMaxShiftTiltGroups = 9;

    // A title row and an object row in air: the table of a new prescription.
    Lens();

    // ---- The table text ----
    const LensTable& Table() const { return table_; }
    const ColumnMap& Columns() const { return columns_; }
    // The column number of a name, or -1.
    int Column(std::string_view name) const { return columns_.Column(name); }

    int RowCount() const { return table_.RowCount(); }
    // Data rows, the object row included: the length of the surface arrays.
    int DataRowCount() const { return RowCount() - 1; }
    // The number of faces n: the last row less a trailing focal plane.
    int SurfaceCount() const;

    const std::string& Text(int column, int row) const { return table_.Cell(column, row); }
    const std::string& Text(std::string_view column, int row) const { return Text(Column(column), row); }
    // Writes a cell. The arrays no longer follow the text, so they are marked stale; the data-modified
    // flag is left to the editing commands, which call MarkChanged themselves.
    void SetText(int column, int row, std::string text) {
        table_.SetCell(column, row, std::move(text));
        arraysCurrent_ = false;
    }
    void SetText(std::string_view column, int row, std::string text) {
        SetText(Column(column), row, std::move(text));
    }

    // ---- Blocks of cells (the clipboard) ----
    // Pastes a clipboard block with its top-left cell at (column, row) (see PasteBlock in ClipboardBlock.h)
    // and returns the texts it overwrote, as a block anchored at the same cell. Marks the lens changed.
    std::string PasteBlock(int column, int row, std::string_view text);
    // The block text of a rectangle of cells, which are then emptied. Marks the lens changed.
    std::string CutBlock(int left, int top, int right, int bottom);

    // The number in a cell. A cell that does not hold a number is repaired: "Diameter" takes the text and
    // value of the row's effective diameter, every other cell becomes "0" -- but for "rFix" and "lFix",
    // whose "x" or face number reads as 0 and stays as it is.
    double CellValue(int column, int row);
    double CellValue(std::string_view column, int row) { return CellValue(Column(column), row); }

    // The kind of face a row describes, from its "GlassName" and "Remarks" (both wordings).
    SurfaceType RowType(int row) const;

    // ---- Wavelengths and their index columns ----
    const WavelengthList& Wavelengths() const { return wavelengths_; }
    WavelengthList& Wavelengths() { return wavelengths_; }
    // Index columns stand just before "Remarks", one per wavelength, in list order.
    int FirstIndexColumn() const { return Column(col::Remarks) - wavelengths_.Count(); }
    int IndexColumn(int w) const { return FirstIndexColumn() + w; }
    // Adds a wavelength column titled like "532nm" at its place among the index columns. Returns the
    // new column, or nullopt when the title is not a wavelength.
    std::optional<int> InsertWavelengthColumn(std::string_view title);

    // ---- Memo: free notes kept with the prescription; lines separated by '\n' ----
    const std::string& Memo() const { return memo_; }
    void SetMemo(std::string memo) { memo_ = std::move(memo); }

    // ---- The file the prescription was last opened from or saved to; empty for a new one ----
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }

    // ---- Radius display: the three diameter columns show radii ----
    bool RadiusMode() const { return radiusMode_; }
    // Switches the display, halving or doubling every non-empty diameter cell (4 decimals).
    void SetRadiusMode(bool on);
    // Halves (toRadii) or doubles the non-empty diameter cells of every data row, without changing the mode.
    void ConvertDiameterCells(bool toRadii);

    // ---- Face commands ----
    // New, Open and the third Undo level start from this: default columns, the object row alone in air.
    void ResetTable();
    // Appends an empty face row numbered after the last one.
    void AddFace();
    // Inserts an empty row at `row` (the object row included), moving that row and the rows below down.
    void InsertFace(int row);
    // Removes a face row; shift/tilt groups follow (a group bounded by the face is dropped).
    void DeleteFace(int row);

    // ---- Derived arrays ----
    // Rebuilds the arrays from the text and marks them current. May ask for a missing object distance or
    // effective diameter; returns false when such a question was cancelled (the arrays are then stale).
    bool BuildSurfaceArrays(Host& host);
    // The faces (numbers, table row less one) whose "nd" cell is empty or "0": rows without indices.
    std::vector<int> FacesWithoutIndices() const;
    // Deletes those rows in one pass and returns their face numbers (as they were before the deletion).
    std::vector<int> DropRowsWithoutIndices();
    const SurfaceArrays& Arrays() const { return arrays_; }
    // The aperture stop: the first face marked as stop; else the first face whose d-line index is not 1
    // or that is an ideal lens; -1 when there is none. Reads the arrays.
    int StopSurfaceIndex() const;

    // ---- Flags and paraxial results ----
    // An edit happened: the data is modified and the arrays are stale.
    void MarkChanged();
    // A counter that grows with every MarkChanged, for caches that must know when they are stale.
    unsigned long Revision() const { return revision_; }

    bool DataModified() const { return dataModified_; }
    void SetDataModified(bool on) { dataModified_ = on; }
    // The arrays follow the text: built by BuildSurfaceArrays and changed since only by commands that keep
    // both in step.
    bool ArraysCurrent() const { return arraysCurrent_; }
    // The next calculation rebuilds the arrays (a setting they depend on changed).
    void MarkArraysStale() { arraysCurrent_ = false; }
    bool TableReset() const { return tableReset_; }
    void SetTableReset(bool on) { tableReset_ = on; }

    // Some face is decentered or tilted (an axial shift alone does not count).
    bool HasDecenter() const { return hasDecenter_; }
    bool ComputeHasDecenter() const;
    void UpdateHasDecenter() { hasDecenter_ = ComputeHasDecenter(); }

    // The paraxial focal length as the main window shows it, and the back focal distance (or the image
    // distance of an object at a limited distance); both 0 when there is none.
    double FocalLength() const { return focalLength_; }
    double BackFocalDistance() const { return backFocalDistance_; }
    // ---- Model commands of the paraxial trace (they keep the text and the arrays in step) ----
    // The results of the last paraxial trace.
    void SetParaxialResults(double focalLength, double backFocalDistance);
    // The image plane at the paraxial focus: the last face's distance becomes `signedDistance` in the
    // arrays and its magnitude with 6 decimals in the table.
    void RefocusLastDistance(double signedDistance);
    // No real image: the image plane lies on the last face (in the arrays only; the text keeps its value).
    void PlaceImageOnLastFace();
    // A lens without a focus drawn at a size: the focal length becomes `size` and the image plane lies
    // two sizes behind the last face (in the arrays only).
    void SetNominalImage(double size);

    const std::vector<ShiftTiltGroup>& ShiftTiltGroups() const { return shiftTiltGroups_; }
    std::vector<ShiftTiltGroup>& ShiftTiltGroups() { return shiftTiltGroups_; }

private:
    // Reading a file fills a fresh lens's table directly.
    friend struct LensFileAccess;
    LensTable& MutableTable() { return table_; }

    bool BuildArrays(Host& host);
    void WriteTitles();
    void RepairObjectRow();

    LensTable table_;
    ColumnMap columns_;
    WavelengthList wavelengths_;
    SurfaceArrays arrays_;
    std::string memo_;
    std::string fileName_;
    std::vector<ShiftTiltGroup> shiftTiltGroups_;
    bool radiusMode_ = false;
    bool dataModified_ = false;
    bool arraysCurrent_ = false;
    bool tableReset_ = false;
    bool hasDecenter_ = false;
    double focalLength_ = 0;
    double backFocalDistance_ = 0;
    unsigned long revision_ = 0;
};

} // namespace vitrimo
