#include "ui/TFCrossSection.h"

#include "engine/RayTracer.h"
#include "model/Angles.h"
#include "model/NumberFormat.h"
#include "model/Texts.h"
#include "ui/CalculationRunner.h"
#include "ui/CrossSectionTexts.h"
#include "ui/Locale.h"
#include "ui/ProgramIcon.h"
#include "ui/TFLensdata.h"
#include "ui/TFSGList.h"
#include "ui/TFWaveLgthSlct.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vitrimo {

using namespace crossSectionTexts;

namespace {

// "the No. of Ray" and "Pen width" keep within their ranges; a larger ray count becomes the largest.
int ClampRayCount(long long n) {
    return static_cast<int>(std::clamp<long long>(n, 1, TFCrossSection::kMaxRayCount));
}
int ClampPenWidth(long long n) {
    return static_cast<int>(std::clamp<long long>(n, 1, TFCrossSection::kMaxPenWidth));
}

// The one-row angle table: the axis, in black.
SweepTable AxisOnly() {
    SweepTable table(SweepTableKind::ColouredAngles);
    table.SetCell(table.ValueColumn(), 1, "0");
    table.SetCell(table.MinutesColumn(), 1, "0");
    table.SetCell(table.ColourColumn(), 1, ColourToText(colours::Black));
    return table;
}

const char* const kPlacementKeys[4] = {"Left", "Top", "Width", "Height"};

} // namespace

// The figure area: paints the window's drawing; while "Enlarge" is armed, a rectangle dragged over it
// (a dashed frame follows the mouse) becomes the view.
class CrossSectionFigureView : public QWidget {
public:
    explicit CrossSectionFigureView(TFCrossSection& window) : QWidget(&window), window_(window) {
        setMinimumSize(240, 160);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        setMouseTracking(false);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        window_.Paint(painter, QRectF(rect()));
        if (dragging_) {
            // The rubber band: a dashed frame that shows on any colour underneath.
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(origin_, corner_).normalized());
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !window_.ZoomArmed()) return;
        dragging_ = true;
        origin_ = corner_ = event->position();
        update();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!dragging_) return;
        corner_ = event->position();
        update();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!dragging_) return;
        dragging_ = false;
        corner_ = event->position();
        window_.ZoomTo(QRectF(origin_, corner_));
        update();
    }

private:
    TFCrossSection& window_;
    bool dragging_ = false;
    QPointF origin_, corner_;
};

TFCrossSection::TFCrossSection(TFLensdata& main, TFSGList& tables, TFWaveLgthSlct& wavelengths)
    : QMainWindow(&main, Qt::Window), main_(main), tables_(tables), wavelengths_(wavelengths) {
    setObjectName("TFCrossSection");
    setWindowIcon(ProgramIcon());
    angleTable_ = AxisOnly();
    figure_ = new CrossSectionFigureView(*this);
    setCentralWidget(figure_);
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    BuildMenus();
    resize(760, 520);
    ReadSettings(main.Settings().Load(main.HostOf()));
    ApplyWording();
    UpdateCommands();
    connect(&main.Runner(), &CalculationRunner::BusyChanged, this, &TFCrossSection::SetBusy);
    connect(&main.Runner(), &CalculationRunner::Failed, this, [this](const QString& message) {
        if (!pending_) return;
        pending_ = false;
        hasResult_ = false;
        hint_ = message;
        figure_->update();
        main_.HostOf().Tell(MessageKind::Error, Wording{message.toStdString(), message.toStdString()});
    });
    // The wavelength window changes the colours, the marked wavelengths or the one drawn.
    connect(&wavelengths_, &QDialog::finished, this, [this] {
        if (isVisible()) Calculate();
    });
}

TFCrossSection::~TFCrossSection() = default;

QWidget* TFCrossSection::FigureWidget() const {
    return figure_;
}

