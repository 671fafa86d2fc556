#include "ui/TFSphAber.h"

#include "figures/AberrationFigure.h"
#include "figures/FigureExport.h"
#include "model/NumberFormat.h"
#include "model/Texts.h"
#include "ui/AberrationTexts.h"
#include "ui/CalculationRunner.h"
#include "ui/Locale.h"
#include "ui/MainWindowTexts.h"
#include "ui/ProgramIcon.h"
#include "ui/TFFTNval.h"
#include "ui/TFLensdata.h"
#include "ui/TFSGList.h"
#include "ui/TFWaveLgthSlct.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace vitrimo {

using namespace aberrationTexts;

// The figure area: paints the current tab's figure with its painter.
class FigureView : public QWidget {
public:
    explicit FigureView(TFSphAber& window) : QWidget(&window), window_(window) {
        setObjectName("figureView");
        setMinimumSize(200, 150);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        window_.DrawForPrint(painter, QRectF(rect()));
    }

private:
    TFSphAber& window_;
};

namespace {

// A label as wide as the longest text it is meant to show, so that the layout does not jump.
class FittedLabel : public QLabel {
public:
    FittedLabel(const QString& text, QString longest, QWidget* parent)
        : QLabel(text, parent), longest_(std::move(longest)) {
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    QSize sizeHint() const override {
        return QSize(fontMetrics().horizontalAdvance(longest_) + 4, fontMetrics().height());
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    QString longest_;
};

// A box as wide as the longest text it is meant to hold, in whatever font the window has, so that values
// such as "-12.345" are never cut off.
class FittedLineEdit : public QLineEdit {
public:
    FittedLineEdit(const QString& text, QString longest, QWidget* parent)
        : QLineEdit(text, parent), longest_(std::move(longest)) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QFontMetrics metrics = fontMetrics();
        const QSize content(metrics.horizontalAdvance(longest_) + 2 * metrics.averageCharWidth(),
                            metrics.height());
        return style()->sizeFromContents(QStyle::CT_LineEdit, &option, content, this);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    QString longest_;
};

constexpr double kDefaultCircleSize = 0.01, kDefaultDefocusInterval = 0.02, kDefaultAngleInterval = 1.0;
constexpr int kDefaultCurveSteps = 30, kDefaultSpotSteps = 15, kDefaultPenWidth = 1;
const char* const kLineNames[11] = {"t", "s", "A", "r", "C", "d", "e", "F", "g", "h", "i"};

// Commands of windows that are not part of the program yet.
const char* const kNotYetAvailable[] = {"actBending", "tbBending"};

// The toolbar twins of View and Option items: the same switch, a hint of their own.
const std::pair<const char*, const char*> kToolbarTwins[] = {
    {"tbCircle", "actDrawCircle"},  {"tbAiry", "actDrawAiry"},   {"tbCross", "actDrawCross"},
    {"tbMtfCalc", "actMtfCalc"},    {"tbRoot", "actLinearRoot"}, {"tbLog", "actLinearLog"},
    {"tbIntensity", "actIntensity"}};

} // namespace

TFSphAber::TFSphAber(TFLensdata& main, TFWaveLgthSlct& wavelengths, TFSGList& angleTable)
    : QMainWindow(&main, Qt::Window), main_(main), wavelengths_(wavelengths), angleTable_(angleTable),
      tracer_(main.Bench().Tracer()), angles_(SweepTableKind::Angles) {
    setObjectName("TFSphAber");
    setWindowIcon(ProgramIcon());
    BuildMenus();
    BuildControls();
    ApplyWording();
    resize(720, 560);
    ReadSettings(main.Settings().Load(main.HostOf()));
    fftDialog_ = new TFFTNval(main.HostOf(), this);
    UpdateTabWidgets();
    connect(&main.Runner(), &CalculationRunner::BusyChanged, this, &TFSphAber::SetBusy);
    // The progress of this window's image calculation.
    connect(&main.Runner(), &CalculationRunner::ProgressChanged, this, [this](int percent) {
        if (!calculating_) return;
        progress_->setValue(percent);
        progress_->show();
    });
    connect(&main.Runner(), &CalculationRunner::Failed, this, [this](const QString& message) {
        if (!calculating_ && !isVisible()) return;
        hasPlot_ = false;
        hint_ = message;
        Redraw();
        main_.HostOf().Tell(MessageKind::Error, Wording{message.toStdString(), message.toStdString()});
    });
}

TFSphAber::~TFSphAber() = default;

QAction* TFSphAber::Action(const QString& name) const {
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------------
// Building the window

void TFSphAber::BuildMenus() {
    const auto make = [this](QMenu* menu, const QString& name) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        actions_[name] = action;
        if (menu) menu->addAction(action);
        return action;
    };
    QMenu* form = menuBar()->addMenu(QString());
    form->setObjectName("menuForm");
    make(form, "actPreview");
    make(form, "actPrint")->setVisible(false);
    make(form, "actSaveFigure");
    make(form, "actSaveIni");
    form->addSeparator();
    make(form, "actCloseFigure");

    QMenu* view = menuBar()->addMenu(QString());
    view->setObjectName("menuView");
    for (const char* name : {"actDrawCircle", "actCircleSize", "actPenWidth", "actDrawAiry", "actDrawCross",
                             "actBackground", "actLinearRoot", "actLinearLog", "actIntensity"})
        make(view, name);
    for (const char* name :
         {"actDrawCircle", "actDrawAiry", "actDrawCross", "actLinearRoot", "actLinearLog", "actIntensity"})
        Action(name)->setCheckable(true);
    Action("actDrawCircle")->setChecked(true);
    Action("actDrawCross")->setChecked(true);
    Action("actLinearRoot")->setChecked(true);

    QMenu* data = menuBar()->addMenu(QString());
    data->setObjectName("menuData");
    make(data, "actBending")->setEnabled(false); // the bending window comes later

    QMenu* option = menuBar()->addMenu(QString());
    option->setObjectName("menuOption");
    for (const char* name : {"actWavelength", "actAngleInterval", "actMaxAngle", "actAngleTable",
                             "actDefocusInterval", "actSteps", "actMtfCalc"})
        make(option, name);
    Action("actMtfCalc")->setCheckable(true);

    QMenu* calculation = menuBar()->addMenu(QString());
    calculation->setObjectName("menuCalculation");
    calculation->menuAction()->setVisible(false);
    make(calculation, "actExecute");
    make(calculation, "actStop")->setEnabled(false);
    Action("actStop")->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(Action("actStop")); // the shortcut works with the menu hidden

    QMenu* helpMenu = menuBar()->addMenu(QString());
    helpMenu->setObjectName("menuHelp");
    make(helpMenu, "actHelp");

    // The toolbar.
    auto* toolbar = addToolBar(QStringLiteral("Figure"));
    toolbar->setMovable(false);
    const std::pair<const char*, const char*> buttons[] = {
        {"tbRecalculation", "Recalc"},
        {"tbWavelength", "WL"},
        {"tbBending", "Bending"},
        {"tbPreview", "Print"},
        {"tbClose", "Exit"},
        {"tbHelp", "Help"},
        {"tbPenWidth", "Pen"},
        {"tbSteps", "N"},
        {"tbCircle", "O"},
        {"tbAiry", "Ai"},
        {"tbCross", "+"},
        {"tbMtfCalc", "MTF"},
        {"tbRoot", "√"},
        {"tbLog", "log"},
        {"tbIntensity", "PSL"},
    };
    for (const auto& [name, icon] : buttons) {
        QAction* action = make(nullptr, name);
        action->setIcon(ToolIcon(icon));
        toolbar->addAction(action);
    }
    for (const char* name : kNotYetAvailable) Action(name)->setEnabled(false);
    // A toolbar twin and its menu item are one switch: either one sets both.
    for (const auto& [button, item] : kToolbarTwins) {
        QAction* twin = Action(button);
        QAction* menuItem = Action(item);
        twin->setCheckable(true);
        twin->setChecked(menuItem->isChecked());
        connect(menuItem, &QAction::toggled, twin, &QAction::setChecked);
        connect(twin, &QAction::triggered, menuItem, [menuItem] { menuItem->trigger(); });
    }

    connect(Action("actSaveFigure"), &QAction::triggered, this, &TFSphAber::SaveFigure);
    connect(Action("actSaveIni"), &QAction::triggered, this, [this] {
        IniFile ini = main_.Settings().Load(main_.HostOf());
        WriteSettings(ini);
        main_.Settings().Save(ini, main_.HostOf());
    });
    connect(Action("actCloseFigure"), &QAction::triggered, this, &QWidget::close);
    connect(Action("tbClose"), &QAction::triggered, this, &QWidget::close);
    connect(Action("tbRecalculation"), &QAction::triggered, this, &TFSphAber::Execute);
    connect(Action("actExecute"), &QAction::triggered, this, &TFSphAber::Execute);
    connect(Action("actStop"), &QAction::triggered, this, &TFSphAber::StopCalculation);
    const auto openWavelengths = [this] { wavelengths_.ShowWindow(); };
    connect(Action("actWavelength"), &QAction::triggered, this, openWavelengths);
    connect(Action("tbWavelength"), &QAction::triggered, this, openWavelengths);
    connect(&wavelengths_, &QDialog::finished, this, [this] {
        if (isVisible() && !main_.Runner().Busy()) ShowTab(tab_);
    });
    const auto help = [this] { main_.HostOf().ShowHelp(aberrationTexts::kHelpTopic); };
    connect(Action("actHelp"), &QAction::triggered, this, help);
    connect(Action("tbHelp"), &QAction::triggered, this, help);
    const auto penWidth = [this] {
        if (const auto width = main_.HostOf().AskInteger(texts::PenWidth, Wording{}, penWidth_, 1, 5)) {
            penWidth_ = *width;
            plot_.penWidth = penWidth_;
            Redraw();
        }
    };
    connect(Action("actPenWidth"), &QAction::triggered, this, penWidth);
    connect(Action("tbPenWidth"), &QAction::triggered, this, penWidth);
    connect(Action("actSteps"), &QAction::triggered, this, &TFSphAber::StepsClick);
    connect(Action("tbSteps"), &QAction::triggered, this, &TFSphAber::StepsClick);
    connect(Action("actBackground"), &QAction::triggered, this, [this] {
        if (const auto colour = main_.HostOf().ChooseColour(background_)) {
            background_ = *colour;
            plot_.background = background_;
            Redraw();
        }
    });
    // The overlays of the spot and FFT tabs, the brightness scales and the intensity line of the FFT tab.
    for (const char* name : {"actDrawCircle", "actDrawAiry", "actDrawCross", "actIntensity"})
        connect(Action(name), &QAction::triggered, this, [this] { Redraw(); });
    connect(Action("actLinearRoot"), &QAction::triggered, this,
            [this](bool on) { ToggleBrightnessScale(false, on); });
    connect(Action("actLinearLog"), &QAction::triggered, this,
            [this](bool on) { ToggleBrightnessScale(true, on); });
    connect(Action("actMtfCalc"), &QAction::toggled, this, [this] { UpdateTabWidgets(); });
    connect(Action("actCircleSize"), &QAction::triggered, this, [this] {
        const auto answer = main_.HostOf().AskNumber(texts::CircleRadius, CircleRadiusPrompt,
                                                     FormatGeneral(circleSize_, 9), "mm", false);
        if (!answer) return;
        const auto value = ParseNumber(answer->value);
        if (!value || *value <= 0) {
            main_.HostOf().Tell(MessageKind::Error,
                                value ? NotPositive(answer->value) : NotAnAngle(answer->value));
            return;
        }
        circleSize_ = *value;
        Redraw();
    });
    connect(Action("actDefocusInterval"), &QAction::triggered, this, [this] {
        const auto answer = main_.HostOf().AskNumber(IntervalCaption, DefocusIntervalPrompt,
                                                     FormatGeneral(defocusInterval_, 9), "mm", false);
        if (!answer) return;
        const auto value = ParseNumber(answer->value);
        if (!value)
            main_.HostOf().Tell(MessageKind::Error, NotAnAngle(answer->value));
        else
            defocusInterval_ = *value;
    });
    connect(Action("actAngleInterval"), &QAction::triggered, this,
            [this] { AskAngle(AngleCaption, AngleIntervalPrompt, angleInterval_); });
    connect(Action("actMaxAngle"), &QAction::triggered, this, [this] {
        if (AskAngle(MaxAngleCaption, MaxAnglePrompt, maxAngle_) && FieldTab()) {
            WriteAngleBoxes(maxAngle_);
            Execute();
        }
    });
    connect(Action("actAngleTable"), &QAction::triggered, this, [this] {
        if (!angleTable_.Edit(angles_)) return;
        const auto list = angles_.Angles();
        nextButton_->setEnabled(list.size() >= 2);
        if (slot_ >= static_cast<int>(list.size())) slot_ = std::max(static_cast<int>(list.size()) - 1, 0);
    });
}

void TFSphAber::BuildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 4);
    tabs_ = new QTabBar(central);
    for (int k = 0; k < 8; ++k) tabs_->addTab(QString());
    layout->addWidget(tabs_);

