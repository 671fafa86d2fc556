#include "model/NumberFormat.h"

#include "model/Colour.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

TEST(ParseNumber, AcceptsDecimalNumbersOnly) {
    const std::pair<const char*, double> good[] = {{"12.5", 12.5}, {"  -3 ", -3.0}, {"+.5", 0.5},
                                                   {"1.", 1.0},    {"1e-3", 1e-3},  {"1.5E20", 1.5e20}};
    for (const auto& [text, value] : good) EXPECT_EQ(ParseNumber(text), value) << text;
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

// value, digits (decimals for FormatFixed, significant digits for FormatGeneral), text
struct Formatted {
    double value;
    int digits;
    const char* text;
};

// Fifteen significant digits first (the digits past the 15th are not invented), never "-0.0000", and an
// exponent where there are too many integer digits for fixed notation.
TEST(FormatFixed, RoundsToDecimalsAndFifteenDigits) {
    const Formatted cases[] = {{12.5, 4, "12.5000"},
                               {6.25 * 2, 4, "12.5000"},
                               {1.0 / 3.0, 6, "0.333333"},
                               {2.0 / 3.0, 3, "0.667"},
                               {-95.123456789, 6, "-95.123457"},
                               {0, 5, "0.00000"},
                               {-0.00001, 4, "0.0000"},
                               {123456789.123456789, 6, "123456789.123457"},
                               {0.1 + 0.2, 20, "0.30000000000000000000"},
                               {1.5e20, 4, "1.5E20"}};
    for (const auto& [value, digits, text] : cases) EXPECT_EQ(FormatFixed(value, digits), text) << value;
}

TEST(FormatGeneral, UsesPlainDecimalsInItsRangeAndExponentsOutside) {
    const Formatted cases[] = {{0.1 + 0.2, 15, "0.3"},
                               {12.3456789, 5, "12.346"},
                               {-1.5, 9, "-1.5"},
                               {100, 5, "100"},
                               {99999.7, 5, "1E5"},
                               {0.0001, 5, "0.0001"},
                               {0.00001, 5, "0.00001"},
                               {0.000001, 5, "1E-6"},
                               {1.5e-7, 15, "1.5E-7"},
                               {123456, 5, "1.2346E5"},
                               {0, 9, "0"}};
    for (const auto& [value, digits, text] : cases) EXPECT_EQ(FormatGeneral(value, digits), text) << value;
    EXPECT_EQ(ParseNumber(FormatGeneral(1.5e-7, 15)), 1.5e-7); // what it writes reads back
}

TEST(FormatShortest, PrintsTheShortestExactDecimal) {
    for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
             {100, "100"}, {0.1, "0.1"}, {-0.0, "0"}, {1e-7, "0.0000001"}})
        EXPECT_EQ(FormatShortest(value), text);
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
    for (const auto& [value, text] :
         std::vector<std::pair<double, std::string>>{{99.9999995001, "100"},
                                                     {99.99999949, "99.999999"},
                                                     {50.0000004, "50"},
                                                     {-123.4567891, "-123.456789"}})
        EXPECT_EQ(FormatFocalLength(value), text);
}

TEST(Colour, NamesAndHexBothWays) {
    // Written: a name where the colour has one, else "$00bbggrr" (orange: red 255, green 165, blue 0).
    EXPECT_EQ(ColourToText(0x0000FF), "clRed");
    EXPECT_EQ(ColourToText(RgbColour(255, 165, 0)), "$0000a5ff");
    for (Colour c : {0x000000u, 0x808080u, 0xF0FBFFu, 0x00A868u, 0x123456u, 0xFFFFFFu})
        EXPECT_EQ(ParseColour(ColourToText(c)), c);
    // Read: hex in either case, names, decimal numbers; the palette flag bits are dropped.
    for (const auto& [text, colour] : std::vector<std::pair<std::string, Colour>>{
             {"$0000BFFF", 0x00BFFFu}, {"clMaroon", 0x000080u}, {"255", 255u}, {"$02FF0000", 0xFF0000u}})
        EXPECT_EQ(ParseColour(text), colour) << text;
    for (const char* bad : {"", "clOrange", "$", "$xyz", "-1", "12a", "$1234567890"})
        EXPECT_FALSE(ParseColour(bad)) << bad;
    EXPECT_EQ(RedOf(RgbColour(1, 2, 3)), 1u);
    EXPECT_EQ(GreenOf(RgbColour(1, 2, 3)), 2u);
    EXPECT_EQ(BlueOf(RgbColour(1, 2, 3)), 3u);
}

} // namespace
} // namespace vitrimo
