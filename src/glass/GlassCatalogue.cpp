#include "glass/GlassCatalogue.h"

#include "model/FileIo.h"
#include "model/TextLines.h"

#include <algorithm>
#include <filesystem>

namespace vitrimo {
namespace {

// The title texts the title line may use for each of the twelve columns, exactly as written (some
// makers put two blanks before the line's name). The Abbe number may be titled with the Greek nu.
constexpr std::array<std::array<std::string_view, 3>, kCatalogueTitleCount> kTitleTexts{{
    {"nt", "  nt", "NT"},
    {"ns", "  ns", "NS"},
    {"nA'", "NA", "nAd"},
    {"nr", "  nr", "NR"},
    {"nC", "  nC", "NC"},
    {"nd", "  nd", "ND"},
    {"ne", "  ne", "NE"},
    {"nF", "  nF", "NF"},
    {"ng", "  ng", "NG"},
    {"nh", "  nh", "NH"},
    {"ni", "  ni", "NI"},
    {"vd", "Vd",
     "\xCE\xBD"
     "d"},
}};

const std::string kEmpty;

// Splits one line into fields and hands each to `field`: at tabs when the line has one, else at commas,
// where a field may be quoted. Returns an error text (without the line number) or nullopt.
template <class OnField>
std::optional<std::string> SplitFields(std::string_view line, OnField&& field) {
    if (line.find('\t') != std::string_view::npos) {
        for (;;) {
            const auto end = line.find('\t');
            field(line.substr(0, end), false);
            if (end == std::string_view::npos) return std::nullopt;
            line.remove_prefix(end + 1);
        }
    }
    for (;;) {
        if (!line.starts_with('"')) {
            const auto end = line.find(',');
            field(line.substr(0, end), false);
            if (end == std::string_view::npos) return std::nullopt;
            line.remove_prefix(end + 1);
            continue;
        }
        // A quoted field: up to the quote that is not doubled; "" stands for one quote.
        std::size_t close = 1;
        for (;;) {
            close = line.find('"', close);
            if (close == std::string_view::npos) return "a quoted field is not closed";
            if (close + 1 < line.size() && line[close + 1] == '"') {
                close += 2;
                continue;
            }
            break;
        }
        field(line.substr(1, close - 1), true);
        line.remove_prefix(close + 1);
        if (line.empty()) return std::nullopt;
        if (line.front() != ',') return "a quoted field is followed by text before the next comma";
        line.remove_prefix(1);
    }
}

// The text of a field: quoted fields lose their doubled quotes.
std::string FieldText(std::string_view text, bool quoted) {
    if (!quoted || text.find('"') == std::string_view::npos) return std::string(text);
    std::string unquoted;
    unquoted.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        unquoted.push_back(text[k]);
        if (text[k] == '"') ++k; // the second of a pair
    }
    return unquoted;
}

// Calls `line` for every line of the text, with its number from 0 (the lines as every reader splits them).
template <class OnLine>
void ForEachNumberedLine(std::string_view text, OnLine&& line) {
    std::size_t number = 0;
    ForEachLine(text, [&](std::string_view current) { return line(number++, current); });
}

// True when the text, without its blanks, equals `key` (the name key "GNAME" matches " G NAME ").
bool EqualsWithoutBlanks(std::string_view text, std::string_view key) {
    std::size_t k = 0;
    for (char c : text) {
        if (c == ' ') continue;
        if (k == key.size() || key[k] != c) return false;
        ++k;
    }
    return k == key.size();
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string CatalogueLabel(const GlassCatalogue& catalogue) {
    const std::string maker = catalogue.Maker() ? std::string(MakerName(*catalogue.Maker())) : "glass";
    return "the " + maker + " catalogue " + Quoted(catalogue.Source());
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string_view MakerName(GlassMaker maker) {
    switch (maker) {
    case GlassMaker::Sumita:
        return "Sumita";
    case GlassMaker::Ohara:
        return "Ohara";
    case GlassMaker::Hoya:
        return "HOYA";
    case GlassMaker::Schott:
        return "Schott";
    }
    return "";
}

std::optional<GlassMaker> MakerFromRemarks(std::string_view remarks) {
    for (GlassMaker maker : kGlassMakers)
        if (MakerName(maker) == remarks) return maker;
    return std::nullopt;
}

std::optional<GlassMaker> MakerFromName(std::string_view name) {
    for (GlassMaker maker : kGlassMakers) {
        const std::string_view known = MakerName(maker);
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(),
                       [](char a, char b) { return LowerAscii(a) == LowerAscii(b); }))
            return maker;
    }
    return std::nullopt;
}

const std::string& CatalogueFileName(const Workspace& workspace, GlassMaker maker) {
    switch (maker) {
    case GlassMaker::Sumita:
        return workspace.sumitaFile;
    case GlassMaker::Ohara:
        return workspace.oharaFile;
    case GlassMaker::Hoya:
        return workspace.hoyaFile;
    case GlassMaker::Schott:
        break;
    }
    return workspace.schottFile;
}

std::optional<std::string> LocateDataFile(const std::string& startDir, const std::string& dataDir,
                                          const std::string& name) {
    if (name.empty()) return std::nullopt;
    std::vector<std::string> candidates;
    if (name.front() == '/') {
        candidates.push_back(name);
    } else {
        candidates.push_back(startDir + "/" + name);
        if (!dataDir.empty()) candidates.push_back(dataDir + "/" + name);
    }
    for (const auto& path : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) return path;
    }
    return std::nullopt;
}

