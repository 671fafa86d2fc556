#include "model/Angles.h"

#include "model/NumberFormat.h"

#include <cmath>

namespace vitrimo {

double CombineDegreesAndMinutes(double degrees, double minutes, bool negative) {
    const double size = std::fabs(degrees) + std::fabs(minutes) / 60;
    return negative ? -size : size;
}

std::optional<double> AngleFromDegreesAndMinutes(std::string_view degrees, std::string_view minutes) {
    const auto whole = ParseNumber(degrees);
    const auto fraction = IsBlank(minutes) ? std::optional<double>(0) : ParseNumber(minutes);
    if (!whole || !fraction) return std::nullopt;
    const std::string_view trimmed = TrimBlanks(degrees);
    return CombineDegreesAndMinutes(*whole, *fraction, !trimmed.empty() && trimmed.front() == '-');
}

std::pair<std::string, std::string> DegreesAndMinutes(double angle) {
    if (!std::isfinite(angle) || std::fabs(angle) > 1e12) return {"0", "0.0"};
    const long long tenths = std::llround(std::fabs(angle) * 600);
    const long long degrees = tenths / 600;
    std::string degreesText = (angle < 0 && tenths > 0 ? "-" : "") + std::to_string(degrees);
    return {std::move(degreesText), FormatFixed(static_cast<double>(tenths % 600) / 10, 1)};
}

} // namespace vitrimo
