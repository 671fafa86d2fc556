// The cross-section window: the meridional section of the lens to scale, with fans of real rays for each
// field angle of its own angle table, coloured by angle or by wavelength.
//
// The rays are traced through the program's one ray tracer (the workbench's) on the calculation runner's
// thread; the tracer's bundle and context are as they were once the drawing is done. The window keeps the
// last drawing (a CrossSectionResult) and paints it with the figure painter, fitted to the window or
// enlarged into a rectangle dragged over it. Paint() draws the same figure into any rectangle of any
// canvas, for the print preview.
// Settings: section "CrossSection", and the angle table dialog's placement in "CrossSectionAngleTable".
#pragma once

#include "design/CrossSection.h"
#include "evaluation/SweepTable.h"
#include "figures/CrossSectionPainter.h"
#include "model/IniFile.h"
#include "ui/TPVForm.h"

#include <QMainWindow>
#include <QRect>
#include <functional>
#include <map>
#include <optional>

class QAction;
class QLabel;
class QToolBar;

namespace vitrimo {

class TFLensdata;
class TFSGList;
class TFWaveLgthSlct;
class CrossSectionFigureView;

class TFCrossSection : public QMainWindow, public TPVForm {
    Q_OBJECT
public:
    static constexpr const char* kSection = "CrossSection";
    static constexpr const char* kAngleTableSection = "CrossSectionAngleTable";
    static constexpr int kDefaultRayCount = 7;
    static constexpr int kMaxRayCount = 100;
    static constexpr int kMaxPenWidth = 5;

    TFCrossSection(TFLensdata& main, TFSGList& tables, TFWaveLgthSlct& wavelengths);
    ~TFCrossSection() override;

    // The main window's "&Cross Section" once it has prepared the lens (with a real image, or with the
    // nominal image size the user typed): shows the window with the fitted view and draws.
    void ShowWindow();
    // Traces the rays again with the window's settings (the lens brought up to date first) and draws.
    void Calculate();

    // ---- The window's commands ----
    void EditAngleTable();  // "Angle Table"
    void AskRayCount();     // "the No. of Ray"
    void Clear();           // "Clear": one angle (0) and 7 rays
    void ArmZoom();         // "Enlarge": the next rectangle dragged over the figure is shown enlarged
    void ShowWhole();       // "whole": the fitted view
    void ToggleAllRays();   // "All ray" / "Real ray"
    void AskDisplayShift(); // "defocus": where the rays end, mm from the image plane
    void ToggleMultiColour();
    void AskPenWidth();
    void SaveIniFile(); // "Save &Inifile": this window's sections written now
    void StopCalculation();
    // The rectangle dragged over the figure (figure widget coordinates, corners in any order) becomes the
    // view; one scale for both axes.
    void ZoomTo(const QRectF& rectangle);

    // Draws the figure, as the window shows it, into `area` of any canvas (screen, picture, printer).
    void Paint(QPainter& painter, const QRectF& area) const;
    void DrawForPrint(QPainter& painter, const QRectF& area) override { Paint(painter, area); }
    // The print preview, when the program offers one: Figure > "PreView" and the "Preview" button call it
    // with this window; they are disabled while it is empty.
    void SetPreview(std::function<void(TFCrossSection&)> preview);

    // ---- Settings ----
    void ReadSettings(const IniFile& ini);
    void WriteSettings(IniFile& ini) const;
    void ReloadSettings();
    // The main window reset the table (New, Open): an open window draws the new lens, fitted again, or
    // closes when the table has no faces.
    void TableWasReset();

    // ---- State, for tests and the other windows ----
    bool HasResult() const { return hasResult_; }
    const CrossSectionResult& Result() const { return plot_.result; }
    const CrossSectionPlot& Plot() const { return plot_; }
    // The settings the next drawing uses.
    CrossSectionSettings Settings() const;
    SweepTable& AngleTable() { return angleTable_; }
    int RayCount() const { return rayCount_; }
    int PenWidth() const { return penWidth_; }
    bool AllRays() const { return allRays_; }
    bool MultiColour() const { return multiColour_; }
    double DisplayShift() const { return displayShift_; }
    bool ZoomArmed() const { return zoomArmed_; }
    std::optional<CrossSectionView> ZoomedView() const { return plot_.view; }
    std::optional<QRect> AngleTablePlacement() const { return angleTablePlacement_; }
    QString Hint() const { return hint_; }
    QWidget* FigureWidget() const;
    QAction* Action(const QString& name) const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void ApplyWording();
    void UpdateCommands();
    void SetBusy(bool busy);
    void ShowResult(CrossSectionResult result);
    // The drawing is stale after a change of the lens: trace again when the window is seen.
    bool Stale() const;
    QAction* MakeAction(const QString& name);

    TFLensdata& main_;
    TFSGList& tables_;
    TFWaveLgthSlct& wavelengths_;

    CrossSectionFigureView* figure_ = nullptr;
    QToolBar* buttons_ = nullptr;
    QLabel* status_ = nullptr;
    std::map<QString, QAction*> actions_;
    std::function<void(TFCrossSection&)> preview_;

    SweepTable angleTable_{SweepTableKind::ColouredAngles};
    int rayCount_ = kDefaultRayCount;
    int penWidth_ = 1;
    bool allRays_ = false;
    bool multiColour_ = false;
    double displayShift_ = 0;
    bool zoomArmed_ = false;
    bool clearEnabled_ = false;
    std::optional<QRect> angleTablePlacement_;

    CrossSectionPlot plot_;
    bool hasResult_ = false;
    unsigned long drawnRevision_ = 0;   // the lens revision the drawing shows
    unsigned long nominalRevision_ = 0; // the revision a lens without an image was given a nominal size at
    bool nominalImage_ = false;
    bool busy_ = false;
    bool calculating_ = false;
    bool pending_ = false;
    bool again_ = false; // a drawing was asked for while the runner was busy
    QString hint_;
};

} // namespace vitrimo
