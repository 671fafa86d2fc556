#include "model/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vitrimo {

std::string_view TrimBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsBlank(std::string_view text) {
    return TrimBlanks(text).empty();
}

namespace {

// The decimal digits of |value| rounded to `digits` significant digits, and the decimal exponent of the
// first digit: 1234.5 with 3 digits gives ("123", 3).
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal ToDecimal(double value, int digits) {
    std::array<char, 64> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                   std::chars_format::scientific, digits - 1);
    (void)ec;
    const std::string_view text(buffer.data(), end - buffer.data());
    const auto e = text.find('e');
    Decimal d;
    for (char c : text.substr(0, e))
        if (c != '.') d.digits.push_back(c);
    d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    return d;
}

} // namespace

std::optional<double> ParseNumber(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take "inf", "nan" and a second sign; a cell must start with a digit or '.'.
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::optional<long long> ParseInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string FormatFixed(double value, int decimals, int precision) {
    if (!std::isfinite(value)) return {};
    if (value != 0 && std::fabs(value) >= std::pow(10.0, precision)) return FormatGeneral(value, precision);
    decimals = std::max(decimals, 0);
    // Round once, in decimal, to the digits that are shown: up to `decimals` places, at most `precision`
    // significant digits. Further places are zeros, as in 0.30000 for 0.1 + 0.2.
    const int exponent = value == 0 ? 0 : ToDecimal(value, 17).exponent;
    const int significant = std::min(precision, exponent + 1 + decimals);
    std::string text;
    if (value == 0 || significant <= 0) {
        // Below the last shown place: 0, or one unit of that place when the value reaches half of it.
        const bool unit = value != 0 && std::fabs(value) >= 0.5 * std::pow(10.0, -decimals);
        text = decimals > 0 ? "0." + std::string(decimals, '0') : "0";
        if (unit) text.back() = '1';
    } else {
        const Decimal d = ToDecimal(value, significant);
        if (d.exponent >= 0) {
            const std::size_t integerDigits = d.exponent + 1;
            std::string digits = d.digits;
            if (digits.size() < integerDigits) digits.append(integerDigits - digits.size(), '0');
            text = digits.substr(0, integerDigits);
            std::string fraction = digits.substr(integerDigits);
            fraction.resize(decimals, '0');
            if (decimals > 0) text += "." + fraction;
        } else {
            std::string fraction = std::string(-d.exponent - 1, '0') + d.digits;
            fraction.resize(decimals, '0');
            text = "0." + fraction;
        }
    }
    if (value < 0 && text.find_first_not_of("0.") != std::string::npos) text.insert(0, "-");
    return text;
}

std::string FormatGeneral(double value, int significantDigits) {
    if (!std::isfinite(value)) return {};
    if (value == 0) return "0";
    const Decimal d = ToDecimal(value, significantDigits);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text = value < 0 ? "-" : "";
    if (d.exponent >= significantDigits || d.exponent < -5) {
        text += digits[0];
        if (digits.size() > 1) text += "." + digits.substr(1);
        text += "E" + std::to_string(d.exponent);
    } else if (d.exponent < 0) {
        text += "0." + std::string(-d.exponent - 1, '0') + digits;
    } else {
        const std::size_t integerDigits = d.exponent + 1;
        if (digits.size() <= integerDigits) {
            text += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            text += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
        }
    }
    return text;
}

std::string FormatShortest(double value) {
    if (!std::isfinite(value)) return {};
    std::array<char, 400> buffer{};
    auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    (void)ec;
    std::string text(buffer.data(), end);
    if (text == "-0") text = "0";
    return text;
}

std::string FormatFocalLength(double focalLength) {
    return FormatShortest(std::round(focalLength * 1e6) / 1e6);
}

} // namespace vitrimo
