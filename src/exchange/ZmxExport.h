// Export of the prescription as a lens file of the widespread commercial design programs (.zmx).
//
// Written as 8-bit text (ASCII apart from glass names and the memo's first line), CR LF line ends, in
// millimetres, sequential mode. The object row becomes SURF 0 (DISZ INFINITY for an object at infinity;
// the distance of a plain air plane right after an "Object" row otherwise), every face a STANDARD or
// EVENASPH surface (k as CONI, A4 ... A14 as the terms in r^4 ... r^14), and the image SURF last (curved
// when a "Focal Plane" row has a radius). A face's decenter and tilt ("Y" + "dy", "Z" + "dz", "Theta" +
// "dTheta" about "Phi" + "dPhi") become one coordinate break before it, its axial shift "dx" goes into
// the thickness before it, and a tilted mirror gets a second coordinate break after it for the turn of
// the reflected light. Mirrors are GLAS MIRROR; a glass is written by its name with its model fields nd
// and vd (taken from the row's indices, or from a model glass's "Remarks"), so a program without that
// glass in its catalogues still has its indices near enough. The calculated wavelengths that are lines of
// the table go to WAVM, the reference wavelength to PWAV, the object row's effective diameter to ENPD.
//
// Importing the exported file gives back the same prescription (radii to 15 significant digits). What a
// .zmx file cannot carry -- an ideal lens, a screen, a central obscuration ("HideDiam."), an outer
// diameter other than the effective one -- is listed in `notCarried`; the file is written without it.
#pragma once

#include "model/Lens.h"

#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

struct ZmxExport {
    std::string text;                    // the file's content
    std::vector<std::string> notCarried; // what the file leaves out, one entry per item
};

// The file text of the lens as it stands (its table text; the arrays need not be current).
ZmxExport ExportZmxText(const Lens& lens);

// Writes the file atomically; returns an error message or nullopt. `notCarried` receives the list.
std::optional<std::string> WriteZmxFile(const Lens& lens, const std::string& path,
                                        std::vector<std::string>* notCarried = nullptr);

} // namespace vitrimo
