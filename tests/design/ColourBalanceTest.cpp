// The colour balance objective against values worked out by hand.
#include "design/ColourBalance.h"

#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::Near;

TEST(ColourBalance, MeasuresTheDistanceFromWhiteAndTheUnevenness) {
    // One white line at factor 1: each channel sums to 255/256, and the factor equals its neighbours.
    TColorFactor white({RgbColour(255, 255, 255)});
    EXPECT_TRUE(Near(white.FValue({1}), 3 * (1 / 256.0) * (1 / 256.0), 1e-12));
    // Red and blue lines at factors 2 and 0.5: r = 2 * 128/256 = 1, b = 0.5 * 64/256 = 1/8, g = 0;
    // unevenness ((1 + 0.5)/2 - 2)^2 + ((2 + 1)/2 - 0.5)^2 = 1.5625 + 1.
    TColorFactor two({RgbColour(128, 0, 0), RgbColour(0, 0, 64)});
    EXPECT_TRUE(Near(two.FValue({2, 0.5}), 0 + 1 + (7 / 8.0) * (7 / 8.0) + 1.5625 + 1, 1e-12));
    // A channel above 1 counts by its reciprocal: 2 * 255/256 -> 128/255.
    EXPECT_TRUE(Near(white.FValue({2}), 3 * (1 - 128 / 255.0) * (1 - 128 / 255.0) + 1, 1e-12));
}

TEST(ColourBalance, ScalesEachChannelRoundedAndLimited) {
    const auto scaled = ScaledColours({RgbColour(200, 100, 11), RgbColour(10, 20, 30)}, {1.5, 0.25});
    EXPECT_EQ(scaled[0], RgbColour(255, 150, 17)); // 16.5 rounds away from zero
    EXPECT_EQ(scaled[1], RgbColour(3, 5, 8));      // 2.5, 5, 7.5
}

TEST(ColourBalance, TheBalanceImprovesOnFactorsOfOne) {
    const std::vector<Colour> colours{RgbColour(120, 0, 0), RgbColour(60, 110, 0), RgbColour(0, 90, 40),
                                      RgbColour(0, 0, 150)};
    test::ScriptedHost host;
    const std::vector<Colour> balanced = WhiteBalance(colours, host);
    ASSERT_EQ(balanced.size(), colours.size());
    // Measured on the colours themselves, with factors of 1.
    TColorFactor before(colours), after(balanced);
    EXPECT_LT(after.FValue({1, 1, 1, 1}), before.FValue({1, 1, 1, 1}));
}

} // namespace
} // namespace vitrimo
