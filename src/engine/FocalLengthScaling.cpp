#include "engine/FocalLengthScaling.h"

#include "engine/Calculation.h"
#include "model/NumberFormat.h"

#include <cmath>
#include <limits>

namespace vitrimo {
namespace {

// How a face's radius or distance follows a scaling: scaled, fixed, or taken from another face.
struct Coupling {
    enum Kind { Free, Fixed, Linked } kind = Free;
    int face = 0;
};

Coupling CouplingOf(const std::string& cell, int maxFace) {
    if (cell.empty()) return {};
    const auto face = ParseInteger(cell);
    if (face && *face >= 0 && *face <= maxFace) return {Coupling::Linked, static_cast<int>(*face)};
    return {Coupling::Fixed, 0};
}

// Scales a working copy of the lens's arrays; the lens itself is only read.
class Scaler {
public:
    Scaler(const Lens& lens, const SurfaceArrays& start, ParaxialTrace& paraxial, double target)
        : lens_(lens), arrays_(start), paraxial_(paraxial), target_(target) {
        n_ = std::min(lens.SurfaceCount(), arrays_.Count() - 1);
        for (int i = 0; i <= n_; ++i) {
            radius_.push_back(CouplingOf(lens.Text(col::RFix, i + 1), n_));
            distance_.push_back(CouplingOf(lens.Text(col::LFix, i + 1), n_));
        }
    }

    // Curvatures of free faces times t, distances of free faces divided by t; linked faces follow.
    void Scale(long double t) {
        auto& s = arrays_.surfaces;
        for (int i = 1; i <= n_; ++i) {
            if (radius_[i].kind == Coupling::Free)
                s[i].curvature = static_cast<double>(s[i].curvature * t);
            else if (radius_[i].kind == Coupling::Linked)
                s[i].curvature = s[radius_[i].face].curvature;
        }
        for (int i = 1; i <= n_ - 1; ++i) {
            if (distance_[i].kind == Coupling::Free)
                s[i].distance = static_cast<double>(s[i].distance / t);
            else if (distance_[i].kind == Coupling::Linked)
                s[i].distance = std::copysign(std::fabs(s[distance_[i].face].distance), s[i].distance);
        }
    }

    // The focal length's distance from the target as a ratio of at least 1 (1: reached). A lens that
    // lost its image is as far as can be.
    long double Folded() {
        paraxial_.Run(lens_, arrays_);
        if (!paraxial_.ImageValid() || paraxial_.FocalLength() <= 0)
            return std::numeric_limits<long double>::infinity();
        const long double ratio = static_cast<long double>(paraxial_.FocalLength()) / target_;
        return ratio < 1 ? 1 / ratio : ratio;
    }

