#include "ui/TFMTF.h"

#include "engine/RayTracer.h"
#include "evaluation/TracedRays.h"
#include "figures/FigureColour.h"
#include "model/Angles.h"
#include "model/FileIo.h"
#include "model/NumberFormat.h"
#include "model/Texts.h"
#include "ui/CalculationRunner.h"
#include "ui/Locale.h"
#include "ui/MtfTexts.h"
#include "ui/ProgramIcon.h"
#include "ui/TFLensdata.h"
#include "ui/TFSGList.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vitrimo {

using namespace mtfTexts;

namespace {

constexpr double kDefaultSpectrumLeft = 350, kDefaultSpectrumRight = 1050; // nm
constexpr int kMaxFocusPositions = 500;
const char* const kLineNames[WavelengthList::kLineCount] = {"t", "s", "A", "r", "C", "d",
                                                            "e", "F", "g", "h", "i"};

int LineIndex(const std::string& name) {
    for (int k = 0; k < WavelengthList::kLineCount; ++k)
        if (name == kLineNames[k]) return k;
    return -1;
}

// A chart top for weights: a tenth above 1, or above the largest weight, so a point at the top keeps its
// letter in view.
double ChartTop(const std::vector<SpectralWeightEntry>& entries) {
    double top = 1;
    for (const SpectralWeightEntry& entry : entries) top = std::max(top, std::ceil(entry.weight * 10) / 10);
    return top + 0.1;
}

} // namespace

// The figure area: the MTF graph, or the chart of the spectral weights, with the mouse commands of both.
class MtfFigureView : public QWidget {
public:
    explicit MtfFigureView(TFMTF& window) : QWidget(&window), window_(window) {
        setMinimumSize(240, 180);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (window_.EditingSpectrum()) {
            SpectralWeightPlot plot = window_.SpectrumPlot();
            plot.picked = picked_;
            PaintSpectralWeights(painter, QRectF(rect()), plot);
            return;
        }
        window_.DrawForPrint(painter, QRectF(rect()));
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const QPointF at = event->position();
        if (window_.EditingSpectrum()) {
            const PlotMapping m = SpectralWeightMapping(QRectF(rect()), window_.SpectrumPlot());
            if (at.x() < m.plot.left() - 8) {
                window_.AskAxisStart();
                return;
            }
            if (at.x() > m.plot.right() + 8) {
                window_.AskAxisEnd();
                return;
            }
            // The point nearest across picks; the mouse then sets its weight.
            const auto& entries = window_.SpectrumPlot().entries;
            double nearest = 14;
            picked_ = -1;
            for (int k = 0; k < static_cast<int>(entries.size()); ++k) {
                const double distance = std::fabs(m.X(entries[k].nanometres) - at.x());
                if (distance < nearest) {
                    nearest = distance;
                    picked_ = k;
                }
            }
            Drag(at);
            return;
        }
        if (!window_.HasResult()) return;
        const QRectF graph = MtfGraphRect(QRectF(rect()));
        if (at.x() > graph.right()) window_.AskAxisEnd();
        if (at.x() < graph.left()) window_.AskAxisStart();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (picked_ >= 0) Drag(event->position());
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (picked_ >= 0) Drag(event->position());
        picked_ = -1;
        update();
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (window_.EditingSpectrum() || !window_.HasResult()) return;
        const MtfResult& result = window_.Result();
        if (result.kind == MtfSweepKind::Frequency || result.points.empty()) return;
        const QRectF graph = MtfGraphRect(QRectF(rect()));
        if (!graph.contains(event->position())) return;
        // The axis as the painter lays it: from the first sweep point to the last.
        std::vector<double> xs;
        for (const MtfPoint& point : result.points)
            xs.push_back(result.kind == MtfSweepKind::Angle ? point.fieldAngle : point.defocus);
        const auto [low, high] = std::minmax_element(xs.begin(), xs.end());
        const double margin = result.kind == MtfSweepKind::Angle ? 1.0 : 0.01;
        const double left = *high - *low > 1e-12 ? *low : *low - margin;
        const double right = *high - *low > 1e-12 ? *high : *high + margin;
        const double value = left + (event->position().x() - graph.left()) / graph.width() * (right - left);
        window_.ReadOutAt(value);
    }

private:
    void Drag(const QPointF& at) {
        if (picked_ < 0) return;
        const PlotMapping m = SpectralWeightMapping(QRectF(rect()), window_.SpectrumPlot());
        const double weight = m.y.low + (m.plot.bottom() - at.y()) / m.plot.height() * (m.y.high - m.y.low);
        window_.SetEditedWeight(picked_, weight);
        update();
    }

