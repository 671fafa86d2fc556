// The aberration figure window: the exact-ray evaluation of the lens in eight tabs, the four aberration
// curves, the spot diagram, the wavefront along the pupil's sections and over the pupil, and the
// diffraction image of a point (FFT Image).
//
// The window owns the program's one ray tracer: the other analysis windows trace through it. Every tab
// is calculated on the calculation runner's thread and keeps its result, so that a new defocus, scale or
// reference point is drawn from the same rays without tracing again. Its figures are drawn by the same
// painters as the print preview and vitrimo-cli's figure export.
#pragma once

#include "engine/AberrationCurves.h"
#include "engine/RayTracer.h"
#include "evaluation/SweepTable.h"
#include "figures/AberrationPainter.h"
#include "figures/EvaluationPainter.h"
#include "model/IniFile.h"
#include "ui/TPVForm.h"

#include <QMainWindow>
#include <functional>
#include <map>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTabBar;
class QToolButton;

namespace vitrimo {

class TFFTNval;
class TFLensdata;
class TFSGList;
class TFWaveLgthSlct;
class FigureView;

class TFSphAber : public QMainWindow, public TPVForm {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Aberration Fig";
    enum Tab {
        Longitudinal,
        Transverse,
        Astigmatism,
        Distortion,
        Spot,
        WavefrontLine,
        WavefrontFace,
        FftImage
    };

    TFSphAber(TFLensdata& main, TFWaveLgthSlct& wavelengths, TFSGList& angleTable);
    ~TFSphAber() override;

    // The program's one ray tracer (the main window's workbench holds it).
    RayTracer& Tracer() { return tracer_; }

    // Set by the program once the MTF window exists: "MTF Show" (shown while MTF Calc is on) opens it
    // with the OTF of the spot or FFT tab, "RMS Cal" (wavefront face tab) opens it in its Strehl ratio
    // mode. While a hook is empty its button is disabled.
    std::function<void()> mtfShow;
    std::function<void()> rmsCal;

    // Shows the window on a tab and calculates (the main window's Aber. Figure items).
    void ShowTab(Tab tab);
    Tab CurrentTab() const { return tab_; }
    // Traces the current tab from the values in the boxes, on the calculation runner's thread, and draws
    // the result when it comes back. Nothing happens while a calculation runs.
    void Execute();
    // Asks the running calculation to stop (the Stop command).
    void StopCalculation();

    // The up/down controls: defocus and angle by their intervals, the scale doubled or halved. A defocus
    // step redraws the curves, the spot and the wavefront from the same rays; on the FFT Image tab it
    // computes the image again (on the runner's thread) from the same rays.
    void StepDefocus(int direction);
    void StepAngle(int direction);
    void StepScale(int direction);
    // The brightness of the FFT image: up divides the divisor B by 2 (by the square root of 2 on the
    // logarithmic scale), down multiplies it; 0 sets it back to 1 ("Default").
    void StepBrightness(int direction);
    // The wavefront tabs' reference point moved across by scroll bar positions -100 ... 100: position /
    // 100 / 10 mm. The figure is measured again against it, without tracing.
    void SetReferenceShift(int yPosition, int zPosition);
    // "Next"/"Start": the next angle of the angle table.
    void NextAngle();

    // The settings of section "Aberration Fig", keys equal to their defaults deleted.
    void WriteSettings(IniFile& ini) const;
    void ReadSettings(const IniFile& ini);

    // Saves the figure as PNG, SVG or PDF (Form > Save Figure...).
    void SaveFigure();
    // Draws the current tab's figure, as the window shows it, into any painter.
    void PaintFigure(QPainter& painter, const QRectF& area) const;
    // The print preview and Form > "&Print" (hidden): the current tab's figure, or the reason there is
    // none, as the figure area shows it.
    void DrawForPrint(QPainter& painter, const QRectF& area) override;