    long double Ratio() const { return static_cast<long double>(paraxial_.FocalLength()) / target_; }
    const SurfaceArrays& Arrays() const { return arrays_; }

private:
    const Lens& lens_;
    SurfaceArrays arrays_;
    ParaxialTrace& paraxial_;
    long double target_;
    int n_ = 0;
    std::vector<Coupling> radius_, distance_;
};

} // namespace

std::optional<SurfaceArrays> RestoreFocalLength(const Lens& lens, ParaxialTrace& paraxial,
                                                double focalLength) {
    return RestoreFocalLength(lens, lens.Arrays(), paraxial, focalLength);
}

std::optional<SurfaceArrays> RestoreFocalLength(const Lens& lens, const SurfaceArrays& start,
                                                ParaxialTrace& paraxial, double focalLength) {
    if (!(focalLength > 0) || !std::isfinite(focalLength)) return std::nullopt;
    Scaler scaler(lens, start, paraxial, focalLength);
    paraxial.Run(lens, start);
    if (!paraxial.ImageValid()) return std::nullopt;

    constexpr int kInnerCap = 5000;
    constexpr int kOuterCap = 1000;
    long double rho0 = scaler.Folded();
    for (int outer = 0; outer < kOuterCap && rho0 >= 1.000000001L; ++outer) {
        long double t = scaler.Ratio();
        long double b = rho0;
        for (int j = 0;; ++j) {
            t = (j + t) / (j + 1);
            scaler.Scale(t);
            const long double a = scaler.Folded();
            if (a < rho0) break;
            // Worse: undo the step and try the other way; keep whichever is better.
            t = 1 / t;
            scaler.Scale(t);
            scaler.Scale(t);
            b = scaler.Folded();
            if (b > a) {
                t = 1 / t;
                scaler.Scale(t);
                scaler.Scale(t);
                scaler.Folded();
            }
            if (j + 1 > kInnerCap) rho0 = 1;
            if (!(b > rho0 && rho0 - 1 >= 1e-14L)) break;
        }
        rho0 = scaler.Folded();
    }
    if (!paraxial.ImageValid()) return std::nullopt;
    return scaler.Arrays();
}

namespace {

// How much the free faces were scaled: the ratio of a free face's new curvature to the curvature its text
// holds (every free face is multiplied by the same factors), else of a free distance's old value to its
// new one. 1 when nothing free was found.
long double LensScale(const Lens& lens, const SurfaceArrays& arrays, int n) {
    for (int i = 1; i <= n; ++i) {
        const auto radius = ParseNumber(lens.Text(col::R, i + 1));
        if (lens.Text(col::RFix, i + 1).empty() && radius && *radius != 0 &&
            arrays.surfaces[i].curvature != 0)
            return static_cast<long double>(arrays.surfaces[i].curvature) * *radius;
    }
    for (int i = 1; i < n; ++i) {
        const auto distance = ParseNumber(lens.Text(col::Distance, i + 1));
        if (lens.Text(col::LFix, i + 1).empty() && distance && *distance != 0 &&
            arrays.surfaces[i].distance != 0)
            return std::fabs(*distance / static_cast<long double>(arrays.surfaces[i].distance));
    }
    return 1;
}

// Multiplies a numeric cell by a factor (15 significant digits); empty and non-numeric cells stay.
void ScaleCell(Lens& lens, std::string_view column, int row, long double factor) {
    const auto value = ParseNumber(lens.Text(column, row));
    if (!value || *value == 0 || factor == 1) return;
    lens.SetText(column, row, FormatGeneral(static_cast<double>(*value * factor), 15));
}

} // namespace

void WriteScaledRadiiAndDistances(Lens& lens, const SurfaceArrays& scaled) {
    SurfaceArrays arrays = scaled;
    const int n = std::min(lens.SurfaceCount(), arrays.Count() - 1);
    if (n < 0) return;

    // The lengths scale by 1/t when the curvatures scale by t. Each face's aspheric terms follow its own
    // curvature: free faces the lens's factor, linked faces their face's, fixed faces none.
    const long double t = LensScale(lens, arrays, n);
    // The faces only: the object row's marks belong to the light source.
    bool anyFixed = false;
    for (int row = 2; row <= n + 1; ++row)
        anyFixed = anyFixed || lens.Text(col::RFix, row) == "x" || lens.Text(col::LFix, row) == "x";
    std::vector<long double> faceScale(n + 1, 1.0L);
    for (int i = 1; i <= n; ++i) {
        const std::string& fix = lens.Text(col::RFix, i + 1);
        const auto linked = ParseInteger(fix);
        if (fix.empty())
            faceScale[i] = t;
        else if (linked && *linked >= 1 && *linked < i)
            faceScale[i] = faceScale[*linked];
        else if (linked && *linked > i && *linked <= n && lens.Text(col::RFix, *linked + 1).empty())
            faceScale[i] = t;
    }
    for (int i = 1; i <= n; ++i) {
        const int row = i + 1;
        for (std::size_t k = 0; k < col::Aspheric.size(); ++k)
            ScaleCell(lens, col::Aspheric[k], row, std::pow(faceScale[i], 3.0L + 2.0L * k));
    }
    if (!anyFixed && t != 1) {
        for (int row = 1; row <= lens.RowCount() - 1; ++row)
            for (auto column : {col::EffectiveDiameter, col::Diameter, col::HideDiameter, col::Dx, col::Y,
                                col::Dy, col::Z, col::Dz})
                ScaleCell(lens, column, row, 1 / t);
    }

    arrays.surfaces[n].distance = 0;
    for (int i = 0; i <= n; ++i) {
        const Surface& s = arrays.surfaces[i];
        const int row = i + 1;
        // Fixed radii and distances keep their text as the user typed it.
        if (s.curvature != 0 && lens.Text(col::RFix, row) != "x")
            lens.SetText(col::R, row, FormatGeneral(1 / s.curvature, 15));
        // The table holds distances without the mirror sign.
        if (i == n || lens.Text(col::LFix, row) != "x")
            lens.SetText(col::Distance, row, FormatGeneral(std::fabs(s.distance), 15));
    }
    lens.MarkChanged();
}

bool ScaleToFocalLength(Lens& lens, ParaxialTrace& paraxial, double focalLength, Host& host) {
    const auto scaled = RestoreFocalLength(lens, paraxial, focalLength);
    if (!scaled) return false;
    WriteScaledRadiiAndDistances(lens, *scaled);
    return PrepareForCalculation(lens, paraxial, host) == Readiness::Ready;
}

} // namespace vitrimo
