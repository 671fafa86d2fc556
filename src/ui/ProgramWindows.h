// The program's windows besides the main window: created once, hidden, when the program starts, and
// wired into the main window's menus, toolbar and double-clicks. Each holds a reference to the main
// window for the one lens and the services it offers.
#pragma once

#include "evaluation/SweepTable.h"

#include <memory>
#include <optional>
#include <vector>

namespace vitrimo {

class TCorrFactor;
class TF3rdAber;
class TFBending;
class TFCrossSection;
class TFGlasdata;
class TFGlsSelect;
class TFLensdata;
class TFMTF;
class TFSGList;
class TFSphAber;
class TFValClc;
class TFWaveLgthSlct;
class TPreviewDlg;
class ReportWindow;

class ProgramWindows {
public:
    explicit ProgramWindows(TFLensdata& main);
    ~ProgramWindows();

    TFGlasdata& GlassData() { return *glassData_; }
    TFGlsSelect& GlassChooser() { return *glassChooser_; }
    TF3rdAber& ThirdOrder() { return *thirdOrder_; }
    TFWaveLgthSlct& Wavelengths() { return *wavelengths_; }
    TFSGList& AngleTable() { return *angleTable_; }
    TFSphAber& AberrationFigure() { return *aberration_; }
    // The one print preview; the printable windows' print commands open it.
    TPreviewDlg& Preview() { return *preview_; }
    TFMTF& Mtf() { return *mtf_; }
    TFCrossSection& CrossSection() { return *crossSection_; }
    TCorrFactor& Conditions() { return *conditions_; }
    TFValClc& Progress() { return *progress_; }
    TFBending& Bending() { return *bending_; }
    // File > Report...: the prescription report.
    ReportWindow& Report() { return *report_; }

    // Tool > "&MTF - Angle" before its window calculates: asks the highest spatial frequency (the MTF
    // window's last one the default), then the field angles in the angle table dialog, into the MTF
    // window's angle table. nullopt when cancelled, without a real image, or for a frequency that is not a
    // positive number (the host says why).
    struct MtfRequest {
        double maxFrequency = 0;    // lines per mm
        std::vector<double> angles; // degrees
    };
    std::optional<MtfRequest> MtfAnglePrompts();
    // The MTF sweep's angle table (generated angles): the MTF window's, kept between requests.
    SweepTable& MtfAngles();

private:
    TFLensdata& main_;
    // Owned by the main window as Qt children; these point at them.
    TFGlasdata* glassData_;
    TFGlsSelect* glassChooser_;
    TF3rdAber* thirdOrder_;
    TFWaveLgthSlct* wavelengths_;
    TFSGList* angleTable_;
    TFMTF* mtf_;
    TFSphAber* aberration_;
    TFCrossSection* crossSection_;
    TPreviewDlg* preview_;
    TCorrFactor* conditions_;
    TFValClc* progress_;
    TFBending* bending_;
    ReportWindow* report_;
};

} // namespace vitrimo