    auto* controls = new QHBoxLayout;
    const auto upDown = [this, controls](const QString& name, std::function<void(int)> step) {
        for (int direction : {1, -1}) {
            auto* button = new QToolButton(this);
            button->setObjectName(name + (direction > 0 ? "Up" : "Down"));
            button->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
            button->setAutoRaise(true);
            connect(button, &QToolButton::clicked, this, [step, direction] { step(direction); });
            controls->addWidget(button);
        }
    };
    const auto box = [this, controls](const QString& name, const QString& text, const QString& longest) {
        auto* edit = new FittedLineEdit(text, longest, this);
        edit->setObjectName(name);
        controls->addWidget(edit);
        return edit;
    };
    controls->addWidget(new QLabel(this));
    static_cast<QLabel*>(controls->itemAt(0)->widget())->setObjectName("defocusLabel");
    defocusBox_ = box("defocusBox", "0", QStringLiteral("-0000.000"));
    controls->addWidget(new QLabel(QStringLiteral("mm"), this));
    upDown("defocus", [this](int d) { StepDefocus(d); });
    controls->addSpacing(12);
    auto* angleLabel = new QLabel(this);
    angleLabel->setObjectName("angleLabel");
    controls->addWidget(angleLabel);
    degreeBox_ = box("degreeBox", "0", QStringLiteral("-000"));
    controls->addWidget(new QLabel(QStringLiteral("o"), this));
    minuteBox_ = box("minuteBox", "00", QStringLiteral("00.0"));
    controls->addWidget(new QLabel(QStringLiteral("'"), this));
    upDown("angle", [this](int d) { StepAngle(d); });
    nextButton_ = new QPushButton(this);
    nextButton_->setEnabled(false);
    controls->addWidget(nextButton_);
    connect(nextButton_, &QPushButton::clicked, this, &TFSphAber::NextAngle);
    controls->addSpacing(12);
    auto* scaleLabel = new QLabel(this);
    scaleLabel->setObjectName("scaleLabel");
    controls->addWidget(scaleLabel);
    scaleBox_ = box("scaleBox", "0", QStringLiteral("0.00000000"));
    upDown("scale", [this](int d) { StepScale(d); });
    controls->addStretch(1);
    waitLabel_ = new QLabel(this);
    waitLabel_->hide();
    doneLabel_ = new QLabel(this);
    doneLabel_->hide();
    progress_ = new QProgressBar(this);
    progress_->hide();
    controls->addWidget(waitLabel_);
    controls->addWidget(doneLabel_);
    controls->addWidget(progress_);
    layout->addLayout(controls);
    BuildTabControls(central);
    layout->addWidget(tabControls_);

