// The colour balance of the wavelength colours: one factor per switched-on wavelength, chosen so that the
// colours add up to white (each channel's sum of colour times factor, over 256, near 1) while
// neighbouring factors stay alike. The wavelength window's "WhiteBalance" runs the Simplex method on it.
#pragma once

#include "design/Objective.h"
#include "model/Colour.h"
#include "model/Host.h"

#include <vector>

namespace vitrimo {

class TColorFactor : public TFVForm {
public:
    // The display colours of the switched-on wavelengths, in list order.
    explicit TColorFactor(std::vector<Colour> colours) : colours_(std::move(colours)) {}

    // F = (1 - b)^2 + (1 - g)^2 + (1 - r)^2 + T: b, g, r the channel sums of colour x factor / 256, each
    // replaced by its reciprocal when above 1; T the squared differences of each factor from the mean of
    // its neighbours (1 beyond both ends).
    double FValue(const std::vector<double>& x) override;
    std::vector<double> SetVariables(const std::vector<double>& x) override { return x; }

private:
    std::vector<Colour> colours_;
};

// Each channel of each colour times its factor, rounded to the nearest integer and limited to 0 ... 255.
std::vector<Colour> ScaledColours(const std::vector<Colour>& colours, const std::vector<double>& factors);

// Runs the balance from factors of 1 and returns the new colours.
std::vector<Colour> WhiteBalance(const std::vector<Colour>& colours, Host& host);

} // namespace vitrimo
