// The wavelength window: which wavelengths the ray-based calculations trace, which one is the reference,
// and the colour each is drawn in.
//
// It works on the lens's own wavelength list: a check box sets a wavelength's calculation flag, the
// radio buttons choose the reference wavelength (always traced, checked or not), a click on a colour
// swatch chooses that wavelength's colour. A wavelength for which some face of the prescription has no
// refractive index cannot be chosen: its check box and radio button are disabled and cleared.
#pragma once

#include "model/Colour.h"
#include "model/IniFile.h"
#include "model/Lens.h"

#include <QDialog>
#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vitrimo {

class TFLensdata;

// Whether every face of the prescription has a refractive index other than 0 at wavelength w. Face rows
// without a d-line index do not count: the next calculation deletes them.
bool WavelengthHasData(const Lens& lens, int w);

class TFWaveLgthSlct : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "WavelengthSelect";

    explicit TFWaveLgthSlct(TFLensdata& main);

    // Shows the window (not modal). QDialog::finished tells when the user closed it.
    void ShowWindow();
    // Brings the rows up to date with the lens's wavelength list and its indices. Done on showing and
    // on each activation; call it when the list changed while the window is open.
    void Refresh();

    // "RealColor": colours from the spectral table "RGBtable.txt" (start folder first, then the
    // program's data folder); "Default": the default colours and calculation flags. When the table is
    // missing or malformed the host says why and the colours stay as they are.
    void ToggleRealColours();
    bool RealColoursInUse() const { return realColours_; }
    // "WhiteBalance": scales the colours of the switched-on wavelengths so that together they make white
    // (the Simplex method on the colour balance); the button then gives its place to "RealColor".
    void WhiteBalanceClick();
    QPushButton* WhiteBalanceButton() const { return whiteBalanceButton_; }
    // The colour dialog for wavelength w; the chosen colour becomes its pen colour.
    void ChooseColour(int w);

    // Section "WavelengthSelect": the window geometry and, for each added wavelength, its colour,
    // wavelength, caption, name and calculation flag under "Color<k>", "Wavelength<k>(nm)",
    // "WLCaption<k>", "WL<k>" and "Calc<k>", k = 11, 12, ... in list order of the added wavelengths.
    void WriteSettings(IniFile& ini) const;

    int RowCount() const { return static_cast<int>(rows_.size()); }
    QCheckBox* CheckBox(int w) const { return rows_.at(w).check; }
    QRadioButton* RadioButton(int w) const { return rows_.at(w).radio; }
    QAbstractButton* Swatch(int w) const { return rows_.at(w).swatch; }
    Colour SwatchColour(int w) const;
    QPushButton* ColourButton() const { return colourButton_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Row {
        std::string name;
        QAbstractButton* swatch = nullptr;
        QCheckBox* check = nullptr;
        QRadioButton* radio = nullptr;
    };
    // An added wavelength as the settings remember it.
    struct Remembered {
        std::string name;
        Colour colour = 0;
        bool calculate = true;
    };

    void BuildRows();
    void ApplyRemembered();
    void ShowState();
    void ApplyWording();

    TFLensdata& main_;
    std::vector<Row> rows_;
    std::vector<Remembered> remembered_;
    bool realColours_ = false;
    bool updating_ = false;

    QWidget* rowArea_;
    QGridLayout* rowLayout_;
    QButtonGroup* referenceGroup_;
    QLabel* colourTitle_;
    QLabel* calculateTitle_;
    QLabel* referenceTitle_;
    QPushButton* okButton_;
    QPushButton* colourButton_;
    QPushButton* whiteBalanceButton_;
    QPushButton* helpButton_;
};

} // namespace vitrimo
