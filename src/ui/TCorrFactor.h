// The optimization conditions dialog "Factor": the weights of the merit function, the angle table with
// its tolerance circles or Strehl weights, the wavelength weights, the method and the mode, and whether
// the focal length is kept. Its values are taken when it closes (OK or the close box); its section
// "CorrFactor" of the settings file is read when it is created and written with the other windows'.
#pragma once

#include "design/MeritConditions.h"
#include "model/IniFile.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vitrimo {

class TFLensdata;

class TCorrFactor : public QDialog {
    Q_OBJECT
public:
    explicit TCorrFactor(TFLensdata& main);

    // Fills the boxes from the conditions and the lens's switched-on wavelengths, and shows the dialog
    // (non-modal). With one free value the focal length cannot be kept: "constFL" is cleared and disabled.
    void ShowFor(int freeValues);
    // The conditions as last taken from the boxes.
    const MeritConditions& Conditions() const { return conditions_; }
    // Whether the conditions were taken at least once (the optimization may then run).
    bool Confirmed() const { return confirmed_; }
    // Takes the boxes into the conditions; false (the host told which text is not a number) when a box
    // does not hold a number.
    bool TakeValues();
    void WriteSettings(IniFile& ini) const;

    // For tests.
    QLineEdit* FactorEdit(int k) const { return factorEdits_[k]; }
    QLineEdit* WeightEdit(int line) const { return weightEdits_[line]; }
    QTableWidget* AngleGrid() const { return grid_; }
    QCheckBox* ConstFLBox() const { return constFL_; }
    QRadioButton* DfpButton() const { return dfp_; }
    QRadioButton* StrehlButton() const { return strehl_; }
    QPushButton* OkButton() const { return ok_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadGrid();
    void SetModeHeaders();
    void AngleFactorChanged();
    void ModeSwitched();

    TFLensdata& main_;
    MeritConditions conditions_;
    bool confirmed_ = false;
    bool rememberedConstFL_ = true;
    std::array<QLineEdit*, 7> factorEdits_{};
    std::array<QLabel*, MeritConditions::kLineCount> weightLabels_{};
    std::array<QLineEdit*, MeritConditions::kLineCount> weightEdits_{};
    QTableWidget* grid_;
    QCheckBox* constFL_;
    QRadioButton* simplex_;
    QRadioButton* dfp_;
    QRadioButton* geometrical_;
    QRadioButton* strehl_;
    QPushButton* ok_;
};

} // namespace vitrimo
