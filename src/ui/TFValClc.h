// The optimization progress window "FValClc" and the optimization command it runs.
//
// The run goes on the calculation runner's thread with a copy of the lens, so the windows stay
// responsive; the read-outs "FocalPoint=", "F =" and "Fmin =" follow every valid evaluation, and with the
// graphics on the six boxes show the spot diagrams of the first six angles at the best focus (the box
// spans +-0.2 mm across). Stop, or closing the window, ends the run with the best point found so far,
// which is still written into the table as one Undo step.
#pragma once

#include "design/LensMerit.h"
#include "design/Optimisation.h"

#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;

namespace vitrimo {

class TCorrFactor;
class TFLensdata;

// One picture box: the spot diagram of one angle.
class SpotBox : public QWidget {
public:
    using QWidget::QWidget;
    void SetDots(std::vector<MeritSpotDot> dots);
    const std::vector<MeritSpotDot>& Dots() const { return dots_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<MeritSpotDot> dots_;
};

class TFValClc : public QWidget {
    Q_OBJECT
public:
    TFValClc(TFLensdata& main, TCorrFactor& conditions);

    // The optimization command: prepares the lens, refuses a lens without a real image or without free
    // values, shows the window and starts the run. False when nothing was started.
    bool Execute();
    bool Running() const { return running_; }
    // The graphics switch; the button's caption offers the other state.
    void ToggleGraphics();
    void StopRun();

    // For tests.
    QLabel* FocalPointLabel() const { return focalPoint_; }
    QLabel* FLabel() const { return f_; }
    QLabel* FminLabel() const { return fmin_; }
    QPushButton* GraphicsButton() const { return graphics_; }
    QPushButton* StopButton() const { return stop_; }
    SpotBox* Box(int k) const { return boxes_[k]; }
    // The result of the last run (its error, its vector, its evaluations).
    const OptimisationResult& LastResult() const { return last_; }

signals:
    // A run ended and its result was written (or refused).
    void RunFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowReport(const MeritReport& report);
    void Finish(OptimisationResult result);

    TFLensdata& main_;
    TCorrFactor& conditions_;
    std::array<SpotBox*, LensMerit::kSpotBoxes> boxes_{};
    QLabel* focalPoint_;
    QLabel* f_;
    QLabel* fmin_;
    QPushButton* graphics_;
    QPushButton* stop_;
    std::shared_ptr<std::atomic<bool>> graphicsOn_ = std::make_shared<std::atomic<bool>>(false);
    double shownFmin_ = 100000;
    bool running_ = false;
    OptimisationResult last_;
};

} // namespace vitrimo
