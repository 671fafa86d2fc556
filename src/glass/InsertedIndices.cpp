#include "glass/InsertedIndices.h"

#include "glass/GlassTexts.h"
#include "model/NumberFormat.h"

namespace vitrimo {
namespace {

constexpr std::string_view kSecondSurfaceMirror = "2nd Surf.Mirror";

// The index of a row whose "Remarks" names an added AGF catalogue; "0" when it names none.
std::optional<std::string> AddedIndexText(const Lens& lens, int row, double nanometres,
                                          const GlassCatalogues& catalogues, std::string& error) {
    const AgfCatalogue* added =
        catalogues.Added() ? catalogues.Added()->FromRemarks(lens.Text(col::Remarks, row)) : nullptr;
    if (!added) return "0";
    const std::string& glassName = lens.Text(col::GlassName, row);
    const AgfGlass* glass = added->Find(glassName);
    if (!glass) {
        error = "there is no glass \"" + glassName + "\" in the catalogue \"" + added->path + "\"";
        return std::nullopt;
    }
    const auto n = glass->IndexAt(nanometres);
    if (!n) {
        error = "the " + std::string(AgfFormulaName(glass->formula)) + " formula of the catalogue \"" +
                added->path + "\" gives no real index there";
        return std::nullopt;
    }
    return FormatFixed(*n, 5);
}

// The index text for one row at one added wavelength; nullopt with `error` set when it cannot be had.
std::optional<std::string> IndexText(const Lens& lens, int row, int column, double nanometres,
                                     GlassCatalogues& catalogues, std::string& error) {
    const auto nd = ParseNumber(lens.Text(col::Nd, row));
    const std::string& glass = lens.Text(col::GlassName, row);
    if ((nd && *nd == 1) || glass == "Air") return "1";
    if ((nd && *nd == -1) || glass == "Mirror") return "-1";
    if (glass == kSecondSurfaceMirror && row > 1) {
        const auto before = ParseNumber(lens.Text(column, row - 1));
        return before ? FormatGeneral(-*before, 15) : "";
    }
    const auto maker = MakerFromRemarks(lens.Text(col::Remarks, row));
    if (!maker) return AddedIndexText(lens, row, nanometres, catalogues, error);

    const GlassCatalogue* catalogue = catalogues.Get(*maker, error);
    if (!catalogue) return std::nullopt;
    const GlassFormulaResult found = FindGlassFormula(*catalogue, glass);
    if (!found.Ok()) {
        error = found.error;
        return std::nullopt;
    }
    const auto n = found.formula.IndexAt(nanometres);
    if (!n) {
        error = "the " + std::string(found.formula.Name()) + " formula of the " +
                std::string(MakerName(*maker)) + " catalogue gives no real index there";
        return std::nullopt;
    }
    return FormatFixed(*n, 5);
}

} // namespace

const GlassCatalogue* GlassCatalogues::Get(GlassMaker maker, std::string& error) {
    Slot& slot = slots_[static_cast<std::size_t>(maker)];
    if (!slot.tried) {
        slot.tried = true;
        slot.error = LoadGlassCatalogue(maker, workspace_, dataDir_, slot.catalogue);
    }
    if (slot.error) {
        error = *slot.error;
        return nullptr;
    }
    return &slot.catalogue;
}

bool ComputeInsertedIndices(Lens& lens, int i, GlassCatalogues& catalogues, Host& host) {
    const int row = i + 1;
    if (row < 1 || row >= lens.RowCount()) return true;
    const WavelengthList& wavelengths = lens.Wavelengths();
    for (int w = 0; w < wavelengths.Count(); ++w) {
        if (!wavelengths.At(w).inserted) continue;
        const int column = lens.IndexColumn(w);
        const double nanometres = wavelengths.At(w).nanometres;
        std::string error;
        const auto text = IndexText(lens, row, column, nanometres, catalogues, error);
        if (!text) {
            lens.SetText(column, row, "");
            host.Tell(MessageKind::Error,
                      texts::NoIndex(lens.Text(col::GlassName, row), FormatShortest(nanometres), error));
            return false;
        }
        lens.SetText(column, row, *text);
    }
    return true;
}

int InsertNewWavelength(Lens& lens, GlassCatalogues& catalogues, Host& host,
                        const std::function<bool()>& prepare) {
    if (host.Ask(MessageKind::Confirmation, texts::CalculateOtherWavelength, ButtonYes | ButtonCancel,
                 texts::kInsertWavelengthHelpTopic) != ButtonYes)
        return 0;
    if (!prepare()) return 0;

    int inserted = 0;
    for (;;) {
        int added = 0;
        for (const auto& w : lens.Wavelengths().Items()) added += w.inserted ? 1 : 0;
        const auto answer = host.AskText(texts::NewWavelength(added + 1), texts::WavelengthToAdd, "");
        if (!answer) break;
        const auto nanometres = ParseNumber(*answer);
        if (!nanometres || *nanometres <= 0) {
            host.Tell(MessageKind::Warning, texts::NotAWavelength(*answer));
            continue;
        }
        // A second column for a wavelength already in the table would share its title, and columns
        // are found by title.
        bool exists = false;
        for (const auto& w : lens.Wavelengths().Items()) exists = exists || w.nanometres == *nanometres;
        if (exists) {
            host.Tell(MessageKind::Warning, texts::WavelengthExists(FormatShortest(*nanometres)));
            continue;
        }
        if (!lens.InsertWavelengthColumn(FormatShortest(*nanometres) + "nm")) continue;
        ++inserted;
        lens.MarkChanged();

        bool complete = true;
        for (int row = 1; row < lens.RowCount() && complete; ++row)
            complete = ComputeInsertedIndices(lens, row - 1, catalogues, host);
        if (!complete) break;

        if (host.Ask(MessageKind::Confirmation, texts::AddAnotherWavelength, ButtonYes | ButtonNo,
                     texts::kInsertWavelengthHelpTopic) != ButtonYes)
            break;
    }
    return inserted;
}

} // namespace vitrimo
