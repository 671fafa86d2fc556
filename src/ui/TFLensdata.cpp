#include "ui/TFLensdata.h"

#include "engine/Parallel.h"
#include "exchange/ZmxExport.h"
#include "exchange/ZmxImport.h"
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "model/TableRules.h"
#include "model/Texts.h"
#include "ui/CalculationRunner.h"
#include "ui/LensCellDelegate.h"
#include "ui/LensTableModel.h"
#include "ui/LensTableView.h"
#include "ui/Locale.h"
#include "ui/MainWindowTexts.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowPlacement.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

namespace vitrimo {
namespace {

constexpr const char* kMain = "Main";

// The written defaults of section "Main": a key whose value equals its default is deleted.
constexpr int kDefaultLeft = 101, kDefaultTop = 110, kDefaultWidth = 738, kDefaultHeight = 433;
constexpr const char* kDefaultFontName = "Arial";
constexpr int kDefaultFontSize = 9;

// Actions whose windows and commands are not part of the program yet: present, disabled.
const char* const kNotYetAvailable[] = {
    "actSumita",     "actOhara",      "actHoya",     "actSchott",        "actSphTrans", "actAstigmatism",
    "actDistortion", "actWaveLine",   "actWaveFace", "actSpot",          "actStop",     "tbSphericalCurve",
    "actPrint",      "actPrintSetup", "tbPrint",     "actSaveAsDefault", "actReadDat",
};

} // namespace

TFLensdata::TFLensdata(Workbench& bench, UiHost& host, MainWindowSetup setup, QWidget* parent)
    : QMainWindow(parent), bench_(bench), host_(host), workspace_(std::move(setup.workspace)),
      settings_(std::move(setup.settingsPath), std::move(setup.fallbackSettingsPath)),
      programDataDir_(std::move(setup.programDataDir)), lens_(bench.LensData()), paraxial_(bench.Paraxial()) {
    runner_ = new CalculationRunner(this);
    connect(runner_, &CalculationRunner::BusyChanged, this, &TFLensdata::CalculationBusy);
    FormCreate();
}

// The lens and the engine object are members and go before the QWidget base, whose destructor still
// closes the window and delivers events: nothing may reach them from then on.
TFLensdata::~TFLensdata() {
    // A calculation still running uses the lens: it ends before anything goes.
    runner_->StopAndWait();
    runner_->disconnect(this);
    memo_->disconnect(this);
    table_->selectionModel()->disconnect(this);
    table_->setModel(nullptr);
    delete model_;
}

// ---------------------------------------------------------------------------------------------------
// Creation, first show, closing

void TFLensdata::FormCreate() {
    setWindowIcon(ProgramIcon());
    QFont font = this->font();
    font.setPointSize(10);
    setFont(font);

    model_ = new LensTableModel(lens_, this);
    table_ = new LensTableView(this);
    table_->setModel(model_);
    table_->setItemDelegate(new LensCellDelegate(table_));
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double-click acts by the cell's column (CellDoubleClicked); typing or F2 edits in place.
    table_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    table_->installEventFilter(this);
    table_->viewport()->installEventFilter(this);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->setObjectName("StringGridLensDat");

    valueLabel_ = new QLabel(this);
    valueLabel_->setObjectName("valueLabel");
    valueLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    focalTitle_ = new QLabel(this);
    focalValue_ = new QLabel(this);
    focalValue_->setObjectName("focalLengthValue");
    focalValue_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    savedLabel_ = new QLabel(this);
    savedLabel_->setStyleSheet("color: blue;");
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("MemoTxt");
    memo_->hide();

    auto* labels = new QHBoxLayout;
    labels->addWidget(valueLabel_, 1);
    labels->addWidget(focalTitle_);
    labels->addWidget(focalValue_);
    labels->addSpacing(16);
    labels->addWidget(savedLabel_);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addLayout(labels);
    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->addWidget(table_);
    splitter->addWidget(memo_);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);

    BuildMenusAndToolbar();

    connect(model_, &LensTableModel::CellEdited, this, &TFLensdata::OnCellEdited);
    connect(model_, &LensTableModel::EditRefused, this, [this](int, int, const QString& text) {
        host_.Tell(MessageKind::Error, mainTexts::NotANumber(text.toStdString()));
    });
    connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { OnCurrentChanged(); });
    connect(memo_, &QPlainTextEdit::textChanged, this, &TFLensdata::OnMemoChanged);
    connect(table_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        CellDoubleClicked(index.column(), LensTableModel::TableRow(index));
    });

    lens_.SetDataModified(false);
    lens_.MarkArraysStale();
    ShowFocalLength(false);
    ShowSaved(false);

    // The layout follows the font: 55 x 35 font heights, unless the settings say otherwise.
    const int h = QFontMetrics(this->font()).height();
    resize(55 * h, 35 * h);
    ApplyWording();
    ApplyLayoutMetrics();
    ReadSettings();
    ApplyScreenLimits();
    lens_.SetRadiusMode(Action("actRadius")->isChecked());
    ReloadTable();
    SetCurrentCell(lens_.Column(lens_.RowCount() >= 3 ? col::GlassName : col::EffectiveDiameter),
                   lens_.RowCount() >= 3 ? 2 : 1);
    UpdateCaption();
    UpdateCommands();
}

void TFLensdata::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstShow_) {
        firstShow_ = false;
        FormShow();
    }
}

void TFLensdata::FormShow() {
    LoadLastData();
    model_->SetHints(Action("actShowHint")->isChecked());
    ApplyLayoutMetrics();
    if (newDataAtShow_) {
        ResetTable();
        newDataAtShow_ = false;
    }
    if (Action("actMemo")->isChecked()) SetMemoVisible(true);
}

