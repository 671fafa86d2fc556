// Lens files of other design programs (.zmx): import, and whatever comes in must be a lens the program
// can write, read back and export, with finite paraxial data. A refused file gives a message and no lens.
#include "FuzzSupport.h"
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "exchange/ZmxExport.h"
#include "exchange/ZmxImport.h"
#include "model/LensFile.h"

using namespace vitrimo;
using fuzz::Check;

namespace {

// A catalogue of two glasses, so that imports get past their glasses without reading files.
std::optional<ResolvedGlass> Lookup(std::string_view name) {
    if (name != "N-BK7" && name != "F2") return std::nullopt;
    ResolvedGlass glass;
    glass.maker = "Schott";
    glass.lineIndices =
        name == "F2"
            ? std::array<std::string, 11>{"1.59600", "1.60080", "1.60400", "1.60700", "1.61503", "1.62004",
                                          "1.62408", "1.63208", "1.64206", "1.65087", "1.66650"}
            : std::array<std::string, 11>{"1.50731", "1.50980", "1.51143", "1.51289", "1.51432", "1.51680",
                                          "1.51872", "1.52238", "1.52668", "1.53024", "1.53627"};
    return glass;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    const ZmxImport imported = ImportZmxText(bytes, Lookup, "fuzz.zmx");
    if (!imported.Ok()) {
        Check(imported.lens.RowCount() == Lens().RowCount(), "a refused file gives no lens");
        Check(imported.unsupported.empty(), "a refused file lists nothing");
        return 0;
    }
    const Lens& lens = imported.lens;
    Check(lens.RowCount() >= 3, "an imported lens has a face");
    for (int row = 0; row < lens.RowCount(); ++row)
        for (int column = 0; column < lens.Columns().Count(); ++column)
            Check(!fuzz::ShowsNonFiniteNumber(lens.Text(column, row)) ||
                      column == lens.Column(col::GlassName),
                  "no cell shows a number that is not finite");

    // The program's own file holds it.
    Lens reread;
    Check(ParseLensFileText(reread, LensFileText(lens)).Ok(), "an imported lens can be saved and read back");
    Check(reread.Table() == lens.Table(), "the saved lens reads back the same");

    // The export of an imported lens imports again.
    const ZmxExport exported = ExportZmxText(lens);
    const ZmxImport again = ImportZmxText(exported.text, Lookup, "again.zmx");
    Check(again.Ok(), "an exported lens imports again");

    fuzz::DecliningHost host;
    ParaxialTrace paraxial;
    Lens copy = lens;
    if (PrepareForCalculation(copy, paraxial, host) != Readiness::Cancelled) {
        fuzz::CheckFinite(copy.FocalLength(), "focal length");
        fuzz::CheckFinite(copy.BackFocalDistance(), "back focal distance");
    }
    return 0;
}
