// Lens data files: read, write, read again. The second read must equal the first, writing it once more
// must give the same text, and the paraxial data of whatever was read must be finite.
#include "FuzzSupport.h"
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"

#include <algorithm>

using namespace vitrimo;
using fuzz::Check;

namespace {

bool IsDiameterColumn(const Lens& lens, int column) {
    const std::string& name = lens.Columns().Name(column);
    return std::find(col::Diameters.begin(), col::Diameters.end(), name) != col::Diameters.end();
}

// The table restricted to the columns a file stores (unknown columns are read but not written). While
// the table shows radii, the file holds diameters, and an empty diameter cell is written as the value it
// stands for (the effective diameter for "Diameter", else 0): it reads back as that number. Switching to
// radii repairs a "Diameter" cell that is not a number by copying the effective diameter's text after that
// column was converted, so such a cell may read "0" where the file gives back "0.0000".
bool SameKnownCells(const Lens& first, const Lens& second) {
    if (first.RowCount() != second.RowCount() || first.Columns().Names() != second.Columns().Names())
        return false;
    for (int row = 0; row < first.RowCount(); ++row)
        for (int column = 0; column < first.Columns().Count(); ++column) {
            const std::string &a = first.Text(column, row), &b = second.Text(column, row);
            if (a == b) continue;
            if (row > 0 && first.RadiusMode() && IsDiameterColumn(first, column)) {
                // An empty cell comes back as the number it stands for; a repaired "0" as "0.0000".
                const auto x = ParseNumber(a), y = ParseNumber(b);
                if (y && (a.empty() || (x && *x == *y))) continue;
            }
            return false;
        }
    return true;
}

// The memo comes back as it was, but for one rule of the writer: lines of memo read before a later table
// row are written after all rows, and a first memo line that would then pass for the next face's row
// has its tabs written as spaces.
bool SameMemo(const std::string& first, const std::string& second) {
    if (first == second) return true;
    std::string protectedFirst = first;
    std::replace(protectedFirst.begin(), protectedFirst.begin() + std::min(first.find('\n'), first.size()),
                 '\t', ' ');
    return protectedFirst == second;
}

bool SameWavelengths(const Lens& a, const Lens& b) {
    const auto& x = a.Wavelengths();
    const auto& y = b.Wavelengths();
    if (x.Count() != y.Count() || x.NonDefaultColours() != y.NonDefaultColours()) return false;
    for (int w = 0; w < x.Count(); ++w)
        if (x.At(w).name != y.At(w).name || x.At(w).colour != y.At(w).colour) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    // Half of the inputs are read with the table showing radii, which rewrites the diameter cells.
    const bool radiusMode = size % 2 == 1;

    Lens lens;
    lens.SetRadiusMode(radiusMode);
    const Lens untouched = lens;
    const LensFileResult first = ParseLensFileText(lens, text);
    if (!first.Ok()) {
        Check(lens.Table() == untouched.Table(), "a refused file left the table as it was");
        return 0;
    }
    Check(lens.RowCount() >= 2, "a read table has the title row and the object row");
    for (const auto& cell : first.nonNumericCells) {
        const int column = lens.Column(cell.column);
        Check(column >= 0 && IsNumericColumn(lens, column), "a reported cell is in a numeric column");
        Check(!IsBlank(cell.text) && !ParseNumber(cell.text), "a reported cell is not a number");
    }

    const std::string written = LensFileText(lens);
    Lens again;
    again.SetRadiusMode(radiusMode);
    const LensFileResult second = ParseLensFileText(again, written);
    Check(second.Ok(), "what the program writes it reads back");
    Check(second.unknownColumns.empty(), "the program writes only columns it knows");
    Check(SameKnownCells(lens, again), "the second read equals the first");
    Check(SameMemo(lens.Memo(), again.Memo()), "the memo reads back the same");
    Check(SameWavelengths(lens, again), "the wavelengths and colours read back the same");
    // From the second read on, nothing changes any more.
    const std::string rewritten = LensFileText(again);
    Lens third;
    third.SetRadiusMode(radiusMode);
    Check(ParseLensFileText(third, rewritten).Ok(), "what the program writes it reads back (again)");
    Check(third.Table() == again.Table() && third.Memo() == again.Memo(), "the third read equals the second");
    Check(LensFileText(third) == rewritten, "writing again gives the same text");
    if (!radiusMode) Check(rewritten == written, "without radii, writing again gives the same text");

    // Whatever was read, the paraxial data it gives are finite or there is no image.
    fuzz::DecliningHost host;
    ParaxialTrace paraxial;
    if (PrepareForCalculation(lens, paraxial, host) != Readiness::Cancelled) {
        fuzz::CheckFinite(lens.FocalLength(), "focal length");
        fuzz::CheckFinite(lens.BackFocalDistance(), "back focal distance");
        for (const Surface& s : lens.Arrays().surfaces) {
            fuzz::CheckFinite(s.curvature, "curvature");
            fuzz::CheckFinite(s.distance, "distance");
        }
        for (double v : paraxial.Angles()) fuzz::CheckFinite(v, "paraxial angle");
        for (double v : paraxial.Heights()) fuzz::CheckFinite(v, "paraxial height");
    }
    return 0;
}
