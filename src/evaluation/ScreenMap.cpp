#include "evaluation/ScreenMap.h"

#include "model/FileIo.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {

ScreenMapResult ParseScreenMap(std::string_view text) {
    ScreenMapResult result;
    if (const auto notText = NotPlainText(text)) {
        result.error = *notText;
        return result;
    }
    text = WithoutByteOrderMark(text);
    std::vector<std::vector<double>> rows;
    int columns = 0;
    int lineNumber = 0;
    for (const std::string_view line : SplitLines(text)) {
        ++lineNumber;
        if (IsBlank(line)) continue;
        if (rows.empty()) columns = static_cast<int>(std::count(line.begin(), line.end(), '\t')) + 1;
        // A map larger than any screen needs would only exhaust memory.
        if (static_cast<long long>(rows.size() + 1) * columns > kMaxScreenCells) {
            result.error = "the screen map has more than " + std::to_string(kMaxScreenCells) + " cells";
            return result;
        }
        std::vector<double> row(columns, 0.0);
        std::size_t cellStart = 0;
        for (int column = 0; cellStart <= line.size(); ++column) {
            std::size_t tab = line.find('\t', cellStart);
            if (tab == std::string_view::npos) tab = line.size();
            const std::string_view cell = line.substr(cellStart, tab - cellStart);
            cellStart = tab + 1;
            if (column >= columns) break; // cells beyond the first line's width are not part of the map
            if (IsBlank(cell)) continue;
            const auto value = ParseNumber(cell);
            if (!value) {
                result.error = "line " + std::to_string(lineNumber) + ": \"" + std::string(TrimBlanks(cell)) +
                               "\" is not a number";
                return result;
            }
            row[column] = std::max(*value, 0.0);
        }
        rows.push_back(std::move(row));
    }
    if (rows.empty()) {
        result.error = "the screen file holds no values";
        return result;
    }
    double largest = 0;
    for (const auto& row : rows)
        for (double value : row) largest = std::max(largest, value);
    ScreenMap& map = result.map;
    map.rows = static_cast<int>(rows.size());
    map.columns = columns;
    map.levels.reserve(static_cast<std::size_t>(map.rows) * columns);
    for (const auto& row : rows)
        for (double value : row)
            map.levels.push_back(largest > 0 ? static_cast<std::uint8_t>(std::lround(value / largest * 255))
                                             : 0);
    return result;
}

ScreenMapResult ReadScreenMap(const std::string& path) {
    std::string contents;
    if (const auto error = ReadWholeFile(path, contents, kMaxDataFileBytes)) return {{}, *error};
    ScreenMapResult result = ParseScreenMap(contents);
    if (!result.Ok()) result.error = path + ": " + result.error;
    return result;
}

double ScreenTransmission(const ScreenMap& map, double diameter, double y, double z, double halfY,
                          double halfZ) {
    if (map.Empty() || !(diameter > 0)) return 0;
    // Map coordinates: u down the rows from the top edge, v along the columns from the left edge, in cells.
    const double cellU = diameter / map.rows, cellV = diameter / map.columns;
    const double u0 = (diameter / 2 - (y + halfY)) / cellU, u1 = (diameter / 2 - (y - halfY)) / cellU;
    const double v0 = (z - halfZ + diameter / 2) / cellV, v1 = (z + halfZ + diameter / 2) / cellV;
    const double top = std::max(u0, 0.0), bottom = std::min(u1, static_cast<double>(map.rows));
    const double left = std::max(v0, 0.0), right = std::min(v1, static_cast<double>(map.columns));
    if (!(bottom > top) || !(right > left)) {
        // A point rectangle (or none) inside the map: the cell it lies in.
        if (top > bottom || left > right || bottom <= 0 || right <= 0 || top >= map.rows ||
            left >= map.columns)
            return 0;
        const int row = std::min(static_cast<int>(top), map.rows - 1);
        const int column = std::min(static_cast<int>(left), map.columns - 1);
        return map.Level(row, column) / 255.0;
    }
    // The area-weighted mean of the cells the clipped rectangle covers.
    long double sum = 0, area = 0;
    for (int row = static_cast<int>(top); row < map.rows && row < bottom; ++row) {
        const double height = std::min(bottom, row + 1.0) - std::max(top, static_cast<double>(row));
        if (height <= 0) continue;
        for (int column = static_cast<int>(left); column < map.columns && column < right; ++column) {
            const double width = std::min(right, column + 1.0) - std::max(left, static_cast<double>(column));
            if (width <= 0) continue;
            sum += map.Level(row, column) * height * width;
            area += height * width;
        }
    }
    // The weighted mean of levels up to 255 is at most 255; rounding must not make it a hair more.
    return area > 0 ? std::clamp(static_cast<double>(sum / area / 255), 0.0, 1.0) : 0;
}

} // namespace vitrimo