void TFLensdata::closeEvent(QCloseEvent* event) {
    // Closing ends the program: a running calculation stops first.
    runner_->StopAndWait();
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TFLensdata::FormCloseQuery() {
    return AskSaveChanges() != SaveAnswer::Cancel;
}

void TFLensdata::LoadLastData() {
    const std::string path = workspace_.LastDataFile();
    // On a new machine there is no last-data file yet: start with the empty table, silently.
    if (!QFileInfo::exists(QString::fromStdString(path))) return;
    const LensFileResult result = ReadLensFile(lens_, path);
    if (!result.Ok()) {
        host_.Tell(MessageKind::Error, mainTexts::CannotRead(result.error));
        return;
    }
    AfterTableReplaced();
    TellAboutCellsRead(result);
    ShowFocalLengthQuietly();
}

// A complete prescription shows its focal length as soon as it is loaded. Questions about missing values
// wait for a calculating command, so this one declines them and leaves the labels hidden.
void TFLensdata::ShowFocalLengthQuietly() {
    class Quiet : public Host {
        std::optional<std::string> AskText(const Wording&, const Wording&, const std::string&) override {
            return std::nullopt;
        }
        Button Ask(MessageKind, const Wording&, Buttons, int) override { return ButtonCancel; }
    } quiet;
    const bool modified = lens_.DataModified();
    if (EnsureArraysCurrent(lens_, paraxial_, quiet) != Readiness::Cancelled) {
        lens_.UpdateHasDecenter();
        ShowFocalLength(true);
    }
    lens_.SetDataModified(modified);
    ReloadTable();
    OnCurrentChanged();
}

// ---------------------------------------------------------------------------------------------------
// Menus, toolbar, wording, layout

QAction* TFLensdata::MakeAction(const QString& name, const Wording& text, const Wording* hint) {
    auto* action = new QAction(this);
    action->setObjectName(name);
    actions_[name] = action;
    actionTexts_.emplace_back(action, &text);
    if (hint) actionHints_.emplace_back(action, hint);
    return action;
}

QAction* TFLensdata::Action(const QString& name) const {
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TFLensdata::BuildMenusAndToolbar() {
    BuildFileMenu();
    BuildEditMenu();
    BuildViewMenu();
    BuildDataMenu();
    BuildToolMenu();
    BuildHelpMenu();
    BuildToolbar();
    ConnectCommands();
}

QMenu* TFLensdata::AddMenu(QMenu* parent, const Wording& text) {
    QMenu* m = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
    menuTexts_.emplace_back(m, &text);
    return m;
}

// File: the file commands, the list of recent files, Exit; the standard shortcuts.
void TFLensdata::BuildFileMenu() {
    using namespace mainTexts;
    QMenu* file = AddMenu(nullptr, MenuFile);
    file->addAction(MakeAction("actNew", MenuNew, &HintNew));
    file->addAction(MakeAction("actOpen", MenuOpen, &HintOpen));
    file->addAction(MakeAction("actSave", MenuSave, &HintSave));
    file->addAction(MakeAction("actSaveAs", MenuSaveAs));
    file->addSeparator();
    file->addAction(MakeAction("actImport", MenuImport));
    file->addAction(MakeAction("actExport", MenuExport));
    file->addAction(MakeAction("actReport", MenuReport));
    file->addSeparator();
    file->addAction(MakeAction("actPrint", MenuPrint));
    file->addAction(MakeAction("actPrintSetup", MenuPrintSetup));
    file->addSeparator();
    file->addAction(MakeAction("actThreads", MenuThreads));
    file->addAction(MakeAction("actSaveIni", MenuSaveIni));
    file->addSeparator();
    // The files opened or saved last, newest first; shown when there are any.
    for (int k = 1; k <= kRecentFiles; ++k) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("actRecent%1").arg(k));
        action->setVisible(false);
        actions_[action->objectName()] = action;
        file->addAction(action);
        connect(action, &QAction::triggered, this, [this, k] {
            if (k <= static_cast<int>(recentFiles_.size())) OpenRecentFile(recentFiles_[k - 1]);
        });
    }
    recentSeparator_ = file->addSeparator();
    file->addAction(MakeAction("actExit", MenuExit));
    // Standard shortcuts of a desktop program.
    Action("actNew")->setShortcut(QKeySequence::New);
    Action("actOpen")->setShortcut(QKeySequence::Open);
    Action("actSave")->setShortcut(QKeySequence::Save);
    Action("actSaveAs")->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    Action("actExit")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

// Edit: Undo, the clipboard, the cell modes, the face commands.
void TFLensdata::BuildEditMenu() {
    using namespace mainTexts;
    QMenu* edit = AddMenu(nullptr, MenuEdit);
    edit->addAction(MakeAction("actUndo", MenuUndo, &HintUndo));
    edit->addSeparator();
    edit->addAction(MakeAction("actCut", MenuCut, &HintCut));
    edit->addAction(MakeAction("actCopy", MenuCopy, &HintCopy));
    edit->addAction(MakeAction("actPaste", MenuPaste, &HintPaste));
    edit->addSeparator();
    QMenu* select = AddMenu(edit, MenuSelectCell);
    auto* modes = new QActionGroup(this);
    for (auto [name, text] :
         {std::pair{"actSelectCells", &MenuSelectCells}, std::pair{"actEditCell", &MenuEditCell}}) {
        QAction* action = MakeAction(name, *text);
        action->setCheckable(true);
        modes->addAction(action);
        select->addAction(action);
    }
    Action("actEditCell")->setChecked(true);
    edit->addSeparator();
    edit->addAction(MakeAction("actAddFace", MenuAddFace));
    edit->addAction(MakeAction("actInsertFace", MenuInsertFace, &HintInsert));
    edit->addAction(MakeAction("actDeleteFace", MenuDeleteFace, &HintDelete));
    Action("actUndo")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Action("actCut")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    Action("actCopy")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Action("actPaste")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
}

// View: memo, radius display, font.
void TFLensdata::BuildViewMenu() {
    using namespace mainTexts;
    QMenu* view = AddMenu(nullptr, MenuView);
    view->addAction(MakeAction("actMemo", MenuMemo, &HintMemo));
    view->addSeparator();
    view->addAction(MakeAction("actRadius", MenuDiameterToRadius));
    view->addSeparator();
    view->addAction(MakeAction("actFont", MenuFont, &HintFont));
    view->addAction(MakeAction("actSaveAsDefault", MenuSaveAsDefault));
    view->addAction(MakeAction("actReadDat", MenuReadDat));
    Action("actSaveAsDefault")->setVisible(false);
    Action("actReadDat")->setVisible(false);
    Action("actMemo")->setCheckable(true);
    Action("actRadius")->setCheckable(true);
}

// Data: the glass makers and special faces, shift and tilt, re-enter, added wavelengths.
void TFLensdata::BuildDataMenu() {
    using namespace mainTexts;
    QMenu* data = AddMenu(nullptr, MenuData);
    QMenu* glass = AddMenu(data, MenuGlass);
    glass->setObjectName("menuGlass");
    for (auto [name, text] : {std::pair{"actSumita", &MenuSumita}, std::pair{"actOhara", &MenuOhara},
                              std::pair{"actHoya", &MenuHoya}, std::pair{"actSchott", &MenuSchott}})
        glass->addAction(MakeAction(name, *text));
    glass->addSeparator();
    glass->addAction(MakeAction("actAir", MenuAir));
    glass->addAction(MakeAction("actMirror", MenuMirror));
    glass->addSeparator();
    glass->addAction(MakeAction("actStopPlane", MenuStopPlane));
    glass->addAction(MakeAction("actFocalPlane", MenuFocalPlane));
    glass->addAction(MakeAction("actScreen", MenuScreen));
    data->addSeparator();
    data->addAction(MakeAction("actShiftTilt", MenuShiftTilt));
    data->addAction(MakeAction("actReenter", MenuReenter));
    data->addAction(MakeAction("actSameCurvature", MenuSameCurvature));
    data->addSeparator();
    data->addAction(MakeAction("actInsertWavelength", MenuInsertWavelength));
}

// Tool: the analysis windows, focal-length scaling, optimisation.
void TFLensdata::BuildToolMenu() {
    using namespace mainTexts;
    QMenu* tool = AddMenu(nullptr, MenuTool);
    tool->addAction(MakeAction("actThirdOrder", MenuThirdOrder, &HintThirdOrder));
    QMenu* figure = AddMenu(tool, MenuAberFigure);
    for (auto [name, text] :
         {std::pair{"actSphLong", &MenuSphLong}, std::pair{"actSphTrans", &MenuSphTrans},
          std::pair{"actAstigmatism", &MenuAstigmatism}, std::pair{"actDistortion", &MenuDistortion},
          std::pair{"actWaveLine", &MenuWaveLine}, std::pair{"actWaveFace", &MenuWaveFace}})
        figure->addAction(MakeAction(name, *text));
    tool->addAction(MakeAction("actSpot", MenuSpot));
    tool->addAction(MakeAction("actCrossSection", MenuCrossSection, &HintCrossSection));
    tool->addAction(MakeAction("actMtfAngle", MenuMtfAngle));
    tool->addSeparator();
    tool->addAction(MakeAction("actFocalLength", MenuFocalLength, &HintFocalLength));
    tool->addSeparator();
    QMenu* optimization = AddMenu(tool, MenuOptimization);
    optimization->addAction(MakeAction("actConditionSetting", MenuConditionSetting));
    optimization->addSeparator();
    optimization->addAction(MakeAction("actExecute", MenuExecute));
    optimization->addAction(MakeAction("actStop", MenuStop));
}

// Help: contents, hints, about.
void TFLensdata::BuildHelpMenu() {
    using namespace mainTexts;
    QMenu* help = AddMenu(nullptr, MenuHelp);
    help->addAction(MakeAction("actContents", MenuContents));
    Action("actContents")->setShortcut(QKeySequence(Qt::Key_F1));
    help->addAction(MakeAction("actShowHint", MenuShowHint));
    help->addSeparator();
    help->addAction(MakeAction("actAbout", MenuAbout));
    Action("actShowHint")->setCheckable(true);
    Action("actShowHint")->setChecked(true);
}

// The toolbar: menu commands with their icons, and the buttons that are no menu item.
void TFLensdata::BuildToolbar() {
    using namespace mainTexts;
    // Toolbar buttons that are not simply a menu item.
    MakeAction("tbPrint", HintPrint, &HintPrint);
    MakeAction("tbBending", HintBending, &HintBending)->setVisible(false);
    MakeAction("tbSphericalCurve", HintSphericalCurve, &HintSphericalCurve);
    MakeAction("tbConditionSet", HintConditionSet, &HintConditionSet);
    MakeAction("tbOptimization", HintOptimization, &HintOptimization);
    MakeAction("tbHelp", HintHelp, &HintHelp);
    MakeAction("tbExit", HintExit, &HintExit);

    toolbar_ = addToolBar(QStringLiteral("Tools"));
    toolbar_->setObjectName("toolbar");
    toolbar_->setMovable(false);
    const std::pair<const char*, const char*> buttons[] = {
        {"actNew", "New"},
        {"actOpen", "Open"},
        {"actSave", "Save"},
        {"tbPrint", "Print"},
        {"actUndo", "Undo"},
        {"actCut", "Cut"},
        {"actCopy", "Copy"},
        {"actPaste", "Paste"},
        {"actInsertFace", "Insert"},
        {"actDeleteFace", "Delete"},
        {"actMemo", "Memo"},
        {"actFont", "Font"},
        {"tbBending", "Bending"},
        {"actThirdOrder", "ThirdOrder"},
        {"tbSphericalCurve", "Aberration"},
        {"actCrossSection", "CrossSection"},
        {"actFocalLength", "FocalLength"},
        {"tbConditionSet", "Condition"},
        {"tbOptimization", "Optimization"},
        {"tbHelp", "Help"},
        {"tbExit", "Exit"},
    };
    for (const auto& [name, icon] : buttons) {
        QAction* action = Action(name);
        action->setIcon(ToolIcon(icon));
        toolbar_->addAction(action);
    }

    for (const char* name : kNotYetAvailable) Action(name)->setEnabled(false);
    // The optimization runs once its conditions have been set.
    Action("actExecute")->setEnabled(false);
    Action("tbOptimization")->setEnabled(false);
}

// What each command does.
void TFLensdata::ConnectCommands() {
    using namespace mainTexts;
    connect(Action("actNew"), &QAction::triggered, this, &TFLensdata::FileNew);
    connect(Action("actOpen"), &QAction::triggered, this, &TFLensdata::FileOpen);
    connect(Action("actSave"), &QAction::triggered, this, &TFLensdata::FileSave);
    connect(Action("actSaveAs"), &QAction::triggered, this, [this] { FileSaveAs(); });
    connect(Action("actImport"), &QAction::triggered, this, &TFLensdata::FileImport);
    connect(Action("actExport"), &QAction::triggered, this, &TFLensdata::FileExport);
    connect(Action("actSaveIni"), &QAction::triggered, this, &TFLensdata::Inifile1Click);
    connect(Action("actThreads"), &QAction::triggered, this, &TFLensdata::ChooseThreads);
    connect(Action("actExit"), &QAction::triggered, this, &QWidget::close);
    connect(Action("tbExit"), &QAction::triggered, this, &QWidget::close);
    connect(Action("actAddFace"), &QAction::triggered, this, &TFLensdata::AddFace);
    connect(Action("actInsertFace"), &QAction::triggered, this, &TFLensdata::InsertFace);
    connect(Action("actDeleteFace"), &QAction::triggered, this, &TFLensdata::DeleteFace);
    connect(Action("actMemo"), &QAction::toggled, this, &TFLensdata::SetMemoVisible);
    connect(Action("actRadius"), &QAction::toggled, this, &TFLensdata::SetRadiusDisplay);
    connect(Action("actFont"), &QAction::triggered, this, &TFLensdata::ChooseFont);
    connect(Action("actContents"), &QAction::triggered, this, [this] { host_.ShowHelp(0); });
    connect(Action("tbHelp"), &QAction::triggered, this, [this] { host_.ShowHelp(0); });
    connect(Action("actShowHint"), &QAction::triggered, this, &TFLensdata::Hint1Click);
    connect(Action("actAbout"), &QAction::triggered, this, [this] { host_.ShowAbout(); });
    connect(Action("actUndo"), &QAction::triggered, this, &TFLensdata::UndoCommand);
    connect(Action("actCut"), &QAction::triggered, this, &TFLensdata::CutCommand);
    connect(Action("actCopy"), &QAction::triggered, this, &TFLensdata::CopyCommand);
    connect(Action("actPaste"), &QAction::triggered, this, &TFLensdata::PasteCommand);
    connect(Action("actSelectCells"), &QAction::triggered, this, [this] { SetSelectMode(true); });
    connect(Action("actEditCell"), &QAction::triggered, this, [this] { SetSelectMode(false); });
    const std::pair<const char*, SpecialFace> faces[] = {{"actAir", SpecialFace::Air},
                                                         {"actMirror", SpecialFace::Mirror},
                                                         {"actStopPlane", SpecialFace::StopPlane},
                                                         {"actFocalPlane", SpecialFace::FocalPlane},
                                                         {"actScreen", SpecialFace::Screen}};
    for (const auto& [name, kind] : faces)
        connect(Action(name), &QAction::triggered, this, [this, kind = kind] { SpecialFaceCommand(kind); });
    connect(Action("actShiftTilt"), &QAction::triggered, this, &TFLensdata::ShiftTiltCommand);
    connect(Action("actReenter"), &QAction::triggered, this, [this] { ReenterCommand(false); });
    connect(Action("actSameCurvature"), &QAction::triggered, this, [this] { ReenterCommand(true); });
    connect(Action("actFocalLength"), &QAction::triggered, this, &TFLensdata::FocalLengthCommand);
    connect(Action("actInsertWavelength"), &QAction::triggered, this, &TFLensdata::InsertWavelengthCommand);
}

void TFLensdata::ApplyWording() {
    for (const auto& [menu, text] : menuTexts_) menu->setTitle(Tr(*text));
    for (const auto& [action, text] : actionTexts_) action->setText(Tr(*text));
    for (const auto& [action, hint] : actionHints_) action->setToolTip(Tr(*hint));
    Action("actRadius")
        ->setText(Tr(lens_.RadiusMode() ? mainTexts::MenuRadiusToDiameter : mainTexts::MenuDiameterToRadius));
    focalTitle_->setText(Tr(mainTexts::FocalLengthLabel));
    savedLabel_->setText(Tr(mainTexts::SavedLabel));
    model_->headerDataChanged(Qt::Horizontal, 0, std::max(model_->columnCount() - 1, 0));
}

void TFLensdata::ApplyLayoutMetrics() {
    const int h = std::max(QFontMetrics(font()).height(), 1);
    table_->setFont(font());
    table_->horizontalHeader()->setFont(font());
    table_->verticalHeader()->setDefaultSectionSize(RoundDiv(4 * h, 3));
    table_->horizontalHeader()->setDefaultSectionSize(RoundDiv(14 * h, 3));
    const std::pair<std::string_view, int> widths[] = {
        {col::No, 2 * h * 3},    {col::GlassName, 18 * h},
        {col::Diameter, 18 * h}, {col::HideDiameter, 18 * h},
        {col::R, 20 * h},        {col::EffectiveDiameter, 20 * h},
        {col::Distance, 20 * h}, {col::RFix, 5 * h},
        {col::LFix, 5 * h},      {col::Dx, 16 * h},
        {col::Y, 16 * h},        {col::Dy, 16 * h},
        {col::Z, 16 * h},        {col::Dz, 16 * h},
        {col::DTheta, 16 * h},   {col::DPhi, 16 * h},
        {col::A4, 16 * h},       {col::A6, 16 * h},
        {col::A8, 16 * h},       {col::A10, 16 * h},
        {col::A12, 16 * h},      {col::A14, 16 * h},
        {col::Remarks, 40 * h},
    };
    for (int c = 0; c < model_->columnCount(); ++c) table_->setColumnWidth(c, RoundDiv(14 * h, 3));
    for (const auto& [name, thirds] : widths) {
        const int column = lens_.Column(name);
        if (column >= 0) table_->setColumnWidth(column, RoundDiv(thirds, 3));
    }
}

void TFLensdata::ReadSettings() {
    const IniFile ini = settings_.Load(host_);
    workspace_.dataDir = ini.ReadString(kMain, "Default Dir", workspace_.dataDir);
    Action("actMemo")->setChecked(ini.ReadBool(kMain, "MemoTxt.Visible", false));
    Action("actShowHint")->setChecked(ini.ReadBool(kMain, "Hint1.Checked", true));
    const QRect frame = geometry();
    const int left = static_cast<int>(ini.ReadInteger(kMain, "Left", frame.left()));
    const int top = static_cast<int>(ini.ReadInteger(kMain, "Top", frame.top()));
    const int width = static_cast<int>(ini.ReadInteger(kMain, "Width", frame.width()));
    const int height = static_cast<int>(ini.ReadInteger(kMain, "Height", frame.height()));
    QFont font = this->font();
    font.setFamily(QString::fromStdString(ini.ReadString(kMain, "FontName", font.family().toStdString())));
    const auto size = ini.ReadInteger(kMain, "FontSize", font.pointSize());
    if (size > 0 && size < 200) font.setPointSize(static_cast<int>(size));
    setFont(font);
    workspace_.sumitaFile = ini.ReadString(kMain, "SumitaFileName", "Sumita.txt");
    workspace_.oharaFile = ini.ReadString(kMain, "OharaFileName", "Ohara.txt");
    workspace_.hoyaFile = ini.ReadString(kMain, "HoyaFileName", "Hoya.txt");
    workspace_.schottFile = ini.ReadString(kMain, "SchottFileName", "Schott.txt");
    Action("actRadius")->setChecked(ini.ReadBool(kMain, "Radius", false));
    newDataAtShow_ = ini.ReadBool(kMain, "NewData", false);
    // The threads the calculations use: every core unless the file says otherwise.
    const auto threads = ini.ReadInteger(kMain, "Threads", DefaultThreadCount());
    bench_.SetThreads(threads >= 1 && threads <= kMaxThreads ? static_cast<int>(threads)
                                                             : DefaultThreadCount());
    recentFiles_.clear();
    for (int k = 1; k <= kRecentFiles; ++k) {
        const std::string path = ini.ReadString(kMain, "Recent" + std::to_string(k), "");
        if (!path.empty()) recentFiles_.push_back(QString::fromStdString(path));
    }
    UpdateRecentFiles(false);
    setGeometry(left, top, std::max(width, 100), std::max(height, 100));
    ApplyLayoutMetrics();
}

// Moves or shrinks the window so that it lies on the screen.
void TFLensdata::ApplyScreenLimits() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    QRect g = geometry();
    if (g.height() > available.height()) {
        g.setTop(available.top());
        g.setHeight(available.height());
    } else if (g.bottom() > available.bottom()) {
        g.moveTop(available.bottom() - g.height() + 1);
    }
    if (g.width() > available.width()) {
        g.setLeft(available.left());
        g.setWidth(available.width());
    } else if (g.right() > available.right()) {
        g.moveLeft(available.right() - g.width() + 1);
    }
    if (g.top() < available.top()) g.moveTop(available.top());
    if (g.left() < available.left()) g.moveLeft(available.left());
    setGeometry(g);
}

