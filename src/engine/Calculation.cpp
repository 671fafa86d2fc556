#include "engine/Calculation.h"

namespace vitrimo {

Readiness EnsureArraysCurrent(Lens& lens, ParaxialTrace& paraxial, Host& host) {
    if (!lens.ArraysCurrent()) {
        lens.DropRowsWithoutIndices();
        if (!lens.BuildSurfaceArrays(host)) return Readiness::Cancelled;
        paraxial.Run(lens);
        lens.SetArraysCurrent(true);
    }
    return paraxial.ImageValid() ? Readiness::Ready : Readiness::NoImage;
}

Readiness PrepareForCalculation(Lens& lens, ParaxialTrace& paraxial, Host& host) {
    const Readiness readiness = EnsureArraysCurrent(lens, paraxial, host);
    lens.UpdateHasDecenter();
    return readiness;
}

} // namespace vitrimo