    TFMTF& window_;
    int picked_ = -1;
};

TFMTF::TFMTF(TFLensdata& main, TFSGList& tables)
    : QMainWindow(&main, Qt::Window), main_(main), tables_(tables), tracer_(main.Bench().Tracer()) {
    setObjectName("TFMTF");
    setWindowIcon(ProgramIcon());
    BuildControls();
    resize(820, 600);
    ReadSettings(main.Settings().Load(main.HostOf()));
    ApplyWording();
    UpdateLabels();
    UpdateButtons();
    connect(&main.Runner(), &CalculationRunner::BusyChanged, this, &TFMTF::SetBusy);
    connect(&main.Runner(), &CalculationRunner::ProgressChanged, this, [this](int percent) {
        if (calculating_) progress_->setValue(percent);
    });
    connect(&main.Runner(), &CalculationRunner::Failed, this, [this](const QString& message) {
        if (!pending_) return;
        pending_ = false;
        hasResult_ = false;
        hint_ = message;
        Redraw();
        main_.HostOf().Tell(MessageKind::Error, Wording{message.toStdString(), message.toStdString()});
    });
}

TFMTF::~TFMTF() = default;

QWidget* TFMTF::FigureWidget() const {
    return figure_;
}

void TFMTF::DrawForPrint(QPainter& painter, const QRectF& area) {
    if (editing_) {
        PaintSpectralWeights(painter, area, editPlot_);
        return;
    }
    if (hasResult_) {
        PaintMtfPlot(painter, area, plot_);
        return;
    }
    painter.fillRect(area, Qt::white);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, hint_);
}

QPushButton* TFMTF::Button(const QString& name) const {
    const auto it = buttons_.find(name);
    return it == buttons_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------------
// Building the window

void TFMTF::BuildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 4);
    tabs_ = new QTabBar(central);
    for (int k = 0; k < 3; ++k) tabs_->addTab(QString());
    layout->addWidget(tabs_);

    auto* controls = new QHBoxLayout;
    auto* sourceLabel = new QLabel(this);
    sourceLabel->setObjectName("sourceLabel");
    controls->addWidget(sourceLabel);
    sourceBox_ = new QComboBox(this);
    sourceBox_->setObjectName("sourceBox");
    sourceBox_->addItem(QString());
    sourceBox_->addItem(QString());
    controls->addWidget(sourceBox_);
    controls->addSpacing(12);
    angleButton_ = new QPushButton(this);
    angleButton_->setObjectName("angleButton");
    angleButton_->setFlat(true);
    defocusButton_ = new QPushButton(this);
    defocusButton_->setObjectName("defocusButton");
    defocusButton_->setFlat(true);
    controls->addWidget(angleButton_);
    controls->addWidget(defocusButton_);
    controls->addStretch(1);
    recalcButton_ = new QPushButton(this);
    recalcButton_->setObjectName("recalcButton");
    recalcButton_->hide();
    controls->addWidget(recalcButton_);
    waitLabel_ = new QLabel(this);
    waitLabel_->hide();
    controls->addWidget(waitLabel_);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(160);
    progress_->hide();
    controls->addWidget(progress_);
    layout->addLayout(controls);

    figure_ = new MtfFigureView(*this);
    layout->addWidget(figure_, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString& name) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        buttons_[name] = b;
        buttons->addWidget(b);
        return b;
    };
    button("modulusButton")->setCheckable(true);
    button("realButton")->setCheckable(true);
    button("spectrumButton");
    button("frequencyTableButton");
    button("scaleButton");
    button("resetButton");
    button("saveButton");
    button("previewButton");
    buttons->addStretch(1);
    button("okButton")->hide();
    button("cancelButton")->hide();
    button("stopButton")->setEnabled(false);
    button("helpButton");
    button("closeButton");
    layout->addLayout(buttons);
    setCentralWidget(central);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index != tab_) SelectTab(static_cast<Tab>(index));
    });
    connect(sourceBox_, &QComboBox::activated, this, [this](int index) {
        const OtfSource source = index == 0 ? OtfSource::Geometric : OtfSource::Diffraction;
        if (source == source_) return;
        source_ = source;
        Calculate(tab_);
    });
    connect(angleButton_, &QPushButton::clicked, this, &TFMTF::AskAngle);
    connect(defocusButton_, &QPushButton::clicked, this, &TFMTF::AskDefocus);
    connect(recalcButton_, &QPushButton::clicked, this, &TFMTF::Recalculate);
    connect(Button("modulusButton"), &QPushButton::clicked, this, [this] { SetPart(OtfPart::Modulus); });
    connect(Button("realButton"), &QPushButton::clicked, this, [this] { SetPart(OtfPart::Real); });
    connect(Button("spectrumButton"), &QPushButton::clicked, this, &TFMTF::BeginSpectrumEditing);
    connect(Button("frequencyTableButton"), &QPushButton::clicked, this, &TFMTF::EditFrequencyTable);
    connect(Button("scaleButton"), &QPushButton::clicked, this, [this] {
        AskAxisEnd();
        if (editing_) AskAxisStart();
    });
    connect(Button("resetButton"), &QPushButton::clicked, this, &TFMTF::ResetSweeps);
    connect(Button("saveButton"), &QPushButton::clicked, this, &TFMTF::SaveResult);
    connect(Button("okButton"), &QPushButton::clicked, this, [this] { EndSpectrumEditing(true); });
    connect(Button("cancelButton"), &QPushButton::clicked, this, [this] { EndSpectrumEditing(false); });
    connect(Button("stopButton"), &QPushButton::clicked, this, &TFMTF::StopCalculation);
    connect(Button("helpButton"), &QPushButton::clicked, this,
            [this] { main_.HostOf().ShowHelp(kHelpTopic); });
    connect(Button("closeButton"), &QPushButton::clicked, this, &QWidget::close);
    auto* stop = new QAction(this);
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(stop, &QAction::triggered, this, &TFMTF::StopCalculation);
    addAction(stop);
}

