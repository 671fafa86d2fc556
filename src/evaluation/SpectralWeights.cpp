#include "evaluation/SpectralWeights.h"

#include <utility>

namespace vitrimo {

std::vector<double> SpectralWeightsOfList(const WavelengthList& list,
                                          const std::array<double, WavelengthList::kLineCount>& lineWeights) {
    static constexpr std::array<const char*, WavelengthList::kLineCount> kLines = {
        "t", "s", "A", "r", "C", "d", "e", "F", "g", "h", "i"};
    std::vector<double> weights(list.Count(), 0.0);
    std::vector<std::pair<double, double>> nodes; // (nm, weight) of the lines, in list order: longest first
    for (int w = 0; w < list.Count(); ++w) {
        const Wavelength& wavelength = list.At(w);
        if (wavelength.inserted) continue;
        for (std::size_t k = 0; k < kLines.size(); ++k)
            if (wavelength.name == kLines[k]) {
                weights[w] = lineWeights[k];
                nodes.emplace_back(wavelength.nanometres, lineWeights[k]);
            }
    }
    for (int w = 0; w < list.Count(); ++w) {
        const Wavelength& wavelength = list.At(w);
        if (!wavelength.inserted || nodes.empty()) continue;
        const double nm = wavelength.nanometres;
        if (nm >= nodes.front().first) {
            weights[w] = nodes.front().second;
        } else if (nm <= nodes.back().first) {
            weights[w] = nodes.back().second;
        } else {
            for (std::size_t k = 0; k + 1 < nodes.size(); ++k) {
                const auto [longer, a] = nodes[k];
                const auto [shorter, b] = nodes[k + 1];
                if (nm <= longer && nm >= shorter) {
                    weights[w] = longer > shorter ? a + (b - a) * (longer - nm) / (longer - shorter) : a;
                    break;
                }
            }
        }
    }
    return weights;
}

std::vector<double> DefaultSpectralWeights(const WavelengthList& list) {
    return SpectralWeightsOfList(list, kDefaultLineWeights);
}

} // namespace vitrimo
