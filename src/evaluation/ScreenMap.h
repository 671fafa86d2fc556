// The transmission map of a "Screen" face, read from the text file "screen.txt" of the lens folder.
//
// The file holds one row of the map per line, numbers separated by tabs; the first line's tabs fix the
// number of columns. Each value is stored as a level 0 ... 255 relative to the largest value of the file.
// The map spans the face's effective diameter D as a square: row 0 along the top edge (y = +D/2), column 0
// along the left edge (z = -D/2), y and z in the face's own frame.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

struct ScreenMap {
    int rows = 0;
    int columns = 0;
    std::vector<std::uint8_t> levels; // rows x columns, row-major

    bool Empty() const { return rows == 0 || columns == 0; }
    int Level(int row, int column) const { return levels[static_cast<std::size_t>(row) * columns + column]; }
};

struct ScreenMapResult {
    ScreenMap map;
    std::string error; // empty on success
    bool Ok() const { return error.empty(); }
};

// The most cells a screen map may have (a 2000 x 2000 map), so that a wrong file cannot exhaust memory.
inline constexpr long long kMaxScreenCells = 4'000'000;

// Parses the text of a screen file. Missing cells of a short line are 0; negative values count as 0; a
// file whose largest value is 0 is an opaque screen. Text that is not a number, binary data and a map of
// more than kMaxScreenCells cells are errors. A UTF-8 byte-order mark is skipped.
ScreenMapResult ParseScreenMap(std::string_view text);
// Reads and parses a screen file.
ScreenMapResult ReadScreenMap(const std::string& path);

// The transmission (0 ... 1) of a ray at (y, z) of a face of diameter D: the mean of the map over the
// rectangle of half-sizes (halfY, halfZ) about the point, clipped to the map. A rectangle wholly outside
// the map transmits nothing.
double ScreenTransmission(const ScreenMap& map, double diameter, double y, double z, double halfY,
                          double halfZ);

// A screen face of the lens: its face number, effective diameter and map.
struct ScreenFace {
    int surface = 0;
    double diameter = 0;
    ScreenMap map;
};

} // namespace vitrimo
