// The table dialog for field angles and spatial frequencies.
//
// It edits one SweepTable at a time, of any of the four kinds: angles; angles with a colour each;
// angles that can also be generated from a maximum and an interval (double-click the table); spatial
// frequencies with a colour each. Keys: Right and Left move between the value cells (past the degree
// and minute marks); Down on the last row adds a row when that row is filled and the table is not full;
// Enter in a colour cell, or a double-click on it, opens the colour dialog. "Delete" removes the
// selected row after a question. OK keeps the edited table without its empty rows; Cancel leaves the
// table exactly as it was.
#pragma once

#include "evaluation/SweepTable.h"
#include "model/Host.h"

#include <QDialog>
#include <optional>

class QPushButton;
class QTableWidget;

namespace vitrimo {

class TFLensdata;

class TFSGList : public QDialog {
    Q_OBJECT
public:
    explicit TFSGList(TFLensdata& main);

    // Shows `table` for editing, modally, under `caption` ("Angle" when not given). Returns true after
    // OK, with `table` replaced by the edited one; false after Cancel, with `table` untouched.
    bool Edit(SweepTable& table, const std::optional<Wording>& caption = std::nullopt);

    // The table being edited (valid while the dialog is open).
    const SweepTable& Working() const { return working_; }
    QTableWidget* Grid() const { return grid_; }
    QPushButton* DeleteButton() const { return deleteButton_; }

    // Double-click on the generated angle table: asks the maximum angle and the interval (degrees and
    // minutes) and fills the table.
    void GenerateAngles();
    // "Delete" on the selected row.
    void DeleteSelectedRow();
    // The colour dialog for a data row's colour cell (row counted as in the table, 1 the first data row).
    void ChooseColour(int row);
    // "OK": every value must be a number; then the empty rows go and the dialog closes. False, with the
    // offending cell selected and the host told, when a value is not a number.
    bool AcceptTable();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadGrid(int currentRow, int currentColumn);
    void OnCellChanged(int gridRow, int column);
    void OnDoubleClick(int gridRow, int column);
    // The value columns Right and Left move between, in order.
    std::vector<int> ValueColumns() const;
    void ApplyWording(const Wording& caption);

    TFLensdata& main_;
    SweepTable working_{SweepTableKind::Angles};
    QTableWidget* grid_;
    QPushButton* deleteButton_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    bool loading_ = false;
};

} // namespace vitrimo
