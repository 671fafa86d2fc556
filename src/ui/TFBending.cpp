#include "ui/TFBending.h"

#include "engine/AberrationCurves.h"
#include "evaluation/SpotDiagram.h"
#include "figures/AberrationFigure.h"
#include "model/NumberFormat.h"
#include "ui/BendingTexts.h"
#include "ui/CalculationRunner.h"
#include "ui/Locale.h"
#include "ui/TF3rdAber.h"
#include "ui/TFLensdata.h"
#include "ui/TFSphAber.h"
#include "ui/UiHost.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

namespace vitrimo {

// One of the three small plots.
class BendingPlotView : public QWidget {
public:
    BendingPlotView(TFBending& window, int k) : QWidget(&window), window_(window), k_(k) {
        setMinimumSize(240, 200);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (k_ >= window_.PlotCount()) return;
        if (window_.SpotMode())
            PaintSpotPlot(painter, QRectF(rect()), window_.SpotFigure(k_));
        else
            PaintAberrationPlot(painter, QRectF(rect()), window_.CurvePlot(k_));
    }

private:
    TFBending& window_;
    int k_;
};

namespace {

using namespace bendingTexts;

constexpr int kColumns = 5;
const char* const kHeaders[kColumns] = {"No.", " Glass", "1/r   ", "Power ", "distance "};
constexpr int kDistanceColumn = 4;
constexpr double kFocusStep = 0.02; // mm per arrow click

QToolButton* Arrow(QWidget* parent, Qt::ArrowType type) {
    auto* button = new QToolButton(parent);
    button->setArrowType(type);
    button->setAutoRepeat(true);
    return button;
}

} // namespace

TFBending::TFBending(TFLensdata& main, TFSphAber& aberration, TF3rdAber& thirdOrder)
    : QDialog(&main, Qt::Window), main_(main), aberration_(aberration), thirdOrder_(thirdOrder) {
    setObjectName("TFBending");
    // While the window bends, the lens it started from must not change under it: the other windows wait.
    setModal(true);
    BuildControls();
    ApplyWording();
    ReadSettings(main.Settings().Load(main.HostOf()));
    // While another calculation uses the tracer, the window waits.
    connect(&main.Runner(), &CalculationRunner::BusyChanged, this, [this](bool busy) { setEnabled(!busy); });
}

TFBending::~TFBending() = default;

void TFBending::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabBar(this);
    tabs_->addTab(QString());
    tabs_->addTab(QString());
    connect(tabs_, &QTabBar::currentChanged, this,
            [this](int tab) { SetMode(tab == 0 ? BendMode::TwoFace : BendMode::SingleFace); });
    layout->addWidget(tabs_);

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    prompt_ = new QLabel(this);
    left->addWidget(prompt_);
    grid_ = new QTableWidget(0, kColumns, this);
    grid_->setObjectName("bendingGrid");
    for (int c = 0; c < kColumns; ++c) grid_->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeaders[c]));
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        ChooseCell(row, column, QApplication::keyboardModifiers() & Qt::ControlModifier);
    });
    left->addWidget(grid_);

    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    scrollBar_->setRange(BendingSession::kMinimum, BendingSession::kMaximum);
    scrollBar_->setValue(BendingSession::kStart);
    scrollBar_->setSingleStep(1);
    connect(scrollBar_, &QScrollBar::valueChanged, this, &TFBending::Scrolled);
    left->addWidget(scrollBar_);

    auto* intervalRow = new QHBoxLayout;
    intervalLabel_ = new QLabel(this);
    intervalBox_ = new QLineEdit(this);
    intervalBox_->setObjectName("intervalBox");
    connect(intervalBox_, &QLineEdit::editingFinished, this, &TFBending::ReadIntervalBox);
    // A number typed is the interval of the next step at once; other text waits for editing to finish.
    connect(intervalBox_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const auto value = ParseNumber(text.toStdString());
        if (session_ && value && *value > 0) session_->SetInterval(*value);
    });
    QToolButton* up = Arrow(this, Qt::UpArrow);
    QToolButton* down = Arrow(this, Qt::DownArrow);
    connect(up, &QToolButton::clicked, this, [this] { StepInterval(+1); });
    connect(down, &QToolButton::clicked, this, [this] { StepInterval(-1); });
    intervalRow->addWidget(intervalLabel_);
    intervalRow->addWidget(intervalBox_);
    intervalRow->addWidget(up);
    intervalRow->addWidget(down);
    left->addLayout(intervalRow);

    auto* buttons = new QHBoxLayout;
    okButton_ = new QPushButton(this);
    cancelButton_ = new QPushButton(this);
    flAdjustButton_ = new QPushButton(this);
    undoButton_ = new QPushButton(this);
    clearButton_ = new QPushButton(this);
    helpButton_ = new QPushButton(this);
    okButton_->setAutoDefault(false);
    for (QPushButton* b :
         {okButton_, cancelButton_, flAdjustButton_, undoButton_, clearButton_, helpButton_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(okButton_, &QPushButton::clicked, this, &TFBending::OkClick);
    connect(cancelButton_, &QPushButton::clicked, this, &TFBending::CancelClick);
    connect(flAdjustButton_, &QPushButton::clicked, this, &TFBending::FlAdjustClick);
    connect(undoButton_, &QPushButton::clicked, this, &TFBending::UndoClick);
    connect(clearButton_, &QPushButton::clicked, this, &TFBending::ClearSelectionClick);
    connect(helpButton_, &QPushButton::clicked, this, [this] { main_.HostOf().ShowHelp(kHelpTopic); });
    left->addLayout(buttons);
    top->addLayout(left, 2);
    layout->addLayout(top, 2);

    auto* plots = new QHBoxLayout;
    for (int k = 0; k < 3; ++k) {
        auto* column = new QVBoxLayout;
        views_[k] = new BendingPlotView(*this, k);
        column->addWidget(views_[k], 1);
        auto* scaleRow = new QHBoxLayout;
        scaleLabels_[k] = new QLabel(this);
        QToolButton* bigger = Arrow(this, Qt::UpArrow);
        QToolButton* smaller = Arrow(this, Qt::DownArrow);
        connect(bigger, &QToolButton::clicked, this, [this, k] { StepPlotScale(k, +1); });
        connect(smaller, &QToolButton::clicked, this, [this, k] { StepPlotScale(k, -1); });
        scaleRow->addWidget(scaleLabels_[k], 1);
        scaleRow->addWidget(bigger);
        scaleRow->addWidget(smaller);
        column->addLayout(scaleRow);
        plots->addLayout(column, 1);
    }
    layout->addLayout(plots, 3);
    auto* focusRow = new QHBoxLayout;
    focusLabel_ = new QLabel(this);
    QToolButton* further = Arrow(this, Qt::RightArrow);
    QToolButton* nearer = Arrow(this, Qt::LeftArrow);
    connect(further, &QToolButton::clicked, this, [this] { StepFocus(+1); });
    connect(nearer, &QToolButton::clicked, this, [this] { StepFocus(-1); });
    focusRow->addStretch(1);
    focusRow->addWidget(focusLabel_);
    focusRow->addWidget(nearer);
    focusRow->addWidget(further);
    layout->addLayout(focusRow);
    resize(900, 720);
}

void TFBending::ApplyWording() {
    setWindowTitle(Tr(Caption));
    tabs_->setTabText(0, Tr(TabTwoFace));
    tabs_->setTabText(1, Tr(TabSingleFace));
    okButton_->setText(Tr(Ok));
    cancelButton_->setText(Tr(Cancel));
    flAdjustButton_->setText(Tr(FlAdjust));
    undoButton_->setText(Tr(Undo));
    clearButton_->setText(Tr(ClearSelection));
    helpButton_->setText(Tr(Help));
    intervalLabel_->setText(Tr(Interval));
}

// ---------------------------------------------------------------------------------------------------
// Opening, the table

bool TFBending::Start() {
    if (main_.Runner().Busy() || !main_.CheckImage(main_.PrepareForCalculation())) return false;
    session_ = std::make_unique<BendingSession>(main_.LensData());
    // The plots follow the aberration window's mode, steps, scales and angles.
    spotMode_ = aberration_.CurrentTab() == TFSphAber::Spot;
    curveSteps_ = aberration_.CurveSteps();
    maxAngle_ = aberration_.MaxAngle();
    if (spotMode_) {
        spotAngles_ = aberration_.AngleTable().Angles();
        if (spotAngles_.empty()) spotAngles_.push_back(0);
        if (spotAngles_.size() > 3) spotAngles_.resize(3);
        scales_.fill(aberration_.SpotScale());
    } else {
        scales_ = {aberration_.CurveScale(), aberration_.CurveScale(), aberration_.DistortionScale()};
        if (!(maxAngle_ > 0)) {
            // The field plots need a maximum angle: without one the window does not open.
            const auto answer = main_.HostOf().AskText(MaxAngleCaption, MaxAnglePrompt, "0");
            maxAngle_ = answer ? ParseNumber(*answer).value_or(0) : 0;
            if (!(maxAngle_ > 0) || maxAngle_ >= 90) {
                session_.reset();
                return false;
            }
        }
    }
    focus_ = 0;
    {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(0);
    }
    session_->SetMode(BendMode::TwoFace);
    if (savedInterval_ > 0) session_->SetInterval(savedInterval_);
    intervalBox_->setText(QString::fromStdString(BendingSession::IntervalText(session_->Interval())));
    FillTable();
    UpdateControls();
    show();
    raise();
    ComputePlots();
    return true;
}

void TFBending::FillTable() {
    const int n = session_->SurfaceCount();
    grid_->setRowCount(n + 1);
    for (int face = 0; face <= n; ++face) WriteRow(face);
    MarkChosenCells();
}

void TFBending::WriteRow(int face) {
    const BendingRow row = session_->Row(face);
    const std::string* texts[kColumns] = {&row.number, &row.glass, &row.radius, &row.power, &row.distance};
    for (int c = 0; c < kColumns; ++c) {
        QTableWidgetItem* item = grid_->item(face, c);
        if (!item) {
            item = new QTableWidgetItem;
            item->setTextAlignment(c >= 2 ? Qt::AlignRight | Qt::AlignVCenter
                                          : Qt::AlignLeft | Qt::AlignVCenter);
            grid_->setItem(face, c, item);
        }
        item->setText(QString::fromStdString(*texts[c]));
    }
}

void TFBending::MarkChosenCells() {
    const QColor chosen(255, 230, 160), coupled(255, 245, 215);
    for (int r = 0; r < grid_->rowCount(); ++r)
        for (int c = 0; c < kColumns; ++c)
            if (QTableWidgetItem* item = grid_->item(r, c)) item->setBackground(QBrush());
    if (!session_) return;
    const bool distance = session_->Target() == BendTarget::Distance;
    const auto mark = [&](int face, const QColor& colour) {
        if (face < 0 || face >= grid_->rowCount()) return;
        for (int c : distance ? std::vector<int>{kDistanceColumn} : std::vector<int>{2, 3})
            grid_->item(face, c)->setBackground(colour);
    };
    for (int k = 0; k < 2; ++k) {
        mark(session_->Plane(k).face, chosen);
        for (int j : session_->Plane(k).coupled) mark(j, coupled);
    }
}

QString TFBending::Prompt() const {
    return prompt_->text();
}

QString TFBending::IntervalText() const {
    return intervalBox_->text();
}

void TFBending::UpdateControls() {
    const bool complete = session_ && session_->SelectionComplete();
    if (!session_ || session_->Mode() == BendMode::SingleFace)
        prompt_->setText(Tr(ChooseData));
    else
        prompt_->setText(Tr(session_->Plane(0).face < 0 ? ChoosePlane1 : ChoosePlane2));
    scrollBar_->setEnabled(complete);
    okButton_->setEnabled(complete);
    grid_->setEnabled(!complete);
    scrollBar_->setPageStep(largeChange_);
    for (int k = 0; k < 3; ++k) {
        const bool distortion = !spotMode_ && k == 2;
        QString text = Tr(Scale) + ": " + QString::fromStdString(FormatShortest(scales_[k])) +
                       (distortion ? "%" : " mm");
        scaleLabels_[k]->setText(text);
    }
    focusLabel_->setText(Tr(Focus) + ": " + QString::fromStdString(FormatFixed(focus_, 3)) + " mm");
    focusLabel_->setEnabled(spotMode_);
}

// ---------------------------------------------------------------------------------------------------
// Choosing, bending

bool TFBending::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ChooseCell(grid_->currentRow(), grid_->currentColumn(), key->modifiers() & Qt::ControlModifier);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFBending::ChooseCell(int face, int column, bool ctrl) {
    if (!session_ || session_->SelectionComplete()) return;
    const BendTarget target = session_->Mode() == BendMode::SingleFace && column == kDistanceColumn
                                  ? BendTarget::Distance
                                  : BendTarget::Curvature;
    switch (session_->Choose(face, target, ctrl)) {
    case PlaneChoice::NoIndexChange:
        main_.HostOf().Tell(MessageKind::Warning, CannotChoose);
        return;
    case PlaneChoice::NeedsCtrl:
        main_.HostOf().Tell(MessageKind::Information, NeedsCtrl);
        return;
    case PlaneChoice::Refused:
        return;
    case PlaneChoice::Chosen:
        break;
    }
    {
        const QSignalBlocker block(scrollBar_);
        scrollBar_->setValue(session_->Position());
    }
    MarkChosenCells();
    UpdateControls();
}

void TFBending::SetMode(BendMode mode) {
    if (!session_) return;
    session_->SetMode(mode);
    {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(mode == BendMode::TwoFace ? 0 : 1);
    }
    intervalBox_->setText(QString::fromStdString(BendingSession::IntervalText(session_->Interval())));
    ClearSelectionClick();
}

void TFBending::StepInterval(int direction) {
    if (!session_) return;
    ReadIntervalBox();
    session_->SetInterval(BendingSession::SteppedInterval(session_->Interval(), direction));
    intervalBox_->setText(QString::fromStdString(BendingSession::IntervalText(session_->Interval())));
}

void TFBending::ReadIntervalBox() {
    if (!session_) return;
    const auto value = ParseNumber(intervalBox_->text().toStdString());
    if (value && *value > 0) session_->SetInterval(*value);
    intervalBox_->setText(QString::fromStdString(BendingSession::IntervalText(session_->Interval())));
}

void TFBending::Scrolled(int position) {
    if (!session_) return;
    switch (session_->ScrollTo(position)) {
    case StepResult::Moved:
        for (int face : session_->ChangedFaces()) WriteRow(face);
        AfterChange();
        break;
    case StepResult::LostImage: {
        // The step is taken back: the lens keeps the last shape that forms an image.
        const QSignalBlocker block(scrollBar_);
        scrollBar_->setValue(session_->Position());
        main_.HostOf().Tell(MessageKind::Warning, StepLosesImage);
        break;
    }
    case StepResult::Unchanged: {
        const QSignalBlocker block(scrollBar_);
        scrollBar_->setValue(session_->Position());
        break;
    }
    }
}

void TFBending::AfterChange() {
    // The power column depends on the focal length: every row's power follows it.
    for (int face = 1; face <= session_->SurfaceCount(); ++face)
        grid_->item(face, 3)->setText(QString::fromStdString(session_->Row(face).power));
    thirdOrder_.ShowBent(session_->Arrays(), session_->FocalLength());
    SchedulePlots();
}

void TFBending::FlAdjustClick() {
    if (!session_ || !session_->AdjustFocalLength()) return;
    FillTable();
    AfterChange();
}

void TFBending::UndoClick() {
    if (!session_) return;
    session_->Undo();
    FillTable();
    AfterChange();
}

void TFBending::ClearSelectionClick() {
    if (!session_) return;
    session_->ClearSelection();
    {
        const QSignalBlocker block(scrollBar_);
        scrollBar_->setValue(BendingSession::kStart);
    }
    MarkChosenCells();
    UpdateControls();
}

// ---------------------------------------------------------------------------------------------------
// OK, Cancel, closing

void TFBending::OkClick() {
    if (!session_ || !session_->SelectionComplete()) return;
    ReadIntervalBox();
    if (session_->FocalLengthChanged()) {
        const Button answer = main_.HostOf().Ask(MessageKind::Confirmation, FocalLengthChanged,
                                                 ButtonYes | ButtonNo | ButtonCancel);
        if (answer == ButtonCancel) return;
        if (answer == ButtonYes) session_->AdjustFocalLength();
    }
    const BendingSession& session = *session_;
    main_.ChangeAsOneUndoStep([&session](Lens& lens) { WriteBentLens(lens, session); });
    Finish();
    hide();
    // An open aberration figure shows the bent lens.
    if (aberration_.isVisible() && aberration_.CurrentTab() != TFSphAber::FftImage)
        aberration_.ShowTab(aberration_.CurrentTab());
}

void TFBending::CancelClick() {
    if (session_) {
        // The table still holds the shape from before: the curvatures come back from it.
        session_->RestoreCurvaturesFromTable();
        FillTable();
    }
    Finish();
    hide();
}

void TFBending::closeEvent(QCloseEvent* event) {
    Finish();
    QDialog::closeEvent(event);
}

void TFBending::Finish() {
    if (!session_) return;
    // The third-order table goes back to the lens itself before the bent arrays go.
    thirdOrder_.EndBent();
    session_.reset();
    plotsPending_ = false;
}

// ---------------------------------------------------------------------------------------------------
// Plots

int TFBending::PlotCount() const {
    return spotMode_ ? static_cast<int>(spotAngles_.size()) : 3;
}

void TFBending::StepPlotScale(int k, int direction) {
    if (k < 0 || k > 2) return;
    scales_[k] = direction > 0 ? scales_[k] * 2 : scales_[k] / 2;
    curves_[k].scale = scales_[k];
    spots_[k].halfWidth = scales_[k];
    UpdateControls();
    views_[k]->update();
}

void TFBending::StepFocus(int direction) {
    if (!spotMode_) return;
    focus_ += direction * kFocusStep;
    UpdateControls();
    SchedulePlots();
}

void TFBending::SchedulePlots() {
    if (plotsPending_) return;
    plotsPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (plotsPending_) ComputePlots();
    });
}