QAction* TFCrossSection::Action(const QString& name) const {
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* TFCrossSection::MakeAction(const QString& name) {
    auto* action = new QAction(this);
    action->setObjectName(name);
    actions_[name] = action;
    return action;
}

// ---------------------------------------------------------------------------------------------------
// Menus and buttons

void TFCrossSection::BuildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* figure = bar->addMenu(QString());
    figure->setObjectName("menuFigure");
    figure->addAction(MakeAction("actPreview"));
    figure->addAction(MakeAction("actSaveIni"));
    figure->addAction(MakeAction("actClose"));
    QMenu* ray = bar->addMenu(QString());
    ray->setObjectName("menuRay");
    ray->addAction(MakeAction("actAngleTable"));
    ray->addAction(MakeAction("actRayCount"));
    QMenu* view = bar->addMenu(QString());
    view->setObjectName("menuView");
    for (const char* name : {"actClear", "actEnlarge", "actWhole", "actAllRay", "actDefocus",
                             "actMultiColour", "actWavelength", "actPenWidth"})
        view->addAction(MakeAction(name));
    QAction* help = bar->addAction(QString());
    help->setObjectName("actHelp");
    actions_["actHelp"] = help;

    buttons_ = addToolBar(QStringLiteral("buttons"));
    buttons_->setObjectName("buttons");
    buttons_->setMovable(false);
    buttons_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char* name :
         {"tbPreview", "tbEnlarge", "tbWhole", "tbRay", "tbMultiColour", "tbPenWidth", "tbFigClose"})
        buttons_->addAction(MakeAction(name));
    Action("tbMultiColour")->setCheckable(true);

    connect(Action("actPreview"), &QAction::triggered, this, [this] {
        if (preview_) preview_(*this);
    });
    connect(Action("tbPreview"), &QAction::triggered, Action("actPreview"), &QAction::trigger);
    connect(Action("actSaveIni"), &QAction::triggered, this, &TFCrossSection::SaveIniFile);
    connect(Action("actClose"), &QAction::triggered, this, &QWidget::close);
    connect(Action("tbFigClose"), &QAction::triggered, this, &QWidget::close);
    connect(Action("actAngleTable"), &QAction::triggered, this, &TFCrossSection::EditAngleTable);
    connect(Action("actRayCount"), &QAction::triggered, this, &TFCrossSection::AskRayCount);
    connect(Action("actClear"), &QAction::triggered, this, &TFCrossSection::Clear);
    connect(Action("actEnlarge"), &QAction::triggered, this, &TFCrossSection::ArmZoom);
    connect(Action("tbEnlarge"), &QAction::triggered, this, &TFCrossSection::ArmZoom);
    connect(Action("actWhole"), &QAction::triggered, this, &TFCrossSection::ShowWhole);
    connect(Action("tbWhole"), &QAction::triggered, this, &TFCrossSection::ShowWhole);
    connect(Action("actAllRay"), &QAction::triggered, this, &TFCrossSection::ToggleAllRays);
    connect(Action("actDefocus"), &QAction::triggered, this, &TFCrossSection::AskDisplayShift);
    connect(Action("tbRay"), &QAction::triggered, this, &TFCrossSection::AskDisplayShift);
    connect(Action("actMultiColour"), &QAction::triggered, this, &TFCrossSection::ToggleMultiColour);
    connect(Action("tbMultiColour"), &QAction::triggered, this, &TFCrossSection::ToggleMultiColour);
    connect(Action("actWavelength"), &QAction::triggered, this, [this] { wavelengths_.ShowWindow(); });
    connect(Action("actPenWidth"), &QAction::triggered, this, &TFCrossSection::AskPenWidth);
    connect(Action("tbPenWidth"), &QAction::triggered, this, &TFCrossSection::AskPenWidth);
    connect(help, &QAction::triggered, this, [this] { main_.HostOf().ShowHelp(kHelpTopic); });
    auto* stop = new QAction(this);
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(stop, &QAction::triggered, this, &TFCrossSection::StopCalculation);
    addAction(stop);
}

