// The lens table as a Qt model: a view of the Lens's own text cells, no copy.
//
// Model row r is table row r + 1 (the title row is the header); model column c is table column c.
#pragma once

#include "model/Lens.h"

#include <QAbstractTableModel>

namespace vitrimo {

class LensTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Roles { MarginRole = Qt::UserRole + 1, FixedRole };

    explicit LensTableModel(Lens& lens, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    static int TableRow(const QModelIndex& index) { return index.row() + 1; }
    QModelIndex IndexOf(int column, int tableRow) const { return index(tableRow - 1, column); }

    // In-place editing is on ("Edit Cell") or off ("Select Cells").
    void SetEditing(bool on) { editing_ = on; }
    // Rows painted in the shift/tilt group colour while a group is being defined (table rows; empty when
    // last < first).
    void SetHighlightRows(int first, int last);
    // The Japanese column hints follow Help > Show Hint.
    void SetHints(bool on) { hints_ = on; }

    // The table text changed behind the model's back (a command, a file, a calculation's repairs).
    void Reload();

signals:
    // The user changed a cell's text in place.
    void CellEdited(int column, int tableRow);
    // The user typed text that is not a number into a numeric cell; the cell kept its text.
    void EditRefused(int column, int tableRow, const QString& text);

private:
    Lens& lens_;
    bool editing_ = true;
    bool hints_ = true;
    int highlightFirst_ = 0, highlightLast_ = -1;
};

} // namespace vitrimo