    // ---- State, for tests and the other windows ----
    // The curve tabs' plot; HasPlot: the current tab has a result to draw.
    const AberrationPlot& Plot() const { return plot_; }
    bool HasPlot() const { return hasPlot_; }
    double CurveScale() const { return curveScale_; }
    double DistortionScale() const { return distortionScale_; }
    double Defocus() const { return defocus_; }
    double FieldAngle() const { return fieldAngle_; }
    double MaxAngle() const { return maxAngle_; }
    int CurveSteps() const { return curveSteps_; }
    int SpotSteps() const { return spotSteps_; }
    double SpotScale() const { return spotScale_; }
    double CircleSize() const { return circleSize_; }
    int FftSize() const { return fftSize_; }
    int PupilDivision() const { return pupilDivision_; }
    double Brightness() const { return brightness_; }
    std::pair<double, double> ReferenceShift() const { return {shiftY_, shiftZ_}; }
    // The results of the evaluation tabs as their painters draw them.
    const SpotPlot& SpotFigure() const { return spot_; }
    const WavefrontLinePlot& WavefrontLineFigure() const { return waveLine_; }
    const WavefrontMapPlot& WavefrontMapFigure() const { return waveMap_; }
    const PsfPlot& PsfFigure() const { return psf_; }
    // The read-outs beside the figure ("L-V: ", "RMS: " or "RMS: ", "StRatio: ").
    std::pair<QString, QString> ReadOuts() const;
    TFFTNval& FftDialog() { return *fftDialog_; }
    QString DefocusText() const;
    QString ScaleText() const;
    std::pair<QString, QString> AngleTexts() const;
    QString Hint() const { return hint_; }
    SweepTable& AngleTable() { return angles_; }
    QAction* Action(const QString& name) const;

protected:
    void changeEvent(QEvent* event) override;
    // Closing the window during a calculation stops it.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildControls();
    void ApplyWording();
    void BuildTabControls(QWidget* parent);
    void ShowControlsOfTab();
    bool FieldTab() const { return tab_ == Astigmatism || tab_ == Distortion; }
    bool CurveTab() const { return tab_ <= Distortion; }
    bool SpotFamily() const { return tab_ == Spot || tab_ == WavefrontFace; }
    // The scale the scale box shows on this tab: curves and wavefront, distortion, or the plot half-width
    // of the spot and FFT tabs.
    double& TabScale();
    void StepsClick();
    CurveKind KindOf(Tab tab) const;
    CurveSettings Settings() const;
    bool ReadBoxes();
    void WriteAngleBoxes(double degrees);
    void Redraw();
    // A calculation started or ended (in any window): the commands that could start another one, or
    // change what is traced, wait; Stop works.
    void SetBusy(bool busy);
    // The curve computed on the runner's thread, back on the window's.
    void ShowCurve(CurveResult curve, const CurveSettings& settings);
    // The evaluation tabs: started on the runner's thread, shown when they come back.
    void StartSpot();
    void StartWavefront();
    void StartPsf(bool sameRays);
    void ShowSpot(SpotResult spot);
    void ShowWavefrontLine(vitrimo::WavefrontLine line);
    void ShowWavefrontMap(WavefrontMap map);
    void ShowPsf(PsfResult psf);
    // Whether a result has rays to draw; otherwise says why and clears the figure.
    bool Accept(bool traced, const std::string& status);
    EvaluationLook Look() const;
    PsfSettings CurrentPsfSettings() const;
    void ApplyLook();
    void UpdateReadOuts();
    // Shows the controls of the tab and enables the commands that work now.
    void UpdateTabWidgets();
    // Entering the FFT Image tab (or Step/radius on it): the FFT size dialog first.
    void AskFftSize(Tab previous);
    // "Linear <-> Root" or "Linear <-> Log" switched: they exclude each other.
    void ToggleBrightnessScale(bool log, bool on);
    // The screen face of the lens with its transmission map, read from "screen.txt" of the lens folder
    // (or a file the user picks). False when the calculation cannot go on.
    bool ReadScreen(std::optional<ScreenFace>& screen);
    void Stale();
    void RecalculateIfStale();
    bool AskAngle(const Wording& caption, const Wording& prompt, double& value);

    TFLensdata& main_;
    TFWaveLgthSlct& wavelengths_;
    TFSGList& angleTable_;
    RayTracer& tracer_;

    QTabBar* tabs_ = nullptr;
    FigureView* figure_ = nullptr;
    QLineEdit* defocusBox_ = nullptr;
    QLineEdit* degreeBox_ = nullptr;
    QLineEdit* minuteBox_ = nullptr;
    QLineEdit* scaleBox_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QLabel* waitLabel_ = nullptr;
    QLabel* doneLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QWidget* tabControls_ = nullptr; // the row of the evaluation tabs' own controls
    QLabel* readOut1_ = nullptr;
    QLabel* readOut2_ = nullptr;
    QPushButton* rmsCalButton_ = nullptr;
    QPushButton* mtfShowButton_ = nullptr;
    QWidget* brightnessBox_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
    QLabel* circleLabel_ = nullptr;
    QScrollBar* shiftYBar_ = nullptr;
    QScrollBar* shiftZBar_ = nullptr;
    QLabel* shiftYValue_ = nullptr;
    QLabel* shiftZValue_ = nullptr;
    QWidget* shiftYBox_ = nullptr;
    QWidget* shiftZBox_ = nullptr;
    TFFTNval* fftDialog_ = nullptr;
    std::map<QString, QAction*> actions_;

    Tab tab_ = Longitudinal;
    double curveScale_ = 0.5;
    double distortionScale_ = 1.0;
    double spotScale_ = 0.05;
    double circleSize_ = 0.01;
    Colour background_ = colours::White;
    int curveSteps_ = 30;
    int spotSteps_ = 15;
    double defocus_ = 0;
    double fieldAngle_ = 0;
    double defocusInterval_ = 0.02;
    double angleInterval_ = 1.0;
    double maxAngle_ = 0;
    int penWidth_ = 1;
    int fftSize_ = 256;
    int pupilDivision_ = 32;
    double brightness_ = 1;
    double shiftY_ = 0, shiftZ_ = 0; // mm
    SweepTable angles_;
    int slot_ = 0;
    bool nextIsStart_ = false;
    bool busy_ = false;
    bool calculating_ = false; // this window's calculation is running
    bool stopRequested_ = false;
    bool stale_ = false;
    bool hasPlot_ = false;
    CurveResult curve_;
    CurveSettings traced_; // the settings the rays in the bundle were traced with
    AberrationPlot plot_;
    SpotPlot spot_;
    WavefrontLinePlot waveLine_;
    WavefrontMapPlot waveMap_;
    PsfPlot psf_;
    QString hint_;
};

} // namespace vitrimo
