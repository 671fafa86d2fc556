// Parsing and formatting of the numbers that live in table cells, files and labels.
//
// Everything here is independent of the C locale: Qt sets LC_NUMERIC from the user's environment, and a
// lens file must read and write the same everywhere. Only '.' is a decimal separator.
//
// The formatters never hide a value that is not finite behind a number: NaN and infinity give an empty
// text, which a cell shows as empty and a reader takes as "no value".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vitrimo {

// The text without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view text);
// True when the text is empty or holds only spaces and tabs.
bool IsBlank(std::string_view text);

// Parses a decimal number such as "12.5", "-3", "+.5", "1e-3" or "1.5E20", allowing blanks around it.
// Returns nullopt for empty text, trailing garbage, hexadecimal, "inf", "nan" and values out of range, so
// nothing non-finite ever comes out of a cell.
std::optional<double> ParseNumber(std::string_view text);

// Parses a whole decimal integer with optional sign and blanks around it.
std::optional<long long> ParseInteger(std::string_view text);

// Fixed notation with `decimals` digits after the point, the value first rounded to `precision`
// significant digits: FormatFixed(12.5, 4) == "12.5000", FormatFixed(1/3.0, 6) == "0.333333".
// Values with more than `precision` integer digits fall back to FormatGeneral. Never prints "-0.000".
std::string FormatFixed(double value, int decimals, int precision = 15);

// General notation with at most `significantDigits` significant digits and no trailing zeros: plain
// decimals for 1e-5 <= |value| < 10^significantDigits, otherwise mantissa and exponent as in "1.5E-7"
// or "2E20". FormatGeneral(0.1 + 0.2, 15) == "0.3".
std::string FormatGeneral(double value, int significantDigits);

// The shortest plain decimal text that reads back as exactly `value` (no exponent): 100, 0.1, 99.5.
std::string FormatShortest(double value);

// The focal length as the main window shows it: rounded to 1e-6 mm, then the shortest decimal form.
std::string FormatFocalLength(double focalLength);

} // namespace vitrimo
