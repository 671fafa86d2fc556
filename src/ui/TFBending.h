// The bending window: the shape of the lens changed with a scroll bar while three small plots follow.
//
// The window bends a working copy of the lens's arrays (BendingSession); the lens changes only when OK
// writes the bent radii and distances into the table, as one Undo step of the main window. Cancel, or
// closing the window, leaves the lens as it was. The plots follow the aberration window's mode: the
// longitudinal aberration with the sine condition, astigmatism and distortion, or the spot diagrams of
// the first angles (at most three) of its angle table. They are traced through the program's one tracer,
// bound to the bent shape while the window bends; a step is small enough (a few hundred rays) to trace on
// the user-interface thread, and scroll events that come faster than the plots are merged into one redraw.
#pragma once

#include "design/Bending.h"
#include "figures/AberrationPainter.h"
#include "figures/EvaluationPainter.h"
#include "model/IniFile.h"

#include <QDialog>
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabBar;
class QTableWidget;

namespace vitrimo {

class TF3rdAber;
class TFLensdata;
class TFSphAber;
class BendingPlotView;

class TFBending : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Bending";
    static constexpr int kHelpTopic = 124;
    static constexpr int kDefaultLargeChange = 20;

    TFBending(TFLensdata& main, TFSphAber& aberration, TF3rdAber& thirdOrder);
    ~TFBending() override;

    // Opens the window on the lens as it stands (it needs a real image): f0 saved, table filled, plots
    // computed.
    bool Start();

    // ---- The commands, as the controls call them (tests call them too) ----
    // A double-click or Enter on a cell of the bending table: row = face number, column 0 ... 4.
    void ChooseCell(int face, int column, bool ctrl);
    void SetMode(BendMode mode);
    void StepInterval(int direction);
    void OkClick();
    void CancelClick();
    void FlAdjustClick();
    void UndoClick();
    void ClearSelectionClick();
    // The arrows of plot k: its scale doubled (+1) or halved (-1); and the focus of the spot plots.
    void StepPlotScale(int k, int direction);
    void StepFocus(int direction);

    // ---- State, for tests ----
    const BendingSession* Session() const { return session_.get(); }
    QString Prompt() const;
    QString IntervalText() const;
    QTableWidget* Grid() const { return grid_; }
    QScrollBar* ScrollBar() const { return scrollBar_; }
    QPushButton* OkButton() const { return okButton_; }
    int PlotCount() const;
    bool SpotMode() const { return spotMode_; }
    const AberrationPlot& CurvePlot(int k) const { return curves_[k]; }
    const SpotPlot& SpotFigure(int k) const { return spots_[k]; }
    double PlotScale(int k) const { return scales_[k]; }
    // How long the last plot update took, ms.
    double LastPlotMilliseconds() const { return lastPlotMs_; }

    void ReadSettings(const IniFile& ini);
    void WriteSettings(IniFile& ini) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ApplyWording();
    void FillTable();
    void WriteRow(int face);
    void MarkChosenCells();
    void UpdateControls();
    void Scrolled(int position);
    void AfterChange();
    // The plots are computed once the pending scroll events are through.
    void SchedulePlots();
    void ComputePlots();
    void ReadIntervalBox();
    // The tracer goes back to the lens's own arrays when the window stops bending.
    void Finish();

    TFLensdata& main_;
    TFSphAber& aberration_;
    TF3rdAber& thirdOrder_;
    std::unique_ptr<BendingSession> session_;

    QTabBar* tabs_ = nullptr;
    QLabel* prompt_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    QLineEdit* intervalBox_ = nullptr;
    QLabel* intervalLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* flAdjustButton_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QLabel* focusLabel_ = nullptr;
    std::array<BendingPlotView*, 3> views_{};
    std::array<QLabel*, 3> scaleLabels_{};

    bool spotMode_ = false;
    std::vector<double> spotAngles_;
    std::array<AberrationPlot, 3> curves_;
    std::array<SpotPlot, 3> spots_;
    std::array<double, 3> scales_{0.5, 0.5, 1.0};
    double focus_ = 0;
    int curveSteps_ = 30;
    double maxAngle_ = 0;
    int largeChange_ = kDefaultLargeChange;
    double savedInterval_ = 0; // "Bending Interval" of the settings; 0: the mode's default
    bool plotsPending_ = false;
    double lastPlotMs_ = 0;
};

} // namespace vitrimo
