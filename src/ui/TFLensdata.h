// The main window: the lens table, its menus and toolbar, the focal length, the memo, and the file
// commands. It owns the program's one Lens and the paraxial engine object; every other window works on
// these through it.
#pragma once

#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "engine/Workbench.h"
#include "exchange/GlassLookup.h"
#include "model/ClipboardBlock.h"
#include "model/FaceCommands.h"
#include "model/IniFile.h"
#include "model/Lens.h"
#include "model/LensFile.h"
#include "model/Workspace.h"
#include "ui/SettingsFile.h"
#include "ui/UiHost.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QTableView;
class QToolBar;

namespace vitrimo {

class CalculationRunner;
class LensTableModel;
class LensTableView;

struct MainWindowSetup {
    Workspace workspace;          // the start folder (last-data file, Undo snapshot) and the lens folder
    QString settingsPath;         // the settings file beside the program
    QString fallbackSettingsPath; // where settings go when that place cannot be written
    QString programDataDir;       // the program's own files: catalogues, RGBtable.txt, help
};

class TFLensdata : public QMainWindow {
    Q_OBJECT
public:
    // What AskSaveChanges found: no question (the data was unchanged), or the button pressed.
    enum class SaveAnswer { NotAsked, Yes, No, Cancel };

    // `bench` holds the lens, its paraxial data and the ray tracer for the program's life; it outlives the
    // window.
    TFLensdata(Workbench& bench, UiHost& host, MainWindowSetup setup, QWidget* parent = nullptr);
    ~TFLensdata() override;

    Workbench& Bench() { return bench_; }
    Lens& LensData() { return lens_; }
    ParaxialTrace& Paraxial() { return paraxial_; }
    // The program's calculations off the window thread; while one runs, the windows change nothing.
    CalculationRunner& Runner() { return *runner_; }
    const Workspace& Directories() const { return workspace_; }
    UiHost& HostOf() { return host_; }

    // ---- File commands ----
    void FileNew();
    void FileOpen();
    // Opens one of the files of the File menu's list of recent files.
    void OpenRecentFile(QString path);
    const std::vector<QString>& RecentFiles() const { return recentFiles_; }
    static constexpr int kRecentFiles = 8;
    void FileSave();
    bool FileSaveAs(); // false when cancelled or not written
    SaveAnswer AskSaveChanges();
    // File > Import: a lens file of another design program (.zmx) becomes the lens, as an unsaved new
    // one; what the table cannot express is listed first and the user decides. File > Export writes the
    // lens as such a file.
    void FileImport();
    bool ImportUserFile(const QString& path);
    void FileExport();
    // File > Save Inifile: section "Main", keys equal to their defaults deleted.
    void Inifile1Click();
    // Asks for the number of threads the calculations use (1 ... kMaxThreads) and gives it to the
    // workbench at once; Save Inifile keeps it.
    void ChooseThreads();

    // ---- View and Help ----
    void SetRadiusDisplay(bool on);
    void SetMemoVisible(bool on);
    void Hint1Click();
    void ChooseFont();

    // ---- Face commands ----
    void AddFace();
    void InsertFace();
    void DeleteFace();
    // Data > Glass > Air, Mirror, Stop Plane, Focal Plane, Screen on the current row.
    void SpecialFaceCommand(SpecialFace kind);
    // The light-source dialog: object at infinity or at a limited distance.
    void LightSourceCommand();
    // Data > Re-enter and The same curvature: wait for the face to copy from.
    void ReenterCommand(bool sameCurvature);
    // Data > Shift, Tilt: wait for the first and last face of a group, then ask its values.
    void ShiftTiltCommand();
    // A double-click (or Enter) on a cell: completes a pick, or acts by the cell's column.
    void CellDoubleClicked(int column, int tableRow);

    // Opens the glass chooser for a row (set by the program once the chooser exists).
    std::function<void(int tableRow)> glassChooser;

