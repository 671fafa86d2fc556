#include "model/WavelengthList.h"

#include "model/NumberFormat.h"

#include <algorithm>
#include <stdexcept>

namespace vitrimo {
namespace {

struct LineDefault {
    const char* name;
    const char* caption;
    double nanometres;
    Colour colour;
    bool calculate;
};

constexpr LineDefault kLines[WavelengthList::kLineCount] = {
    {"t", "t (1014.0nm)", 1014.0, colours::Gray, false}, {"s", "s (852.1nm)", 852.1, colours::Gray, false},
    {"A", "A (768.2nm)", 768.2, 0x444466, false},        {"r", "r (706.5nm)", 706.5, colours::Maroon, true},
    {"C", "C (656.3nm)", 656.3, colours::Red, true},     {"d", "d (587.6nm)", 587.6, 0x00BFFF, true},
    {"e", "e (546.1nm)", 546.1, 0x00A868, true},         {"F", "F (486.1nm)", 486.1, colours::Teal, true},
    {"g", "g (435.8nm)", 435.8, 0xD00050, true},         {"h", "h (404.7nm)", 404.7, 0x800060, true},
    {"i", "i (365.0nm)", 365.0, 0x600030, false},
};

} // namespace

WavelengthList::WavelengthList() {
    for (const auto& line : kLines) {
        items_.push_back(Wavelength{line.name, line.caption, line.nanometres, line.colour, line.colour,
                                    line.calculate, line.calculate, false});
    }
}

void WavelengthList::SetColour(int w, Colour colour) {
    items_.at(w).colour = colour;
    nonDefaultColours_ = true;
}

void WavelengthList::SetReference(int w) {
    if (w < 0 || w >= Count()) throw std::out_of_range("WavelengthList::SetReference");
    reference_ = w;
}

int WavelengthList::PositionFor(double nanometres) const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(),
                                          [&](const Wavelength& w) { return w.nanometres >= nanometres; }));
}

std::optional<int> WavelengthList::Insert(std::string_view title) {
    if (title.size() < 3) return std::nullopt;
    const auto nanometres = ParseNumber(title.substr(0, title.size() - 2));
    if (!nanometres || *nanometres <= 0) return std::nullopt;
    const int position = PositionFor(*nanometres);
    Wavelength w;
    w.name = std::string(title);
    w.caption = " (" + w.name + ")";
    w.nanometres = *nanometres;
    w.colour = w.defaultColour = colours::Gray;
    w.calculate = w.defaultCalculate = true;
    w.inserted = true;
    items_.insert(items_.begin() + position, std::move(w));
    if (reference_ >= position) ++reference_;
    return position;
}

void WavelengthList::RemoveInserted() {
    const std::string referenceName = items_[reference_].name;
    std::erase_if(items_, [](const Wavelength& w) { return w.inserted; });
    const int reference = Find(referenceName);
    reference_ = reference >= 0 ? reference : kDefaultReference;
}

void WavelengthList::RestoreDefaultColours() {
    for (auto& w : items_) w.colour = w.defaultColour;
    nonDefaultColours_ = false;
}

int WavelengthList::CalculatedCount() const {
    return static_cast<int>(CalculatedWavelengths().size());
}

std::vector<int> WavelengthList::CalculatedWavelengths() const {
    std::vector<int> result;
    for (int w = 0; w < Count(); ++w)
        if (items_[w].calculate || w == reference_) result.push_back(w);
    return result;
}

int WavelengthList::Find(std::string_view name) const {
    for (int w = 0; w < Count(); ++w)
        if (items_[w].name == name) return w;
    return -1;
}

} // namespace vitrimo
