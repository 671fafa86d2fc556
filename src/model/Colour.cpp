#include "model/Colour.h"

#include <array>
#include <charconv>
#include <utility>

namespace vitrimo {
namespace {

constexpr std::array<std::pair<std::string_view, Colour>, 20> kNamedColours{{
    {"clBlack", colours::Black},
    {"clMaroon", colours::Maroon},
    {"clGreen", colours::Green},
    {"clOlive", colours::Olive},
    {"clNavy", colours::Navy},
    {"clPurple", colours::Purple},
    {"clTeal", colours::Teal},
    {"clGray", colours::Gray},
    {"clSilver", colours::Silver},
    {"clRed", colours::Red},
    {"clLime", colours::Lime},
    {"clYellow", colours::Yellow},
    {"clBlue", colours::Blue},
    {"clFuchsia", colours::Fuchsia},
    {"clAqua", colours::Aqua},
    {"clWhite", colours::White},
    {"clMoneyGreen", colours::MoneyGreen},
    {"clSkyBlue", colours::SkyBlue},
    {"clCream", colours::Cream},
    {"clMedGray", colours::MedGray},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

} // namespace

std::string ColourToText(Colour colour) {
    colour &= 0xFFFFFFu;
    for (const auto& [name, value] : kNamedColours)
        if (value == colour) return std::string(name);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "$";
    for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(colour >> shift) & 0xFu];
    return text;
}

std::optional<Colour> ParseColour(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    for (const auto& [name, value] : kNamedColours)
        if (EqualsIgnoringCase(name, text)) return value;
    int base = 10;
    if (text.front() == '$') {
        text.remove_prefix(1);
        base = 16;
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<Colour>(value & 0xFFFFFFu);
}

} // namespace vitrimo