void TFBending::ComputePlots() {
    plotsPending_ = false;
    if (!session_ || main_.Runner().Busy() || !session_->HasImage()) return;
    QElapsedTimer clock;
    clock.start();
    const Lens& lens = main_.LensData();
    RayTracer& tracer = main_.Bench().Tracer();
    Host& host = main_.HostOf();
    TraceContext& context = tracer.Context();
    const double angle = context.fieldAngle, defocus = context.defocus;
    tracer.Bind(lens, session_->Arrays(), session_->Paraxial());
    context.fieldAngle = 0;
    tracer.EntrancePupilDiameter(host);

    const std::string lensName = std::filesystem::path(lens.FileName()).filename().string();
    if (spotMode_) {
        for (std::size_t k = 0; k < spotAngles_.size(); ++k) {
            const SpotSettings settings{spotAngles_[k], focus_, aberration_.SpotSteps()};
            SpotPlot& plot = spots_[k];
            plot.spot = ComputeSpot(tracer, lens, settings, host);
            plot.halfWidth = scales_[k];
            plot.look.lensName = lensName;
            plot.look.defocus = focus_;
            plot.look.japanese = JapaneseWording();
        }
    } else {
        const CurveKind kinds[3] = {CurveKind::Longitudinal, CurveKind::Astigmatism, CurveKind::Distortion};
        for (int k = 0; k < 3; ++k) {
            CurveSettings settings;
            settings.steps = curveSteps_;
            settings.maxAngle = maxAngle_;
            const CurveResult curve = ComputeCurve(tracer, kinds[k], settings, host);
            FigureLook look;
            look.curveScale = scales_[k];
            look.distortionScale = scales_[k];
            look.japanese = JapaneseWording();
            curves_[k] = MakeAberrationPlot(tracer, lens, curve, settings, look);
            curves_[k].lensName = lensName;
        }
    }
    // The tracer goes back to the lens itself: no other window traces the bent shape.
    tracer.Bind(lens, main_.Paraxial());
    if (lens.ArraysCurrent()) main_.Bench().BindTracer(host);
    context.fieldAngle = angle;
    context.defocus = defocus;
    for (BendingPlotView* view : views_) view->update();
    lastPlotMs_ = static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// ---------------------------------------------------------------------------------------------------
// Settings

void TFBending::ReadSettings(const IniFile& ini) {
    ReadWindowGeometry(*this, ini, kSection);
    const long long large = ini.ReadInteger(kSection, "Bending ScrollBar LargeChange", kDefaultLargeChange);
    largeChange_ =
        large >= 1 && large <= BendingSession::kMaximum ? static_cast<int>(large) : kDefaultLargeChange;
    const double interval = ini.ReadFloat(kSection, "Bending Interval", 0);
    savedInterval_ = std::isfinite(interval) && interval > 0 ? interval : 0;
    scrollBar_->setPageStep(largeChange_);
}

void TFBending::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kSection);
    if (largeChange_ == kDefaultLargeChange)
        ini.DeleteKey(kSection, "Bending ScrollBar LargeChange");
    else
        ini.WriteInteger(kSection, "Bending ScrollBar LargeChange", largeChange_);
    // The interval shown is kept for the next bending; the default one is not written.
    const double shown = ParseNumber(intervalBox_->text().toStdString()).value_or(savedInterval_);
    if (shown > 0 && shown != BendingSession::DefaultInterval(BendMode::TwoFace))
        ini.WriteFloat(kSection, "Bending Interval", shown);
    else
        ini.DeleteKey(kSection, "Bending Interval");
}

} // namespace vitrimo
