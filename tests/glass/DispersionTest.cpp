#include "glass/Dispersion.h"

#include "model/NumberFormat.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

// The Fraunhofer lines t, s, A', r, C, d, e, F, g, h, i at their exact wavelengths, nm.
constexpr double kExactLines[] = {1013.98, 852.11,   768.195,  706.5188, 656.2725, 587.5618,
                                  546.074, 486.1327, 435.8343, 404.6561, 365.0146};
constexpr double kD = 587.5618, kF = 486.1327, kC = 656.2725;

GlassCatalogue Shipped(GlassMaker maker) {
    GlassCatalogue catalogue;
    const auto error = LoadGlassCatalogue(maker, Workspace::At(test::SourcePath("data")), "", catalogue);
    EXPECT_FALSE(error) << *error;
    return catalogue;
}

GlassFormula Formula(const GlassCatalogue& catalogue, std::string_view glass) {
    const GlassFormulaResult found = FindGlassFormula(catalogue, glass);
    EXPECT_TRUE(found.Ok()) << found.error;
    return found.formula;
}

double Index(const GlassFormula& formula, double nanometres) {
    return formula.IndexAt(nanometres).value_or(NAN);
}

TEST(Dispersion, NoIndexWhereTheFormulaHasNone) {
    EXPECT_FALSE(LaurentFormula({2.27, -0.01, 0, 0, 0, 0}, 20.0));                 // n^2 < 0 far out
    EXPECT_FALSE(SellmeierFormula({1, 0, 0, 0.25, 0, 0}, 0.5));                    // on the pole L = C1
    EXPECT_FALSE(SellmeierFormula({1.04, 0.23, 1.01, 0.006, 0.02, 103.56}, 0.07)); // just below a resonance
    for (double bad : std::initializer_list<double>{0.0, -0.5, NAN})
        EXPECT_FALSE(LaurentFormula({2.25}, bad));
}

// nd and Abbe number as the makers publish them (SCHOTT, OHARA, HOYA, SUMITA catalogues), against the
// formula of each maker with the coefficients of the shipped catalogue files.
struct Published {
    GlassMaker maker;
    const char* glass;
    double nd;
    double vd;
    double vdTolerance;
};

TEST(Dispersion, IndicesMatchPublishedCatalogueFigures) {
    const Published glasses[] = {
        {GlassMaker::Schott, "N-BK7", 1.51680, 64.17, 0.006},
        {GlassMaker::Schott, "N-SF11", 1.78472, 25.68, 0.006},
        {GlassMaker::Ohara, "S-BSL7", 1.516330, 64.142022, 0.001}, // Sellmeier
        {GlassMaker::Ohara, "BSL7", 1.516330, 64.150145, 0.001},   // Laurent: no Sellmeier data
        {GlassMaker::Ohara, "S-TIH6", 1.805181, 25.425363, 0.001},
        {GlassMaker::Hoya, "BSC7", 1.51680, 64.20, 0.006},
        {GlassMaker::Hoya, "FD60", 1.80518, 25.46, 0.006},
        {GlassMaker::Sumita, "K-BK7", 1.51633, 64.1, 0.06}, // SUMITA lists vd to one decimal
    };
    for (const auto& g : glasses) {
        SCOPED_TRACE(g.glass);
        const GlassFormula formula = Formula(Shipped(g.maker), g.glass);
        const double nd = Index(formula, kD);
        EXPECT_TRUE(test::Near(nd, g.nd, 0, 1e-5));
        EXPECT_TRUE(test::Near((nd - 1) / (Index(formula, kF) - Index(formula, kC)), g.vd, 0, g.vdTolerance));
    }
}

// Every index a shipped catalogue lists at the eleven lines, against the maker's formula with the
// catalogue's own coefficients: column order, the HOYA pairs and the Ohara choice, glass by glass.
TEST(Dispersion, EveryShippedCatalogueAgreesWithItsOwnCoefficients) {
    for (GlassMaker maker : kGlassMakers) {
        const GlassCatalogue catalogue = Shipped(maker);
        SCOPED_TRACE(std::string(MakerName(maker)));
        int glasses = 0, checked = 0;
        for (int row = catalogue.FixedRowCount(); row < catalogue.RowCount(); ++row) {
            const std::string& name = catalogue.Cell(maker == GlassMaker::Schott ? 0 : 1, row);
            const GlassFormulaResult found = FindGlassFormula(catalogue, name);
            ASSERT_TRUE(found.Ok()) << name << ": " << found.error;
            ASSERT_EQ(found.row, row) << name;
            ++glasses;
            for (int line = 0; line < 11; ++line) {
                const auto listed = ParseNumber(catalogue.TitledCell(static_cast<CatalogueTitle>(line), row));
                if (!listed) continue; // outside the formula's range: the catalogue leaves it empty
                // The catalogue rounds to 5 decimals.
                ASSERT_TRUE(test::Near(Index(found.formula, kExactLines[line]), *listed, 0, 5.01e-6))
                    << name << " line " << line;
                ++checked;
            }
        }
        EXPECT_GT(glasses, 150);
        EXPECT_GT(checked, 10 * glasses);
    }
}

// The shipped catalogues have the Ohara choice and the HOYA pairs; these are the other forms they take.
TEST(Dispersion, OharaLaurentOnlyCataloguesAndHoyaExponentsOfEitherSign) {
    // An older Ohara catalogue with Laurent columns only: its "A1" is the Laurent A1, not Sellmeier's B1.
    GlassCatalogue ohara, hoya;
    ASSERT_FALSE(
        ParseGlassCatalogue("No.\tGlass\tnd\tA0\tA1\tA2\tA3\tA4\tA5\n"
                            "1\tBSL7\t1.51633\t2.2697665\t-0.0096395197\t0.011025458\t7.9465126e-05\t"
                            "1.0120957e-05\t-4.4096694e-07\n",
                            GlassMaker::Ohara, "Ohara.txt", ohara));
    EXPECT_TRUE(test::Near(Index(Formula(ohara, "BSL7"), kD), 1.516330, 0, 1e-6));
    // HOYA BSC7 with A_k = mantissa * 10^-|exponent|, the exponents written with either sign.
    ASSERT_FALSE(
        ParseGlassCatalogue("Code\tGlass Type\tND\tA0\texp\tA1\texp\tA2\texp\tA3\texp\tA4\texp\tA5\texp\n"
                            "517642\tBSC7\t1.51680\t2.2702566\t0\t-9.1988101\t-3\t1.1609706\t2\t"
                            "-7.6123911\t-5\t2.8558727\t5\t-1.2566486\t-06\n",
                            GlassMaker::Hoya, "Hoya.txt", hoya));
    EXPECT_TRUE(test::Near(Index(Formula(hoya, "BSC7"), kD), 1.51680, 0, 1e-5));
}

} // namespace
} // namespace vitrimo
