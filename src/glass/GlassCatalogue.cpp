#include "glass/GlassCatalogue.h"

#include "model/FileIo.h"

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

// Catalogues are a few hundred kilobytes; anything far larger is not one.
constexpr std::size_t kMaxCatalogueBytes = 16u << 20;

const std::string kEmpty;

std::vector<std::string> SplitFields(std::string_view line) {
    const char separator = line.find('\t') != std::string_view::npos ? '\t' : ',';
    std::vector<std::string> fields;
    for (;;) {
        const auto end = line.find(separator);
        fields.emplace_back(line.substr(0, end));
        if (end == std::string_view::npos) break;
        line.remove_prefix(end + 1);
    }
    return fields;
}

std::string WithoutBlanks(std::string_view text) {
    std::string result;
    for (char c : text)
        if (c != ' ') result.push_back(c);
    return result;
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
    const auto& fields = rows_[row];
    return column < static_cast<int>(fields.size()) ? fields[column] : kEmpty;
}

struct CatalogueParser {
    static std::optional<std::string> Parse(std::string_view text, GlassMaker maker,
                                            const std::string& source, GlassCatalogue& catalogue) {
        GlassCatalogue read;
        read.maker_ = maker;
        read.source_ = source;
        read.titleColumns_.fill(-1);

        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3); // a byte order mark
        while (!text.empty()) {
            const auto end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

            std::vector<std::string> fields = SplitFields(line);
            read.columns_ = std::max(read.columns_, static_cast<int>(fields.size()));
            if (read.titleRow_ < 0) {
                // Titles count on every line up to and including the title line.
                for (int column = 0; column < static_cast<int>(fields.size()); ++column)
                    for (int title = 0; title < kCatalogueTitleCount; ++title)
                        if (std::ranges::find(kTitleTexts[title], fields[column]) != kTitleTexts[title].end())
                            read.titleColumns_[title] = column;
                if (read.titleColumns_[TitleNd] >= 0) read.titleRow_ = read.RowCount();
            }
            read.rows_.push_back(std::move(fields));
        }
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
    if (auto error = ReadWholeFile(*path, text, kMaxCatalogueBytes)) return error;
    return ParseGlassCatalogue(text, maker, *path, catalogue);
}

GlassLocation FindGlassCoefficients(const GlassCatalogue& catalogue, std::string_view nameKey,
                                    std::string_view coefficientTitle, std::string_view glassName) {
    GlassLocation found;
    if (glassName.empty()) {
        found.error = "No glass name is given";
        return found;
    }
    int titleRow = -1, nameColumn = -1;
    for (int column = 0; column < catalogue.ColumnCount() && titleRow < 0; ++column)
        for (int row = 0; row < catalogue.RowCount(); ++row)
            if (WithoutBlanks(catalogue.Cell(column, row)) == nameKey) {
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
