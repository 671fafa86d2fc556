// Dispersion formulas: a glass's refractive index at any wavelength from its catalogue coefficients.
//
// Wavelengths are given in nanometres; the formulas work in micrometres, lambda = nm / 1000, L = lambda^2.
// A formula that gives a negative or non-finite n^2 (a wavelength far outside the range it was fitted
// for, or on a Sellmeier pole) has no index there: the functions say so instead of returning NaN.
#pragma once

#include "glass/GlassCatalogue.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vitrimo {

// n = sqrt(A0 + A1 L + A2 / L + A3 / L^2 + A4 / L^3 + A5 / L^4), coefficients A0 ... A5.
std::optional<double> LaurentFormula(const std::array<double, 6>& a, double micrometres);

// n = sqrt(1 + B1 L / (L - C1) + B2 L / (L - C2) + B3 L / (L - C3)), coefficients B1, B2, B3, C1, C2, C3
// in that order (C in square micrometres).
std::optional<double> SellmeierFormula(const std::array<double, 6>& bc, double micrometres);

enum class FormulaKind { Laurent, Sellmeier };

struct GlassFormula {
    FormulaKind kind = FormulaKind::Laurent;
    std::array<double, 6> coefficients{};

    std::string_view Name() const { return kind == FormulaKind::Laurent ? "Laurent" : "Sellmeier"; }
    // The index at a wavelength in nanometres; nullopt where the formula has none.
    std::optional<double> IndexAt(double nanometres) const;
};

struct GlassFormulaResult {
    GlassFormula formula;
    int row = -1;      // the glass's row in the catalogue, -1 when the glass is not there
    std::string error; // empty when the glass and its coefficients were found

    bool Ok() const { return error.empty(); }
};

// The formula the catalogue's maker uses for a glass, with its coefficients read from the grid:
//   Sumita  Laurent, the glass found by the title "GNAME", coefficients from the column "A0" on;
//   HOYA    Laurent, the glass found by the HOYA rule, each coefficient a mantissa in the column
//           "A0" + 2k and an exponent beside it: A_k = mantissa * 10^-|exponent|;
//   Ohara   Sellmeier from the columns "A1", "A2", "A3", "B1", "B2", "B3" when the glass has a value
//           under "A1", else Laurent from the column "A0" on;
//   Schott  Sellmeier from the columns "B1", "B2", "B3", "C1", "C2", "C3".
// An unknown glass, a missing column or a coefficient that is not a number gives an error naming them.
GlassFormulaResult FindGlassFormula(const GlassCatalogue& catalogue, std::string_view glassName);

} // namespace vitrimo