void TFMTF::ApplyWording() {
    setWindowTitle(Tr(strehlMode_ ? StrehlCaption : Caption));
    for (int k = 0; k < 3; ++k)
        tabs_->setTabText(k, Tr(k == 0 && strehlMode_ ? StrehlTab : mtfTexts::Tabs[k]));
    findChild<QLabel*>("sourceLabel")->setText(Tr(SourceLabel));
    sourceBox_->setItemText(0, Tr(GeometricSource));
    sourceBox_->setItemText(1, Tr(DiffractionSource));
    recalcButton_->setText(Tr(Recalc));
    waitLabel_->setText(Tr(WaitAMoment));
    const std::pair<const char*, std::pair<const Wording*, const Wording*>> names[] = {
        {"modulusButton", {&ModulusButton, &ModulusHint}},
        {"realButton", {&RealButton, &RealHint}},
        {"spectrumButton", {&Spectrum, &SpectrumHint}},
        {"frequencyTableButton", {&mtfTexts::FrequencyTable, &FrequencyTableHint}},
        {"scaleButton", {&Scale, &ScaleHint}},
        {"resetButton", {&Reset, &ResetHint}},
        {"saveButton", {&Save, &SaveHint}},
        {"previewButton", {&Preview, &PreviewHint}},
        {"okButton", {&Ok, nullptr}},
        {"cancelButton", {&Cancel, nullptr}},
        {"stopButton", {&Stop, nullptr}},
        {"helpButton", {&Help, nullptr}},
        {"closeButton", {&Close, nullptr}},
    };
    for (const auto& [name, words] : names) {
        Button(name)->setText(Tr(*words.first));
        if (words.second) Button(name)->setToolTip(Tr(*words.second));
    }
    UpdateLabels();
}

void TFMTF::UpdateLabels() {
    const auto [degrees, minutes] = DegreesAndMinutes(fieldAngle_);
    angleButton_->setText(Tr(AngleLabel) + QString::fromStdString(degrees) + QStringLiteral(" o ") +
                          QString::fromStdString(minutes) + QStringLiteral(" '"));
    defocusButton_->setText(Tr(DefocusLabel) + QString::fromStdString(FormatFixed(defocus_, 3)) +
                            QStringLiteral(" mm"));
    sourceBox_->setCurrentIndex(source_ == OtfSource::Geometric ? 0 : 1);
}

