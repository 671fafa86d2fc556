#include "model/NumberFormat.h"

#include "model/Colour.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

TEST(ParseNumber, AcceptsDecimalNumbersOnly) {
    EXPECT_EQ(ParseNumber("12.5"), 12.5);
    EXPECT_EQ(ParseNumber("  -3 "), -3.0);
    EXPECT_EQ(ParseNumber("+.5"), 0.5);
    EXPECT_EQ(ParseNumber("1."), 1.0);
    EXPECT_EQ(ParseNumber("1e-3"), 1e-3);
    EXPECT_EQ(ParseNumber("1.5E20"), 1.5e20);
    for (const char* bad :
         {"", " ", "abc", "1.5x", "1,5", "--1", "+-1", "inf", "-inf", "nan", "0x10", "1e999", "."})
        EXPECT_FALSE(ParseNumber(bad)) << bad;
}

TEST(ParseNumber, IgnoresTheUserLocale) {
    // Qt sets LC_NUMERIC from the environment; a German locale must not turn "1.5" into 1.
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = before ? before : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE")) {
        EXPECT_EQ(ParseNumber("1.5"), 1.5);
        EXPECT_EQ(FormatFixed(1.5, 3), "1.500");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatFixed, RoundsToDecimalsAndFifteenDigits) {
    EXPECT_EQ(FormatFixed(12.5, 4), "12.5000");
    EXPECT_EQ(FormatFixed(6.25 * 2, 4), "12.5000");
    EXPECT_EQ(FormatFixed(1.0 / 3.0, 6), "0.333333");
    EXPECT_EQ(FormatFixed(2.0 / 3.0, 3), "0.667");
    EXPECT_EQ(FormatFixed(-95.123456789, 6), "-95.123457");
    EXPECT_EQ(FormatFixed(0, 5), "0.00000");
    EXPECT_EQ(FormatFixed(-0.00001, 4), "0.0000"); // never "-0.0000"
    // 15 significant digits first: the digits past the 15th are not invented.
    EXPECT_EQ(FormatFixed(123456789.123456789, 6), "123456789.123457");
    EXPECT_EQ(FormatFixed(0.1 + 0.2, 20), "0.30000000000000000000");
    // Too many integer digits for fixed notation.
    EXPECT_EQ(FormatFixed(1.5e20, 4), "1.5E20");
}

TEST(FormatGeneral, UsesPlainDecimalsInItsRangeAndExponentsOutside) {
    EXPECT_EQ(FormatGeneral(0.1 + 0.2, 15), "0.3");
    EXPECT_EQ(FormatGeneral(12.3456789, 5), "12.346");
    EXPECT_EQ(FormatGeneral(-1.5, 9), "-1.5");
    EXPECT_EQ(FormatGeneral(100, 5), "100");
    EXPECT_EQ(FormatGeneral(99999.7, 5), "1E5");
    EXPECT_EQ(FormatGeneral(0.0001, 5), "0.0001");
    EXPECT_EQ(FormatGeneral(0.00001, 5), "0.00001");
    EXPECT_EQ(FormatGeneral(0.000001, 5), "1E-6");
    EXPECT_EQ(FormatGeneral(1.5e-7, 15), "1.5E-7");
    EXPECT_EQ(FormatGeneral(123456, 5), "1.2346E5");
    EXPECT_EQ(FormatGeneral(0, 9), "0");
    EXPECT_EQ(ParseNumber(FormatGeneral(1.5e-7, 15)), 1.5e-7); // what it writes reads back
}

TEST(FormatShortest, PrintsTheShortestExactDecimal) {
    EXPECT_EQ(FormatShortest(100), "100");
    EXPECT_EQ(FormatShortest(0.1), "0.1");
    EXPECT_EQ(FormatShortest(-0.0), "0");
    EXPECT_EQ(FormatShortest(1e-7), "0.0000001");
    const double awkward = 99.99999999999997;
    EXPECT_EQ(ParseNumber(FormatShortest(awkward)), awkward);
}

// A value that is not finite never comes out as a number (it used to print "0"): every formatter gives an
// empty text, which no reader takes for a value.
TEST(NumberFormats, NeverHideANonFiniteValue) {
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        for (const std::string& text :
             {FormatFixed(bad, 4), FormatGeneral(bad, 15), FormatShortest(bad), FormatFocalLength(bad)}) {
            EXPECT_EQ(text, "") << bad;
            EXPECT_FALSE(ParseNumber(text));
        }
    }
}

TEST(FormatFocalLength, RoundsToAMillionthOfAMillimetre) {
    EXPECT_EQ(FormatFocalLength(99.9999995001), "100");
    EXPECT_EQ(FormatFocalLength(99.99999949), "99.999999");
    EXPECT_EQ(FormatFocalLength(50.0000004), "50");
    EXPECT_EQ(FormatFocalLength(-123.4567891), "-123.456789");
}

TEST(Colour, NamesAndHexBothWays) {
    EXPECT_EQ(ColourToText(0x0000FF), "clRed");
    EXPECT_EQ(ColourToText(colours::Teal), "clTeal");
    EXPECT_EQ(ColourToText(RgbColour(255, 165, 0)), "$0000a5ff"); // orange
    EXPECT_EQ(ColourToText(0x00BFFF), "$0000bfff");
    for (Colour c : {0x000000u, 0x808080u, 0xF0FBFFu, 0x00A868u, 0x123456u, 0xFFFFFFu})
        EXPECT_EQ(ParseColour(ColourToText(c)), c);
    EXPECT_EQ(ParseColour("$0000BFFF"), 0x00BFFFu);
    EXPECT_EQ(ParseColour("$00444466"), 0x444466u);
    EXPECT_EQ(ParseColour("clMaroon"), colours::Maroon);
    EXPECT_EQ(ParseColour("255"), 255u);
    EXPECT_EQ(ParseColour("$02FF0000"), 0xFF0000u); // palette flag bits dropped
    for (const char* bad : {"", "clOrange", "$", "$xyz", "-1", "12a", "$1234567890"})
        EXPECT_FALSE(ParseColour(bad)) << bad;
    EXPECT_EQ(RedOf(RgbColour(1, 2, 3)), 1u);
    EXPECT_EQ(GreenOf(RgbColour(1, 2, 3)), 2u);
    EXPECT_EQ(BlueOf(RgbColour(1, 2, 3)), 3u);
}

} // namespace
} // namespace vitrimo
