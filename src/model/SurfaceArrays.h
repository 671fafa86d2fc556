// The numeric prescription, derived from the table text by Lens::BuildSurfaceArrays.
//
// Index i is the table row less one: i = 0 is the object row, 1 ... n the faces. Lengths in mm, angles
// in degrees. Distances and indices carry the running mirror sign: after an odd number of mirrors they
// are negative (light travels in -x), although the table always shows them positive.
#pragma once

#include <array>
#include <vector>

namespace vitrimo {

enum class SurfaceType : char {
    Plain = ' ',
    FocalPlane = 'F', // "Remarks" names a focal plane: the image surface, not counted as a face
    Stop = 'I',       // "Remarks" names the aperture stop
    IdealLens = 'N',  // a perfect thin lens; its "r" cell holds its focal length
    Screen = 'S',     // a transmission screen
};

struct Surface {
    double curvature = 0;   // 1/r, 0 for a plane; for an ideal lens 1/(its focal length)
    double distance = 0;    // to the next face, times the mirror sign after this face
    double maxDistance = 0; // bounds of the distance during optimisation, unsigned
    double minDistance = 0;
    double effectiveDiameter = 0; // clear aperture; always a diameter, whatever the table shows
    double outerDiameter = 0;     // mechanical diameter; the effective one when the cell is 0
    double hideDiameter = 0;      // central obscuration; rays inside half of it are blocked
    double decenterY = 0;         // "Y", "Z": the user's decenter
    double decenterZ = 0;
    double shiftX = 0; // "dx", "dy", "dz": written by the Shift, Tilt command
    double shiftY = 0;
    double shiftZ = 0;
    double tilt = 0; // "Theta" and "dTheta"
    double tiltDelta = 0;
    double azimuth = 0; // "Phi" and "dPhi": the azimuth of the tilt plane
    double azimuthDelta = 0;
    double conic = 0;
    std::array<double, 6> aspheric{}; // A4, A6, ... A14: coefficients of s^2 ... s^7, s = y^2 + z^2
    bool isAspheric = false;          // any of conic, A4 ... A14 is non-zero
    bool radiusFixed = false;         // "rFix" not empty
    bool distanceFixed = false;       // "lFix" not empty
    double indexD = 0;                // d-line index times the mirror sign before this face
    double dispersionGD = 0;          // (g-line index - d-line index) times the mirror sign before
    SurfaceType type = SurfaceType::Plain;
};

struct SurfaceArrays {
    std::vector<Surface> surfaces; // i = 0 ... rows - 2
    std::vector<double> indices;   // refractive index after face i at wavelength w: [i * wavelengthCount + w]
    int wavelengthCount = 0;

    int Count() const { return static_cast<int>(surfaces.size()); }
    double Index(int i, int w) const { return indices[static_cast<std::size_t>(i) * wavelengthCount + w]; }
    // The type of face i; faces past the last row are plain.
    SurfaceType TypeOf(int i) const { return i >= 0 && i < Count() ? surfaces[i].type : SurfaceType::Plain; }
};

// The aperture stop among faces 1 ... n: the first face marked as stop; else the first face whose d-line
// index is not 1 or that is an ideal lens; -1 when there is none.
int StopSurfaceIndex(const SurfaceArrays& arrays, int n);

} // namespace vitrimo