    // The figure, with the wavefront tabs' reference scroll bars at its right (y) and below it (z).
    auto* figureGrid = new QGridLayout;
    figureGrid->setSpacing(2);
    figure_ = new FigureView(*this);
    figureGrid->addWidget(figure_, 0, 0);
    const auto shiftBar = [this](Qt::Orientation orientation, const char* name, QScrollBar*& bar,
                                 QLabel*& value, QWidget*& box) {
        box = new QWidget(this);
        auto* boxLayout = orientation == Qt::Vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                                      : static_cast<QBoxLayout*>(new QHBoxLayout(box));
        boxLayout->setContentsMargins(0, 0, 0, 0);
        auto* title = new QLabel(box);
        title->setObjectName(QString(name) + "Label");
        bar = new QScrollBar(orientation, box);
        bar->setObjectName(QString(name) + "Bar");
        bar->setRange(-100, 100);
        bar->setPageStep(10);
        // Up the bar is +y, as in the figure.
        if (orientation == Qt::Vertical) bar->setInvertedAppearance(true);
        value = new FittedLabel(QStringLiteral("0.000"), QStringLiteral("-0.000"), box);
        value->setObjectName(QString(name) + "Value");
        boxLayout->addWidget(title, 0, Qt::AlignCenter);
        boxLayout->addWidget(bar, 1, orientation == Qt::Vertical ? Qt::AlignHCenter : Qt::Alignment());
        boxLayout->addWidget(value, 0, Qt::AlignCenter);
        QScrollBar* self = bar;
        QLabel* shown = value;
        connect(bar, &QScrollBar::valueChanged, this, [this, self, shown](int position) {
            shown->setText(QString::fromStdString(FormatFixed(position / 100.0 / 10.0, 3)));
            // A drag counts when it ends.
            if (!self->isSliderDown()) SetReferenceShift(shiftYBar_->value(), shiftZBar_->value());
        });
        connect(bar, &QScrollBar::sliderReleased, this,
                [this] { SetReferenceShift(shiftYBar_->value(), shiftZBar_->value()); });
    };
    shiftBar(Qt::Vertical, "shiftY", shiftYBar_, shiftYValue_, shiftYBox_);
    shiftBar(Qt::Horizontal, "shiftZ", shiftZBar_, shiftZValue_, shiftZBox_);
    figureGrid->addWidget(shiftYBox_, 0, 1);
    figureGrid->addWidget(shiftZBox_, 1, 0);
    layout->addLayout(figureGrid, 1);
    setCentralWidget(central);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index != tab_) ShowTab(static_cast<Tab>(index));
    });
    // A value typed into a box counts when Enter is pressed or the box is left.
    const auto applied = [this] {
        doneLabel_->hide();
        hint_ = Tr(mainTexts::PressCalculator);
        statusBar()->showMessage(hint_);
    };
    for (QLineEdit* edit : {degreeBox_, minuteBox_})
        connect(edit, &QLineEdit::editingFinished, this, applied);
    connect(defocusBox_, &QLineEdit::editingFinished, this, [this] {
        if (const auto value = ParseNumber(defocusBox_->text().toStdString()); value && *value != defocus_) {
            defocus_ = *value;
            StepDefocus(0);
        }
    });
    connect(scaleBox_, &QLineEdit::editingFinished, this, [this] {
        if (const auto value = ParseNumber(scaleBox_->text().toStdString()); value && *value > 0) {
            TabScale() = *value;
            StepScale(0);
        }
    });
}

