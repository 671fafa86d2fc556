// The columns of the lens table: one name per grid column, kept in column order.
//
// Columns are always addressed by name; their numbers change when a wavelength column is inserted. The
// names are the file format's names and stay English whatever the window shows as titles.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

namespace col {
inline constexpr std::string_view No = "No", GlassName = "GlassName", R = "r", RFix = "rFix",
                                  EffectiveDiameter = "effectvDiam.", Diameter = "Diameter",
                                  HideDiameter = "HideDiam.", Distance = "Distance", LFix = "lFix",
                                  MaxDistance = "maxDis.", MinDistance = "minDis.", Dx = "dx", Y = "Y",
                                  Dy = "dy", Z = "Z", Dz = "dz", Theta = "Theta", DTheta = "dTheta",
                                  Phi = "Phi", DPhi = "dPhi", K = "k", A4 = "A4", A6 = "A6", A8 = "A8",
                                  A10 = "A10", A12 = "A12", A14 = "A14", Nd = "nd", Ng = "ng", Nt = "nt",
                                  Ni = "ni", Remarks = "Remarks";

// The eleven index columns of the Fraunhofer lines t, s, A', r, C, d, e, F, g, h, i, in column order.
inline constexpr std::array<std::string_view, 11> LineIndices{"nt", "ns", "nA", "nr", "nC", "nd",
                                                              "ne", "nF", "ng", "nh", "ni"};
inline constexpr std::array<std::string_view, 6> Aspheric{"A4", "A6", "A8", "A10", "A12", "A14"};
// The three diameter columns, which the table may show as radii.
inline constexpr std::array<std::string_view, 3> Diameters{"effectvDiam.", "Diameter", "HideDiam."};
inline constexpr std::array<std::string_view, 3> RadiusTitles{"effectvRadius", "Radius", "HideRadius"};
} // namespace col

class ColumnMap {
public:
    // The default layout of 39 columns, "No" through "Remarks".
    static ColumnMap Default();

    int Count() const { return static_cast<int>(names_.size()); }
    // The column number of a name, or -1 when there is no such column.
    int Column(std::string_view name) const;
    const std::string& Name(int column) const { return names_.at(column); }
    const std::vector<std::string>& Names() const { return names_; }

    // Inserts a column before `column`; every column from there on moves one to the right.
    void Insert(int column, std::string name);

private:
    std::vector<std::string> names_;
};

} // namespace vitrimo