void TFCrossSection::ApplyWording() {
    setWindowTitle(Tr(Caption));
    const auto menu = [this](const char* name, const Wording& text) {
        if (auto* m = findChild<QMenu*>(name)) m->setTitle(Tr(text));
    };
    menu("menuFigure", MenuFigure);
    menu("menuRay", MenuRay);
    menu("menuView", MenuView);
    const std::pair<const char*, const Wording*> texts[] = {
        {"actPreview", &MenuPreview},
        {"actSaveIni", &MenuSaveIni},
        {"actClose", &MenuClose},
        {"actAngleTable", &MenuAngleTable},
        {"actRayCount", &MenuRayCount},
        {"actClear", &MenuClear},
        {"actEnlarge", &MenuEnlarge},
        {"actWhole", &MenuWhole},
        {"actAllRay", allRays_ ? &MenuRealRay : &MenuAllRay},
        {"actDefocus", &MenuDefocus},
        {"actMultiColour", multiColour_ ? &MenuSingleColour : &MenuMultiColour},
        {"actWavelength", &MenuWavelength},
        {"actPenWidth", &MenuPenWidth},
        {"actHelp", &MenuHelp},
        {"tbPreview", &PreviewButton},
        {"tbEnlarge", &EnlargeButton},
        {"tbWhole", &WholeButton},
        {"tbRay", &RayButton},
        {"tbMultiColour", multiColour_ ? &SingleColourButton : &MultiColourButton},
        {"tbPenWidth", &PenWidthButton},
        {"tbFigClose", &FigCloseButton},
    };
    for (const auto& [name, text] : texts) Action(name)->setText(Tr(*text));
    const std::pair<const char*, const Wording*> hints[] = {
        {"tbPreview", &PreviewHint}, {"tbEnlarge", &EnlargeHint},    {"tbWhole", &WholeHint},
        {"tbRay", &RayHint},         {"tbMultiColour", &ColourHint}, {"tbPenWidth", &PenWidthHint},
    };
    for (const auto& [name, hint] : hints) Action(name)->setToolTip(Tr(*hint));
    Action("tbMultiColour")->setChecked(multiColour_);
    if (calculating_) status_->setText(Tr(WaitAMoment));
}

void TFCrossSection::UpdateCommands() {
    const bool idle = !busy_;
    // Commands that trace again wait while any calculation runs; the view and the pen only repaint.
    for (const char* name : {"actAngleTable", "actRayCount", "actAllRay", "actDefocus", "tbRay",
                             "actMultiColour", "tbMultiColour", "actWavelength"})
        Action(name)->setEnabled(idle);
    Action("actClear")->setEnabled(idle && clearEnabled_);
    Action("actPreview")->setEnabled(bool(preview_) && idle);
    Action("tbPreview")->setEnabled(bool(preview_) && idle);
    Action("tbPreview")->setVisible(bool(preview_));
}

void TFCrossSection::SetPreview(std::function<void(TFCrossSection&)> preview) {
    preview_ = std::move(preview);
    UpdateCommands();
}

// ---------------------------------------------------------------------------------------------------
// Drawing

CrossSectionSettings TFCrossSection::Settings() const {
    CrossSectionSettings settings;
    settings.angles.clear();
    const std::vector<double> angles = angleTable_.Angles();
    const std::vector<Colour> colours = angleTable_.Colours();
    for (std::size_t k = 0; k < angles.size(); ++k)
        settings.angles.push_back({angles[k], k < colours.size() ? colours[k] : colours::Black});
    if (settings.angles.empty()) settings.angles.push_back({}); // an empty table stands for the axis
    settings.rayCount = rayCount_;
    settings.allRays = allRays_;
    settings.multiColour = multiColour_;
    settings.displayShift = displayShift_;
    return settings;
}

void TFCrossSection::ShowWindow() {
    // The main window's command has prepared the lens: without a real image it has given it the size the
    // user typed, which holds until the lens changes.
    const Lens& lens = main_.LensData();
    nominalImage_ = lens.ArraysCurrent() && !main_.Paraxial().ImageValid();
    nominalRevision_ = lens.Revision();
    plot_.view.reset();
    zoomArmed_ = false;
    show();
    raise();
    activateWindow();
    Calculate();
}

