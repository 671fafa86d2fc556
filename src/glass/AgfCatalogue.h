// Glass catalogues in the AGF format that glass makers publish, and the set of them a user has added.
//
// An AGF file is text (UTF-16 LE with a byte-order mark, or 8-bit text), one record per line, each line
// starting with a two-letter tag:
//   CC  comment on the catalogue
//   NM  a glass: name, formula number, MIL code, nd, vd, then optionally the exclude flag, the status
//       (0 standard, 1 preferred, 2 obsolete, 3 special, 4 melt) and the melt frequency
//   CD  the formula's coefficients (up to ten; the formula decides how many count)
//   LD  the shortest and the longest wavelength in micrometres the formula is valid for
//   ED, TD, OD, IT, GC, ...  thermal and other data, comments, transmission: read past, not used
// A glass's records follow its NM line up to the next NM line. Each glass needs a CD line with at least
// as many numbers as its formula has coefficients.
//
// A file is read whole or not at all: an unknown formula, a record whose numbers are missing or not
// numbers, a CD line outside a glass, a glass without a CD line, a file that is not text, too large, or
// with too many glasses, is refused with a message that names the file and the line.
//
// The formulas, with lambda in micrometres, L = lambda^2, c1 ... c10 the CD numbers:
//    1 Schott       n^2 = c1 + c2 L + c3/L + c4/L^2 + c5/L^3 + c6/L^4
//    2 Sellmeier 1  n^2 - 1 = c1 L/(L - c2) + c3 L/(L - c4) + c5 L/(L - c6)
//    3 Herzberger   n = c1 + c2 H + c3 H^2 + c4 L + c5 L^2 + c6 L^3,  H = 1/(L - 0.028)
//    4 Sellmeier 2  n^2 - 1 = c1 + c2 L/(L - c3^2) + c4 L/(L - c5^2)
//    5 Conrady      n = c1 + c2/lambda + c3/lambda^3.5
//    6 Sellmeier 3  n^2 - 1 = four terms c1 L/(L - c2) ... c7 L/(L - c8)
//    7 Handbook 1   n^2 = c1 + c2/(L - c3) - c4 L
//    8 Handbook 2   n^2 = c1 + c2 L/(L - c3) - c4 L
//    9 Sellmeier 4  n^2 = c1 + c2 L/(L - c3) + c4 L/(L - c5)
//   10 Extended     n^2 = c1 + c2 L + c3/L + c4/L^2 + c5/L^3 + c6/L^4 + c7/L^5 + c8/L^6
//   11 Sellmeier 5  n^2 - 1 = five terms c1 L/(L - c2) ... c9 L/(L - c10)
//   12 Extended 2   n^2 = c1 + c2 L + c3/L + c4/L^2 + c5/L^3 + c6/L^4 + c7 L^2 + c8 L^3
//   13 Extended 3   n^2 = c1 + c2 L + c3 L^2 + c4/L + c5/L^2 + c6/L^3 + c7/L^4 + c8/L^5 + c9/L^6
//
// Outside a glass's LD range the formula is still evaluated (the built-in catalogues' formulas are used
// at any added wavelength too), and the answer says that the wavelength lies outside; only the eleven
// line indices a glass brings into the lens table are left empty more than 2 nm outside, as the built-in
// catalogues leave those cells empty.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

inline constexpr int kAgfFormulaCount = 13;

// "Schott", "Sellmeier 1", ... for formula numbers 1 ... 13; empty for any other number.
std::string_view AgfFormulaName(int formula);
// How many CD numbers the formula uses; 0 for an unknown formula.
int AgfCoefficientCount(int formula);
// The formula's index at a wavelength in micrometres, nullopt where it has no real finite one (n^2 < 0,
// on a pole, a wavelength that is not positive).
std::optional<double> AgfFormulaIndex(int formula, const std::array<double, 10>& c, double micrometres);

struct AgfGlass {
    std::string name;
    int formula = 0;
    std::array<double, 10> coefficients{}; // the CD numbers; those the formula does not use are 0
    std::string milCode;                   // as written, e.g. "517642.251"
    double nd = 0;
    double vd = 0;
    int status = -1; // 0 standard, 1 preferred, 2 obsolete, 3 special, 4 melt; -1 not given
    // The LD range in micrometres; both 0 when the file gives none (then every wavelength is inside).
    double lambdaMin = 0;
    double lambdaMax = 0;
    int line = 0; // the NM line, from 1

    // The index at a wavelength in nanometres by the glass's formula; nullopt where there is none.
    std::optional<double> IndexAt(double nanometres) const;
    // Whether the wavelength (nm) lies in the LD range, widened by `toleranceNm` on both sides.
    bool Covers(double nanometres, double toleranceNm = 0) const;
};

// "standard", "preferred", "obsolete", "special", "melt", or "" for an unknown status.
std::string_view AgfStatusName(int status);

