// Real colours: display colours of the wavelengths that follow the visible spectrum, from the table
// "RGBtable.txt".
//
// The table is tab-separated text. Its first line is a title line; the number of tabs in it is the
// number of colour columns, which must be three: blue, green and red. Every further line holds a
// wavelength in nm and the three components (0 ... 255). The wavelengths must ascend or descend
// strictly. A component at any wavelength is the natural cubic spline through the column, rounded and
// held to 0 ... 255 (beyond the table's ends the spline is extended, and falls to 0 where it would go
// negative).
#pragma once

#include "model/Colour.h"
#include "model/WavelengthList.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

inline constexpr std::string_view kRgbTableFileName = "RGBtable.txt";

struct RgbTable {
    std::vector<float> nanometres;
    std::array<std::vector<float>, 3> components; // blue, green, red, one value per wavelength
};

// Reads table text; `source` names the file in messages. Returns an error message (naming the line)
// and leaves `table` unchanged when the text is not such a table.
std::optional<std::string> ParseRgbTable(std::string_view text, const std::string& source, RgbTable& table);
std::optional<std::string> ReadRgbTable(const std::string& path, RgbTable& table);

// The table's colour at a wavelength in nm.
Colour RealColour(const RgbTable& table, double nanometres);

// The "RealColor" command: every wavelength of the list gets its real colour (the list then reports
// colours other than the defaults, so lens files carry them).
void ApplyRealColours(WavelengthList& wavelengths, const RgbTable& table);

// The "Default" command: the default colours and calculation flags of every wavelength.
void UseDefaultColours(WavelengthList& wavelengths);

} // namespace vitrimo
