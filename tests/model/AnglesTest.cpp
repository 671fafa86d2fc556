#include "model/Angles.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

// The one rule: the minutes take the sign of the degrees; blank minutes are none.
TEST(Angles, DegreesAndMinutesReadAsOneAngle) {
    struct Case {
        const char* degrees;
        const char* minutes;
        std::optional<double> angle;
    };
    const Case cases[] = {
        {"5", "30", 5.5},           {"-5", "30", -5.5},       {"-0", "30", -0.5},       {" -2 ", "15", -2.25},
        {"5", "-30", 5.5},          {"10", "", 10.0},         {"0", "0", 0.0},          {"1.5", "6", 1.6},
        {"abc", "0", std::nullopt}, {"5", "x", std::nullopt}, {"", "30", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto angle = AngleFromDegreesAndMinutes(c.degrees, c.minutes);
        ASSERT_EQ(angle.has_value(), c.angle.has_value()) << c.degrees << " " << c.minutes;
        if (!angle) continue;
        EXPECT_NEAR(*angle, *c.angle, 1e-14) << c.degrees << " " << c.minutes;
    }
}

// Written back, an angle reads as itself to a tenth of a minute, and minutes never show 60.
TEST(Angles, WrittenAnglesReadBack) {
    using Pair = std::pair<std::string, std::string>;
    EXPECT_EQ(DegreesAndMinutes(1.5), (Pair{"1", "30.0"}));
    EXPECT_EQ(DegreesAndMinutes(-0.5), (Pair{"-0", "30.0"}));
    EXPECT_EQ(DegreesAndMinutes(0.99999), (Pair{"1", "0.0"}));
    EXPECT_EQ(DegreesAndMinutes(std::nan("")), (Pair{"0", "0.0"}));
    for (double angle : {0.0, 12.345, -33.3, 89.99, -0.01}) {
        const auto [degrees, minutes] = DegreesAndMinutes(angle);
        EXPECT_NEAR(*AngleFromDegreesAndMinutes(degrees, minutes), angle, 1.0 / 1200) << angle;
    }
}

} // namespace
} // namespace vitrimo
