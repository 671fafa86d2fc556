// The main window: the lens table, its menus and toolbar, the focal length, the memo, and the file
// commands. It owns the program's one Lens and the paraxial engine object; every other window works on
// these through it.
#pragma once

#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "model/Lens.h"
#include "model/Workspace.h"
#include "ui/SettingsFile.h"
#include "ui/UiHost.h"

#include <QMainWindow>
#include <map>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QTableView;
class QToolBar;

namespace vitrimo {

class LensTableModel;

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

    TFLensdata(UiHost& host, MainWindowSetup setup, QWidget* parent = nullptr);
    ~TFLensdata() override;

    Lens& LensData() { return lens_; }
    ParaxialTrace& Paraxial() { return paraxial_; }
    const Workspace& Directories() const { return workspace_; }
    UiHost& HostOf() { return host_; }

    // ---- File commands ----
    void FileNew();
    void FileOpen();
    void FileSave();
    bool FileSaveAs(); // false when cancelled or not written
    SaveAnswer AskSaveChanges();
    // File > Save Inifile: section "Main", keys equal to their defaults deleted.
    void Inifile1Click();

    // ---- View and Help ----
    void SetRadiusDisplay(bool on);
    void SetMemoVisible(bool on);
    void Hint1Click();
    void ChooseFont();

    // ---- Face commands ----
    void AddFace();
    void InsertFace();
    void DeleteFace();

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
    SettingsFile& Settings() { return settings_; }
    const QString& ProgramDataDir() const { return programDataDir_; }
    // The pixel height of the window's font: other windows size their grids from it.
    int FontHeight() const;

    // ---- For tests and the other windows ----
    QAction* Action(const QString& name) const;
    QTableView* TableView() const { return table_; }
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
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();

    QAction* MakeAction(const QString& name, const Wording& text, const Wording* hint = nullptr);
    void BuildMenusAndToolbar();
    void ApplyWording();
    void ApplyLayoutMetrics();
    void ReadSettings();
    void ApplyScreenLimits();

    void UpdateCaption();
    void UpdateFaceCommands();
    void SetAnalysisEnabled(bool on);
    void ShowFocalLength(bool on);
    void ShowSaved(bool on);
    void OnCellEdited(int column, int row);
    void OnCurrentChanged();
    void OnMemoChanged();
    void AfterTableReplaced();
    void ReloadTable();

    bool DecenterResetQuestion(); // false when cancelled
    bool WriteUserFile(const QString& path);
    void WriteStartFile(const std::string& path);
    void LoadLastData();
    void ShowFocalLengthQuietly();

    UiHost& host_;
    Workspace workspace_;
    SettingsFile settings_;
    QString programDataDir_;
    Lens lens_;
    ParaxialTrace paraxial_;

    LensTableModel* model_ = nullptr;
    QTableView* table_ = nullptr;
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
    bool firstShow_ = true;
    bool newDataAtShow_ = false;
    bool analysisEnabled_ = false;
    bool memoUpdating_ = false;
};

} // namespace vitrimo