void TFLensdata::ChooseThreads() {
    // The count is read by each calculation as it starts: not changed under a running one.
    if (runner_ && runner_->Busy()) return;
    const auto chosen = host_.AskInteger(mainTexts::ThreadsCaption, mainTexts::ThreadsPrompt,
                                         bench_.Threads(), 1, kMaxThreads);
    if (chosen && ValidThreadCount(*chosen)) bench_.SetThreads(*chosen);
}

void TFLensdata::Inifile1Click() {
    IniFile ini = settings_.Load(host_);
    const auto writeOrDelete = [&ini](const char* key, long long value, long long writtenDefault) {
        if (value == writtenDefault)
            ini.DeleteKey(kMain, key);
        else
            ini.WriteInteger(kMain, key, value);
    };
    const auto writeOrDeleteBool = [&ini](const char* key, bool value, bool writtenDefault) {
        if (value == writtenDefault)
            ini.DeleteKey(kMain, key);
        else
            ini.WriteBool(kMain, key, value);
    };
    const std::string storedDir = ini.ReadString(kMain, "Default Dir", workspace_.startDir + "/Lens");
    if (workspace_.dataDir != storedDir) ini.WriteString(kMain, "Default Dir", workspace_.dataDir);
    writeOrDeleteBool("MemoTxt.Visible", Action("actMemo")->isChecked(), false);
    writeOrDelete("Threads", bench_.Threads(), DefaultThreadCount());
    writeOrDeleteBool("Hint1.Checked", Action("actShowHint")->isChecked(), true);
    const QRect frame = geometry();
    writeOrDelete("Left", frame.left(), kDefaultLeft);
    writeOrDelete("Top", frame.top(), kDefaultTop);
    writeOrDelete("Width", frame.width(), kDefaultWidth);
    writeOrDelete("Height", frame.height(), kDefaultHeight);
    const std::string fontName = font().family().toStdString();
    if (fontName == kDefaultFontName)
        ini.DeleteKey(kMain, "FontName");
    else
        ini.WriteString(kMain, "FontName", fontName);
    writeOrDelete("FontSize", font().pointSize(), kDefaultFontSize);
    writeOrDeleteBool("Radius", lens_.RadiusMode(), false);
    writeOrDeleteBool("NewData", lens_.RowCount() <= 2, false);
    for (const auto& writer : settingsWriters_) writer(ini);
    settings_.Save(ini, host_);
}