void TFMTF::UpdateButtons() {
    const bool idle = !busy_;
    Button("modulusButton")->setChecked(part_ == OtfPart::Modulus);
    Button("realButton")->setChecked(part_ == OtfPart::Real);
    // Spectrum editing hides the display buttons and shows OK and Cancel under the chart.
    for (const char* name : {"modulusButton", "realButton", "spectrumButton", "frequencyTableButton",
                             "resetButton", "saveButton"})
        Button(name)->setVisible(!editing_ && !(strehlMode_ && (QString(name) == "modulusButton" ||
                                                                QString(name) == "realButton" ||
                                                                QString(name) == "frequencyTableButton")));
    // The Strehl ratio has neither a source to choose nor a frequency axis.
    Button("scaleButton")->setVisible(editing_ || !strehlMode_);
    sourceBox_->setVisible(!strehlMode_);
    findChild<QLabel*>("sourceLabel")->setVisible(!strehlMode_);
    Button("okButton")->setVisible(editing_);
    Button("cancelButton")->setVisible(editing_);
    for (const auto& [name, button] : buttons_)
        if (name != "stopButton" && name != "helpButton" && name != "closeButton") button->setEnabled(idle);
    Button("saveButton")
        ->setEnabled(idle && hasResult_ && plot_.result.valid && !plot_.result.settings.strehl);
    Button("stopButton")->setEnabled(busy_ && calculating_);
    tabs_->setEnabled(idle && !editing_);
    sourceBox_->setEnabled(idle && !editing_ && !strehlMode_);
    angleButton_->setEnabled(idle && !editing_);
    defocusButton_->setEnabled(idle && !editing_);
    recalcButton_->setEnabled(idle && !editing_);
}

void TFMTF::SetStrehl(bool on) {
    strehlMode_ = on;
    ApplyWording();
    UpdateButtons();
}

void TFMTF::SetTabQuietly(Tab tab) {
    tab_ = tab;
    tabs_->blockSignals(true);
    tabs_->setCurrentIndex(tab);
    tabs_->blockSignals(false);
}

void TFMTF::Redraw() {
    plot_.part = part_;
    plot_.axisFrequency = axisFrequency_;
    plot_.minimum = minimum_;
    plot_.frequencies = frequencyTable_.Frequencies();
    plot_.colours = frequencyTable_.Colours();
    plot_.look.lensName = std::filesystem::path(main_.LensData().FileName()).filename().string();
    plot_.look.japanese = JapaneseWording();
    editPlot_.lensName = plot_.look.lensName;
    figure_->update();
}

// ---------------------------------------------------------------------------------------------------
// Opening

void TFMTF::ShowWindow(Tab tab) {
    if (editing_) EndSpectrumEditing(false);
    show();
    raise();
    activateWindow();
    if (main_.Runner().Busy()) return;
    Calculate(tab);
}

void TFMTF::ShowFromSpotDiagram(double fieldAngle, double defocus, int spotSteps) {
    SetStrehl(false);
    source_ = OtfSource::Geometric;
    fieldAngle_ = fieldAngle;
    defocus_ = defocus;
    spotSteps_ = std::max(spotSteps, 1);
    ShowWindow(FrequencyTab);
}

void TFMTF::ShowFromPsf(double fieldAngle, double defocus, int fftSize, int pupilDivision) {
    SetStrehl(false);
    source_ = OtfSource::Diffraction;
    fieldAngle_ = fieldAngle;
    defocus_ = defocus;
    if (ValidFftSize(fftSize)) fftSize_ = fftSize;
    pupilDivision_ = NormalisedPupilDivision(pupilDivision, fftSize_);
    ShowWindow(FrequencyTab);
}

void TFMTF::ShowStrehlMode(double fieldAngle, double defocus, int spotSteps) {
    SetStrehl(true);
    fieldAngle_ = fieldAngle;
    defocus_ = defocus;
    spotSteps_ = std::max(spotSteps, 1);
    ShowWindow(FrequencyTab);
}

void TFMTF::ShowAngleSweep(double maxFrequency) {
    SetStrehl(false);
    if (maxFrequency > 0 && std::isfinite(maxFrequency)) maxFrequency_ = maxFrequency;
    ShowWindow(AngleTab);
}

// ---------------------------------------------------------------------------------------------------
// Calculating