// The controls of the evaluation tabs, in a row under the common ones: the wavefront read-outs and
// "RMS Cal", "MTF Show", the brightness of the FFT image, and the circle radius.
void TFSphAber::BuildTabControls(QWidget* parent) {
    tabControls_ = new QWidget(parent);
    auto* row = new QHBoxLayout(tabControls_);
    row->setContentsMargins(0, 0, 0, 0);
    readOut1_ = new QLabel(tabControls_);
    readOut1_->setObjectName("readOut1");
    readOut2_ = new QLabel(tabControls_);
    readOut2_->setObjectName("readOut2");
    for (QLabel* label : {readOut1_, readOut2_}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("StRatio: 0.0000 λ")));
        row->addWidget(label);
    }
    rmsCalButton_ = new QPushButton(tabControls_);
    rmsCalButton_->setObjectName("rmsCal");
    connect(rmsCalButton_, &QPushButton::clicked, this, [this] {
        if (rmsCal) rmsCal();
    });
    row->addWidget(rmsCalButton_);
    mtfShowButton_ = new QPushButton(tabControls_);
    mtfShowButton_->setObjectName("mtfShow");
    connect(mtfShowButton_, &QPushButton::clicked, this, [this] {
        if (mtfShow) mtfShow();
    });
    row->addWidget(mtfShowButton_);

    brightnessBox_ = new QWidget(tabControls_);
    auto* brightness = new QHBoxLayout(brightnessBox_);
    brightness->setContentsMargins(0, 0, 0, 0);
    auto* brightnessLabel = new QLabel(brightnessBox_);
    brightnessLabel->setObjectName("brightnessLabel");
    brightness->addWidget(brightnessLabel);
    for (int direction : {1, -1}) {
        auto* button = new QToolButton(brightnessBox_);
        button->setObjectName(direction > 0 ? "brightnessUp" : "brightnessDown");
        button->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, [this, direction] { StepBrightness(direction); });
        brightness->addWidget(button);
    }
    defaultButton_ = new QPushButton(brightnessBox_);
    defaultButton_->setObjectName("brightnessDefault");
    connect(defaultButton_, &QPushButton::clicked, this, [this] { StepBrightness(0); });
    brightness->addWidget(defaultButton_);
    row->addWidget(brightnessBox_);

    // A double-click on the circle radius asks for another one.
    class CircleLabel : public QLabel {
    public:
        CircleLabel(QWidget* parent, QAction* resize) : QLabel(parent), resize_(resize) {}

    protected:
        void mouseDoubleClickEvent(QMouseEvent*) override { resize_->trigger(); }

    private:
        QAction* resize_;
    };
    circleLabel_ = new CircleLabel(tabControls_, Action("actCircleSize"));
    circleLabel_->setObjectName("circleLabel");
    row->addWidget(circleLabel_);
    row->addStretch(1);
}

