#include "exchange/GlassLookup.h"

#include "glass/Dispersion.h"
#include "model/NumberFormat.h"

#include <cmath>

namespace vitrimo {
namespace {

// The lines that define the Abbe number, in nanometres.
constexpr double kLineD = 587.5618, kLineF = 486.1327, kLineC = 656.2725, kLineG = 435.8343;
// The normal line of partial dispersions: P(g,F) = 0.6438 - 0.001682 vd for glasses without anomalous
// dispersion (Schott's reference line through K7 and F2).
constexpr double kNormalLineIntercept = 0.6438, kNormalLineSlope = -0.001682;

} // namespace

GlassLookup BuiltInGlassLookup(std::shared_ptr<GlassCatalogues> catalogues) {
    return [catalogues](std::string_view name) -> std::optional<ResolvedGlass> {
        constexpr std::array<GlassMaker, 4> order{GlassMaker::Schott, GlassMaker::Ohara, GlassMaker::Hoya,
                                                  GlassMaker::Sumita};
        for (GlassMaker maker : order) {
            std::string error;
            const GlassCatalogue* catalogue = catalogues->Get(maker, error);
            if (!catalogue) continue;
            const GlassFormulaResult found = FindGlassFormula(*catalogue, name);
            if (found.row < 0) continue;
            // A stray line of the catalogue that happens to hold the name is no glass.
            const auto nd = ParseNumber(catalogue->TitledCell(TitleNd, found.row));
            if (!nd || *nd == 0) continue;
            ResolvedGlass glass;
            glass.maker = std::string(MakerName(maker));
            for (int line = 0; line < 11; ++line)
                glass.lineIndices[line] = catalogue->TitledCell(static_cast<CatalogueTitle>(line), found.row);
            return glass;
        }
        return std::nullopt;
    };
}

GlassLookup AddedGlassLookup(const AddedCatalogues& added) {
    return [&added](std::string_view name) -> std::optional<ResolvedGlass> {
        for (const AgfCatalogue& catalogue : added.All()) {
            const AgfGlass* glass = catalogue.Find(name);
            if (!glass) continue;
            ResolvedGlass resolved;
            resolved.maker = catalogue.fileName;
            for (std::size_t line = 0; line < resolved.lineIndices.size(); ++line)
                resolved.lineIndices[line] = AgfLineIndexText(*glass, static_cast<int>(line));
            return resolved;
        }
        return std::nullopt;
    };
}

GlassLookup ChainGlassLookups(std::vector<GlassLookup> lookups) {
    return [lookups = std::move(lookups)](std::string_view name) -> std::optional<ResolvedGlass> {
        for (const GlassLookup& lookup : lookups)
            if (lookup)
                if (auto glass = lookup(name)) return glass;
        return std::nullopt;
    };
}

std::optional<double> ModelGlassIndex(double nd, double vd, double nanometres, double dPgF) {
    if (!std::isfinite(nd) || !std::isfinite(vd) || !std::isfinite(dPgF) || nd <= 1 || nd > 4 || vd <= 0 ||
        vd > 200 || std::abs(dPgF) > 0.1 || !std::isfinite(nanometres) || nanometres <= 0)
        return std::nullopt;
    // n = A + B u + C u^2 with u = 1 / lambda^2 (lambda in micrometres).
    const auto u = [](double nm) { return 1e6 / (nm * nm); };
    const double fc = (nd - 1) / vd;
    const double gf = (kNormalLineIntercept + kNormalLineSlope * vd + dPgF) * fc;
    // n(F) - n(C) = B (uF - uC) + C (uF^2 - uC^2); n(g) - n(F) likewise.
    const double a11 = u(kLineF) - u(kLineC), a12 = u(kLineF) * u(kLineF) - u(kLineC) * u(kLineC);
    const double a21 = u(kLineG) - u(kLineF), a22 = u(kLineG) * u(kLineG) - u(kLineF) * u(kLineF);
    const double det = a11 * a22 - a12 * a21;
    const double b = (fc * a22 - a12 * gf) / det;
    const double c = (a11 * gf - a21 * fc) / det;
    const double a = nd - b * u(kLineD) - c * u(kLineD) * u(kLineD);
    const double n = a + b * u(nanometres) + c * u(nanometres) * u(nanometres);
    if (!std::isfinite(n) || n <= 0) return std::nullopt;
    return n;
}

std::optional<std::vector<std::string>> ModelGlassIndices(double nd, double vd, double dPgF,
                                                          const std::vector<double>& nanometres) {
    std::vector<std::string> texts;
    for (double nm : nanometres) {
        const auto n = ModelGlassIndex(nd, vd, nm, dPgF);
        if (!n) return std::nullopt;
        texts.push_back(FormatFixed(*n, 5));
    }
    return texts;
}

} // namespace vitrimo