MtfSettings TFMTF::Settings() const {
    MtfSettings settings;
    settings.source = source_;
    settings.strehl = strehlMode_;
    settings.fieldAngle = fieldAngle_;
    settings.defocus = defocus_;
    settings.spotSteps = spotSteps_;
    settings.fftSize = fftSize_;
    settings.pupilDivision = pupilDivision_;
    settings.maxFrequency = maxFrequency_;
    settings.weights = Weights();
    return settings;
}

void TFMTF::Calculate(Tab tab) {
    if (busy_ || main_.Runner().Busy()) return;
    SetTabQuietly(tab);
    UpdateLabels();
    recalcButton_->hide();
    if (!main_.CheckImage(main_.PrepareForCalculation())) {
        hasResult_ = false;
        hint_ = Tr(texts::NoFocus);
        UpdateButtons();
        Redraw();
        return;
    }
    main_.Bench().BindTracer(main_.HostOf());
    const MtfSettings settings = Settings();
    std::vector<double> angles = angleTable_.Angles();
    if (angles.empty()) angles.push_back(0); // an empty table stands for the axis
    const FocusSweep focus = focus_;
    RayTracer* tracer = &tracer_;
    const Lens* lens = &main_.LensData();
    stopRequested_ = false;
    hint_ = Tr(WaitAMoment);
    progress_->setValue(0);
    calculating_ = main_.Runner().Start<MtfResult>(
        this,
        [tracer, lens, settings, angles, focus, tab](Host& host) {
            switch (tab) {
            case AngleTab:
                return ComputeMtfAngleSweep(*tracer, *lens, settings, angles, host);
            case FocusTab:
                return ComputeMtfFocusSweep(*tracer, *lens, settings, focus, host);
            case FrequencyTab:
                break;
            }
            return ComputeMtf(*tracer, *lens, settings, host);
        },
        [this, tab](MtfResult result) { ShowResult(std::move(result), tab); });
    if (calculating_) {
        pending_ = true;
        progress_->show();
        Button("stopButton")->setEnabled(true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        cursorSet_ = true;
    }
}

void TFMTF::ShowResult(MtfResult result, Tab tab) {
    pending_ = false;
    plot_.result = std::move(result);
    hasResult_ = true;
    SetTabQuietly(tab);
    hint_.clear();
    recalcButton_->setVisible(tab != FrequencyTab);
    if (!plot_.result.valid && !stopRequested_ && plot_.result.status != kNoPointText &&
        plot_.result.status != kStoppedText)
        main_.HostOf().Tell(MessageKind::Error, Wording{plot_.result.status, plot_.result.status});
    UpdateButtons();
    Redraw();
}

void TFMTF::StopCalculation() {
    if (!calculating_) return;
    stopRequested_ = true;
    main_.Runner().Stop();
    waitLabel_->show();
}

void TFMTF::closeEvent(QCloseEvent* event) {
    if (calculating_) main_.Runner().StopAndWait();
    if (editing_) EndSpectrumEditing(false);
    QMainWindow::closeEvent(event);
}

void TFMTF::SetBusy(bool busy) {
    busy_ = busy;
    if (busy) pending_ = false; // a calculation starts: a result this window waited for was dropped
    if (!busy) {
        calculating_ = false;
        progress_->hide();
        waitLabel_->hide();
        if (cursorSet_) QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
    UpdateButtons();
}

void TFMTF::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) ApplyWording();
}

// ---------------------------------------------------------------------------------------------------
// The tabs and their questions

std::optional<double> TFMTF::AskValue(const Wording& caption, const Wording& prompt,
                                      const std::string& value) {
    const auto answer = main_.HostOf().AskText(caption, prompt, value);
    if (!answer) return std::nullopt;
    const auto number = ParseNumber(*answer);
    if (!number) main_.HostOf().Tell(MessageKind::Error, NotANumber(*answer));
    return number;
}

bool TFMTF::AskMaxFrequency() {
    const auto value = AskValue(MaxFrequencyCaption, MaxFrequencyPrompt, FormatGeneral(maxFrequency_, 9));
    if (!value) return false;
    if (!(*value > 0)) {
        main_.HostOf().Tell(MessageKind::Error, NotANumber(FormatGeneral(*value, 9)));
        return false;
    }
    maxFrequency_ = *value;
    return true;
}

bool TFMTF::AskAngleSweep() {
    if (!strehlMode_) {
        if (!tables_.Edit(frequencyTable_)) return false;
        if (!AskMaxFrequency()) return false;
    }
    return tables_.Edit(angleTable_, strehlMode_ ? StrehlAngleCaption : MtfAngleCaption);
}