bool TFCrossSection::Stale() const {
    const Lens& lens = main_.LensData();
    return !hasResult_ || !lens.ArraysCurrent() || lens.Revision() != drawnRevision_;
}

void TFCrossSection::Calculate() {
    if (busy_ || main_.Runner().Busy()) {
        again_ = true;
        return;
    }
    again_ = false;
    const Readiness readiness = main_.PrepareForCalculation();
    if (readiness == Readiness::Cancelled) return;
    const Lens& lens = main_.LensData();
    const bool nominal =
        readiness == Readiness::NoImage && nominalImage_ && lens.Revision() == nominalRevision_;
    if (readiness == Readiness::NoImage && !nominal) {
        nominalImage_ = false;
        hasResult_ = false;
        hint_ = Tr(texts::NoFocus);
        drawnRevision_ = lens.Revision();
        figure_->update();
        main_.CheckImage(readiness);
        return;
    }
    main_.Bench().BindTracer(main_.HostOf());
    drawnRevision_ = lens.Revision();
    const CrossSectionSettings settings = Settings();
    RayTracer* tracer = &main_.Bench().Tracer();
    const Lens* lensData = &lens;
    calculating_ = main_.Runner().Start<CrossSectionResult>(
        this,
        [tracer, lensData, settings](Host& host) {
            return ComputeCrossSection(*lensData, *tracer, settings, host);
        },
        [this](CrossSectionResult result) { ShowResult(std::move(result)); });
    if (calculating_) {
        pending_ = true;
        status_->setText(Tr(WaitAMoment));
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void TFCrossSection::ShowResult(CrossSectionResult result) {
    pending_ = false;
    plot_.result = std::move(result);
    plot_.penWidth = penWidth_;
    plot_.lensName = std::filesystem::path(main_.LensData().FileName()).filename().string();
    plot_.japanese = JapaneseWording();
    hasResult_ = plot_.result.valid;
    hint_ = hasResult_ ? QString() : QString::fromStdString(plot_.result.error);
    figure_->update();
    if (!plot_.result.error.empty())
        main_.HostOf().Tell(MessageKind::Error, Wording{plot_.result.error, plot_.result.error});
    // The drawing stands, with the profile points that failed laid flat; then the warning.
    if (plot_.result.cannotDraw) main_.HostOf().Tell(MessageKind::Warning, CannotDraw);
}

void TFCrossSection::Paint(QPainter& painter, const QRectF& area) const {
    if (hasResult_) {
        PaintCrossSection(painter, area, plot_);
        return;
    }
    painter.save();
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, hint_);
    painter.restore();
}

void TFCrossSection::StopCalculation() {
    if (calculating_) main_.Runner().Stop();
}

void TFCrossSection::SetBusy(bool busy) {
    busy_ = busy;
    if (busy) pending_ = false; // a calculation starts: a result this window waited for was dropped
    if (!busy) {
        if (calculating_) {
            calculating_ = false;
            status_->clear();
            QApplication::restoreOverrideCursor();
        }
        // A drawing asked for meanwhile, or a lens changed by the calculation that ended, is drawn now.
        if (again_ && isVisible())
            QTimer::singleShot(0, this, [this] {
                if (isVisible() && !main_.Runner().Busy()) Calculate();
            });
    }
    UpdateCommands();
}

void TFCrossSection::closeEvent(QCloseEvent* event) {
    if (calculating_) main_.Runner().StopAndWait();
    zoomArmed_ = false;
    QMainWindow::closeEvent(event);
}

void TFCrossSection::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) ApplyWording();
    // Coming back to the window after the lens was edited draws it again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible() && !busy_ && Stale() &&
        (hasResult_ || nominalImage_))
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !busy_ && Stale()) Calculate();
        });
}

void TFCrossSection::TableWasReset() {
    plot_.view.reset();
    zoomArmed_ = false;
    nominalImage_ = false;
    hasResult_ = false;
    hint_.clear();
    // A new lens is drawn afresh; a table without faces (New) leaves nothing to draw.
    if (isVisible())
        QTimer::singleShot(0, this, [this] {
            if (!isVisible()) return;
            const QAction* command = main_.Action("actCrossSection");
            if (command && command->isEnabled())
                Calculate();
            else
                close();
        });
    figure_->update();
}