void TFSphAber::ApplyWording() {
    setWindowTitle(Tr(tab_ == Spot || tab_ == FftImage ? SpotCaption : Caption));
    for (int k = 0; k < 8; ++k) tabs_->setTabText(k, Tr(Tabs[k]));
    const std::pair<const char*, const Wording*> names[] = {
        {"actPreview", &MenuPreview},
        {"actPrint", &MenuPrint},
        {"actSaveFigure", &MenuSaveFigure},
        {"actSaveIni", &MenuSaveIni},
        {"actCloseFigure", &MenuCloseFigure},
        {"actDrawCircle", &MenuDrawCircle},
        {"actCircleSize", &MenuCircleSize},
        {"actPenWidth", &MenuPenWidth},
        {"actDrawAiry", &MenuDrawAiry},
        {"actDrawCross", &MenuDrawCross},
        {"actBackground", &MenuBackground},
        {"actLinearRoot", &MenuLinearRoot},
        {"actLinearLog", &MenuLinearLog},
        {"actIntensity", &MenuIntensityLine},
        {"actBending", &MenuBending},
        {"actWavelength", &MenuWavelength},
        {"actAngleInterval", &MenuAngleInterval},
        {"actMaxAngle", &MenuMaxAngle},
        {"actAngleTable", &MenuAngleTable},
        {"actDefocusInterval", &MenuDefocusInterval},
        {"actSteps", FieldTab() ? &MenuStepAngle : &MenuStepRadius},
        {"actMtfCalc", &MenuMtfCalc},
        {"actExecute", &MenuExecute},
        {"actStop", &MenuStop},
        {"actHelp", &MenuHelp},
        {"tbRecalculation", &HintRecalculation},
        {"tbWavelength", &HintWavelength},
        {"tbBending", &HintBending},
        {"tbPreview", &HintPreview},
        {"tbClose", &HintClose},
        {"tbHelp", &HintHelp},
        {"tbPenWidth", &HintPenWidth},
        {"tbSteps", CurveTab() || tab_ == WavefrontLine ? &HintSteps : &HintRays},
        {"tbCircle", &HintCircle},
        {"tbAiry", &HintAiry},
        {"tbCross", &HintCross},
        {"tbMtfCalc", &HintMtfCalc},
        {"tbRoot", &HintRoot},
        {"tbLog", &HintLog},
        {"tbIntensity", &HintIntensityLine},
    };
    for (const auto& [name, text] : names) {
        Action(name)->setText(Tr(*text));
        Action(name)->setToolTip(Tr(*text));
    }
    const std::pair<const char*, const Wording*> menus[] = {{"menuForm", &MenuForm},
                                                            {"menuView", &MenuView},
                                                            {"menuData", &MenuData},
                                                            {"menuOption", &MenuOption},
                                                            {"menuCalculation", &MenuCalculation},
                                                            {"menuHelp", &MenuHelp}};
    for (const auto& [name, text] : menus)
        if (auto* menu = findChild<QMenu*>(name)) menu->setTitle(Tr(*text));
    findChild<QLabel*>("defocusLabel")->setText(Tr(DefocusLabel));
    findChild<QLabel*>("angleLabel")->setText(Tr(AngleLabel));
    findChild<QLabel*>("scaleLabel")->setText(Tr(ScaleLabel));
    scaleBox_->setToolTip(Tr(HintScale));
    for (const char* name : {"scaleUp", "scaleDown"})
        findChild<QToolButton*>(name)->setToolTip(Tr(HintScaleChange));
    nextButton_->setText(Tr(nextIsStart_ ? Start : Next));
    waitLabel_->setText(Tr(WaitAMoment));
    doneLabel_->setText(Tr(CalculationDone));
    rmsCalButton_->setText(Tr(RmsCal));
    mtfShowButton_->setText(Tr(MtfShow));
    findChild<QLabel*>("brightnessLabel")->setText(Tr(aberrationTexts::Brightness));
    for (const char* name : {"brightnessUp", "brightnessDown"})
        findChild<QToolButton*>(name)->setToolTip(Tr(HintBrightness));
    defaultButton_->setText(Tr(BrightnessDefault));
    findChild<QLabel*>("shiftYLabel")->setText(Tr(ShiftY));
    findChild<QLabel*>("shiftZLabel")->setText(Tr(ShiftZ));
    shiftYBar_->setToolTip(Tr(HintShift));
    shiftZBar_->setToolTip(Tr(HintShift));
    UpdateReadOuts();
}

// ---------------------------------------------------------------------------------------------------
// Showing and calculating

CurveKind TFSphAber::KindOf(Tab tab) const {
    switch (tab) {
    case Transverse:
        return CurveKind::Transverse;
    case Astigmatism:
        return CurveKind::Astigmatism;
    case Distortion:
        return CurveKind::Distortion;
    default:
        return CurveKind::Longitudinal;
    }
}

CurveSettings TFSphAber::Settings() const {
    CurveSettings settings;
    settings.steps = curveSteps_;
    settings.fieldAngle = fieldAngle_;
    settings.maxAngle = maxAngle_;
    settings.defocus = defocus_;
    return settings;
}

void TFSphAber::WriteAngleBoxes(double degrees) {
    const auto [whole, minutes] = DegreesAndMinutes(degrees);
    degreeBox_->setText(QString::fromStdString(whole));
    minuteBox_->setText(QString::fromStdString(minutes));
}

// Reads the boxes: the scale of the tab, the defocus, and the angle (the maximum angle in the field
// tabs), normalising degrees and minutes. A box that does not hold a number stops the calculation.
bool TFSphAber::ReadBoxes() {
    const auto number = [this](QLineEdit* box) -> std::optional<double> {
        const std::string text = box->text().toStdString();
        const auto value = ParseNumber(text);
        if (!value) main_.HostOf().Tell(MessageKind::Error, NotAnAngle(text));
        return value;
    };
    const auto scale = number(scaleBox_);
    const auto defocus = number(defocusBox_);
    const auto degrees = number(degreeBox_);
    const auto minutes = number(minuteBox_);
    if (!scale || !defocus || !degrees || !minutes) return false;
    if (*scale > 0) TabScale() = *scale;
    defocus_ = *defocus;
    const double angle =
        *AngleFromDegreesAndMinutes(degreeBox_->text().toStdString(), minuteBox_->text().toStdString());
    if (*minutes != 0) WriteAngleBoxes(angle);
    (FieldTab() ? maxAngle_ : fieldAngle_) = angle;
    return true;
}

double& TFSphAber::TabScale() {
    if (tab_ == Distortion) return distortionScale_;
    if (tab_ == Spot || tab_ == FftImage) return spotScale_;
    return curveScale_;
}

void TFSphAber::ShowControlsOfTab() {
    scaleBox_->setText(QString::fromStdString(FormatGeneral(TabScale(), 6)));
    WriteAngleBoxes(FieldTab() ? maxAngle_ : fieldAngle_);
    defocusBox_->setText(QString::fromStdString(FormatFixed(defocus_, 3)));
    ApplyWording();
    UpdateTabWidgets();
}

void TFSphAber::ShowTab(Tab tab) {
    if (main_.Runner().Busy()) { // the lens and the tracer are in use
        show();
        raise();
        return;
    }
    const Tab previous = tab_;
    if (tab != tab_) hasPlot_ = false; // the figure of another tab
    tab_ = tab;
    tabs_->blockSignals(true);
    tabs_->setCurrentIndex(tab);
    tabs_->blockSignals(false);
    doneLabel_->hide();
    show();
    raise();
    if (!main_.CheckImage(main_.PrepareForCalculation())) {
        hasPlot_ = false;
        hint_ = Tr(texts::NoFocus);
        Redraw();
        return;
    }
    stale_ = false;
    slot_ = 0;
    const auto angles = angles_.Angles();
    nextButton_->setEnabled(angles.size() >= 2);
    ShowControlsOfTab();
    // The entrance pupil is found on the axis.
    main_.Bench().BindTracer(main_.HostOf());
    if (FieldTab() && maxAngle_ <= 0) {
        // The field curves need a maximum angle: asked once here, as the bending window does.
        AskAngle(Wording{"Astigmat, Distortion Max Angle", "像面湾曲、歪曲収差 最大入射角"}, MaxAnglePrompt,
                 maxAngle_);
        WriteAngleBoxes(maxAngle_);
    }
    if (tab_ == FftImage) {
        AskFftSize(previous);
        return;
    }
    if (!busy_) Execute();
}

