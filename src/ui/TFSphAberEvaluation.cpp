// The evaluation tabs of the aberration figure window: the spot diagram, the wavefront along the pupil's
// sections and over the pupil, and the diffraction image (FFT Image). Each is calculated on the
// calculation runner's thread from values read on the window's thread, and kept: a defocus step, a new
// scale, a reference shift or an overlay is drawn from the kept rays without tracing again.
#include "evaluation/ScreenMap.h"
#include "figures/PlotFrame.h"
#include "model/FaceCommands.h"
#include "model/NumberFormat.h"
#include "model/Texts.h"
#include "ui/AberrationTexts.h"
#include "ui/CalculationRunner.h"
#include "ui/Locale.h"
#include "ui/MainWindowTexts.h"
#include "ui/TFFTNval.h"
#include "ui/TFLensdata.h"
#include "ui/TFSphAber.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

namespace vitrimo {

using namespace aberrationTexts;

namespace {

// The brightness divisor stays within these bounds: no step makes it 0 or infinite.
constexpr double kBrightnessLimit = 1099511627776.0; // 2^40

const Wording ScreenFileTitle{"Screen File", "スクリーンファイル"};
constexpr const char* kScreenFileFilter = "Screen File (*.txt)|*.txt";

} // namespace

// ---------------------------------------------------------------------------------------------------
// Starting the calculations

void TFSphAber::StepsClick() {
    if (busy_ || main_.Runner().Busy()) return;
    if (tab_ == FftImage) { // the FFT size and the pupil division instead
        AskFftSize(FftImage);
        return;
    }
    int& steps = SpotFamily() ? spotSteps_ : curveSteps_;
    const Wording& caption = FieldTab() ? StepAngleCaption : StepRadiusCaption;
    if (const auto value = main_.HostOf().AskInteger(caption, Wording{}, steps, 2, 40)) {
        steps = *value;
        Execute();
    }
}

void TFSphAber::StartSpot() {
    const SpotSettings settings{fieldAngle_, defocus_, spotSteps_};
    RayTracer* tracer = &tracer_;
    const Lens* lens = &main_.LensData();
    calculating_ = main_.Runner().Start<SpotResult>(
        this, [tracer, lens, settings](Host& host) { return ComputeSpot(*tracer, *lens, settings, host); },
        [this](SpotResult spot) { ShowSpot(std::move(spot)); });
}

void TFSphAber::StartWavefront() {
    WavefrontSettings settings;
    settings.fieldAngle = fieldAngle_;
    settings.defocus = defocus_;
    settings.shiftY = shiftY_;
    settings.shiftZ = shiftZ_;
    RayTracer* tracer = &tracer_;
    const Lens* lens = &main_.LensData();
    if (tab_ == WavefrontLine) {
        settings.steps = curveSteps_; // the line follows the curves' fans
        calculating_ = main_.Runner().Start<vitrimo::WavefrontLine>(
            this,
            [tracer, lens, settings](Host& host) {
                return ComputeWavefrontLine(*tracer, *lens, settings, host);
            },
            [this](vitrimo::WavefrontLine line) { ShowWavefrontLine(std::move(line)); });
    } else {
        settings.steps = spotSteps_; // the map samples the spot grid
        calculating_ = main_.Runner().Start<WavefrontMap>(
            this,
            [tracer, lens, settings](Host& host) {
                return ComputeWavefrontMap(*tracer, *lens, settings, host);
            },
            [this](WavefrontMap map) { ShowWavefrontMap(std::move(map)); });
    }
}

PsfSettings TFSphAber::CurrentPsfSettings() const {
    PsfSettings settings;
    settings.fieldAngle = fieldAngle_;
    settings.defocus = defocus_;
    settings.fftSize = fftSize_;
    settings.pupilDivision = pupilDivision_;
    settings.halfWidth = spotScale_;
    settings.brightness = Action("actLinearLog")->isChecked()    ? BrightnessScale::Log
                          : Action("actLinearRoot")->isChecked() ? BrightnessScale::Root
                                                                 : BrightnessScale::Linear;
    settings.otf = Action("actMtfCalc")->isChecked();
    return settings;
}

void TFSphAber::StartPsf(bool sameRays) {
    if (main_.Runner().Busy()) return;
    statusBar()->clearMessage();
    hint_.clear();
    stopRequested_ = false;
    PsfSettings settings = CurrentPsfSettings();
    if (sameRays && psf_.psf.trace) {
        // Another image plane: a new transform of the same pupil, on the runner's thread too.
        const std::shared_ptr<const PsfTrace> trace = psf_.psf.trace;
        settings.fieldAngle = trace->rays->fieldAngle;
        progress_->setValue(0);
        calculating_ = main_.Runner().Start<PsfResult>(
            this, [trace, settings](Host& host) { return EvaluatePsf(trace, settings, host); },
            [this](PsfResult psf) { ShowPsf(std::move(psf)); });
        return;
    }
    if (!ReadScreen(settings.screen)) return;
    RayTracer* tracer = &tracer_;
    const Lens* lens = &main_.LensData();
    progress_->setValue(0);
    calculating_ = main_.Runner().Start<PsfResult>(
        this, [tracer, lens, settings](Host& host) { return ComputePsf(*tracer, *lens, settings, host); },
        [this](PsfResult psf) { ShowPsf(std::move(psf)); });
}

bool TFSphAber::ReadScreen(std::optional<ScreenFace>& screen) {
    screen.reset();
    const Lens& lens = main_.LensData();
    const SurfaceArrays& arrays = lens.Arrays();
    for (int i = tracer_.Context().firstSurface; i <= tracer_.SurfaceCount() && i < arrays.Count(); ++i) {
        if (arrays.TypeOf(i) != SurfaceType::Screen) continue;
        const std::string folder = main_.Directories().dataDir;
        ScreenMapResult read = ReadScreenMap((std::filesystem::path(folder) / "screen.txt").string());
        if (!read.Ok()) {
            const QString chosen =
                main_.HostOf().OpenFileName(ScreenFileTitle, QString::fromStdString(folder),
                                            FileFilter{QString::fromUtf8(kScreenFileFilter)});
            if (chosen.isEmpty()) {
                // Without its map the face is no screen: it becomes air, and the lens is set up again.
                MakeAir(main_.LensData(), i + 1);
                main_.TableChanged();
                if (!main_.CheckImage(main_.PrepareForCalculation())) return false;
                main_.Bench().BindTracer(main_.HostOf());
                return true;
            }
            read = ReadScreenMap(chosen.toStdString());
            if (!read.Ok()) {
                main_.HostOf().Tell(MessageKind::Error, Wording{read.error, read.error});
                return false;
            }
        }
        screen = ScreenFace{i, arrays.surfaces[i].effectiveDiameter, std::move(read.map)};
        return true;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Results back on the window's thread

bool TFSphAber::Accept(bool traced, const std::string& status) {
    progress_->hide();
    if (!traced) {
        // Stopped, or the trace failed: nothing to draw.
        hasPlot_ = false;
        hint_ = QString::fromStdString(status);
        if (!stopRequested_ && status != kStoppedText)
            main_.HostOf().Tell(MessageKind::Error, Wording{status, status});
        UpdateTabWidgets();
        UpdateReadOuts();
        Redraw();
        return false;
    }
    hasPlot_ = true;
    // No ray reaching the image is a figure too: its message, no numbers.
    if (!status.empty()) statusBar()->showMessage(QString::fromStdString(status));
    doneLabel_->show();
    return true;
}

void TFSphAber::ShowSpot(SpotResult spot) {
    if (!Accept(spot.rays != nullptr, spot.status)) return;
    spot_.spot = std::move(spot);
    UpdateTabWidgets();
    Redraw();
}

void TFSphAber::ShowWavefrontLine(vitrimo::WavefrontLine line) {
    if (!Accept(line.rays != nullptr, line.status)) return;
    waveLine_.line = std::move(line);
    UpdateTabWidgets();
    UpdateReadOuts();
    Redraw();
}

void TFSphAber::ShowWavefrontMap(WavefrontMap map) {
    if (!Accept(map.rays != nullptr, map.status)) return;
    waveMap_.map = std::move(map);
    UpdateTabWidgets();
    UpdateReadOuts();
    Redraw();
}

void TFSphAber::ShowPsf(PsfResult psf) {
    if (!Accept(psf.trace != nullptr, psf.status)) return;
    psf_.psf = std::move(psf);
    const TracedRays& rays = *psf_.psf.trace->rays;
    // The profile along y too where the image need not be symmetric about the meridional plane's normal.
    psf_.columnLine = rays.fieldAngle != 0 || main_.LensData().HasDecenter();
    UpdateTabWidgets();
    Redraw();
}

// ---------------------------------------------------------------------------------------------------
// Drawing

EvaluationLook TFSphAber::Look() const {
    EvaluationLook look;
    look.lensName = std::filesystem::path(main_.LensData().FileName()).filename().string();
    look.background = background_;
    look.penWidth = penWidth_;
    look.japanese = JapaneseWording();
    return look;
}

// The kept results drawn with the window's present settings: scales, overlays, pen, background.
void TFSphAber::ApplyLook() {
    EvaluationLook look = Look();
    look.defocus = spot_.spot.defocus;
    spot_.look = look;
    spot_.halfWidth = spotScale_;
    spot_.circleRadius = circleSize_;
    spot_.drawCircle = Action("actDrawCircle")->isChecked();
    spot_.drawAiryDisk = Action("actDrawAiry")->isChecked();
    spot_.drawCrossMark = Action("actDrawCross")->isChecked();
    look.defocus = waveLine_.line.reference.defocus;
    waveLine_.look = look;
    waveLine_.scale = curveScale_;
    look.defocus = waveMap_.map.reference.defocus;
    waveMap_.look = look;
    waveMap_.scale = curveScale_;
    look.defocus = psf_.psf.settings.defocus;
    psf_.look = look;
    psf_.halfWidth = spotScale_;
    psf_.brightness = brightness_;
    psf_.drawCircle = Action("actDrawCircle")->isChecked();
    psf_.circleRadius = circleSize_;
    psf_.intensityLine = Action("actIntensity")->isChecked();
}

void TFSphAber::PaintFigure(QPainter& painter, const QRectF& area) const {
    switch (tab_) {
    case Spot:
        PaintSpotPlot(painter, area, spot_);
        break;
    case WavefrontLine:
        PaintWavefrontLinePlot(painter, area, waveLine_);
        break;
    case WavefrontFace:
        PaintWavefrontMapPlot(painter, area, waveMap_);
        break;
    case FftImage:
        PaintPsfPlot(painter, area, psf_);
        break;
    default:
        PaintAberrationPlot(painter, area, plot_);
        break;
    }
}

void TFSphAber::DrawForPrint(QPainter& painter, const QRectF& area) {
    if (hasPlot_) {
        PaintFigure(painter, area);
        return;
    }
    painter.fillRect(area, Qt::white);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, hint_);
}

void TFSphAber::UpdateReadOuts() {
    const auto waves = [](double value) { return FigureNumber(value) + QString::fromUtf8(" λ"); };
    if (tab_ == WavefrontLine) {
        const vitrimo::WavefrontLine& line = waveLine_.line;
        const bool shown = hasPlot_ && line.valid;
        readOut1_->setText(Tr(PeakToValley) + (shown ? waves(line.peakToValley) : QString()));
        readOut2_->setText(Tr(Rms) + (shown ? waves(line.rms) : QString()));
    } else if (tab_ == WavefrontFace) {
        const WavefrontMap& map = waveMap_.map;
        const bool shown = hasPlot_ && map.valid;
        readOut1_->setText(Tr(Rms) + (shown ? waves(map.rms) : QString()));
        readOut2_->setText(Tr(StrehlRatio) +
                           (shown ? QString::fromStdString(FormatFixed(map.strehl, 3)) : QString()));
    } else {
        readOut1_->clear();
        readOut2_->clear();
    }
}

std::pair<QString, QString> TFSphAber::ReadOuts() const {
    return {readOut1_->text(), readOut2_->text()};
}

// ---------------------------------------------------------------------------------------------------
// The controls of the evaluation tabs

void TFSphAber::AskFftSize(Tab previous) {
    const int oldSize = fftSize_, oldDivision = pupilDivision_;
    const TFFTNval::Choice choice = fftDialog_->Ask(fftSize_, pupilDivision_);
    if (choice == TFFTNval::Choice::Cancel && previous != FftImage) {
        ShowTab(previous);
        return;
    }
    // On the FFT Image tab, Cancel keeps the values as they were, as OK would.
    if (choice != TFFTNval::Choice::Cancel) {
        fftSize_ = fftDialog_->FftSize();
        pupilDivision_ = fftDialog_->Division();
    }
    if (choice == TFFTNval::Choice::Execute) {
        Execute();
        return;
    }
    // An image of other sizes is no longer the one the dialog describes.
    if (fftSize_ != oldSize || pupilDivision_ != oldDivision) hasPlot_ = false;
    hint_ = Tr(mainTexts::PressCalculator);
    statusBar()->showMessage(hint_);
    UpdateTabWidgets();
    Redraw();
}

void TFSphAber::ToggleBrightnessScale(bool log, bool on) {
    QAction* root = Action("actLinearRoot");
    QAction* logarithm = Action("actLinearLog");
    if (on && log) {
        root->setChecked(false);
    } else if (on) {
        if (logarithm->isChecked()) brightness_ = 1; // the divisor of the log scale means another thing
        logarithm->setChecked(false);
    }
    // The 16-bit image is made on the chosen scale: it has to be calculated again.
    hint_ = Tr(mainTexts::PressCalculator);
    statusBar()->showMessage(hint_);
    UpdateTabWidgets();
    Redraw();
}

void TFSphAber::StepBrightness(int direction) {
    const double step = Action("actLinearLog")->isChecked() ? std::sqrt(2.0) : 2.0;
    if (direction > 0)
        brightness_ = std::max(brightness_ / step, 1 / kBrightnessLimit);
    else if (direction < 0)
        brightness_ = std::min(brightness_ * step, kBrightnessLimit);
    else
        brightness_ = 1;
    UpdateTabWidgets();
    Redraw();
}

void TFSphAber::SetReferenceShift(int yPosition, int zPosition) {
    yPosition = std::clamp(yPosition, -100, 100);
    zPosition = std::clamp(zPosition, -100, 100);
    for (auto [bar, value, position] :
         {std::tuple{shiftYBar_, shiftYValue_, yPosition}, std::tuple{shiftZBar_, shiftZValue_, zPosition}}) {
        if (bar->value() != position) {
            const QSignalBlocker block(bar);
            bar->setValue(position);
        }
        value->setText(QString::fromStdString(FormatFixed(position / 100.0 / 10.0, 3)));
    }
    const double y = yPosition / 100.0 / 10.0, z = zPosition / 100.0 / 10.0;
    if (y == shiftY_ && z == shiftZ_) return;
    shiftY_ = y;
    shiftZ_ = z;
    if (!hasPlot_ || busy_) return;
    // The same rays measured against the moved reference point.
    if (tab_ == WavefrontLine)
        waveLine_.line = EvaluateWavefrontLine(waveLine_.line.rays, waveLine_.line.steps,
                                               {waveLine_.line.reference.defocus, shiftY_, shiftZ_});
    else if (tab_ == WavefrontFace)
        waveMap_.map = EvaluateWavefrontMap(waveMap_.map.rays, waveMap_.map.grid,
                                            {waveMap_.map.reference.defocus, shiftY_, shiftZ_});
    UpdateReadOuts();
    Redraw();
}

} // namespace vitrimo
