// The two samplings of the entrance pupil on which image evaluation rests.
//
// Both grids cover a disc 10 % wider than the entrance pupil (diameter D); the rays outside the real
// stop are removed by the vignetting of the trace, not by the grid. Pupil coordinates (y, z) are in mm in
// the entrance pupil plane, measured from the chief ray's pupil point (the pupil centre).
//
//  - The spot grid, for the spot diagram and the wavefront map: pitch p = 1.1 (D/2) / S for S steps per
//    radius; the points (i p, j p), i, j = -S ... S, meridional index outer, whose distance from the centre
//    is below 1.1 D/2. They become rays 1, 2, ... in that order.
//  - The PSF grid, for the point spread function: N x N cells of pitch d = 1.1 D / N at half-integer
//    offsets ((k + 0.5) d for k = -N/2 ... N/2 - 1), the same rule for the disc. Cell (i, j) of the map
//    holds offset index i for i < N/2 and i - N above, as an FFT array holds its frequencies, so the pupil
//    centre falls between the corners of the map.
#pragma once

#include "engine/RayTracer.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace vitrimo {

struct SpotGrid {
    int steps = 0;
    double pitch = 0;                               // mm
    std::vector<std::array<int, 2>> cells;          // (i, j) of ray 1, 2, ...
    std::vector<std::array<double, 2>> coordinates; // (i p, j p) of ray 1, 2, ...

    int PointCount() const { return static_cast<int>(cells.size()); }
};

// The spot grid of S steps per radius over a pupil of diameter D.
SpotGrid MakeSpotGrid(double entrancePupilDiameter, int steps);

struct PsfGrid {
    int division = 0;     // N
    double pitch = 0;     // d, mm
    std::vector<int> map; // N x N, row-major (row = y): ray number of the cell, or -1 outside the disc
    std::vector<std::array<double, 2>> coordinates; // pupil coordinates of ray 1, 2, ...

    int PointCount() const { return static_cast<int>(coordinates.size()); }
    int RayAt(int row, int column) const { return map[static_cast<std::size_t>(row) * division + column]; }
    // The offset index of map row or column k: k for k < N/2, k - N above.
    int Offset(int k) const { return k < division / 2 ? k : k - division; }
};

// The PSF grid of N (even, at least 2) divisions over a pupil of diameter D.
PsfGrid MakePsfGrid(double entrancePupilDiameter, int division);

// Allocates the tracer's bundle and starts ray 0 through the pupil centre, one ray through each of the
// given pupil coordinates, and the ideal lens's extra reference ray when the lens has one, all at the
// context's field angle. Rays are kept 1e-6 mm below the exact points, off the symmetry plane. For an
// object at infinity each ray carries the delay of the plane wave tilted by the field angle.
void StartPupilRays(RayTracer& tracer, const std::vector<std::array<double, 2>>& coordinates);

struct TracedRays;

// Starts the rays of the pupil points (StartPupilRays), traces them through the lens in the context's
// mode, field angle and defocus, and captures them with their pupil coordinates (ray 0 at the centre).
// nullptr when the trace was stopped or failed; `status` then says why.
std::shared_ptr<TracedRays> TracePupilPoints(RayTracer& tracer, const Lens& lens,
                                             const std::vector<std::array<double, 2>>& coordinates,
                                             Host& host, std::string& status);

} // namespace vitrimo
