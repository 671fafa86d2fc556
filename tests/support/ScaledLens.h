// A lens scaled by hand from its table text, for tests of what the program's own scaling and the
// scale invariance of its calculations must give.
#pragma once

#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace vitrimo::test {

// Multiplies every length of the lens by t: radii, distances, diameters, decenters, and the aspheric
// coefficients A2k by t^(1 - 2k), so that the scaled lens is similar to the first.
inline void ScaleLengths(Lens& lens, double t) {
    const auto scale = [&](std::string_view column, int row, double factor) {
        const auto value = ParseNumber(lens.Text(column, row));
        if (!value) return;
        std::ostringstream text;
        text.precision(17);
        text << *value * factor;
        lens.SetText(column, row, text.str());
    };
    for (int row = 1; row < lens.RowCount(); ++row) {
        for (auto column : {col::R, col::Distance, col::EffectiveDiameter, col::Diameter, col::HideDiameter,
                            col::MaxDistance, col::MinDistance, col::Dx, col::Y, col::Dy, col::Z, col::Dz})
            scale(column, row, t);
        for (std::size_t k = 0; k < col::Aspheric.size(); ++k)
            scale(col::Aspheric[k], row, std::pow(t, -3.0 - 2.0 * static_cast<double>(k)));
    }
}

// A sample lens of data/Lens with every length multiplied by t.
inline Lens ScaledSample(const std::string& file, double t) {
    Lens lens;
    EXPECT_TRUE(ReadLensFile(lens, SourcePath("data/Lens/" + file)).Ok());
    ScaleLengths(lens, t);
    lens.SetDataModified(false);
    return lens;
}

} // namespace vitrimo::test
