// The lens table's view: a QTableView that says whether a cell editor is open, so that keys an editor
// passes on (Return after typing) are not taken as commands on the table.
#pragma once

#include <QTableView>

namespace vitrimo {

class LensTableView : public QTableView {
public:
    using QTableView::QTableView;

    bool Editing() const { return state() == QAbstractItemView::EditingState; }
};

} // namespace vitrimo
