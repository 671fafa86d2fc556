// Spectral weights: how much each wavelength of the list counts in a sum over wavelengths (the MTF, the
// Strehl ratio, the colour image of the PSF).
#pragma once

#include "model/WavelengthList.h"

#include <array>
#include <vector>

namespace vitrimo {

// The weights of the eleven lines in list order t ... i that the program starts with.
inline constexpr std::array<double, WavelengthList::kLineCount> kDefaultLineWeights = {
    0, 0, 0.1, 0.4, 0.7, 0.95, 0.98, 1.0, 0.7, 0.2, 0};

// A weight for every position of the list: each of the eleven lines its own (lineWeights in the order
// t ... i), an added wavelength the weight interpolated linearly in nm between the lines beside it (the
// nearest line's beyond them).
std::vector<double> SpectralWeightsOfList(const WavelengthList& list,
                                          const std::array<double, WavelengthList::kLineCount>& lineWeights);

// SpectralWeightsOfList with the default line weights.
std::vector<double> DefaultSpectralWeights(const WavelengthList& list);

} // namespace vitrimo
