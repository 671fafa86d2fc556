// Glass catalogue files: read the grid, find glasses by every maker's rule and evaluate their formulas.
// A refused file leaves the grid as it was; an index, where there is one, is finite.
#include "FuzzSupport.h"
#include "glass/Dispersion.h"
#include "glass/GlassCatalogue.h"

using namespace vitrimo;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    GlassCatalogue catalogue;
    const GlassCatalogue before = catalogue;
    if (ParseGlassCatalogue(text, GlassMaker::Ohara, "fuzz.txt", catalogue)) {
        Check(catalogue.RowCount() == before.RowCount() && !catalogue.Maker(),
              "a refused file changes nothing");
        return 0;
    }
    Check(catalogue.TitleRow() >= 0 && catalogue.TitleRow() < catalogue.RowCount(), "the title row is a row");
    Check(catalogue.TitleColumn(TitleNd) >= 0, "the title row names the d line");
    for (int title = 0; title < kCatalogueTitleCount; ++title)
        Check(catalogue.TitleColumn(static_cast<CatalogueTitle>(title)) < catalogue.ColumnCount(),
              "a title column is a column");

    // A few glass names from the grid itself, so that the formulas get to run.
    const int nameColumn = catalogue.TitleColumn(TitleNd) > 0 ? 0 : 1;
    for (int row = catalogue.TitleRow() + 1; row < catalogue.RowCount() && row <= catalogue.TitleRow() + 3;
         ++row) {
        const std::string& name = catalogue.Cell(nameColumn, row);
        for (GlassMaker maker : kGlassMakers) {
            GlassCatalogue asMaker = catalogue;
            ParseGlassCatalogue(text, maker, "fuzz.txt", asMaker);
            const GlassFormulaResult found = FindGlassFormula(asMaker, name);
            if (!found.Ok()) continue;
            Check(found.row >= 0 && found.row < asMaker.RowCount(), "a found glass is a row of the grid");
            for (double nm : {1014.0, 852.1, 587.6, 365.0, 532.0, 10000.0, 200.0})
                if (const auto n = found.formula.IndexAt(nm)) fuzz::CheckFinite(*n, "a computed index");
        }
        const GlassLocation hoya = FindHoyaGlass(catalogue, name);
        if (hoya.Found()) Check(catalogue.Cell(1, hoya.row) == name, "the HOYA rule finds the named glass");
        const GlassLocation general = FindGlassCoefficients(catalogue, "Glass", "A0", name);
        if (general.Found()) Check(general.column >= 1, "a coefficient column is right of the first");
    }
    return 0;
}
