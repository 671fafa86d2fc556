// Field angles as the windows show and read them: whole degrees and minutes.
//
// One rule everywhere: the minutes take the sign of the degrees, so "-0" and "30" is half a degree below
// the axis, and "-5" and "30" is -5.5 degrees (a minus sign on the minutes themselves is ignored).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vitrimo {

// |degrees| + |minutes| / 60, negative when `negative`.
double CombineDegreesAndMinutes(double degrees, double minutes, bool negative);

// The angle of a degrees text and a minutes text (blank minutes are 0); negative when the degrees text
// starts with '-'. nullopt when either holds something other than a number.
std::optional<double> AngleFromDegreesAndMinutes(std::string_view degrees, std::string_view minutes);

// Writes an angle in degrees as whole degrees and minutes with one decimal: 1.5 -> ("1", "30.0"),
// -0.5 -> ("-0", "30.0"). The angle is rounded to a tenth of a minute first, so 0.99999 gives ("1", "0.0"),
// never ("0", "60.0").
std::pair<std::string, std::string> DegreesAndMinutes(double angle);

} // namespace vitrimo
