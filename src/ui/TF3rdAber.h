// The third-order window: the Seidel coefficients of the prescription, surface by surface, with the
// paraxial ray data they come from, subtotals the user inserts, and the sums.
//
// The table is computed from the main window's lens and paraxial data. Whenever the window becomes
// active it is brought up to date with the prescription; a question about a missing value that the
// user declined is not asked again until the prescription changes.
#pragma once

#include "engine/ThirdOrder.h"
#include "model/IniFile.h"
#include "ui/TPVForm.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

namespace vitrimo {

class TFLensdata;
class ThirdOrderModel;
struct PrintGrid;

class TF3rdAber : public QDialog, public TPVForm {
    Q_OBJECT
public:
    static constexpr const char* kSection = "ThAberCoef";
    // The geometry written as defaults: a key equal to its default is deleted.
    static inline const QRect kWrittenDefaults{29, 175, 714, 399};

    explicit TF3rdAber(TFLensdata& main);
    ~TF3rdAber() override;

    // Tool > "&3rd Aber. Coef." and the toolbar's "3rd Aber. Coeff. Calc." button: brings the arrays up
    // to date, computes and shows the table. Without a real image the host shows "No fucus point exist!"
    // and the window is not filled; false is returned.
    bool ShowTable();
    // Computes the table again from the current arrays (the bending window calls this while it bends).
    void Recompute();

    const ThirdOrderTable& Table() const { return table_; }
    // The grid row last selected; the header is row 0, as in the saved file.
    int SelectedRow() const { return selectedRow_; }
    void SelectRow(int gridRow);

    // The buttons: a subtotal at the selected row; removing the selected subtotal (after "Delete OK ?");
    // "DataSave", the table as tab-separated text.
    void InsertSubtotal();
    void DeleteSubtotal();
    void SaveTable();

    // Section "ThAberCoef": "Left", "Top", "Width", "Height", keys equal to kWrittenDefaults deleted.
    // The main window's "Save Inifile" writes it.
    void WriteSettings(IniFile& ini) const;

    // The table on paper ("Print" opens the print preview): the grid's cells at the grid's column
    // widths and row height, fitted to the rectangle's width within the page margins; rows that do not
    // fit go on further pages under the repeated title row.
    void DrawForPrint(QPainter& painter, const QRectF& area) override;
    int PrintPageCount(const QRectF& area) override;
    void DrawPrintPage(QPainter& painter, const QRectF& area, int page) override;
    PrintGrid GridForPrint() const;

    QTableView* Grid() const { return grid_; }
    QString StatusText() const;
    QPushButton* PrintButton() const { return printButton_; }
    QPushButton* SaveButton() const { return saveButton_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    // Brings the table up to date; `command` when the user asked for it (questions are then asked
    // again and a missing image is told by a message, not only in the window).
    bool Update(bool command);
    void ShowResult();
    void ApplyLayout();
    void ApplyWording();

    TFLensdata& main_;
    ThirdOrderTable table_;
    ThirdOrderModel* model_;
    QTableView* grid_;
    QLabel* status_;
    QToolButton* insertButton_;
    QToolButton* deleteButton_;
    QPushButton* closeButton_;
    QPushButton* printButton_;
    QPushButton* saveButton_;
    QPushButton* helpButton_;
    int selectedRow_ = 0;
    bool filled_ = false;
    bool updating_ = false;
    // The prescription revision at which a question about a missing value was declined.
    unsigned long declinedRevision_ = ~0ul;
};

} // namespace vitrimo