// ---------------------------------------------------------------------------------------------------
// Labels, caption, enabling

void TFLensdata::CalculationBusy(bool busy) {
    // Commands that only show or copy stay; the others wait for the calculation.
    static const QStringList kAlwaysAvailable = {
        "actCopy", "actContents",    "tbHelp",      "actAbout", "actShowHint",
        "actFont", "actSelectCells", "actEditCell", "actExit",  "tbExit"};
    if (busy) {
        disabledWhileBusy_.clear();
        for (const auto& [name, action] : actions_) {
            if (!action->isEnabled() || kAlwaysAvailable.contains(name)) continue;
            action->setEnabled(false);
            disabledWhileBusy_.push_back(action);
        }
    } else {
        for (QAction* action : disabledWhileBusy_) action->setEnabled(true);
        disabledWhileBusy_.clear();
        UpdateCommands();
    }
    model_->SetEditing(!busy && !selectCells_);
    memo_->setReadOnly(busy);
}

void TFLensdata::UpdateCaption() {
    setWindowTitle(Tr(mainTexts::CaptionPrefix) + QString::fromStdString(lens_.FileName()));
}

void TFLensdata::ShowFocalLength(bool on) {
    // A lens without a focal length says so in words; 0 would read as a number.
    if (on && !paraxial_.Traced())
        focalValue_->setText(Tr(mainTexts::FocalLengthNotComputed));
    else if (on && paraxial_.Afocal())
        focalValue_->setText(Tr(mainTexts::FocalLengthAfocal));
    else if (on && !paraxial_.ImageValid())
        focalValue_->setText(QString::fromStdString(FormatFocalLength(lens_.FocalLength())) + "  " +
                             Tr(mainTexts::NoRealImage));
    else if (on)
        focalValue_->setText(QString::fromStdString(FormatFocalLength(lens_.FocalLength())));
    focalTitle_->setVisible(on);
    focalValue_->setVisible(on);
}