bool TFMTF::AskFocusSweep() {
    const auto start = AskValue(FocusFromCaption, FocusFromPrompt, FormatGeneral(focus_.start, 9));
    if (!start) return false;
    const auto interval =
        AskValue(FocusIntervalCaption, FocusIntervalPrompt, FormatGeneral(focus_.interval, 9));
    if (!interval) return false;
    const auto count = AskValue(FocusCountCaption, FocusCountPrompt, std::to_string(focus_.count));
    if (!count) return false;
    if (*count < 1 || *count > kMaxFocusPositions || *count != std::floor(*count)) {
        main_.HostOf().Tell(MessageKind::Error, FocusCountLimits);
        return false;
    }
    focus_ = {*start, *interval, static_cast<int>(*count)};
    return true;
}

void TFMTF::SelectTab(Tab tab) {
    if (busy_ || main_.Runner().Busy() || editing_) {
        SetTabQuietly(tab_);
        return;
    }
    const Tab before = tab_;
    bool asked = true;
    if (tab == AngleTab) asked = AskAngleSweep();
    if (tab == FocusTab) asked = AskFocusSweep();
    if (!asked) {
        SetTabQuietly(before);
        return;
    }
    Calculate(tab);
}

void TFMTF::Recalculate() {
    if (tab_ == FrequencyTab) {
        Calculate(FrequencyTab);
        return;
    }
    SelectTab(tab_);
}

void TFMTF::ResetSweeps() {
    const auto angles = angleTable_.Angles();
    SweepTable single(SweepTableKind::GeneratedAngles);
    if (!angles.empty()) {
        for (const int column : {single.ValueColumn(), single.MinutesColumn()})
            single.SetCell(column, 1, angleTable_.Cell(column, 1));
    }
    angleTable_ = single;
    focus_.count = 1;
    Calculate(tab_);
}

void TFMTF::SetPart(OtfPart part) {
    // The real part swings below zero: its axis starts at -100 % unless the user chose another start.
    if (part != part_) {
        if (part == OtfPart::Real && minimum_ == 0) minimum_ = -100;
        if (part == OtfPart::Modulus && minimum_ == -100) minimum_ = 0;
    }
    part_ = part;
    UpdateButtons();
    Redraw();
}

void TFMTF::AskAxisEnd() {
    if (busy_) return;
    UiHost& host = main_.HostOf();
    if (editing_) {
        const auto answer = host.AskNumber(WavelengthMaxCaption, WavelengthMaxPrompt,
                                           FormatGeneral(spectrumRight_, 9), "nm", false);
        if (!answer) return;
        const auto value = ParseNumber(answer->value);
        if (!value || *value <= editPlot_.shortest) {
            host.Tell(MessageKind::Error, NotANumber(answer->value));
            return;
        }
        spectrumRight_ = editPlot_.longest = *value;
        Redraw();
        return;
    }
    const double end = axisFrequency_ > 0 ? axisFrequency_ : maxFrequency_;
    const auto answer =
        host.AskNumber(AxisMaxCaption, AxisMaxPrompt, FormatGeneral(end, 9), "lines / mm", false);
    if (!answer) return;
    const auto value = ParseNumber(answer->value);
    if (!value || *value <= 0) {
        host.Tell(MessageKind::Error, NotANumber(answer->value));
        return;
    }
    axisFrequency_ = *value;
    Redraw();
}

void TFMTF::AskAxisStart() {
    if (busy_) return;
    UiHost& host = main_.HostOf();
    if (editing_) {
        const auto answer = host.AskNumber(WavelengthMinCaption, WavelengthMinPrompt,
                                           FormatGeneral(spectrumLeft_, 9), "nm", false);
        if (!answer) return;
        const auto value = ParseNumber(answer->value);
        if (!value || *value < 0 || *value >= editPlot_.longest) {
            host.Tell(MessageKind::Error, NotANumber(answer->value));
            return;
        }
        spectrumLeft_ = editPlot_.shortest = *value;
        Redraw();
        return;
    }
    const auto answer = host.AskNumber(AxisMinCaption, AxisMinPrompt, FormatGeneral(minimum_, 9), "%", false);
    if (!answer) return;
    const auto value = ParseNumber(answer->value);
    if (!value || *value >= 100) {
        host.Tell(MessageKind::Error, NotANumber(answer->value));
        return;
    }
    minimum_ = *value;
    Redraw();
}

