// AGF glass catalogues: read the records, evaluate every glass's formula at the lines and beyond, build
// the grid the glass data window shows. A refused file changes nothing; an index, where there is one, is
// finite; a read catalogue's glasses have known formulas and unique names.
#include "FuzzSupport.h"
#include "glass/AgfCatalogue.h"
#include "glass/GlassCatalogue.h"

#include <set>

using namespace vitrimo;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    AgfCatalogue catalogue;
    catalogue.name = "before";
    if (ParseAgfCatalogue(bytes, "/fuzz/FUZZ.AGF", catalogue)) {
        Check(catalogue.name == "before" && catalogue.glasses.empty(), "a refused file changes nothing");
        return 0;
    }
    Check(catalogue.name == "FUZZ" && catalogue.fileName == "FUZZ.AGF",
          "the catalogue is named after its file");
    Check(!catalogue.glasses.empty() && catalogue.glasses.size() <= AgfCatalogue::kMaxGlasses,
          "a read catalogue has glasses, not too many");
    std::set<std::string> names;
    for (const AgfGlass& glass : catalogue.glasses) {
        Check(AgfCoefficientCount(glass.formula) > 0, "a read glass has a known formula");
        Check(names.insert(glass.name).second, "glass names are unique");
        Check(catalogue.Find(glass.name) == &glass, "a glass is found by its name");
        for (double c : glass.coefficients) fuzz::CheckFinite(c, "a coefficient");
        fuzz::CheckFinite(glass.nd, "nd");
        fuzz::CheckFinite(glass.vd, "vd");
        for (double nm : {1013.98, 587.5618, 365.0146, 532.0, 10600.0, 200.0, 1e-3, 1e9})
            if (const auto n = glass.IndexAt(nm)) fuzz::CheckFinite(*n, "a computed index");
        for (int line = 0; line < 11; ++line) {
            const std::string text = AgfLineIndexText(glass, line);
            Check(!fuzz::ShowsNonFiniteNumber(text), "a line index is a number or empty");
        }
        if (names.size() >= 64) break; // enough for one input
    }

    // The grid of the glass data window reads back with its title line.
    GlassCatalogue grid;
    Check(!ParseGlassGrid(AgfCatalogueGridText(catalogue), catalogue.path, grid), "the grid is read");
    Check(grid.TitleRow() == 1, "the grid's title line is its second line");
    Check(grid.RowCount() == 2 + static_cast<int>(catalogue.glasses.size()), "every glass has a grid line");
    Check(grid.Cell(0, 2) == catalogue.glasses.front().name, "the first glass is named in column 0");

    // The lookup finds the first glass in the added set.
    AddedCatalogues added;
    Check(!added.Add(catalogue), "a read catalogue can be added");
    const AgfIndices found = added.Indices(catalogue.glasses.front().name, "", {587.5618, 1550.0});
    Check(found.Ok() && found.indices.size() == 2 && found.outsideRange.size() == 2, "the lookup answers");
    for (const auto& n : found.indices)
        if (n) fuzz::CheckFinite(*n, "a looked-up index");
    return 0;
}