std::optional<std::string> LocateCatalogue(const Workspace& workspace, const std::string& dataDir,
                                           GlassMaker maker) {
    return LocateDataFile(workspace.startDir, dataDir, CatalogueFileName(workspace, maker));
}

const std::string& GlassCatalogue::Cell(int column, int row) const {
    if (row < 0 || row >= RowCount() || column < 0) return kEmpty;
    const std::size_t cell = rowStart_[row] + static_cast<std::size_t>(column);
    return cell < rowStart_[row + 1] ? cells_[cell] : kEmpty;
}

struct CatalogueParser {
    static std::optional<std::string> Parse(std::string_view text, std::optional<GlassMaker> maker,
                                            const std::string& source, GlassCatalogue& catalogue) {
        const auto refuse = [&](const std::string& why) {
            return Quoted(source) + " is not a glass catalogue: " + why;
        };
        if (auto notText = NotPlainText(text)) return refuse(*notText);
        text = WithoutByteOrderMark(text);

        // First count the cells, so that a file of nothing but separators is refused before it takes
        // memory, and the grid is allocated once.
        std::size_t cells = 0, rows = 0;
        std::optional<std::string> error;
        ForEachNumberedLine(text, [&](std::size_t number, std::string_view line) {
            ++rows;
            error = SplitFields(line, [&](std::string_view, bool) { ++cells; });
            if (error)
                error = "line " + std::to_string(number + 1) + ": " + *error;
            else if (cells > GlassCatalogue::kMaxCatalogueCells)
                error = "it has more than " + std::to_string(GlassCatalogue::kMaxCatalogueCells) +
                        " cells (line " + std::to_string(number + 1) + ")";
            return !error;
        });
        if (error) return refuse(*error);

        GlassCatalogue read;
        read.maker_ = maker;
        read.source_ = source;
        read.titleColumns_.fill(-1);
        read.cells_.reserve(cells);
        read.rowStart_.reserve(rows + 1);
        ForEachNumberedLine(text, [&](std::size_t, std::string_view line) {
            const std::size_t first = read.cells_.size();
            SplitFields(line, [&](std::string_view field, bool quoted) {
                read.cells_.push_back(FieldText(field, quoted));
            });
            const std::size_t count = read.cells_.size() - first;
            read.columns_ = std::max(read.columns_, static_cast<int>(count));
            if (read.titleRow_ < 0) {
                // Titles count on every line up to and including the title line.
                for (std::size_t column = 0; column < count; ++column)
                    for (int title = 0; title < kCatalogueTitleCount; ++title)
                        if (std::ranges::find(kTitleTexts[title], read.cells_[first + column]) !=
                            kTitleTexts[title].end())
                            read.titleColumns_[title] = static_cast<int>(column);
                if (read.titleColumns_[TitleNd] >= 0) read.titleRow_ = read.RowCount();
            }
            read.rowStart_.push_back(read.cells_.size());
            return true;
        });
        if (read.titleRow_ < 0)
            return Quoted(source) + " is not a glass catalogue: no line has the title of the d-line index (" +
                   "\"nd\", \"  nd\" or \"ND\")";
        catalogue = std::move(read);
        return std::nullopt;
    }
};

