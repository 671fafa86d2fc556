// Display colours of wavelengths and figures.
//
// A colour is a 24-bit value 0x00BBGGRR: red in the low byte, blue in the high byte. In lens files and
// settings it is written as one of the named colours below or as "$" and eight hexadecimal digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vitrimo {

using Colour = std::uint32_t;

constexpr Colour RgbColour(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFFu) | (green & 0xFFu) << 8 | (blue & 0xFFu) << 16;
}
constexpr unsigned RedOf(Colour c) {
    return c & 0xFFu;
}
constexpr unsigned GreenOf(Colour c) {
    return (c >> 8) & 0xFFu;
}
constexpr unsigned BlueOf(Colour c) {
    return (c >> 16) & 0xFFu;
}

namespace colours {
inline constexpr Colour Black = 0x000000, Maroon = 0x000080, Green = 0x008000, Olive = 0x008080,
                        Navy = 0x800000, Purple = 0x800080, Teal = 0x808000, Gray = 0x808080,
                        Silver = 0xC0C0C0, Red = 0x0000FF, Lime = 0x00FF00, Yellow = 0x00FFFF,
                        Blue = 0xFF0000, Fuchsia = 0xFF00FF, Aqua = 0xFFFF00, White = 0xFFFFFF,
                        MoneyGreen = 0xC0DCC0, SkyBlue = 0xF0CAA6, Cream = 0xF0FBFF, MedGray = 0xA4A0A0;
}

// The name of a named colour ("clRed"), otherwise "$" and eight lower-case hex digits ("$0000a5ff").
std::string ColourToText(Colour colour);

// Reads a colour name, "$" with hexadecimal digits, or a decimal integer. Values wider than 24 bits keep
// their low 24 bits. Returns nullopt for anything else (negative numbers included).
std::optional<Colour> ParseColour(std::string_view text);

} // namespace vitrimo