// ---------------------------------------------------------------------------------------------------
// Commands

void TFCrossSection::EditAngleTable() {
    if (busy_) return;
    // The dialog stands where it stood the last time it edited this table.
    const QRect elsewhere = tables_.geometry();
    if (angleTablePlacement_) {
        const QScreen* screen = tables_.screen() ? tables_.screen() : QGuiApplication::primaryScreen();
        tables_.setGeometry(screen ? FitOnScreen(*angleTablePlacement_, screen->availableGeometry())
                                   : *angleTablePlacement_);
    }
    const bool accepted = tables_.Edit(angleTable_);
    angleTablePlacement_ = tables_.geometry();
    tables_.setGeometry(elsewhere);
    if (!accepted) return;
    clearEnabled_ = true;
    plot_.view.reset();
    Calculate();
    UpdateCommands();
}

void TFCrossSection::AskRayCount() {
    if (busy_) return;
    const auto answer =
        main_.HostOf().AskInteger(RayCountCaption, RayCountPrompt, rayCount_, 1, kMaxRayCount);
    if (!answer) return;
    rayCount_ = ClampRayCount(*answer);
    clearEnabled_ = true;
    Calculate();
    UpdateCommands();
}

void TFCrossSection::Clear() {
    if (busy_) return;
    angleTable_ = AxisOnly();
    rayCount_ = kDefaultRayCount;
    clearEnabled_ = false;
    plot_.view.reset();
    Calculate();
    UpdateCommands();
}

void TFCrossSection::ArmZoom() {
    if (!hasResult_) return;
    zoomArmed_ = true;
}

void TFCrossSection::ZoomTo(const QRectF& rectangle) {
    if (!zoomArmed_ || !hasResult_) return;
    zoomArmed_ = false;
    const QRectF r = rectangle.normalized();
    if (r.width() < 2) return; // a click, not a rectangle
    const CanvasMapping mapping = CrossSectionMappingFor(plot_, QRectF(figure_->rect()));
    plot_.view = ZoomView(mapping, r.left(), r.top(), r.right(), r.bottom());
    figure_->update();
}

void TFCrossSection::ShowWhole() {
    zoomArmed_ = false;
    plot_.view.reset();
    figure_->update();
}

void TFCrossSection::ToggleAllRays() {
    if (busy_) return;
    allRays_ = !allRays_;
    ApplyWording();
    plot_.view.reset();
    Calculate();
}

void TFCrossSection::ToggleMultiColour() {
    if (busy_) return;
    multiColour_ = !multiColour_;
    ApplyWording();
    Calculate();
}

void TFCrossSection::AskDisplayShift() {
    if (busy_) return;
    UiHost& host = main_.HostOf();
    const auto answer = host.AskText(DefocusCaption, DefocusPrompt, FormatGeneral(displayShift_, 9));
    if (!answer) return;
    const auto value = ParseNumber(*answer);
    if (!value) {
        host.Tell(MessageKind::Error, NotANumber(*answer));
        return;
    }
    // A position far from the image is asked about: Yes takes it, No leaves the rays where they end now.
    if (std::fabs(*value) > 0.2 * std::fabs(main_.LensData().FocalLength())) {
        Button button = ButtonCancel;
        for (int asked = 0; asked < 100 && button != ButtonYes && button != ButtonNo; ++asked)
            button = host.Ask(MessageKind::Confirmation, TooLong, ButtonYes | ButtonNo);
        if (button != ButtonYes) return;
    }
    displayShift_ = *value;
    Calculate();
}

void TFCrossSection::AskPenWidth() {
    const auto answer =
        main_.HostOf().AskInteger(PenWidthCaption, PenWidthPrompt, penWidth_, 1, kMaxPenWidth);
    if (!answer) return;
    penWidth_ = ClampPenWidth(*answer);
    plot_.penWidth = penWidth_;
    figure_->update();
}

