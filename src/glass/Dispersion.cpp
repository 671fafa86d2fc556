#include "glass/Dispersion.h"

#include "model/NumberFormat.h"

#include <cmath>

namespace vitrimo {
namespace {

// sqrt(n^2), or nullopt when n^2 is negative or not finite.
std::optional<double> RootOf(long double nSquared) {
    if (!std::isfinite(nSquared) || nSquared < 0) return std::nullopt;
    const double n = static_cast<double>(std::sqrt(nSquared));
    return std::isfinite(n) ? std::optional<double>(n) : std::nullopt;
}

bool UsableWavelength(double micrometres) {
    return std::isfinite(micrometres) && micrometres > 0;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Reads the six coefficients of a glass row, in consecutive columns or (HOYA) as mantissa and exponent
// pairs. Returns an error naming the glass and the cell when one is not a number.
std::string ReadCoefficients(const GlassCatalogue& catalogue, const GlassLocation& at, bool pairs,
                             std::string_view glassName, std::array<double, 6>& coefficients) {
    const auto notANumber = [&](int column) {
        const std::string& title = catalogue.Cell(column, at.titleRow);
        return "The coefficient " +
               (title.empty() ? "in column " + std::to_string(column + 1) : Quoted(title)) + " of " +
               Quoted(glassName) + " in the " + std::string(MakerName(*catalogue.Maker())) + " catalogue " +
               Quoted(catalogue.Source()) + " is not a number: " + Quoted(catalogue.Cell(column, at.row));
    };
    for (int k = 0; k < 6; ++k) {
        const int column = at.column + (pairs ? 2 * k : k);
        const auto value = ParseNumber(catalogue.Cell(column, at.row));
        if (!value) return notANumber(column);
        if (!pairs) {
            coefficients[k] = *value;
            continue;
        }
        const auto exponent = ParseNumber(catalogue.Cell(column + 1, at.row));
        if (!exponent) return notANumber(column + 1);
        // Dividing by an exact power of ten keeps the decimal mantissa's digits best.
        coefficients[k] = static_cast<double>(*value / std::pow(10.0L, std::fabs((long double)*exponent)));
    }
    return "";
}

GlassFormulaResult FormulaAt(const GlassCatalogue& catalogue, const GlassLocation& at, FormulaKind kind,
                             bool pairs, std::string_view glassName) {
    GlassFormulaResult result;
    result.row = at.row;
    if (!at.Found()) {
        result.error = at.error;
        return result;
    }
    result.formula.kind = kind;
    result.error = ReadCoefficients(catalogue, at, pairs, glassName, result.formula.coefficients);
    return result;
}

} // namespace

std::optional<double> LaurentFormula(const std::array<double, 6>& a, double micrometres) {
    if (!UsableWavelength(micrometres)) return std::nullopt;
    const long double L = (long double)micrometres * micrometres;
    const long double nSquared =
        a[0] + a[1] * L + a[2] / L + a[3] / (L * L) + a[4] / (L * L * L) + a[5] / (L * L * L * L);
    return RootOf(nSquared);
}

std::optional<double> SellmeierFormula(const std::array<double, 6>& bc, double micrometres) {
    if (!UsableWavelength(micrometres)) return std::nullopt;
    const long double L = (long double)micrometres * micrometres;
    long double nSquared = 1;
    for (int k = 0; k < 3; ++k) {
        const long double denominator = L - bc[k + 3];
        if (denominator == 0) return std::nullopt; // on the pole
        nSquared += bc[k] * L / denominator;
    }
    return RootOf(nSquared);
}

std::optional<double> GlassFormula::IndexAt(double nanometres) const {
    const double micrometres = nanometres / 1000;
    return kind == FormulaKind::Laurent ? LaurentFormula(coefficients, micrometres)
                                        : SellmeierFormula(coefficients, micrometres);
}

GlassFormulaResult FindGlassFormula(const GlassCatalogue& catalogue, std::string_view glassName) {
    GlassFormulaResult result;
    if (!catalogue.Maker()) {
        result.error = "No glass catalogue is loaded";
        return result;
    }
    switch (*catalogue.Maker()) {
    case GlassMaker::Sumita:
        return FormulaAt(catalogue, FindGlassCoefficients(catalogue, "GNAME", "A0", glassName),
                         FormulaKind::Laurent, false, glassName);
    case GlassMaker::Hoya:
        return FormulaAt(catalogue, FindHoyaGlass(catalogue, glassName), FormulaKind::Laurent, true,
                         glassName);
    case GlassMaker::Schott:
        return FormulaAt(catalogue, FindGlassCoefficients(catalogue, "Glass", "B1", glassName),
                         FormulaKind::Sellmeier, false, glassName);
    case GlassMaker::Ohara:
        break;
    }
    // Ohara lists Sellmeier coefficients (titled A1 ... B3) for some glasses and Laurent ones (A0 ... A5)
    // for others. An "A1" that directly follows "A0" belongs to the Laurent block: a catalogue with
    // Laurent columns only must not be read as Sellmeier.
    const GlassLocation sellmeier = FindGlassCoefficients(catalogue, "Glass", "A1", glassName);
    if (sellmeier.row < 0) {
        result.error = sellmeier.error;
        return result;
    }
    result.row = sellmeier.row;
    const bool hasSellmeierColumns =
        sellmeier.column >= 0 && catalogue.Cell(sellmeier.column - 1, sellmeier.titleRow) != "A0";
    if (hasSellmeierColumns && !TrimBlanks(catalogue.Cell(sellmeier.column, sellmeier.row)).empty())
        return FormulaAt(catalogue, sellmeier, FormulaKind::Sellmeier, false, glassName);
    result = FormulaAt(catalogue, FindGlassCoefficients(catalogue, "Glass", "A0", glassName),
                       FormulaKind::Laurent, false, glassName);
    result.row = sellmeier.row;
    return result;
}

} // namespace vitrimo