void TFSphAber::Execute() {
    if (busy_ || main_.Runner().Busy() || !tracer_.Bound()) return;
    if (!ReadBoxes()) return;
    if (FieldTab() && maxAngle_ <= 0) {
        hasPlot_ = false;
        hint_ = Tr(NoMaxAngle);
        Redraw();
        return;
    }
    statusBar()->clearMessage();
    hint_.clear();
    stopRequested_ = false;
    doneLabel_->hide();
    switch (tab_) {
    case Spot:
        StartSpot();
        return;
    case WavefrontLine:
    case WavefrontFace:
        StartWavefront();
        return;
    case FftImage:
        StartPsf(false);
        return;
    default:
        break;
    }
    const CurveSettings settings = Settings();
    const CurveKind kind = KindOf(tab_);
    RayTracer* tracer = &tracer_;
    calculating_ = main_.Runner().Start<CurveResult>(
        this, [tracer, kind, settings](Host& host) { return ComputeCurve(*tracer, kind, settings, host); },
        [this, settings](CurveResult curve) { ShowCurve(std::move(curve), settings); });
}

void TFSphAber::StopCalculation() {
    if (!calculating_) return;
    stopRequested_ = true;
    main_.Runner().Stop();
    waitLabel_->show();
}

void TFSphAber::closeEvent(QCloseEvent* event) {
    if (calculating_) main_.Runner().StopAndWait();
    QMainWindow::closeEvent(event);
}

void TFSphAber::ShowCurve(CurveResult curve, const CurveSettings& settings) {
    curve_ = std::move(curve);
    if (!curve_.Ok()) {
        hasPlot_ = false;
        hint_ = QString::fromStdString(curve_.error);
        if (!stopRequested_) main_.HostOf().Tell(MessageKind::Error, Wording{curve_.error, curve_.error});
        Redraw();
        return;
    }
    traced_ = settings;
    FigureLook look;
    look.curveScale = curveScale_;
    look.distortionScale = distortionScale_;
    look.background = background_;
    look.penWidth = penWidth_;
    look.japanese = JapaneseWording();
    plot_ = MakeAberrationPlot(tracer_, main_.LensData(), curve_, settings, look);
    hasPlot_ = true;
    doneLabel_->show();
    Redraw();
}

void TFSphAber::Redraw() {
    ApplyLook();
    figure_->update();
}

void TFSphAber::SetBusy(bool busy) {
    busy_ = busy;
    if (!busy) calculating_ = false;
    tabs_->setEnabled(!busy);
    for (QWidget* widget : {static_cast<QWidget*>(defocusBox_), static_cast<QWidget*>(degreeBox_),
                            static_cast<QWidget*>(minuteBox_), static_cast<QWidget*>(scaleBox_)})
        widget->setEnabled(!busy);
    UpdateTabWidgets();
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
        waitLabel_->hide();
        progress_->hide();
    }
}

// What each tab shows and which commands work now: while a calculation runs only Stop does; the View
// and Option items of the evaluation tabs work on their tabs.
void TFSphAber::UpdateTabWidgets() {
    const bool spot = tab_ == Spot, fft = tab_ == FftImage;
    const bool wavefront = tab_ == WavefrontLine || tab_ == WavefrontFace;
    const bool mtf = Action("actMtfCalc")->isChecked();
    const std::map<QString, bool> onTab = {
        {"actDrawCircle", spot || fft}, {"actCircleSize", spot || fft}, {"actDrawAiry", spot},
        {"actDrawCross", spot},         {"actLinearRoot", fft},         {"actLinearLog", fft},
        {"actIntensity", fft},          {"actMtfCalc", spot || fft},
    };
    for (const auto& [name, action] : actions_) {
        if (name == "actStop") continue;
        const auto tab = onTab.find(name);
        action->setEnabled(!busy_ && (tab == onTab.end() || tab->second));
    }
    for (const char* name : kNotYetAvailable) Action(name)->setEnabled(false);
    Action("actStop")->setEnabled(busy_ && calculating_);
    for (const auto& [button, item] : kToolbarTwins) {
        Action(button)->setVisible(onTab.at(item));
        Action(button)->setEnabled(Action(item)->isEnabled());
    }

    readOut1_->setVisible(wavefront);
    readOut2_->setVisible(wavefront);
    rmsCalButton_->setVisible(tab_ == WavefrontFace);
    rmsCalButton_->setEnabled(!busy_ && static_cast<bool>(rmsCal));
    mtfShowButton_->setVisible(mtf && (spot || fft));
    mtfShowButton_->setEnabled(!busy_ && static_cast<bool>(mtfShow) && hasPlot_);
    brightnessBox_->setVisible(fft);
    brightnessBox_->setEnabled(!busy_);
    defaultButton_->setVisible(brightness_ != 1);
    circleLabel_->setVisible(spot || fft);
    circleLabel_->setText(Tr(texts::CircleRadius) + " = " +
                          QString::fromStdString(FormatGeneral(circleSize_, 6)) + " mm");
    tabControls_->setVisible(wavefront || spot || fft);
    shiftYBox_->setVisible(wavefront);
    shiftZBox_->setVisible(wavefront);
    for (QWidget* widget : {static_cast<QWidget*>(shiftYBar_), static_cast<QWidget*>(shiftZBar_)})
        widget->setEnabled(!busy_);
}

