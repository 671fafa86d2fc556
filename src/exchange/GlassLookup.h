// How an imported lens file meets glass catalogues.
//
// A lens file from another design program names its glasses; the importer asks a GlassLookup for each
// name and never reads a catalogue itself. The lookup answers with the texts the eleven index cells of
// the lens table take (the catalogue's own cells, as the glass chooser copies them) and the maker that
// "Remarks" names. Lookups chain: the first that knows a name answers.
//
// A glass that no catalogue knows may still come with a model glass in the file: its d-line index, Abbe
// number and departure dPgF from the normal line of partial dispersion. ModelGlassIndex turns those into
// indices with a three-term Cauchy dispersion n(lambda) = A + B / lambda^2 + C / lambda^4 fitted to three
// conditions: n(d) = nd; n(F) - n(C) = (nd - 1) / vd (the Abbe number's definition); and
// n(g) - n(F) = P (n(F) - n(C)) with P = 0.6438 - 0.001682 vd + dPgF (the normal line of Schott's glass
// data, through K7 and F2). Lines d 587.5618 nm, F 486.1327 nm, C 656.2725 nm, g 435.8343 nm.
// Against real catalogue glasses made from their own nd and vd (crowns, lanthanum crowns, flints) the
// model comes within about 2e-4 from the r to the g line, 1e-3 at s, A' and h, and a few 1e-3 at the
// ends of the table (t at 1014 nm, i at 365 nm), where a Cauchy curve cannot follow real glasses.
#pragma once

#include "glass/AgfCatalogue.h"
#include "glass/InsertedIndices.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

struct ResolvedGlass {
    std::string maker; // as "Remarks" names it: "Schott", "Ohara", "HOYA", "Sumita", or an added catalogue
    // The index cells at t, s, A', r, C, d, e, F, g, h, i (column order of the lens table), as text. An
    // empty text means the catalogue has no index at that line.
    std::array<std::string, 11> lineIndices;
};

// Answers a glass name with its catalogue data, or nullopt when it does not know the name.
using GlassLookup = std::function<std::optional<ResolvedGlass>(std::string_view glassName)>;

// The four catalogues of the program (Schott, Ohara, HOYA, Sumita, asked in this order: files of other
// design programs mostly name Schott and Ohara glasses). The catalogues are read from their files the
// first time a name is asked for; a catalogue that cannot be read simply knows no glass.
GlassLookup BuiltInGlassLookup(std::shared_ptr<GlassCatalogues> catalogues);

// The AGF catalogues the user added, asked in the order they were added. "Remarks" gets the catalogue's
// file name, the way the glass chooser marks an added glass, so that wavelengths inserted later are
// computed from the same glass. The lookup reads `added` when it is asked: it must outlive the lookup.
GlassLookup AddedGlassLookup(const AddedCatalogues& added);

// The first lookup that knows a name answers.
GlassLookup ChainGlassLookups(std::vector<GlassLookup> lookups);

// The indices of a model glass at the wavelengths of `nanometres`, with 5 decimals; nullopt when nd or vd
// cannot describe a glass (nd <= 1 or above 4, vd <= 0 or above 200, or not finite).
std::optional<std::vector<std::string>> ModelGlassIndices(double nd, double vd, double dPgF,
                                                          const std::vector<double>& nanometres);
// The model's index at one wavelength (nanometres); the same checks, and |dPgF| <= 0.1.
std::optional<double> ModelGlassIndex(double nd, double vd, double nanometres, double dPgF = 0);

} // namespace vitrimo
