// The program's windows besides the main window: created once, hidden, when the program starts, and
// wired into the main window's menus, toolbar and double-clicks. Each holds a reference to the main
// window for the one lens and the services it offers.
#pragma once

#include <memory>

namespace vitrimo {

class TF3rdAber;
class TFGlasdata;
class TFGlsSelect;
class TFLensdata;
class TFSGList;
class TFSphAber;
class TFWaveLgthSlct;

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

private:
    TFLensdata& main_;
    // Owned by the main window as Qt children; these point at them.
    TFGlasdata* glassData_;
    TFGlsSelect* glassChooser_;
    TF3rdAber* thirdOrder_;
    TFWaveLgthSlct* wavelengths_;
    TFSGList* angleTable_;
    TFSphAber* aberration_;
};

} // namespace vitrimo
