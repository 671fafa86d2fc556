#include "glass/RealColours.h"

#include "model/FileIo.h"
#include "model/Interpolate.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

std::vector<std::string_view> SplitAtTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto end = line.find('\t');
        fields.push_back(line.substr(0, end));
        if (end == std::string_view::npos) return fields;
        line.remove_prefix(end + 1);
    }
}

} // namespace

std::optional<std::string> ParseRgbTable(std::string_view text, const std::string& source, RgbTable& table) {
    const std::string where = "\"" + source + "\"";
    if (auto notText = NotPlainText(text)) return where + ": " + *notText;
    text = WithoutByteOrderMark(text);
    RgbTable read;
    int lineNumber = 0;
    bool titleSeen = false;
    for (const std::string_view line : SplitLines(text)) {
        ++lineNumber;
        if (!titleSeen) {
            titleSeen = true;
            const auto tabs = std::count(line.begin(), line.end(), '\t');
            if (tabs != 3)
                return where +
                       ": the title line must name four tab-separated columns (nm, blue, green, red); it "
                       "has " +
                       std::to_string(tabs + 1);
            continue;
        }
        if (IsBlank(line)) continue;
        const auto fields = SplitAtTabs(line);
        std::array<float, 4> values{};
        for (std::size_t k = 0; k < values.size(); ++k) {
            const auto value = k < fields.size() ? ParseNumber(fields[k]) : std::nullopt;
            const float narrow = value ? static_cast<float>(*value) : 0.0f;
            if (!value || !std::isfinite(narrow))
                return where + ", line " + std::to_string(lineNumber) + ": \"" +
                       std::string(k < fields.size() ? fields[k] : "") + "\" is not a number (a line holds " +
                       "a wavelength in nm and three colour values, separated by tabs)";
            values[k] = narrow;
        }
        read.nanometres.push_back(values[0]);
        for (int c = 0; c < 3; ++c) read.components[c].push_back(values[c + 1]);
    }
    if (read.nanometres.size() < 2) return where + ": the table needs at least two wavelengths";
    TInterpolate check(TInterpolate::Cubic);
    if (!check.SetNodes(read.nanometres, read.components[0]))
        return where + ": the wavelengths must ascend or descend from line to line, without repeats";
    table = std::move(read);
    return std::nullopt;
}

std::optional<std::string> ReadRgbTable(const std::string& path, RgbTable& table) {
    std::string text;
    if (auto error = ReadWholeFile(path, text, kMaxDataFileBytes)) return error;
    return ParseRgbTable(text, path, table);
}

Colour RealColour(const RgbTable& table, double nanometres) {
    std::array<unsigned, 3> component{}; // blue, green, red
    for (int c = 0; c < 3; ++c) {
        TInterpolate spline(TInterpolate::Cubic);
        if (!std::isfinite(nanometres) || !spline.SetNodes(table.nanometres, table.components[c])) continue;
        // Splines overshoot near sharp changes: hold the result to what a colour byte can carry. Nodes
        // near the limits of a float can make the spline overflow; such a component stays 0.
        const double raw = spline.Value(nanometres);
        if (!std::isfinite(raw)) continue;
        const double value = std::clamp(std::round(raw), 0.0, 255.0);
        component[c] = static_cast<unsigned>(value);
    }
    return RgbColour(component[2], component[1], component[0]);
}

void ApplyRealColours(WavelengthList& wavelengths, const RgbTable& table) {
    for (int w = 0; w < wavelengths.Count(); ++w)
        wavelengths.SetColour(w, RealColour(table, wavelengths.At(w).nanometres));
}

void UseDefaultColours(WavelengthList& wavelengths) {
    wavelengths.RestoreDefaultColours();
    for (int w = 0; w < wavelengths.Count(); ++w)
        wavelengths.SetCalculate(w, wavelengths.At(w).defaultCalculate);
}

} // namespace vitrimo
