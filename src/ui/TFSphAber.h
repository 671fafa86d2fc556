// The aberration figure window: the exact-ray curves of the lens in eight tabs (the four curve tabs
// now; the spot, wavefront and diffraction tabs come with their calculations).
//
// The window owns the program's one ray tracer: the other analysis windows trace through it. Its
// figure is drawn by the same painter as the print preview and vitrimo-cli's figure export.
#pragma once

#include "engine/AberrationCurves.h"
#include "engine/RayTracer.h"
#include "evaluation/SweepTable.h"
#include "figures/AberrationPainter.h"
#include "model/IniFile.h"

#include <QMainWindow>
#include <map>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabBar;
class QToolButton;

namespace vitrimo {

class TFLensdata;
class TFSGList;
class TFWaveLgthSlct;
class FigureView;

class TFSphAber : public QMainWindow {
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

    // Shows the window on a tab and calculates (the main window's Aber. Figure items).
    void ShowTab(Tab tab);
    Tab CurrentTab() const { return tab_; }
    // Traces the current tab from the values in the boxes, on the calculation runner's thread, and draws
    // the result when it comes back. Nothing happens while a calculation runs.
    void Execute();
    // Asks the running calculation to stop (the Stop command).
    void StopCalculation();

    // The up/down controls: defocus and angle by their intervals, the scale doubled or halved.
    void StepDefocus(int direction);
    void StepAngle(int direction);
    void StepScale(int direction);
    // "Next"/"Start": the next angle of the angle table.
    void NextAngle();

    // The settings of section "Aberration Fig", keys equal to their defaults deleted.
    void WriteSettings(IniFile& ini) const;
    void ReadSettings(const IniFile& ini);

    // Saves the figure as PNG, SVG or PDF (Form > Save Figure...).
    void SaveFigure();

    // ---- State, for tests and the other windows ----
    const AberrationPlot& Plot() const { return plot_; }
    bool HasPlot() const { return hasPlot_; }
    double CurveScale() const { return curveScale_; }
    double DistortionScale() const { return distortionScale_; }
    double Defocus() const { return defocus_; }
    double FieldAngle() const { return fieldAngle_; }
    double MaxAngle() const { return maxAngle_; }
    int CurveSteps() const { return curveSteps_; }
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
    void ShowControlsOfTab();
    bool FieldTab() const { return tab_ == Astigmatism || tab_ == Distortion; }
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
    QString hint_;
};

} // namespace vitrimo