void TFMTF::AskAngle() {
    if (busy_ || editing_) return;
    const auto [whole, minutes] = DegreesAndMinutes(fieldAngle_);
    const auto answer = main_.HostOf().AskNumber(AngleCaption, AnglePrompt, whole, "o", true, minutes);
    if (!answer) return;
    const auto angle = AngleFromDegreesAndMinutes(answer->value, answer->minutes);
    if (!angle || std::fabs(*angle) >= 90) {
        main_.HostOf().Tell(MessageKind::Error,
                            NotANumber(ParseNumber(answer->value) ? answer->minutes : answer->value));
        return;
    }
    fieldAngle_ = *angle;
    UpdateLabels();
    // The focus sweep runs at this angle; the other tabs show the MTF against frequency at it.
    Calculate(tab_ == FocusTab ? FocusTab : FrequencyTab);
}

void TFMTF::AskDefocus() {
    if (busy_ || editing_) return;
    const auto answer =
        main_.HostOf().AskNumber(DefocusCaption, DefocusPrompt, FormatFixed(defocus_, 3), "mm", false);
    if (!answer) return;
    const auto value = ParseNumber(answer->value);
    if (!value) {
        main_.HostOf().Tell(MessageKind::Error, NotANumber(answer->value));
        return;
    }
    defocus_ = *value;
    UpdateLabels();
    // The angle sweep runs at this defocus; the other tabs show the MTF against frequency at it.
    Calculate(tab_ == AngleTab ? AngleTab : FrequencyTab);
}

void TFMTF::ReadOutAt(double axisValue) {
    if (busy_ || !hasResult_ || plot_.result.points.empty()) return;
    const bool angles = plot_.result.kind == MtfSweepKind::Angle;
    if (!angles && plot_.result.kind != MtfSweepKind::Focus) return;
    // Prefilled with the sweep point nearest the click.
    const auto key = [angles](const MtfPoint& p) { return angles ? p.fieldAngle : p.defocus; };
    const MtfPoint* nearest = &plot_.result.points.front();
    for (const MtfPoint& point : plot_.result.points)
        if (std::fabs(key(point) - axisValue) < std::fabs(key(*nearest) - axisValue)) nearest = &point;
    const auto value =
        angles ? AskValue(IncidentAngleCaption, IncidentAnglePrompt, FormatGeneral(key(*nearest), 9))
               : AskValue(FocusPositionCaption, FocusPositionPrompt, FormatGeneral(key(*nearest), 9));
    if (!value) return;
    if (angles && std::fabs(*value) >= 90) {
        main_.HostOf().Tell(MessageKind::Error, NotANumber(FormatGeneral(*value, 9)));
        return;
    }
    (angles ? fieldAngle_ : defocus_) = *value;
    UpdateLabels();
    Calculate(FrequencyTab);
}

void TFMTF::EditFrequencyTable() {
    if (busy_ || editing_) return;
    if (tables_.Edit(frequencyTable_)) Redraw();
}

void TFMTF::SaveResult() {
    if (busy_ || !hasResult_ || !plot_.result.valid || plot_.result.settings.strehl) {
        main_.HostOf().Tell(MessageKind::Information, NothingToSave);
        return;
    }
    UiHost& host = main_.HostOf();
    const QString path = host.SaveFileName(SaveTitle, QString::fromStdString(main_.Directories().dataDir),
                                           {QString::fromUtf8(SaveFilter)}, QString());
    if (path.isEmpty()) return;
    if (const auto error = WriteFileAtomically(path.toStdString(), MtfSaveText(plot_.result)))
        host.Tell(MessageKind::Error, NotWritten(path.toStdString(), *error));
}

// ---------------------------------------------------------------------------------------------------
// Spectral weights

std::vector<double> TFMTF::Weights() const {
    const WavelengthList& list = main_.LensData().Wavelengths();
    std::vector<double> weights = SpectralWeightsOfList(list, lineWeights_);
    for (int w = 0; w < list.Count(); ++w) {
        if (!list.At(w).inserted) continue;
        const auto found = addedWeights_.find(list.At(w).name);
        if (found != addedWeights_.end()) weights[w] = found->second;
    }
    return weights;
}

