#include "design/ColourBalance.h"

#include "design/Minimisers.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {

double TColorFactor::FValue(const std::vector<double>& x) {
    const std::size_t m = std::min(x.size(), colours_.size());
    long double smooth = 0, b = 0, g = 0, r = 0;
    for (std::size_t j = 0; j < m; ++j) {
        const double before = j == 0 ? 1.0 : x[j - 1];
        const double after = j + 1 == m ? 1.0 : x[j + 1];
        const long double d = (before + after) / 2 - x[j];
        smooth += d * d;
        b += BlueOf(colours_[j]) * x[j] / 256.0L;
        g += GreenOf(colours_[j]) * x[j] / 256.0L;
        r += RedOf(colours_[j]) * x[j] / 256.0L;
    }
    long double f = smooth;
    for (long double channel : {b, g, r}) {
        if (channel > 1) channel = 1 / channel;
        f += (1 - channel) * (1 - channel);
    }
    return static_cast<double>(f);
}

std::vector<Colour> ScaledColours(const std::vector<Colour>& colours, const std::vector<double>& factors) {
    std::vector<Colour> scaled;
    for (std::size_t j = 0; j < colours.size(); ++j) {
        const double factor = j < factors.size() && std::isfinite(factors[j]) ? factors[j] : 1.0;
        const auto channel = [factor](unsigned value) {
            return static_cast<unsigned>(std::clamp(std::lround(value * factor), 0L, 255L));
        };
        scaled.push_back(
            RgbColour(channel(RedOf(colours[j])), channel(GreenOf(colours[j])), channel(BlueOf(colours[j]))));
    }
    return scaled;
}

std::vector<Colour> WhiteBalance(const std::vector<Colour>& colours, Host& host) {
    TColorFactor objective(colours);
    const MinimiserResult result =
        TAutoCorr().Run(objective, std::vector<double>(colours.size(), 1.0), MinimiserOptions{}, host);
    return ScaledColours(colours, result.x);
}

} // namespace vitrimo