void TFLensdata::ShowSaved(bool on) {
    savedLabel_->setVisible(on);
}

QTableView* TFLensdata::TableView() const {
    return table_;
}

void TFLensdata::MakeAvailable(const QString& actionName, bool available) {
    if (QAction* action = Action(actionName)) action->setEnabled(available);
}

void TFLensdata::MakeAnalysisCommand(const QString& actionName, std::function<void()> run) {
    QAction* action = Action(actionName);
    if (!action) return;
    connect(action, &QAction::triggered, this, std::move(run));
    analysisActions_.push_back(actionName);
    action->setEnabled(analysisEnabled_);
}

bool TFLensdata::FocalLengthShown() const {
    return !focalValue_->isHidden();
}
QString TFLensdata::FocalLengthText() const {
    return focalValue_->text();
}
bool TFLensdata::SavedShown() const {
    return !savedLabel_->isHidden();
}
QString TFLensdata::ValueText() const {
    return valueLabel_->text();
}

void TFLensdata::SetAnalysisEnabled(bool on) {
    analysisEnabled_ = on;
    for (const QString& name : analysisActions_) Action(name)->setEnabled(on);
}

void TFLensdata::UpdateFaceCommands() {
    const auto [column, row] = CurrentCell();
    (void)column;
    const bool objectRow = row <= 1 || (row == 2 && lens_.Text(col::GlassName, 1) != "Air");
    Action("actInsertFace")->setEnabled(!objectRow);
    Action("actDeleteFace")->setEnabled(!objectRow);
}

