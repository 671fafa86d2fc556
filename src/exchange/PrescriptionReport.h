// The prescription report: what a designer hands on with a lens -- its faces, glasses, first-order data
// and third-order sums -- as a self-contained HTML page or as plain text with aligned columns.
//
// BuildPrescriptionReport gathers the data once from the lens and the program's workbench: the focal
// length, back focal distance and entrance pupil are those of the paraxial trace, the entrance pupil
// diameter that of the ray tracer (real rays aimed at the rim of the stop), the third-order sums those of
// the third-order table. The renderers only lay the data out.
//
// A value the lens does not have is never an empty cell nor a number standing in for it: it is written
// "none" with the reason ("none (afocal)"). Lengths are in mm, angles in degrees, wavelengths in nm.
#pragma once

#include "engine/Calculation.h"
#include "engine/Workbench.h"
#include "model/Host.h"

#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

// One number of the report, or why there is none.
struct ReportQuantity {
    std::string label;
    std::optional<double> value;
    std::string unit;    // "mm", "%", "" for a pure number
    int decimals = 4;    // fixed notation; -1 for the focal length's shortest form
    std::string missing; // the reason when there is no value: "afocal", "no stop"
    std::string note;    // how the value was found, where that matters ("EFL / entrance pupil diameter")
    std::string word;    // written instead of a number when set ("infinity")
};

// The value as the report writes it: the number with its unit, or "none (reason)".
std::string QuantityText(const ReportQuantity& quantity);

// One face row, as the table holds it.
struct ReportSurface {
    int face = 0;
    std::string radius;        // 4 decimals; "plane" for 0; an ideal lens's focal length
    std::string distance;      // 4 decimals; for the last face the distance to the image plane
    std::string glass;         // the "GlassName" cell
    std::string nd;            // the index as the table holds it, or "none (...)"
    std::string abbe;          // vd with 2 decimals, or "none (...)", "" for air
    std::string clearDiameter; // the effective diameter (a diameter also when the table shows radii)
    std::string notes;         // "stop", "mirror", "conic k=-1", "asphere", "ideal lens", "decentred/tilted"
};

// One glass of the lens: each name once, in the order the faces name it.
struct ReportGlass {
    std::string name;
    std::string maker; // from "Remarks" when it names a maker; "" when unknown
    std::string nd;    // 5 decimals, or "none (...)"
    std::string abbe;  // vd = (nd - 1) / (nF - nC), 2 decimals, or "none (...)"
    std::string faces; // the faces that name it: "1, 3"
};

struct ReportWavelength {
    std::string name; // line letter or title of an added wavelength
    double nanometres = 0;
    bool reference = false;
};

struct PrescriptionReport {
    std::string title;                         // the file name without its folder, or "Untitled lens"
    std::string memo;                          // the memo as typed
    std::vector<ReportWavelength> wavelengths; // the calculated ones and the reference
    bool objectAtInfinity = true;
    std::vector<ReportSurface> surfaces;
    std::vector<ReportGlass> glasses;
    std::vector<ReportQuantity> firstOrder;
    std::string firstOrderRemark; // why the first-order data is missing, when it is
    // The sums of the third-order table, with its column names (SA, CM, AS, DS, PT, L, T).
    std::vector<ReportQuantity> thirdOrder;
    std::string thirdOrderRemark;
};

// Gathers the report. `readiness` is what preparing the workbench gave (Workbench::Prepare or the main
// window's PrepareForCalculation); with Cancelled the arrays are stale and only the table's text is
// reported. The tracer is bound to the lens (which finds the entrance pupil) and traces the chief ray of
// the largest field angle of `fieldAngles` (degrees); its rays and context are put back as they were.
PrescriptionReport BuildPrescriptionReport(Workbench& bench, Readiness readiness,
                                           const std::vector<double>& fieldAngles, Host& host);

// A whole HTML page (UTF-8, inline style, no external files); user texts are escaped.
std::string ReportHtml(const PrescriptionReport& report);
// Plain text: the same sections, tables in aligned columns, '\n' line ends.
std::string ReportText(const PrescriptionReport& report);

// &, <, >, " and ' written as character references.
std::string EscapeHtml(std::string_view text);

} // namespace vitrimo