// ---------------------------------------------------------------------------------------------------
// Up/down controls and the angle table

void TFSphAber::StepDefocus(int direction) {
    if (busy_) return;
    defocus_ += direction * defocusInterval_;
    defocusBox_->setText(QString::fromStdString(FormatFixed(defocus_, 3)));
    doneLabel_->hide();
    const bool sameRays =
        hasPlot_ && (tab_ != FftImage || (psf_.psf.trace && psf_.psf.settings.fftSize == fftSize_ &&
                                          psf_.psf.trace->grid.division == pupilDivision_));
    if (!sameRays) {
        hint_ = Tr(mainTexts::PressCalculator);
        statusBar()->showMessage(hint_);
        return;
    }
    // The same rays, met on the moved image plane: nothing is traced again.
    switch (tab_) {
    case Spot:
        spot_.spot = EvaluateSpot(spot_.spot.rays, spot_.spot.grid, defocus_);
        statusBar()->showMessage(QString::fromStdString(spot_.spot.status));
        break;
    case WavefrontLine:
        waveLine_.line =
            EvaluateWavefrontLine(waveLine_.line.rays, waveLine_.line.steps, {defocus_, shiftY_, shiftZ_});
        statusBar()->showMessage(QString::fromStdString(waveLine_.line.status));
        UpdateReadOuts();
        break;
    case WavefrontFace:
        waveMap_.map =
            EvaluateWavefrontMap(waveMap_.map.rays, waveMap_.map.grid, {defocus_, shiftY_, shiftZ_});
        statusBar()->showMessage(QString::fromStdString(waveMap_.map.status));
        UpdateReadOuts();
        break;
    case FftImage:
        StartPsf(true); // a new transform of the same pupil: seconds for a large size
        return;
    default:
        break;
    }
    if (tab_ == Transverse) {
        CurveSettings settings = traced_;
        settings.defocus = defocus_;
        SetCurveDefocus(tracer_, CurveKind::Transverse, settings);
        curve_ = EvaluateCurve(tracer_, CurveKind::Transverse, settings);
        plot_.curve = curve_;
        plot_.defocus = defocus_;
        traced_.defocus = defocus_;
    }
    Redraw();
}

void TFSphAber::StepAngle(int direction) {
    double& angle = FieldTab() ? maxAngle_ : fieldAngle_;
    angle += direction * angleInterval_;
    WriteAngleBoxes(angle);
    tracer_.Bundle().ClearFlags();
    Execute();
}

void TFSphAber::StepScale(int direction) {
    const double limit = std::fabs(main_.LensData().FocalLength());
    if (tab_ == Distortion) {
        if (direction > 0 && distortionScale_ < 500) distortionScale_ *= 2;
        if (direction < 0 && distortionScale_ > 1e-5) distortionScale_ /= 2;
    } else if (tab_ == Spot || tab_ == FftImage) {
        // The plot half-width of the image plane, mm.
        if (direction > 0 && limit >= spotScale_) spotScale_ *= 2;
        if (direction < 0 && spotScale_ > 1e-6) spotScale_ /= 2;
    } else {
        // mm for the curves, waves for the wavefront.
        if (direction > 0 && curveScale_ < limit) curveScale_ *= 2;
        if (direction < 0 && curveScale_ > 1e-5) curveScale_ /= 2;
    }
    const double scale = TabScale();
    scaleBox_->setText(QString::fromStdString(FormatGeneral(scale, 6)));
    if (CurveTab()) plot_.scale = scale;
    Redraw();
}

void TFSphAber::NextAngle() {
    const auto angles = angles_.Angles();
    if (angles.empty()) return;
    slot_ = nextIsStart_ ? 0 : std::min(slot_ + 1, static_cast<int>(angles.size()) - 1);
    // At the table's last angle the button offers to start again.
    nextIsStart_ = slot_ + 1 >= static_cast<int>(angles.size());
    nextButton_->setText(Tr(nextIsStart_ ? Start : Next));
    fieldAngle_ = angles[slot_];
    if (!FieldTab()) WriteAngleBoxes(fieldAngle_);
    Execute();
}

bool TFSphAber::AskAngle(const Wording& caption, const Wording& prompt, double& value) {
    const auto [whole, minutes] = DegreesAndMinutes(value);
    const auto answer = main_.HostOf().AskNumber(caption, prompt, whole, "o", true, minutes);
    if (!answer) return false;
    const auto angle = AngleFromDegreesAndMinutes(answer->value, answer->minutes);
    if (!angle) {
        main_.HostOf().Tell(MessageKind::Error,
                            NotAnAngle(ParseNumber(answer->value) ? answer->minutes : answer->value));
        return false;
    }
    value = *angle;
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Staleness: after the user worked elsewhere, the figure is brought up to date when they come back.

void TFSphAber::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow())
            Stale();
        else
            RecalculateIfStale();
    } else if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) {
        ApplyWording();
    }
}

void TFSphAber::Stale() {
    stale_ = true;
}

void TFSphAber::RecalculateIfStale() {
    if (!stale_ || busy_ || main_.Runner().Busy() || !isVisible()) return;
    stale_ = false;
    // The diffraction image is recalculated only on request: it can take long, and its size dialog
    // itself takes the window's focus.
    if (tab_ == FftImage) return;
    const Lens& lens = main_.LensData();
    if (!lens.DataModified() && lens.ArraysCurrent() && tracer_.Bound()) {
        Execute();
        return;
    }
    fieldAngle_ = 0;
    ShowTab(tab_);
}

// ---------------------------------------------------------------------------------------------------
// Settings and export