void TFMTF::BeginSpectrumEditing() {
    if (busy_ || editing_) return;
    const WavelengthList& list = main_.LensData().Wavelengths();
    const std::vector<double> weights = Weights();
    editPlot_ = SpectralWeightPlot{};
    editPositions_.clear();
    for (int w = 0; w < list.Count(); ++w) {
        const Wavelength& wavelength = list.At(w);
        editPlot_.entries.push_back(
            {wavelength.name, wavelength.nanometres, wavelength.colour, weights[w], wavelength.calculate});
        editPositions_.push_back(w);
    }
    editPlot_.shortest = spectrumLeft_;
    editPlot_.longest = spectrumRight_;
    editPlot_.top = ChartTop(editPlot_.entries);
    editPlot_.japanese = JapaneseWording();
    editing_ = true;
    UpdateButtons();
    Redraw();
}

void TFMTF::SetEditedWeight(int entry, double weight) {
    if (!editing_ || entry < 0 || entry >= static_cast<int>(editPlot_.entries.size()) ||
        !std::isfinite(weight))
        return;
    editPlot_.entries[entry].weight = std::clamp(weight, 0.0, editPlot_.top);
}

void TFMTF::EndSpectrumEditing(bool keep) {
    if (!editing_) return;
    if (keep) {
        const WavelengthList& list = main_.LensData().Wavelengths();
        for (std::size_t k = 0; k < editPositions_.size(); ++k) {
            const int w = editPositions_[k];
            if (w >= list.Count()) continue;
            const double weight = editPlot_.entries[k].weight;
            const Wavelength& wavelength = list.At(w);
            const int line = wavelength.inserted ? -1 : LineIndex(wavelength.name);
            if (line >= 0)
                lineWeights_[line] = weight;
            else
                addedWeights_[wavelength.name] = weight;
        }
    }
    editing_ = false;
    if (keep) Reweigh();
    UpdateButtons();
    Redraw();
}

// New weights apply to the result in hand at once: its tables are weighed again, nothing is traced.
void TFMTF::Reweigh() {
    if (!hasResult_) return;
    const std::vector<double> weights = Weights();
    plot_.result.settings.weights = weights;
    for (MtfPoint& point : plot_.result.points) {
        for (OtfWavelength& w : point.wavelengths)
            w.weight = w.listPosition < static_cast<int>(weights.size()) ? weights[w.listPosition] : 1.0;
        WeighPoint(point, plot_.result.axis, plot_.result.settings.strehl);
    }
}

// ---------------------------------------------------------------------------------------------------
// Settings

void TFMTF::ReadSettings(const IniFile& ini) {
    ReadWindowGeometry(*this, ini, kSection);
    for (int k = 0; k < WavelengthList::kLineCount; ++k) {
        const double weight = ini.ReadFloat(kSection, kSpectralWeightKeys[k], kDefaultLineWeights[k]);
        lineWeights_[k] = weight >= 0 ? weight : kDefaultLineWeights[k];
    }
    addedWeights_.clear();
    spectrumRight_ = ini.ReadFloat(kSection, "SpectrumRight", kDefaultSpectrumRight);
    spectrumLeft_ = ini.ReadFloat(kSection, "SpectrumLeft", kDefaultSpectrumLeft);
    if (!(spectrumRight_ > spectrumLeft_) || spectrumLeft_ < 0) {
        spectrumLeft_ = kDefaultSpectrumLeft;
        spectrumRight_ = kDefaultSpectrumRight;
    }
    axisFrequency_ = std::max(0.0, ini.ReadFloat(kSection, "MTFgraphMax", 0));
}

void TFMTF::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kSection);
    const auto real = [&ini](const char* key, double value, double written) {
        if (value == written)
            ini.DeleteKey(kSection, key);
        else
            ini.WriteFloat(kSection, key, value);
    };
    for (int k = 0; k < WavelengthList::kLineCount; ++k)
        real(kSpectralWeightKeys[k], lineWeights_[k], kDefaultLineWeights[k]);
    real("SpectrumRight", spectrumRight_, kDefaultSpectrumRight);
    real("SpectrumLeft", spectrumLeft_, kDefaultSpectrumLeft);
    real("MTFgraphMax", axisFrequency_, 0);
}

void TFMTF::ReloadSettings() {
    ReadSettings(main_.Settings().Load(main_.HostOf()));
    Reweigh();
    Redraw();
}

} // namespace vitrimo
