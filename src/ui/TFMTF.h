// The MTF window: the modulation transfer function of the lens, meridional and sagittal, against spatial
// frequency, field angle and focus position, from the spot diagram (geometrical) or from the point spread
// function (diffraction); in its Strehl-ratio mode the Strehl ratio against wavelength, angle and focus.
//
// The window traces through the program's one ray tracer (the workbench's), on the calculation runner's
// thread; the tracer's field angle, defocus and mode are as they were once a sweep has ended. It keeps
// its sweep definitions and its last result until it is closed, the spectral weights of the wavelengths
// (edited on a chart with the mouse, 'Spectrum'), and saves the MTF as tab-separated text ('Save').
// Settings: section "MTF".
#pragma once

#include "evaluation/Mtf.h"
#include "evaluation/SweepTable.h"
#include "figures/MtfPainter.h"
#include "model/IniFile.h"
#include "ui/TPVForm.h"

#include <QMainWindow>
#include <array>
#include <map>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabBar;

namespace vitrimo {

class RayTracer;
class TFLensdata;
class TFSGList;
class MtfFigureView;

class TFMTF : public QMainWindow, public TPVForm {
    Q_OBJECT
public:
    static constexpr const char* kSection = "MTF";
    enum Tab { FrequencyTab, AngleTab, FocusTab };

    TFMTF(TFLensdata& main, TFSGList& tables);
    ~TFMTF() override;

    // ---- Opening the window ----
    // The aberration window's "MTF Show" on its spot tab: the geometrical OTF at that field angle and
    // defocus (mm from the last distance), the spot grid of `spotSteps` steps per radius.
    void ShowFromSpotDiagram(double fieldAngle, double defocus, int spotSteps = 15);
    // "MTF Show" on the FFT Image tab: the diffraction OTF with that FFT size and pupil division.
    void ShowFromPsf(double fieldAngle, double defocus, int fftSize = 256, int pupilDivision = 32);
    // "RMS Cal" on the wavefront-face tab: the Strehl-ratio mode at that field angle and defocus.
    void ShowStrehlMode(double fieldAngle, double defocus, int spotSteps = 15);
    // The main window's "&MTF - Angle", once it has asked the maximum spatial frequency and the angles
    // (into AngleTable()): the angle sweep of the MTF.
    void ShowAngleSweep(double maxFrequency);

    // ---- The window's commands ----
    // A tab chosen: the frequency tab calculates at once; the angle and focus tabs ask their sweep first
    // (Cancel leaves the window as it was).
    void SelectTab(Tab tab);
    // "Recalc.": the current sweep asked and calculated again.
    void Recalculate();
    // 'Reset': one angle and one focus position, and the current tab calculated again.
    void ResetSweeps();
    // "MTF" and "OTF'".
    void SetPart(OtfPart part);
    // 'Scale' and the clicks beside the graph: the end of the frequency axis (right) and the lowest value
    // (left); while editing the weights, the ends of the wavelength axis.
    void AskAxisEnd();
    void AskAxisStart();
    // The labels "Angle" and "deFocus": a new field angle or defocus, and the tab calculated again.
    void AskAngle();
    void AskDefocus();
    // A double-click on the angle or focus graph at a value of its axis: asks the angle (or focus position)
    // there and shows the MTF against frequency at it.
    void ReadOutAt(double axisValue);
    // 'Freq. Table': the listed frequencies of the angle and focus curves.
    void EditFrequencyTable();
    // 'Save': the MTF of the current tab as tab-separated text.
    void SaveResult();
    void StopCalculation();

    // ---- The spectral weights ('Spectrum', 'OK', 'Cancel') ----
    void BeginSpectrumEditing();
    void EndSpectrumEditing(bool keep);
    bool EditingSpectrum() const { return editing_; }
    // Sets the weight of a point of the chart (as the mouse does), within 0 ... the top of the chart.
    void SetEditedWeight(int entry, double weight);
    const SpectralWeightPlot& SpectrumPlot() const { return editPlot_; }
    // The weights in use, per position of the lens's wavelength list.
    std::vector<double> Weights() const;

    // ---- Settings of section "MTF"; keys equal to their defaults are deleted ----
    void ReadSettings(const IniFile& ini);
    void WriteSettings(IniFile& ini) const;
    // Reads the section from the settings file again (the main window's table reset does).
    void ReloadSettings();