    // ---- Wiring of the other windows ----
    // Enables or disables a command whose window exists.
    void MakeAvailable(const QString& actionName, bool available);
    // A command of an analysis window: triggering it runs `run`; it follows the analysis enabling rule.
    void MakeAnalysisCommand(const QString& actionName, std::function<void()> run);
    // Called after every table reset (New, Open, start-up, the last Undo level).
    void AddTableResetHook(std::function<void()> hook) { tableResetHooks_.push_back(std::move(hook)); }
    // Called by Save Inifile after section "Main": each window writes its own section.
    void AddSettingsWriter(std::function<void(IniFile&)> writer) {
        settingsWriters_.push_back(std::move(writer));
    }

    // ---- Edit ----
    // "Select Cells" (ranges for the clipboard, no editing) or "Edit Cell".
    void SetSelectMode(bool selectCells);
    void CopyCommand();
    void CutCommand();
    void PasteCommand();
    void UndoCommand();

    // ---- Tool ----
    // Rescales the lens to a focal length typed by the user.
    void FocalLengthCommand();
    // Data > Insert New Wavelength: asks for wavelengths and computes their indices from the catalogues.
    void InsertWavelengthCommand();
    // The prompts of Cross Section and MTF - Angle; true when their window would now open.
    bool CrossSectionCommand();

    // The pick the window waits for, shown as its hint.
    enum class Pick { None, ShiftTiltFirst, ShiftTiltLast, Reenter, SameCurvature, SameDistance };
    Pick PendingPick() const { return pick_; }
    QString PickHint() const;
    // Free radii and distances for the optimizer (empty rFix / lFix cells).
    int FreeVariableCount() const;

    // Every calculating command starts here: arrays and paraxial data brought up to date (asking for
    // missing values), the focal length shown. Shows nothing about a missing image; the caller does.
    Readiness PrepareForCalculation();
    // "No fucus point exist!" when there is no real image; true when the command may go on.
    bool CheckImage(Readiness readiness);

    // The table reset of New, Open and Undo, with the window's part of it.
    void ResetTable();

    // ---- For the other windows ----
    // A command of another window changed the table text: show it, hide the focal length and "Saved",
    // and apply the enabling rules. (The command itself calls Lens::MarkChanged.)
    void TableChanged();
    // A command of another window changes the table as one Undo step: the table as it stands goes to the
    // snapshot that Undo restores, then `change` runs; the lens is marked changed.
    void ChangeAsOneUndoStep(const std::function<void(Lens&)>& change);
    SettingsFile& Settings() { return settings_; }
    const QString& ProgramDataDir() const { return programDataDir_; }
    // The pixel height of the window's font: other windows size their grids from it.
    int FontHeight() const;

