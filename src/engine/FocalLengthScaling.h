// Rescaling a prescription to a focal length.
//
// The free radii and distances are scaled together: curvatures by t, distances by 1/t, which divides the
// focal length by t. Faces with "x" in rFix / lFix keep their radius or distance; faces linked to another
// face's (a face number in rFix / lFix) take that face's value. With fixed faces one scaling does not
// land exactly, so a search repeats it with shrinking steps until the focal length matches.
#pragma once

#include "engine/ParaxialTrace.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <optional>

namespace vitrimo {

// Brings the paraxial focal length to `focalLength` (mm, > 0) by scaling the free radii and distances of
// a copy of the lens's arrays, which it returns; the lens is not changed. nullopt when the lens has no real
// image to start from. The paraxial trace holds the final state. Fixed faces can put a focal length out
// of reach: the search then ends at the nearest it finds (compare paraxial.FocalLength()).
std::optional<SurfaceArrays> RestoreFocalLength(const Lens& lens, ParaxialTrace& paraxial,
                                                double focalLength);
// The same from other arrays than the lens's own (a working copy an optimisation changes); the lens gives
// the rFix / lFix marks and the object.
std::optional<SurfaceArrays> RestoreFocalLength(const Lens& lens, const SurfaceArrays& start,
                                                ParaxialTrace& paraxial, double focalLength);

// Writes the scaled arrays' radii and distances into the table as the focal-length command does: every
// non-plane face's "r", every "Distance", the last one 0 so that the next paraxial trace puts the image
// plane at the new focus; cells of fixed ("x") radii and distances keep their text. The values are written
// with 15 significant digits, so the lens read back from its text has the focal length the search found
// (the table still shows them with 4 decimals).
// The scaled lens is similar to the first one: the aspheric coefficients of a face whose curvature was
// multiplied by t are multiplied by t^(2k-1) (A4 by t^3, A6 by t^5, ...), so the face keeps its shape;
// and when no radius or distance is fixed ("x"), the diameters and decenters scale with the lens too.
// Marks the lens changed.
void WriteScaledRadiiAndDistances(Lens& lens, const SurfaceArrays& scaled);

// The whole focal-length command as the main window and vitrimo-cli run it: RestoreFocalLength, the
// scaled lens written into the table, and the next paraxial trace, which puts the image plane at the
// new focus (the last distance becomes the refocused one). Returns false when the lens has no real image,
// before or after. Compare FocalLength() with the target: fixed faces can put it out of reach.
bool ScaleToFocalLength(Lens& lens, ParaxialTrace& paraxial, double focalLength, Host& host);

} // namespace vitrimo