std::pair<int, int> TFLensdata::CurrentCell() const {
    const QModelIndex index = table_->currentIndex();
    if (!index.isValid()) return {-1, -1};
    return {index.column(), LensTableModel::TableRow(index)};
}

void TFLensdata::SetCurrentCell(int column, int tableRow) {
    const QModelIndex index = model_->IndexOf(column, tableRow);
    if (index.isValid()) table_->setCurrentIndex(index);
    OnCurrentChanged();
}

void TFLensdata::OnCurrentChanged() {
    const auto [column, row] = CurrentCell();
    valueLabel_->setText(column >= 0 ? QString::fromStdString(lens_.Text(column, row)) : QString());
    // The text a cell has when it is selected is what Undo gives back after it is edited.
    if (column >= 0) selectedCell_ = {column, row, lens_.Text(column, row)};
    if (pick_ == Pick::ShiftTiltLast && row >= 1) model_->SetHighlightRows(pendingGroup_.first + 1, row);
    UpdateFaceCommands();
}

void TFLensdata::OnCellEdited(int column, int row) {
    if (selectedCell_.column == column && selectedCell_.row == row)
        cellUndo_ = selectedCell_;
    else
        cellUndo_ = CellUndo{column, row, std::string()};
    selectedCell_.text = lens_.Text(column, row);
    UpdateUndo();
    lens_.MarkChanged();
    ShowFocalLength(false);
    ShowSaved(false);
    if (RowMakesALens(lens_, row)) SetAnalysisEnabled(true);
    valueLabel_->setText(QString::fromStdString(lens_.Text(column, row)));
}

void TFLensdata::OnMemoChanged() {
    if (memoUpdating_) return;
    lens_.SetMemo(memo_->toPlainText().toStdString());
    lens_.SetDataModified(true);
    ShowSaved(false);
}

// The table now holds another prescription (New, Open, start-up): the window follows it. Snapshots of
// the former table would write its texts into this one: they go.
void TFLensdata::AfterTableReplaced() {
    rowsUndo_.reset();
    blockUndo_.reset();
    cellUndo_.reset();
    fileUndo_ = false;
    if (pick_ != Pick::None) EndPick();
    ReloadTable();
    memoUpdating_ = true;
    memo_->setPlainText(QString::fromStdString(lens_.Memo()));
    memoUpdating_ = false;
    ApplyLayoutMetrics();
    ApplyWording();
    ShowFocalLength(false);
    ShowSaved(false);
    SetAnalysisEnabled(lens_.RowCount() >= 3);
    SetCurrentCell(lens_.Column(lens_.RowCount() >= 3 ? col::GlassName : col::EffectiveDiameter),
                   lens_.RowCount() >= 3 ? 2 : 1);
    UpdateCaption();
    UpdateCommands();
    for (const auto& hook : tableResetHooks_) hook();
}

// Shows the table text again after a command changed it, keeping the cursor where it was.
void TFLensdata::ReloadTable() {
    const auto [column, row] = CurrentCell();
    model_->Reload();
    if (column >= 0) SetCurrentCell(column, std::min(row, lens_.RowCount() - 1));
}

void TFLensdata::TableChanged() {
    ReloadTable();
    ShowFocalLength(false);
    ShowSaved(false);
    if (lens_.RowCount() >= 3) SetAnalysisEnabled(true);
    UpdateCommands();
}

int TFLensdata::FontHeight() const {
    return std::max(QFontMetrics(font()).height(), 1);
}

void TFLensdata::ResetTable() {
    lens_.ResetTable();
    AfterTableReplaced();
}

// ---------------------------------------------------------------------------------------------------
// Calculations

Readiness TFLensdata::PrepareForCalculation() {
    // While a calculation runs on the lens nothing may rebuild it: the state as it is.
    if (runner_->Busy())
        return !lens_.ArraysCurrent()   ? Readiness::Cancelled
               : paraxial_.ImageValid() ? Readiness::Ready
                                        : Readiness::NoImage;
    if (pick_ != Pick::None) EndPick();
    // Faces without a d-line index are deleted by the calculation: the lens before that is one Undo step.
    std::optional<Lens> before;
    if (!lens_.ArraysCurrent() && !lens_.FacesWithoutIndices().empty()) before = lens_;
    std::vector<int> dropped;
    const Readiness readiness = vitrimo::PrepareForCalculation(lens_, paraxial_, host_, &dropped);
    if (!dropped.empty() && before) {
        rowsUndo_ = std::move(before);
        rowsUndoRevision_ = lens_.Revision();
        std::string faces;
        for (int face : dropped) faces += (faces.empty() ? "" : ", ") + std::to_string(face);
        statusBar()->showMessage(Tr(mainTexts::FacesWithoutIndexDeleted(faces)));
        UpdateUndo();
    }
    ReloadTable();
    if (readiness != Readiness::Cancelled) ShowFocalLength(true);
    return readiness;
}

bool TFLensdata::CheckImage(Readiness readiness) {
    if (readiness == Readiness::NoImage) host_.Tell(MessageKind::Warning, mainTexts::NoFocus);
    return readiness == Readiness::Ready;
}

// ---------------------------------------------------------------------------------------------------
// File commands

void TFLensdata::WriteStartFile(const std::string& path) {
    if (const auto error = WriteFileAtomically(path, LensFileText(lens_)))
        host_.Tell(MessageKind::Error, mainTexts::CannotWrite(*error));
}

