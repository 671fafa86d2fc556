#include "engine/Calculation.h"

namespace vitrimo {

Readiness EnsureArraysCurrent(Lens& lens, ParaxialTrace& paraxial, Host& host,
                              std::vector<int>* droppedFaces) {
    if (!lens.ArraysCurrent()) {
        std::vector<int> dropped = lens.DropRowsWithoutIndices();
        if (droppedFaces) *droppedFaces = std::move(dropped);
        if (!lens.BuildSurfaceArrays(host)) return Readiness::Cancelled;
        paraxial.Run(lens);
        paraxial.ApplyTo(lens);
    }
    return paraxial.ImageValid() ? Readiness::Ready : Readiness::NoImage;
}

Readiness PrepareForCalculation(Lens& lens, ParaxialTrace& paraxial, Host& host,
                                std::vector<int>* droppedFaces) {
    const Readiness readiness = EnsureArraysCurrent(lens, paraxial, host, droppedFaces);
    lens.UpdateHasDecenter();
    return readiness;
}

} // namespace vitrimo
