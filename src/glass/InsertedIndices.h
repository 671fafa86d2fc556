// Refractive indices at the wavelengths the user adds to the lens table.
//
// The eleven Fraunhofer line indices of a glass are copied from its catalogue; indices at any other
// wavelength are computed from the catalogue's dispersion coefficients, by the formula of the maker that
// a row's "Remarks" names. Air rows get "1", mirror rows "-1", rows without a known maker "0" (no data:
// the wavelength cannot then be selected for calculation).
#pragma once

#include "glass/AgfCatalogue.h"
#include "glass/Dispersion.h"
#include "glass/GlassCatalogue.h"
#include "model/Host.h"
#include "model/Lens.h"
#include "model/Workspace.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace vitrimo {

// The four catalogues as one command needs them: each is read from its file the first time it is asked
// for and kept while the object lives, so a command reads a file once however many rows and wavelengths
// use it. Make a new object for each command: files changed in between are then read again.
class GlassCatalogues {
public:
    // `added`, when given, are the AGF catalogues the user added; rows whose "Remarks" holds one's file
    // name take their indices from it.
    GlassCatalogues(Workspace workspace, std::string dataDir, const AddedCatalogues* added = nullptr)
        : workspace_(std::move(workspace)), dataDir_(std::move(dataDir)), added_(added) {}

    // The maker's catalogue, or nullptr with the reason in `error`.
    const GlassCatalogue* Get(GlassMaker maker, std::string& error);
    // The added AGF catalogues, or nullptr.
    const AddedCatalogues* Added() const { return added_; }

private:
    struct Slot {
        bool tried = false;
        GlassCatalogue catalogue;
        std::optional<std::string> error;
    };

    Workspace workspace_;
    std::string dataDir_;
    std::array<Slot, kGlassMakers.size()> slots_;
    const AddedCatalogues* added_ = nullptr;
};

// Fills the cells of table row i + 1 under every added wavelength (the eleven lines are left alone):
//   "1"   when the row's "nd" is 1 or its "GlassName" is "Air";
//   "-1"  when "nd" is -1 or "GlassName" is "Mirror";
//   minus the previous row's value for a second-surface mirror ("2nd Surf.Mirror"), which reflects
//         inside the glass of the row before it;
//   the index by the formula of the maker named in "Remarks" ("Sumita", "Ohara", "HOYA", "Schott"),
//         or of the added AGF catalogue whose file name it holds ("SCHOTT.AGF"), with 5 decimals (an
//         AGF glass's index is computed outside its wavelength range too, as the makers' are);
//   "0"   for anything else.
// When an index cannot be computed (catalogue missing, glass unknown, a coefficient not a number, no
// real index at that wavelength) the host is told why, naming the glass and the wavelength; that cell is
// left empty, the rest of the row is not computed, and false is returned. Nothing else is changed:
// the caller marks the lens changed.
bool ComputeInsertedIndices(Lens& lens, int i, GlassCatalogues& catalogues, Host& host);

// Data > Insert New Wavelength. Asks whether to go on, runs `prepare` (the step every calculation
// starts with; false ends the command), then asks for a wavelength in nm, inserts its index column at
// its place among the index columns (the existing columns keep their data) and computes the new
// indices of every row; then asks whether to add another. Returns the number of columns inserted.
int InsertNewWavelength(Lens& lens, GlassCatalogues& catalogues, Host& host,
                        const std::function<bool()>& prepare);

} // namespace vitrimo