void TFSphAber::ReadSettings(const IniFile& ini) {
    ReadWindowGeometry(*this, ini, kSection);
    circleSize_ = ini.ReadFloat(kSection, "Circle Size", kDefaultCircleSize);
    if (!(circleSize_ > 0) || !std::isfinite(circleSize_)) circleSize_ = kDefaultCircleSize;
    penWidth_ = static_cast<int>(
        std::clamp<long long>(ini.ReadInteger(kSection, "PenWidth", kDefaultPenWidth), 1, 5));
    Action("actDrawCircle")->setChecked(ini.ReadBool(kSection, "Draw Circle", true));
    Action("actDrawAiry")->setChecked(ini.ReadBool(kSection, "Draw AiryDisk", false));
    Action("actDrawCross")->setChecked(ini.ReadBool(kSection, "Draw Cross Mark", true));
    background_ =
        ParseColour(ini.ReadString(kSection, "Background Color", "clWhite")).value_or(colours::White);
    WavelengthList& list = main_.LensData().Wavelengths();
    for (int n = 1; n <= 11; ++n) {
        const int w = list.Find(kLineNames[n - 1]);
        if (w < 0) continue;
        const std::string number = std::to_string(n);
        if (const auto colour = ParseColour(ini.ReadString(kSection, "WaveLength Color " + number, "")))
            if (*colour != list.At(w).colour) list.SetColour(w, *colour);
        list.SetCalculate(w, ini.ReadBool(kSection, "WaveLength Checked " + number, list.At(w).calculate));
    }
    angleInterval_ = ini.ReadFloat(kSection, "Angle Interval", kDefaultAngleInterval);
    maxAngle_ = ini.ReadFloat(kSection, "Max Angle for AS & DS", 0);
    const long long count =
        std::clamp<long long>(ini.ReadInteger(kSection, "Angle No.", 1), 1, SweepTable::kMaxRows - 1);
    angles_ = SweepTable(SweepTableKind::Angles);
    for (int k = 1; k <= count; ++k) {
        if (k > 1 && !angles_.AppendRow()) break;
        const auto [whole, minutes] =
            DegreesAndMinutes(ini.ReadFloat(kSection, "AngleNo." + std::to_string(k), 0));
        angles_.SetCell(angles_.ValueColumn(), k, whole);
        angles_.SetCell(angles_.MinutesColumn(), k, minutes);
    }
    defocusInterval_ = ini.ReadFloat(kSection, "Defocus Interval", kDefaultDefocusInterval);
    spotSteps_ = static_cast<int>(std::clamp<long long>(
        ini.ReadInteger(kSection, "Step/radius for SpotDiagram", kDefaultSpotSteps), 2, 40));
    curveSteps_ = static_cast<int>(
        std::clamp<long long>(ini.ReadInteger(kSection, "Step/radius", kDefaultCurveSteps), 2, 40));
}

void TFSphAber::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kSection);
    const auto real = [&ini](const char* key, double value, double written) {
        if (value == written)
            ini.DeleteKey(kSection, key);
        else
            ini.WriteFloat(kSection, key, value);
    };
    const auto integer = [&ini](const std::string& key, long long value, long long written) {
        if (value == written)
            ini.DeleteKey(kSection, key);
        else
            ini.WriteInteger(kSection, key, value);
    };
    const auto boolean = [&ini](const std::string& key, bool value, bool written) {
        if (value == written)
            ini.DeleteKey(kSection, key);
        else
            ini.WriteBool(kSection, key, value);
    };
    boolean("Draw Circle", Action("actDrawCircle")->isChecked(), true);
    real("Circle Size", circleSize_, kDefaultCircleSize);
    integer("PenWidth", penWidth_, kDefaultPenWidth);
    boolean("Draw AiryDisk", Action("actDrawAiry")->isChecked(), false);
    boolean("Draw Cross Mark", Action("actDrawCross")->isChecked(), true);
    if (background_ == colours::White)
        ini.DeleteKey(kSection, "Background Color");
    else
        ini.WriteString(kSection, "Background Color", ColourToText(background_));
    const WavelengthList& list = main_.LensData().Wavelengths();
    for (int n = 1; n <= 11; ++n) {
        const int w = list.Find(kLineNames[n - 1]);
        if (w < 0) continue;
        const Wavelength& wavelength = list.At(w);
        const std::string number = std::to_string(n);
        if (wavelength.colour == wavelength.defaultColour)
            ini.DeleteKey(kSection, "WaveLength Color " + number);
        else
            ini.WriteString(kSection, "WaveLength Color " + number, ColourToText(wavelength.colour));
        boolean("WaveLength Checked " + number, wavelength.calculate, wavelength.defaultCalculate);
    }
    real("Angle Interval", angleInterval_, kDefaultAngleInterval);
    real("Max Angle for AS & DS", maxAngle_, 0);
    const auto angles = angles_.Angles();
    integer("Angle No.", std::max<long long>(static_cast<long long>(angles.size()), 1), 1);
    for (int k = 1; k < SweepTable::kMaxRows; ++k) {
        const std::string key = "AngleNo." + std::to_string(k);
        if (k <= static_cast<int>(angles.size()) && angles[k - 1] != 0)
            ini.WriteFloat(kSection, key, angles[k - 1]);
        else
            ini.DeleteKey(kSection, key);
    }
    real("Defocus Interval", defocusInterval_, kDefaultDefocusInterval);
    integer("Step/radius for SpotDiagram", spotSteps_, kDefaultSpotSteps);
    integer("Step/radius", curveSteps_, kDefaultCurveSteps);
}

void TFSphAber::SaveFigure() {
    if (!hasPlot_) return;
    const QString path =
        main_.HostOf().SaveFileName(SaveFigureTitle, QString::fromStdString(main_.Directories().dataDir),
                                    {QString::fromUtf8(SaveFigureFilter)}, QString());
    if (path.isEmpty()) return;
    if (const auto error = ExportFigure(path, figure_->size(), [this](QPainter& painter, const QRectF& area) {
            PaintFigure(painter, area);
        }))
        main_.HostOf().Tell(MessageKind::Error, Wording{error->toStdString(), error->toStdString()});
}

QString TFSphAber::DefocusText() const {
    return defocusBox_->text();
}
QString TFSphAber::ScaleText() const {
    return scaleBox_->text();
}
std::pair<QString, QString> TFSphAber::AngleTexts() const {
    return {degreeBox_->text(), minuteBox_->text()};
}

} // namespace vitrimo
