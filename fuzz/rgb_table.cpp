// RGBtable.txt: a table that is read gives every wavelength a colour, without overflow.
#include "FuzzSupport.h"
#include "glass/RealColours.h"

using namespace vitrimo;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RgbTable table;
    if (ParseRgbTable(fuzz::AsText(data, size), "RGBtable.txt", table)) {
        Check(table.nanometres.empty(), "a refused table leaves the table as it was");
        return 0;
    }
    Check(table.nanometres.size() >= 2, "a table has two wavelengths at least");
    for (const auto& column : table.components)
        Check(column.size() == table.nanometres.size(), "full columns");
    WavelengthList wavelengths;
    ApplyRealColours(wavelengths, table);
    for (double nm : {table.nanometres.front() - 1e3, static_cast<double>(table.nanometres.back()) * 2, 0.0,
                      -1.0, 1e30, 555.5})
        Check(RealColour(table, nm) <= 0xFFFFFFu, "a colour is 24 bits");
    Check(wavelengths.NonDefaultColours(), "real colours are not the defaults");
    return 0;
}