struct AgfCatalogue {
    // The most glasses a catalogue may hold (the makers' largest have under a thousand).
    static constexpr std::size_t kMaxGlasses = 20'000;

    std::string name;                  // the file's name without folder and extension, e.g. "SCHOTT"
    std::string fileName;              // the file's name without folder, e.g. "SCHOTT.AGF"
    std::string path;                  // the file as it was read
    std::vector<std::string> comments; // the CC lines
    std::vector<AgfGlass> glasses;     // in the file's order

    // The glass of that exact name, or nullptr.
    const AgfGlass* Find(std::string_view glassName) const;
    // Whether `text` names this catalogue: its name or its file name, without regard to ASCII case.
    bool IsNamed(std::string_view text) const;
};

// Reads AGF text (the bytes of a file). `path` names the file in messages and gives the catalogue its
// name. Returns an error message and leaves `catalogue` unchanged when the text is refused.
std::optional<std::string> ParseAgfCatalogue(std::string_view bytes, const std::string& path,
                                             AgfCatalogue& catalogue);
// Reads an AGF file (at most kMaxDataFileBytes). Returns an error message, `catalogue` then unchanged.
std::optional<std::string> LoadAgfCatalogue(const std::string& path, AgfCatalogue& catalogue);

// A glass's indices at some wavelengths, as AddedCatalogues::Indices gives them.
struct AgfIndices {
    std::string catalogue; // the catalogue's name ("SCHOTT")
    std::string remarks;   // what a lens table row's "Remarks" holds for the glass: the file name
    std::string glass;
    // Per wavelength asked for: the index, nullopt where the formula gives none.
    std::vector<std::optional<double>> indices;
    // Per wavelength: true where it lies outside the glass's LD range.
    std::vector<bool> outsideRange;
    std::string error; // empty when the glass was found

    bool Ok() const { return error.empty(); }
};

// The AGF catalogues a user has added, in the order they were added. No Qt: the desktop program keeps
// one in its Workbench, vitrimo-cli makes one per command.
class AddedCatalogues {
public:
    // The most catalogues that may be added at once.
    static constexpr std::size_t kMaxCatalogues = 64;

    // Reads the file and adds it. A file already added (the same path) is read again and replaces the
    // old copy in its place. Returns an error message, and changes nothing, when the file is refused, when
    // another added catalogue has the same name, or when kMaxCatalogues are added already.
    std::optional<std::string> Add(const std::string& path);
    // Adds a catalogue already read (tests, the command line). The same rules as Add.
    std::optional<std::string> Add(AgfCatalogue catalogue);
    // Removes the catalogue at `index`; false when there is none.
    bool Remove(std::size_t index);

    std::size_t Count() const { return catalogues_.size(); }
    const AgfCatalogue& At(std::size_t index) const { return catalogues_.at(index); }
    const std::vector<AgfCatalogue>& All() const { return catalogues_; }
    // The files of the added catalogues, in order (what the settings remember).
    std::vector<std::string> Paths() const;

    // The catalogue that `name` names (its name or file name, any ASCII case), or nullptr.
    const AgfCatalogue* Catalogue(std::string_view name) const;
    // The catalogue whose file name a lens table row's "Remarks" holds exactly, or nullptr.
    const AgfCatalogue* FromRemarks(std::string_view remarks) const;

    // Finds a glass by its exact name: in the catalogue `catalogueName` names when it is not empty, else
    // in the first added catalogue that has it. Its indices at the given wavelengths (nm), each by the
    // glass's formula; an error naming the glass (and the catalogue) when it is not there.
    AgfIndices Indices(std::string_view glassName, std::string_view catalogueName,
                       const std::vector<double>& nanometres) const;

private:
    std::vector<AgfCatalogue> catalogues_;
};

// The eleven Fraunhofer lines at which an added glass's line indices are computed, in nm, in the order of
// the lens table's index columns (t, s, A', r, C, d, e, F, g, h, i): the exact line wavelengths, at which
// the built-in catalogues' indices are given too.
inline constexpr std::array<double, 11> kExactLineNanometres{
    1013.98, 852.11, 768.195, 706.5188, 656.2725, 587.5618, 546.074, 486.1327, 435.8343, 404.6561, 365.0146};

// How far outside its range (nm) a line index is still given, as in the built-in catalogues.
inline constexpr double kLineRangeToleranceNm = 2.0;

// A line index of an added glass as the lens table holds it: 5 decimals; empty when the line lies more
// than kLineRangeToleranceNm outside the glass's range or the formula gives no index there.
std::string AgfLineIndexText(const AgfGlass& glass, int line);

// The catalogue as a grid of text (tab-separated lines) in the layout of the built-in catalogues: a
// heading line, the title line "Glass  nd  vd  nt ... ni  Formula  λmin (µm)  λmax (µm)  Status  Code",
// then one line per glass with its line indices by AgfLineIndexText. The glass data window shows it.
std::string AgfCatalogueGridText(const AgfCatalogue& catalogue);

} // namespace vitrimo