    // The print preview ('Preview' opens it): the graph, or the spectral weights while they are edited,
    // or the reason there is no graph, as the figure area shows it.
    void DrawForPrint(QPainter& painter, const QRectF& area) override;

    // ---- State, for tests and the other windows ----
    bool HasResult() const { return hasResult_; }
    const MtfResult& Result() const { return plot_.result; }
    // What the graph shows: the result with the axes, the listed frequencies and the wording.
    const MtfPlot& Plot() const { return plot_; }
    Tab CurrentTab() const { return tab_; }
    bool StrehlMode() const { return strehlMode_; }
    OtfSource Source() const { return source_; }
    OtfPart Part() const { return part_; }
    double FieldAngle() const { return fieldAngle_; }
    double Defocus() const { return defocus_; }
    double MaxFrequency() const { return maxFrequency_; }
    double AxisFrequency() const { return axisFrequency_; }
    double AxisMinimum() const { return minimum_; }
    const FocusSweep& Focus() const { return focus_; }
    SweepTable& AngleTable() { return angleTable_; }
    SweepTable& FrequencyTable() { return frequencyTable_; }
    QString Hint() const { return hint_; }
    QWidget* FigureWidget() const;
    QPushButton* Button(const QString& name) const;
    QTabBar* Tabs() const { return tabs_; }

protected:
    void changeEvent(QEvent* event) override;
    // Closing the window during its calculation stops it.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void ApplyWording();
    void ShowWindow(Tab tab);
    // Starts the calculation of a tab from the window's definitions, on the runner's thread.
    void Calculate(Tab tab);
    void ShowResult(MtfResult result, Tab tab);
    MtfSettings Settings() const;
    void SetBusy(bool busy);
    void SetStrehl(bool on);
    void SetTabQuietly(Tab tab);
    void UpdateLabels();
    void UpdateButtons();
    // Brings the figure's settings up to date and repaints.
    void Redraw();
    bool AskAngleSweep();
    bool AskFocusSweep();
    bool AskMaxFrequency();
    // A number typed into a one-line prompt; nullopt after Cancel or (told) when it is not a number.
    std::optional<double> AskValue(const Wording& caption, const Wording& prompt, const std::string& value);
    void Reweigh();

    TFLensdata& main_;
    TFSGList& tables_;
    RayTracer& tracer_;

    QTabBar* tabs_ = nullptr;
    MtfFigureView* figure_ = nullptr;
    QComboBox* sourceBox_ = nullptr;
    QPushButton* angleButton_ = nullptr;
    QPushButton* defocusButton_ = nullptr;
    QPushButton* recalcButton_ = nullptr;
    QLabel* waitLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::map<QString, QPushButton*> buttons_;

    bool strehlMode_ = false;
    OtfSource source_ = OtfSource::Diffraction;
    Tab tab_ = FrequencyTab;
    OtfPart part_ = OtfPart::Modulus;
    double fieldAngle_ = 0;
    double defocus_ = 0; // mm from the last distance
    int spotSteps_ = 15;
    int fftSize_ = 256;
    int pupilDivision_ = 32;
    double maxFrequency_ = kDefaultMaxFrequency;
    double axisFrequency_ = 0; // "MTFgraphMax": 0 follows the maximum spatial frequency
    double minimum_ = 0;       // %
    SweepTable angleTable_{SweepTableKind::GeneratedAngles};
    SweepTable frequencyTable_{SweepTableKind::SpatialFrequencies};
    FocusSweep focus_;
    std::array<double, WavelengthList::kLineCount> lineWeights_ = kDefaultLineWeights;
    std::map<std::string, double> addedWeights_; // weights set for added wavelengths, by title
    double spectrumLeft_ = 350, spectrumRight_ = 1050;

    bool editing_ = false;
    SpectralWeightPlot editPlot_;
    std::vector<int> editPositions_; // the list position of each point of the chart

    MtfPlot plot_; // holds the result
    bool hasResult_ = false;
    bool busy_ = false;
    bool calculating_ = false; // this window's calculation is running
    bool pending_ = false;     // its result (or its failure) has not come back yet
    bool cursorSet_ = false;
    bool stopRequested_ = false;
    QString hint_;
};

} // namespace vitrimo