std::optional<std::string> ParseGlassCatalogue(std::string_view text, GlassMaker maker,
                                               const std::string& source, GlassCatalogue& catalogue) {
    return CatalogueParser::Parse(text, maker, source, catalogue);
}

std::optional<std::string> ParseGlassGrid(std::string_view text, const std::string& source,
                                          GlassCatalogue& catalogue) {
    return CatalogueParser::Parse(text, std::nullopt, source, catalogue);
}

std::optional<std::string> LoadGlassCatalogue(GlassMaker maker, const Workspace& workspace,
                                              const std::string& dataDir, GlassCatalogue& catalogue) {
    const std::string& name = CatalogueFileName(workspace, maker);
    const auto path = LocateCatalogue(workspace, dataDir, maker);
    if (!path) {
        const std::string what = "The " + std::string(MakerName(maker)) + " catalogue " + Quoted(name);
        if (!name.empty() && name.front() == '/') return what + " does not exist";
        if (dataDir.empty()) return what + " is not in " + Quoted(workspace.startDir);
        return what + " is in neither " + Quoted(workspace.startDir) + " nor " + Quoted(dataDir);
    }
    std::string text;
    if (auto error = ReadWholeFile(*path, text, kMaxDataFileBytes)) return error;
    return ParseGlassCatalogue(text, maker, *path, catalogue);
}

GlassLocation FindGlassCoefficients(const GlassCatalogue& catalogue, std::string_view nameKey,
                                    std::string_view coefficientTitle, std::string_view glassName) {
    GlassLocation found;
    if (glassName.empty()) {
        found.error = "No glass name is given";
        return found;
    }
    // The first match in column order (columns from the left, in each the rows from the top), found in
    // one pass over the rows: a later row only counts with a smaller column.
    int titleRow = -1, nameColumn = catalogue.ColumnCount();
    for (int row = 0; row < catalogue.RowCount(); ++row)
        for (int column = 0; column < std::min(nameColumn, catalogue.FieldCount(row)); ++column)
            if (EqualsWithoutBlanks(catalogue.Cell(column, row), nameKey)) {
                titleRow = row;
                nameColumn = column;
                break;
            }
    if (titleRow < 0) {
        found.error = CatalogueLabel(catalogue) + " has no column titled " + Quoted(nameKey);
        return found;
    }
    found.titleRow = titleRow;
    for (int column = 1; column < catalogue.ColumnCount(); ++column)
        if (catalogue.Cell(column, titleRow) == coefficientTitle) {
            found.column = column;
            break;
        }
    for (int row = 1; row < catalogue.RowCount(); ++row)
        if (catalogue.Cell(nameColumn, row) == glassName) {
            found.row = row;
            break;
        }
    if (found.row < 0)
        found.error = "There is no glass " + Quoted(glassName) + " in " + CatalogueLabel(catalogue);
    else if (found.column < 0)
        found.error = CatalogueLabel(catalogue) + " has no column titled " + Quoted(coefficientTitle);
    return found;
}

GlassLocation FindHoyaGlass(const GlassCatalogue& catalogue, std::string_view glassName) {
    GlassLocation found;
    if (glassName.empty()) {
        found.error = "No glass name is given";
        return found;
    }
    int titleRow = -1;
    for (int row = 0; row < catalogue.RowCount(); ++row)
        if (catalogue.Cell(1, row).find("Glass") != std::string::npos) {
            titleRow = row;
            break;
        }
    if (titleRow < 0) {
        found.error = CatalogueLabel(catalogue) + " has no title line with \"Glass\" in its second column";
        return found;
    }
    found.titleRow = titleRow;
    for (int column = 0; column < catalogue.ColumnCount(); ++column)
        if (catalogue.Cell(column, titleRow) == "A0") {
            found.column = column;
            break;
        }
    for (int row = 0; row < catalogue.RowCount(); ++row)
        if (catalogue.Cell(1, row) == glassName) {
            found.row = row;
            break;
        }
    if (found.row < 0)
        found.error = "There is no glass " + Quoted(glassName) + " in " + CatalogueLabel(catalogue);
    else if (found.column < 0)
        found.error = CatalogueLabel(catalogue) + " has no column titled \"A0\"";
    return found;
}

} // namespace vitrimo
