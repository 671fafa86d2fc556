// Glass maker catalogues: the text files of the four makers, read into a grid of text cells.
//
// A catalogue file is text, one line per grid row. A line that holds a tab is split at tabs (commas then
// stay inside the fields); a line without any tab is split at commas. Some leading lines (a heading, a
// source note) come first, then the title line -- the first line with a field that names the d-line
// index ("nd", "  nd" or "ND") -- and then one line per glass. The grid keeps everything as text, so the
// glass data window shows the file as it stands; numbers are only read when a formula needs them.
//
// A comma-separated line may quote a field as spreadsheets write it ("Schott, Mainz" or "a ""b"" c"):
// the quotes go, the commas inside stay, and the columns after it keep their places. A quote that is not
// closed on its line, or a closing quote followed by anything but a comma, refuses the file (naming the
// line) rather than shift columns. Files larger than kMaxDataFileBytes, files that are not text, and
// grids of more than kMaxCatalogueCells cells are refused; reading takes time linear in the file's size.
#pragma once

#include "model/Workspace.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

enum class GlassMaker { Sumita, Ohara, Hoya, Schott };

inline constexpr std::array<GlassMaker, 4> kGlassMakers{GlassMaker::Sumita, GlassMaker::Ohara,
                                                        GlassMaker::Hoya, GlassMaker::Schott};

// The maker as a row's "Remarks" names it: "Sumita", "Ohara", "HOYA", "Schott".
std::string_view MakerName(GlassMaker maker);
// The maker whose name a "Remarks" cell holds exactly, or nullopt.
std::optional<GlassMaker> MakerFromRemarks(std::string_view remarks);
// The same without regard to ASCII case, for command lines ("schott", "Hoya").
std::optional<GlassMaker> MakerFromName(std::string_view name);
// The maker's catalogue file name from the workspace ("Schott.txt" unless the settings say otherwise).
const std::string& CatalogueFileName(const Workspace& workspace, GlassMaker maker);

// The twelve columns a catalogue's title line may name: the indices at the eleven Fraunhofer lines, in
// the order of the lens table's index columns, then the Abbe number.
enum CatalogueTitle {
    TitleNt,
    TitleNs,
    TitleNA,
    TitleNr,
    TitleNC,
    TitleNd,
    TitleNe,
    TitleNF,
    TitleNg,
    TitleNh,
    TitleNi,
    TitleAbbe,
    kCatalogueTitleCount
};

// The program's files (catalogues, RGBtable.txt) are looked up in the start folder first, then in the
// program's data folder. A name with a leading '/' is taken as it stands. Returns the path of the first
// existing regular file, or nullopt.
std::optional<std::string> LocateDataFile(const std::string& startDir, const std::string& dataDir,
                                          const std::string& name);
// Where a maker's catalogue is found; nullopt when it is in neither folder. The glass chooser enables a
// maker's button only when this finds the file.
std::optional<std::string> LocateCatalogue(const Workspace& workspace, const std::string& dataDir,
                                           GlassMaker maker);

class GlassCatalogue {
public:
    static constexpr int kFixedColumns = 2;
    // The most cells a catalogue may have: a 16 MiB file of real glass data has about 2.4 million. The
    // limit keeps a file of nothing but commas or line ends from taking gigabytes.
    static constexpr std::size_t kMaxCatalogueCells = 4'000'000;

    // The maker loaded last, or nullopt for an empty grid.
    std::optional<GlassMaker> Maker() const { return maker_; }
    // The file the grid was read from.
    const std::string& Source() const { return source_; }

    int RowCount() const { return static_cast<int>(rowStart_.size()) - 1; }
    int ColumnCount() const { return columns_; }
    // The text of a cell; empty outside the grid and where a line had fewer fields.
    const std::string& Cell(int column, int row) const;
    // The number of fields of line `row` (0 outside the grid).
    int FieldCount(int row) const {
        return row < 0 || row >= RowCount() ? 0 : static_cast<int>(rowStart_[row + 1] - rowStart_[row]);
    }
    // The rows up to and including the title line stay fixed at the top of the window.
    int FixedRowCount() const { return titleRow_ + 1; }
    int TitleRow() const { return titleRow_; }
    // The column of one of the twelve titles, or -1 when the file has no such column.
    int TitleColumn(CatalogueTitle title) const { return titleColumns_[title]; }
    // The text of a glass row under one of the twelve titles; empty when the file has no such column.
    const std::string& TitledCell(CatalogueTitle title, int row) const {
        return Cell(TitleColumn(title), row);
    }

private:
    friend struct CatalogueParser;

    std::optional<GlassMaker> maker_;
    std::string source_;
    // The cells of all rows, row after row; row k holds cells_[rowStart_[k]] ... cells_[rowStart_[k + 1] - 1]
    // (a row has as many cells as its line had fields).
    std::vector<std::string> cells_;
    std::vector<std::size_t> rowStart_{0};
    int columns_ = 0;
    int titleRow_ = -1;
    // Before any file is read every title is absent but the d line, which defaults to column 0.
    std::array<int, kCatalogueTitleCount> titleColumns_ = [] {
        std::array<int, kCatalogueTitleCount> columns;
        columns.fill(-1);
        columns[TitleNd] = 0;
        return columns;
    }();
};

// Reads catalogue text into `catalogue`. `source` names the file in messages. Returns an error message
// and leaves `catalogue` unchanged when the text has no title line.
std::optional<std::string> ParseGlassCatalogue(std::string_view text, GlassMaker maker,
                                               const std::string& source, GlassCatalogue& catalogue);

// The same for a grid that belongs to no maker (an added catalogue shown as a grid): Maker() is then
// nullopt.
std::optional<std::string> ParseGlassGrid(std::string_view text, const std::string& source,
                                          GlassCatalogue& catalogue);

// Reads the maker's catalogue file (looked up as LocateCatalogue does) into `catalogue`. On failure
// returns a message naming the file and leaves `catalogue` as it was.
std::optional<std::string> LoadGlassCatalogue(GlassMaker maker, const Workspace& workspace,
                                              const std::string& dataDir, GlassCatalogue& catalogue);

// Where a glass's coefficients are: its row and the first coefficient column. `error` is empty when
// both were found.
struct GlassLocation {
    int row = -1;
    int column = -1;
    int titleRow = -1;
    std::string error;

    bool Found() const { return error.empty(); }
};

// Finds a glass in the catalogue: the first cell (columns from the left, rows from the top) whose text
// without blanks equals `nameKey` marks the title row and the name column; in the title row, the first
// cell from column 1 on that equals `coefficientTitle` is the first coefficient column; in the name
// column, the first cell from row 1 on that equals `glassName` is the glass row.
GlassLocation FindGlassCoefficients(const GlassCatalogue& catalogue, std::string_view nameKey,
                                    std::string_view coefficientTitle, std::string_view glassName);

// The HOYA rule: the title row is the first row whose column 1 contains "Glass", the coefficient
// column the first column of that row reading "A0", the glass row the first row whose column 1 equals
// the glass name.
GlassLocation FindHoyaGlass(const GlassCatalogue& catalogue, std::string_view glassName);

} // namespace vitrimo