bool TFLensdata::WriteUserFile(const QString& path) {
    if (const auto error = WriteLensFile(lens_, path.toStdString())) {
        host_.Tell(MessageKind::Error, mainTexts::CannotWrite(*error));
        return false;
    }
    return true;
}

TFLensdata::SaveAnswer TFLensdata::AskSaveChanges() {
    if (!lens_.DataModified()) {
        WriteStartFile(workspace_.LastDataFile());
        return SaveAnswer::NotAsked;
    }
    const Button button = host_.Ask(MessageKind::Warning, mainTexts::LensDataChanged,
                                    ButtonYes | ButtonNo | ButtonCancel | ButtonHelp, 156);
    if (button != ButtonYes && button != ButtonNo) return SaveAnswer::Cancel;
    WriteStartFile(workspace_.LastDataFile());
    if (button == ButtonNo) return SaveAnswer::No;
    if (!FileSaveAs()) return SaveAnswer::Cancel;
    PrepareForCalculation();
    WriteStartFile(workspace_.LastDataFile());
    return SaveAnswer::Yes;
}

bool TFLensdata::DecenterResetQuestion() {
    const std::string_view shifts[] = {col::Dx, col::Dy, col::Dz, col::DTheta, col::DPhi};
    bool any = false;
    for (int row = 1; row < lens_.RowCount() && !any; ++row) {
        for (auto name : shifts) {
            const std::string& text = lens_.Text(name, row);
            const auto value = ParseNumber(text);
            if (!text.empty() && (!value || *value != 0)) any = true;
        }
    }
    if (!any) return true;
    const Button button = host_.Ask(MessageKind::Warning, mainTexts::DecenterReset,
                                    ButtonYes | ButtonNo | ButtonCancel | ButtonHelp, 157);
    if (button == ButtonYes) {
        for (int row = 1; row < lens_.RowCount(); ++row)
            for (auto name : shifts) lens_.SetText(name, row, "0");
        lens_.MarkChanged();
        lens_.ShiftTiltGroups().clear();
        ReloadTable();
        ShowFocalLength(false);
        return true;
    }
    return button == ButtonNo;
}

bool TFLensdata::FileSaveAs() {
    if (!DecenterResetQuestion()) return false;
    const QString path =
        host_.SaveFileName(mainTexts::SaveDialogTitle, QString::fromStdString(workspace_.dataDir),
                           {QString::fromUtf8(mainTexts::SaveFilter.data())}, saveDialogFileName_);
    if (path.isEmpty()) return false;
    if (!WriteUserFile(path)) return false;
    lens_.SetFileName(path.toStdString());
    saveDialogFileName_ = path;
    RememberFile(path);
    UpdateCaption();
    ShowSaved(true);
    return true;
}

void TFLensdata::FileSave() {
    if (!lens_.DataModified()) return;
    if (saveDialogFileName_.isEmpty() || saveDialogFileName_.toStdString() != lens_.FileName()) {
        FileSaveAs();
        return;
    }
    if (!DecenterResetQuestion()) return;
    if (WriteUserFile(saveDialogFileName_)) ShowSaved(true);
}

void TFLensdata::FileOpen() {
    if (AskSaveChanges() == SaveAnswer::Cancel) return;
    const QString path =
        host_.OpenFileName(mainTexts::OpenDialogTitle, QString::fromStdString(workspace_.dataDir),
                           {QString::fromUtf8(mainTexts::OpenFilter.data())});
    if (path.isEmpty()) return;
    ReadUserFile(path);
}

void TFLensdata::FileImport() {
    if (AskSaveChanges() == SaveAnswer::Cancel) return;
    const QString path =
        host_.OpenFileName(mainTexts::ImportDialogTitle, QString::fromStdString(workspace_.dataDir),
                           {QString::fromUtf8(mainTexts::ExchangeFilter.data())});
    if (path.isEmpty()) return;
    ImportUserFile(path);
}

bool TFLensdata::ImportUserFile(const QString& path) {
    auto catalogues = std::make_shared<GlassCatalogues>(workspace_, programDataDir_.toStdString());
    ZmxImport imported = ImportZmxFile(
        path.toStdString(), ChainGlassLookups({AddedGlassLookup(bench_.AddedGlass()), BuiltInGlassLookup(catalogues)}), &lens_);
    if (!imported.Ok()) {
        host_.Tell(MessageKind::Error, mainTexts::CannotRead(imported.error));
        return false;
    }
    if (!imported.unsupported.empty()) {
        std::string list;
        for (const std::string& item : imported.unsupported) list += item + "\r\n";
        if (host_.Ask(MessageKind::Warning, mainTexts::ImportUnsupported(list), ButtonYes | ButtonNo) !=
            ButtonYes)
            return false;
    }
    // The imported lens is a new, unsaved prescription.
    lens_ = std::move(imported.lens);
    lens_.SetFileName("");
    saveDialogFileName_.clear();
    lens_.MarkChanged();
    AfterTableReplaced();
    WriteStartFile(workspace_.SnapshotFile());
    ShowFocalLengthQuietly();
    workspace_.dataDir = QFileInfo(path).absolutePath().toStdString();
    return true;
}

void TFLensdata::FileExport() {
    QString suggested;
    if (!lens_.FileName().empty()) {
        const QFileInfo info(QString::fromStdString(lens_.FileName()));
        suggested = info.absolutePath() + "/" + info.completeBaseName() + ".zmx";
    }
    const QString path =
        host_.SaveFileName(mainTexts::ExportDialogTitle, QString::fromStdString(workspace_.dataDir),
                           {QString::fromUtf8(mainTexts::ExchangeFilter.data())}, suggested);
    if (path.isEmpty()) return;
    std::vector<std::string> notCarried;
    if (auto error = WriteZmxFile(lens_, path.toStdString(), &notCarried)) {
        host_.Tell(MessageKind::Error, mainTexts::CannotWrite(*error));
        return;
    }
    if (!notCarried.empty()) {
        std::string list;
        for (const std::string& item : notCarried) list += item + "\r\n";
        host_.Tell(MessageKind::Information, mainTexts::ExportNotCarried(list));
    }
}

void TFLensdata::OpenRecentFile(QString path) { // a copy: reading the file reorders the list
    if (AskSaveChanges() == SaveAnswer::Cancel) return;
    if (!ReadUserFile(path)) {
        // A file that cannot be read any more leaves the list.
        recentFiles_.erase(std::remove(recentFiles_.begin(), recentFiles_.end(), path), recentFiles_.end());
        UpdateRecentFiles(true);
    }
}

