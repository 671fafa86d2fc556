#include "engine/ThirdOrder.h"

#include "model/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

const std::array<std::string, ThirdOrderTable::kColumns> kHeaders = {
    " No.",  "   SA", "   CM", "   AS", "   DS", "   PT", "    L",
    "    T", "   A",  "   H",  "   AP", "   HP", "   P",  "   e"};

// Coefficients and ray data with 6 significant digits and 4 decimals; the colour terms with 7 and 5.
std::string Cell(double value, int column) {
    return column == 6 || column == 7 ? FormatFixed(value, 5, 7) : FormatFixed(value, 4, 6);
}

} // namespace

bool ThirdOrderTable::InsertSubtotal(int row) {
    const int sumRow = static_cast<int>(cells_.size()) - 1;
    const auto has = [&](int r) {
        return std::find(subtotals_.begin(), subtotals_.end(), r) != subtotals_.end();
    };
    if (row < 3 || has(row) || has(row - 1) || (sumRow > 0 && row > sumRow)) return false;
    for (int& entry : subtotals_)
        if (entry > row) ++entry;
    subtotals_.insert(std::upper_bound(subtotals_.begin(), subtotals_.end(), row), row);
    return true;
}

bool ThirdOrderTable::DeleteSubtotal(int row, Host& host) {
    const auto it = std::find(subtotals_.begin(), subtotals_.end(), row);
    if (it == subtotals_.end()) return false;
    if (host.Ask(MessageKind::Confirmation, Wording{"Delete OK ?", ""}, ButtonYes | ButtonNo) != ButtonYes)
        return false;
    subtotals_.erase(it);
    for (int& entry : subtotals_)
        if (entry > row) --entry;
    return true;
}

bool ThirdOrderTable::Compute(const Lens& lens) {
    return Compute(lens, lens.Arrays(), lens.FocalLength());
}

bool ThirdOrderTable::Compute(const Lens& lens, const SurfaceArrays& arrays, double focalLength) {
    error_.clear();
    warning_.clear();
    cells_.clear();
    coefficients_.clear();
    sums_ = {};
    const int n = std::min(lens.SurfaceCount(), arrays.Count() - 1);
    const double f = focalLength;
    if (n < 1 || f == 0 || !std::isfinite(f)) {
        error_ = "There is no focal length to normalise to.";
        return false;
    }
    for (int i = 0; i <= n; ++i) {
        if (arrays.surfaces[i].indexD == 0) {
            error_ = "Face " + std::to_string(i) + " has no refractive index.";
            return false;
        }
    }

    using Real = long double;
    const double pupil = ParaxialTrace::EntrancePupilDistance(arrays, StopSurfaceIndex(arrays, n));
    Real h = 1, alpha = 0, hBar = std::isfinite(pupil) ? -pupil / f : 0, alphaBar = -1;
    std::array<Real, 7> sums{}, atSubtotal{};
    cells_.push_back(kHeaders);
    coefficients_.assign(n + 1, {});

    for (int i = 1; i <= n; ++i) {
        const Surface& s = arrays.surfaces[i];
        const Surface& before = arrays.surfaces[i - 1];
        const Real n0 = before.indexD, n1 = s.indexD;
        const Real c = Real(s.curvature) * f;
        const Real e = Real(s.distance) / (n1 * f);
        const bool ideal = s.type == SurfaceType::IdealLens;
        // An ideal lens bends the two rays by its power and adds no aberration of its own.
        const Real P = ideal ? c * n1 : (n1 - n0) * c;
        const Real alphaAfter = alpha + h * P, alphaBarAfter = alphaBar + hBar * P;
        std::array<Real, 7> k{};
        if (!ideal) {
            const Real Q = n0 * h * c - alpha, QBar = n0 * hBar * c - alphaBar;
            const Real Psi = (n1 - n0) * (Real(s.conic) * c * c * c + 8 * Real(s.aspheric[0]) * f * f * f);
            const Real Delta = alphaAfter / (n1 * n1) - alpha / (n0 * n0);
            const Real DeltaBar = alphaBarAfter / (n1 * n1) - alphaBar / (n0 * n0);
            const Real delta = Real(s.dispersionGD) / n1 - Real(before.dispersionGD) / n0;
            k[0] = h * h * h * h * Psi + h * Q * Q * Delta;
            k[1] = h * h * h * hBar * Psi + h * Q * QBar * Delta;
            k[2] = h * h * hBar * hBar * Psi + h * QBar * QBar * Delta;
            k[3] = h * hBar * hBar * hBar * Psi + hBar * QBar * QBar * Delta + QBar * DeltaBar;
            k[4] = P / (n1 * n0);
            k[5] = h * Q * delta;
            k[6] = h * QBar * delta;
        }

        std::array<std::string, kColumns> row;
        row[0] = std::to_string(i);
        for (int m = 0; m < 7; ++m) {
            row[1 + m] = Cell(static_cast<double>(k[m]), 1 + m);
            coefficients_[i][m] = static_cast<double>(k[m]);
            sums[m] += k[m];
        }
        const Real data[6] = {alpha, h, alphaBar, hBar, P, e};
        for (int m = 0; m < 6; ++m) row[8 + m] = Cell(static_cast<double>(data[m]), 8 + m);
        cells_.push_back(row);

        if (std::find(subtotals_.begin(), subtotals_.end(), static_cast<int>(cells_.size())) !=
            subtotals_.end()) {
            std::array<std::string, kColumns> subtotal;
            subtotal[0] = "-";
            for (int m = 0; m < 7; ++m)
                subtotal[1 + m] = Cell(static_cast<double>(sums[m] - atSubtotal[m]), 1 + m);
            cells_.push_back(subtotal);
            atSubtotal = sums;
        }

        h -= e * alphaAfter;
        hBar -= e * alphaBarAfter;
        alpha = alphaAfter;
        alphaBar = alphaBarAfter;
    }

    std::array<std::string, kColumns> total;
    total[0] = "SUM";
    for (int m = 0; m < 7; ++m) {
        sums_[m] = static_cast<double>(sums[m]);
        total[1 + m] = Cell(sums_[m], 1 + m);
    }
    cells_.push_back(total);
    // Cells of values that are not finite are empty (the formatter gives no number for them); say so.
    int empty = 0;
    for (std::size_t r = 1; r < cells_.size(); ++r) {
        const bool face = cells_[r][0] != "-" && cells_[r][0] != "SUM"; // only face rows have paraxial data
        for (int c = 1; c < (face ? kColumns : 8); ++c) empty += cells_[r][c].empty() ? 1 : 0;
    }
    if (empty > 0)
        warning_ =
            std::to_string(empty) + " values overflow (an extreme aspheric coefficient?) and are left empty.";
    return true;
}

std::string ThirdOrderTable::Text() const {
    std::string text;
    for (const auto& row : cells_) {
        for (int c = 0; c < kColumns; ++c) {
            if (c) text += '\t';
            text += row[c];
        }
        text += "\r\n";
    }
    return text;
}

} // namespace vitrimo
