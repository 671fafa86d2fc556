// Commands that turn a table row into a special face: air, a mirror (front or second surface), the stop,
// the focal plane, a screen. The glass chooser's buttons and the Data > Glass menu run the same ones.
//
// Markers written into "Remarks" follow the wording of the user's locale (`japanese`); "GlassName" keeps
// the English words. Every command ends with MarkChanged.
#pragma once

#include "model/Host.h"
#include "model/Lens.h"

namespace vitrimo {

enum class SpecialFace { Air, Mirror, StopPlane, FocalPlane, Screen };

// Air: every index column "1", "GlassName" "Air", "Remarks" empty.
void MakeAir(Lens& lens, int row);

// A mirror at `row`. When the medium before it is glass (row > 1 and the previous row's "nd" > 1) the
// host is asked whether it is the silvered back of that glass ("2nd surface mirror?"); if so the light
// crosses the glass twice: the mirror row takes minus the glass's indices, its thickness and diameters
// (its distance linked to the glass's), and a new air row after it is the glass's front surface seen from
// behind (its radius linked to it). Otherwise a plain mirror: every index column "-1".
void MakeMirror(Lens& lens, int row, Host& host, bool japanese);

// Air, and "Remarks" names the stop, the focal plane or the screen ("GlassName" "Screen" for a screen).
void MakeStopPlane(Lens& lens, int row, bool japanese);
void MakeFocalPlane(Lens& lens, int row, bool japanese);
void MakeScreen(Lens& lens, int row, bool japanese);

// Any of the above by kind.
void MakeSpecialFace(Lens& lens, int row, SpecialFace kind, Host& host, bool japanese);

} // namespace vitrimo
