#include "model/ColumnMap.h"

#include <algorithm>
#include <stdexcept>

namespace vitrimo {

ColumnMap ColumnMap::Default() {
    ColumnMap map;
    map.names_ = {"No",       "GlassName", "r",       "rFix",    "effectvDiam.", "Diameter", "HideDiam.",
                  "Distance", "lFix",      "maxDis.", "minDis.", "dx",           "Y",        "dy",
                  "Z",        "dz",        "Theta",   "dTheta",  "Phi",          "dPhi",     "k",
                  "A4",       "A6",        "A8",      "A10",     "A12",          "A14"};
    for (auto name : col::LineIndices) map.names_.emplace_back(name);
    map.names_.emplace_back(col::Remarks);
    return map;
}

int ColumnMap::Column(std::string_view name) const {
    const auto it = std::find(names_.begin(), names_.end(), name);
    return it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
}

void ColumnMap::Insert(int column, std::string name) {
    if (column < 0 || column > Count()) throw std::out_of_range("ColumnMap::Insert");
    names_.insert(names_.begin() + column, std::move(name));
}

} // namespace vitrimo
