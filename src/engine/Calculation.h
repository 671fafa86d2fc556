// The step every calculation starts with: bring the numeric arrays and the paraxial data up to date
// with the table text.
#pragma once

#include "engine/ParaxialTrace.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <vector>

namespace vitrimo {

enum class Readiness {
    Ready,     // arrays current, a real paraxial image exists
    NoImage,   // arrays current, but there is no real image: the command shows "No fucus point exist!"
    Cancelled, // a question about a missing value was cancelled; the arrays stay stale
};

// When the arrays are stale: drops face rows without indices, rebuilds the arrays (asking for missing
// values through the host), runs the paraxial trace and marks the arrays current. The numbers of the
// dropped faces go to `droppedFaces` when it is given.
Readiness EnsureArraysCurrent(Lens& lens, ParaxialTrace& paraxial, Host& host,
                              std::vector<int>* droppedFaces = nullptr);

// EnsureArraysCurrent, then recomputes HasDecenter.
Readiness PrepareForCalculation(Lens& lens, ParaxialTrace& paraxial, Host& host,
                                std::vector<int>* droppedFaces = nullptr);

} // namespace vitrimo
