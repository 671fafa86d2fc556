// How the lens table behaves in the main window: which cells can be selected, and how each cell is shown.
// The text itself is never changed for display; numbers are only reformatted on screen.
#pragma once

#include "model/Lens.h"

#include <string>
#include <string_view>

namespace vitrimo {

// Whether the user may select (and so edit) a cell. The title row and the "No" column are fixed. On the
// object row only the beam diameter, the distance, "dPhi" and the light source ("GlassName") can be
// chosen; line indices of catalogue glasses, air, mirrors and special faces come from their commands.
// With an object at a limited distance, row 2 (the object plane) offers only its distance, and the
// object row its radius instead of its distance.
bool CellSelectable(const Lens& lens, int column, int row);

// Whether `text` may stand in the cell's column (IsNumericColumn): anything in a text column, blank or a
// finite number in a numeric one. An empty numeric cell means "not given"; text that is not a number is
// refused.
bool CellTextAcceptable(const Lens& lens, int column, std::string_view text);

// The object row's "GlassName" is chosen by the light-source dialog, never typed.
bool CellChosenByDialog(const Lens& lens, int column, int row);

enum class CellAlignment { Left, Centre, Right };

struct CellDisplay {
    std::string text;
    CellAlignment alignment = CellAlignment::Right;
    int margin = 8; // pixels between the text and the cell border it is aligned to
};

// The text and placement of a cell on screen: numbers before the index columns are reformatted ("r" and
// "Distance" with 4 decimals, the others with 5 significant digits), "Remarks" is left-aligned,
// "GlassName" centred, everything else right-aligned.
CellDisplay DisplayCell(const Lens& lens, int column, int row);

// A row that makes the analysis commands worth enabling: a medium other than air and a curved face.
bool RowMakesALens(const Lens& lens, int row);

} // namespace vitrimo