    // ---- For tests and the other windows ----
    QAction* Action(const QString& name) const;
    QTableView* TableView() const;
    LensTableModel* TableModel() const { return model_; }
    QString ValueText() const;
    bool FocalLengthShown() const;
    QString FocalLengthText() const;
    bool SavedShown() const;
    bool AnalysisEnabled() const { return analysisEnabled_; }
    QPlainTextEdit* MemoBox() const { return memo_; }
    // The cell the table cursor is on, as (column, table row).
    std::pair<int, int> CurrentCell() const;
    void SetCurrentCell(int column, int tableRow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();

    QAction* MakeAction(const QString& name, const Wording& text, const Wording* hint = nullptr);
    void BuildMenusAndToolbar();
    QMenu* AddMenu(QMenu* parent, const Wording& text); // a menu of the menu bar, or a submenu
    void BuildFileMenu();
    void BuildEditMenu();
    void BuildViewMenu();
    void BuildDataMenu();
    void BuildToolMenu();
    void BuildHelpMenu();
    void BuildToolbar();
    void ConnectCommands();
    void ApplyWording();
    void ApplyLayoutMetrics();
    void ReadSettings();
    void ApplyScreenLimits();

    // A calculation started or ended: every command that could change the lens or start another
    // calculation is disabled while it runs, and the table cannot be edited.
    void CalculationBusy(bool busy);
    void UpdateCaption();
    void UpdateFaceCommands();
    void SetAnalysisEnabled(bool on);
    void ShowFocalLength(bool on);
    void ShowSaved(bool on);
    void OnCellEdited(int column, int row);
    void OnCurrentChanged();
    void OnMemoChanged();
    void UpdateUndo();
    bool RowsUndoValid() const { return rowsUndo_ && lens_.Revision() == rowsUndoRevision_; }
    void UpdateCommands();
    void EndPick();
    void ShowPickHint(const Wording& hint);
    void CompletePick(int tableRow);
    void AskShiftTiltValues(int group, bool newGroup);
    // The rectangle of selected cells (the current cell in Edit Cell mode), as (left, top, right, bottom).
    std::array<int, 4> SelectedBlock() const;
    void AfterTableReplaced();
    void ReloadTable();

    bool DecenterResetQuestion(); // false when cancelled
    bool WriteUserFile(const QString& path);
    bool ReadUserFile(const QString& path); // false when the file could not be read
    // What a file or a paste brought that the user should know: rows cut short, cells that are not numbers.
    void TellAboutCellsRead(const LensFileResult& result);
    void TellAboutNonNumericCells(const std::vector<NonNumericCell>& cells);
    void RememberFile(const QString& path);
    void UpdateRecentFiles(bool save);
    void WriteStartFile(const std::string& path);
    void LoadLastData();
    void ShowFocalLengthQuietly();

    Workbench& bench_;
    UiHost& host_;
    Workspace workspace_;
    SettingsFile settings_;
    QString programDataDir_;
    Lens& lens_;
    ParaxialTrace& paraxial_;
    CalculationRunner* runner_ = nullptr;

    LensTableModel* model_ = nullptr;
    LensTableView* table_ = nullptr;
    QLabel* valueLabel_ = nullptr;
    QLabel* focalTitle_ = nullptr;
    QLabel* focalValue_ = nullptr;
    QLabel* savedLabel_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    std::map<QString, QAction*> actions_;
    std::vector<std::pair<QAction*, const Wording*>> actionTexts_;
    std::vector<std::pair<QAction*, const Wording*>> actionHints_;
    std::vector<std::pair<QMenu*, const Wording*>> menuTexts_;

    QString saveDialogFileName_;
    std::vector<QString> recentFiles_; // absolute paths, newest first
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> disabledWhileBusy_; // the commands CalculationBusy disabled

    // Undo: the texts a Cut or Paste overwrote (as a clipboard block anchored at a cell), the text a cell had
    // before it was edited, and the snapshot file after a rescaling.
    struct BlockUndo {
        std::string text;
        int column = 0, row = 0;
    };
    struct CellUndo {
        int column = 0, row = 0;
        std::string text;
    };
    // The lens as it was before the calculation deleted its faces without indices, valid while nothing
    // changed since (the lens's revision is still the one after the deletion).
    std::optional<Lens> rowsUndo_;
    unsigned long rowsUndoRevision_ = 0;
    std::optional<BlockUndo> blockUndo_;
    std::optional<CellUndo> cellUndo_;
    CellUndo selectedCell_; // the current cell and its text when it was selected
    bool fileUndo_ = false;

    Pick pick_ = Pick::None;
    int pickRow_ = 0; // the row T of a re-enter, same-curvature or same-distance pick
    ShiftTiltGroup pendingGroup_;
    QString pickHint_;
    bool selectCells_ = false;
    // The analysis commands that exist; they follow the enabling rule of the table.
    QStringList analysisActions_{"actFocalLength"};
    std::vector<std::function<void()>> tableResetHooks_;
    std::vector<std::function<void(IniFile&)>> settingsWriters_;
    bool firstShow_ = true;
    bool newDataAtShow_ = false;
    bool analysisEnabled_ = false;
    bool memoUpdating_ = false;
};

} // namespace vitrimo