void TFCrossSection::SaveIniFile() {
    IniFile ini = main_.Settings().Load(main_.HostOf());
    WriteSettings(ini);
    main_.Settings().Save(ini, main_.HostOf());
}

// ---------------------------------------------------------------------------------------------------
// Settings

void TFCrossSection::ReadSettings(const IniFile& ini) {
    ReadWindowGeometry(*this, ini, kSection);
    rayCount_ = ClampRayCount(ini.ReadInteger(kSection, "Ray No.", kDefaultRayCount));
    penWidth_ = ClampPenWidth(ini.ReadInteger(kSection, "PenWidth", 1));
    plot_.penWidth = penWidth_;
    const long long count =
        std::clamp<long long>(ini.ReadInteger(kSection, "Angle No.", 1), 1, SweepTable::kMaxRows - 1);
    angleTable_ = SweepTable(SweepTableKind::ColouredAngles);
    for (int k = 1; k <= count; ++k) {
        if (k > 1 && !angleTable_.AppendRow()) break;
        double angle = ini.ReadFloat(kSection, "AngleNo" + std::to_string(k), 0);
        if (!std::isfinite(angle) || std::fabs(angle) >= 90) angle = 0;
        const auto [whole, minutes] = DegreesAndMinutes(angle);
        angleTable_.SetCell(angleTable_.ValueColumn(), k, whole);
        angleTable_.SetCell(angleTable_.MinutesColumn(), k, minutes);
        const auto colour =
            ParseColour(ini.ReadString(kSection, "AngleColor" + std::to_string(k), "clBlack"));
        angleTable_.SetCell(angleTable_.ColourColumn(), k, ColourToText(colour.value_or(colours::Black)));
    }
    angleTablePlacement_.reset();
    bool placed = true;
    int values[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        placed = placed && ini.HasKey(kAngleTableSection, kPlacementKeys[k]);
        values[k] = static_cast<int>(std::clamp<long long>(
            ini.ReadInteger(kAngleTableSection, kPlacementKeys[k], 0), -100000, 100000));
    }
    if (placed && values[2] > 0 && values[3] > 0)
        angleTablePlacement_ = QRect(values[0], values[1], values[2], values[3]);
}

void TFCrossSection::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kSection);
    const auto integer = [&ini](const char* key, long long value, long long written) {
        if (value == written)
            ini.DeleteKey(kSection, key);
        else
            ini.WriteInteger(kSection, key, value);
    };
    integer("Ray No.", rayCount_, kDefaultRayCount);
    integer("PenWidth", penWidth_, 1);
    const std::vector<double> angles = angleTable_.Angles();
    const std::vector<Colour> colours = angleTable_.Colours();
    integer("Angle No.", std::max<long long>(static_cast<long long>(angles.size()), 1), 1);
    for (int k = 1; k < SweepTable::kMaxRows; ++k) {
        const std::string angleKey = "AngleNo" + std::to_string(k),
                          colourKey = "AngleColor" + std::to_string(k);
        const bool used = k <= static_cast<int>(angles.size());
        if (used && angles[k - 1] != 0)
            ini.WriteFloat(kSection, angleKey, angles[k - 1]);
        else
            ini.DeleteKey(kSection, angleKey);
        const Colour colour =
            used && k - 1 < static_cast<int>(colours.size()) ? colours[k - 1] : colours::Black;
        if (used && colour != colours::Black)
            ini.WriteString(kSection, colourKey, ColourToText(colour));
        else
            ini.DeleteKey(kSection, colourKey);
    }
    if (angleTablePlacement_) {
        const QRect& g = *angleTablePlacement_;
        const int values[4] = {g.left(), g.top(), g.width(), g.height()};
        for (int k = 0; k < 4; ++k) ini.WriteInteger(kAngleTableSection, kPlacementKeys[k], values[k]);
    }
}

void TFCrossSection::ReloadSettings() {
    ReadSettings(main_.Settings().Load(main_.HostOf()));
    figure_->update();
}

} // namespace vitrimo
