// screen.txt: a map that is read has as many levels as cells, each 0 ... 255, and every transmission is a
// fraction between 0 and 1.
#include "FuzzSupport.h"
#include "evaluation/ScreenMap.h"

#include <cmath>

using namespace vitrimo;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ScreenMapResult result = ParseScreenMap(fuzz::AsText(data, size));
    if (!result.Ok()) {
        Check(result.map.Empty(), "a refused map is empty");
        return 0;
    }
    const ScreenMap& map = result.map;
    Check(map.rows > 0 && map.columns > 0, "a read map has cells");
    Check(static_cast<long long>(map.rows) * map.columns <= kMaxScreenCells, "the cell limit holds");
    Check(map.levels.size() == static_cast<std::size_t>(map.rows) * map.columns, "a level per cell");
    for (double y : {-12.0, -1.0, 0.0, 0.3, 5.0, 11.0})
        for (double z : {-7.0, 0.0, 2.5, 9.0})
            for (double half : {0.0, 0.01, 0.5, 30.0}) {
                const double t = ScreenTransmission(map, 20, y, z, half, half / 2);
                Check(std::isfinite(t) && t >= 0 && t <= 1, "a transmission is a fraction");
            }
    return 0;
}