void TFLensdata::RememberFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recentFiles_.erase(std::remove(recentFiles_.begin(), recentFiles_.end(), absolute), recentFiles_.end());
    recentFiles_.insert(recentFiles_.begin(), absolute);
    if (static_cast<int>(recentFiles_.size()) > kRecentFiles) recentFiles_.resize(kRecentFiles);
    UpdateRecentFiles(true);
}

void TFLensdata::UpdateRecentFiles(bool save) {
    for (int k = 1; k <= kRecentFiles; ++k) {
        QAction* action = Action(QStringLiteral("actRecent%1").arg(k));
        const bool present = k <= static_cast<int>(recentFiles_.size());
        action->setVisible(present);
        if (!present) continue;
        action->setText(QStringLiteral("&%1 %2").arg(k).arg(QFileInfo(recentFiles_[k - 1]).fileName()));
        action->setToolTip(recentFiles_[k - 1]);
        action->setStatusTip(recentFiles_[k - 1]);
    }
    recentSeparator_->setVisible(!recentFiles_.empty());
    if (!save) return;
    // The list is kept in section "Main" as soon as it changes, keys "Recent1" ... "Recent8".
    IniFile ini = settings_.Load(host_);
    for (int k = 1; k <= kRecentFiles; ++k) {
        const std::string key = "Recent" + std::to_string(k);
        if (k <= static_cast<int>(recentFiles_.size()))
            ini.WriteString(kMain, key, recentFiles_[k - 1].toStdString());
        else
            ini.DeleteKey(kMain, key);
    }
    settings_.Save(ini, host_);
}

bool TFLensdata::ReadUserFile(const QString& path) { // never an element of recentFiles_
    // The file is read into a fresh table; only a complete read replaces the one on screen.
    const LensFileResult result = ReadLensFile(lens_, path.toStdString());
    if (!result.Ok()) {
        host_.Tell(MessageKind::Error, mainTexts::CannotRead(result.error));
        return false;
    }
    RememberFile(path);
    lens_.SetFileName(path.toStdString());
    lens_.SetDataModified(false);
    lens_.MarkArraysStale();
    AfterTableReplaced();
    WriteStartFile(workspace_.SnapshotFile());
    ShowFocalLengthQuietly();
    saveDialogFileName_ = path;
    workspace_.dataDir = QFileInfo(path).absolutePath().toStdString();
    if (!result.unknownColumns.empty()) {
        std::string titles;
        for (const auto& title : result.unknownColumns) titles += (titles.empty() ? "" : ", ") + title;
        host_.Tell(MessageKind::Information, mainTexts::UnknownColumns(titles));
    }
    TellAboutCellsRead(result);
    return true;
}

void TFLensdata::TellAboutCellsRead(const LensFileResult& result) {
    if (!result.shortRows.empty()) {
        std::string rows;
        for (int row : result.shortRows) rows += (rows.empty() ? "" : ", ") + std::to_string(row - 1);
        host_.Tell(MessageKind::Information, mainTexts::ShortRowsRead(rows));
    }
    TellAboutNonNumericCells(result.nonNumericCells);
}

void TFLensdata::TellAboutNonNumericCells(const std::vector<NonNumericCell>& cells) {
    if (cells.empty()) return;
    // The first ones, by face and column, so that the user can find and mend them.
    std::string list;
    constexpr std::size_t kListed = 12;
    for (std::size_t k = 0; k < cells.size() && k < kListed; ++k)
        list += "No." + std::to_string(cells[k].row - 1) + " " + cells[k].column + ": \"" + cells[k].text +
                "\"\r\n";
    if (cells.size() > kListed) list += "... (" + std::to_string(cells.size()) + ")";
    host_.Tell(MessageKind::Warning, mainTexts::NonNumericCellsRead(list));
}

void TFLensdata::FileNew() {
    if (AskSaveChanges() == SaveAnswer::Cancel) return;
    lens_.SetFileName("");
    saveDialogFileName_.clear();
    ResetTable();
    paraxial_ = ParaxialTrace{};
}

// ---------------------------------------------------------------------------------------------------
// View, Help

void TFLensdata::SetRadiusDisplay(bool on) {
    if (Action("actRadius")->isChecked() != on) {
        Action("actRadius")->setChecked(on); // comes back here through the toggled signal
        return;
    }
    lens_.SetRadiusMode(on);
    Action("actRadius")->setText(Tr(on ? mainTexts::MenuRadiusToDiameter : mainTexts::MenuDiameterToRadius));
    ReloadTable();
    OnCurrentChanged();
}

void TFLensdata::SetMemoVisible(bool on) {
    if (Action("actMemo")->isChecked() != on) {
        Action("actMemo")->setChecked(on);
        return;
    }
    memo_->setVisible(on);
}

void TFLensdata::Hint1Click() {
    model_->SetHints(Action("actShowHint")->isChecked());
}

void TFLensdata::ChooseFont() {
    const auto chosen = host_.ChooseFont(font());
    if (!chosen) return;
    setFont(*chosen);
    ApplyLayoutMetrics();
}

// ---------------------------------------------------------------------------------------------------
// Faces

void TFLensdata::AddFace() {
    lens_.AddFace();
    ReloadTable();
    SetCurrentCell(lens_.Column(col::GlassName), lens_.RowCount() - 1);
    ShowFocalLength(false);
    ShowSaved(false);
}

void TFLensdata::InsertFace() {
    const auto [column, row] = CurrentCell();
    if (row < 2 || (row == 2 && lens_.Text(col::GlassName, 1) != "Air")) return;
    lens_.InsertFace(row);
    ReloadTable();
    SetCurrentCell(column, row);
    ShowFocalLength(false);
    ShowSaved(false);
}

void TFLensdata::DeleteFace() {
    const auto [column, row] = CurrentCell();
    if (row < 2 || (row == 2 && lens_.Text(col::GlassName, 1) != "Air")) return;
    if (host_.Ask(MessageKind::Warning, mainTexts::DeleteOk, ButtonOk | ButtonCancel) != ButtonOk) return;
    lens_.DeleteFace(row);
    ReloadTable();
    SetCurrentCell(column, std::min(row, lens_.RowCount() - 1));
    ShowFocalLength(false);
    ShowSaved(false);
    if (lens_.RowCount() < 3) SetAnalysisEnabled(false);
}

} // namespace vitrimo
