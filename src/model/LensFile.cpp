#include "model/LensFile.h"

#include "model/Colour.h"
#include "model/FileIo.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>

namespace vitrimo {

// The reader fills the table of a fresh lens directly, cell by cell, before it replaces the user's lens.
struct LensFileAccess {
    static LensTable& Table(Lens& lens) { return lens.MutableTable(); }
};
namespace {

// Limits far beyond any lens, so that a wrong file cannot make the table absurdly large.
constexpr std::size_t kMaxColumns = 400;
constexpr int kMaxRows = 10000;
// Lines with fewer tabs than this are memo text.
constexpr std::size_t kDataLineTabs = 5;

// Fields 0 ... t-1 are the texts up to each tab; field t is the rest of the line, tabs included.
// A line with fewer tabs gives fewer fields, the last one running to the end of the line.
std::vector<std::string_view> SplitFields(std::string_view line, std::size_t t) {
    std::vector<std::string_view> fields;
    while (fields.size() < t) {
        const auto tab = line.find('\t');
        if (tab == std::string_view::npos) break;
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
    return fields;
}

std::string WithoutLineBreaksOrTabs(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

// The value a diameter cell stands for, as CellValue would repair it, without changing the table.
double DiameterValue(const Lens& lens, int column, int row) {
    if (const auto value = ParseNumber(lens.Text(column, row))) return *value;
    if (lens.Columns().Name(column) == col::Diameter)
        return ParseNumber(lens.Text(col::EffectiveDiameter, row)).value_or(0);
    return 0;
}

std::string CellForFile(const Lens& lens, int column, int row) {
    const std::string& name = lens.Columns().Name(column);
    const std::string& text = lens.Text(column, row);
    if (name == col::RFix || name == col::LFix) {
        if (text.empty()) return text;
        return text == "x" ? "1" : WithoutLineBreaksOrTabs("No" + text);
    }
    if (lens.RadiusMode() &&
        std::find(col::Diameters.begin(), col::Diameters.end(), name) != col::Diameters.end())
        return FormatFixed(DiameterValue(lens, column, row) * 2, 4);
    return WithoutLineBreaksOrTabs(text);
}

std::string FixCellFromFile(std::string_view text) {
    if (text == "1") return "x";
    if (text.starts_with("No")) return std::string(text.substr(2));
    return {};
}

LensFileResult Failure(std::string message) {
    LensFileResult result;
    result.error = std::move(message);
    return result;
}

std::size_t TabCount(std::string_view line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t'));
}

// A line with fewer tabs than a table row needs, which still is one: its field under "No" (field
// `noField` of the title line) holds `face`, the number of the face that comes next. Memo text right
// after the rows does not look like that; the writer makes sure of it (LensFileText).
bool IsShortRow(std::string_view line, std::size_t noField, int face) {
    if (noField == std::string_view::npos || line.find('\t') == std::string_view::npos) return false;
    const auto fields = SplitFields(line, noField + 1);
    return noField < fields.size() && fields[noField] == std::to_string(face);
}

std::string ColumnCountText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " cell" : " cells");
}

} // namespace

std::string LensFileText(const Lens& lens) {
    const ColumnMap& columns = lens.Columns();
    const int count = columns.Count();
    std::string out;
    for (int c = 0; c < count; ++c) {
        out += columns.Name(c);
        out += c + 1 < count ? "\t" : "\r\n";
    }
    for (int row = 1; row < lens.RowCount(); ++row) {
        for (int c = 0; c < count; ++c) {
            out += CellForFile(lens, c, row);
            out += c + 1 < count ? "\t" : "\r\n";
        }
    }
    const WavelengthList& wavelengths = lens.Wavelengths();
    if (wavelengths.NonDefaultColours()) {
        out += "Color";
        out.append(static_cast<std::size_t>(lens.FirstIndexColumn()), '\t');
        for (const auto& w : wavelengths.Items()) out += ColourToText(w.colour) + "\t";
        out += "\t\r\n";
    }
    // The memo ends with one line end. A memo line with enough tabs to pass for a table row would be
    // read back as a face, and so would a first line that starts like the next face's row; their tabs
    // are written as spaces.
    if (!lens.Memo().empty()) {
        bool first = true;
        for (std::string_view rest = lens.Memo();;) {
            const auto end = rest.find('\n');
            std::string line(rest.substr(0, end));
            std::erase(line, '\r');
            if (TabCount(line) >= kDataLineTabs ||
                (first &&
                 IsShortRow(line, static_cast<std::size_t>(columns.Column(col::No)), lens.RowCount() - 1)))
                std::replace(line.begin(), line.end(), '\t', ' ');
            first = false;
            out += line + "\r\n";
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
    }
    return out;
}

std::optional<std::string> WriteLensFile(Lens& lens, const std::string& path) {
    if (auto error = WriteFileAtomically(path, LensFileText(lens))) return error;
    lens.SetDataModified(false);
    return std::nullopt;
}

LensFileResult ParseLensFileText(Lens& lens, std::string_view text) {
    if (auto notText = NotPlainText(text)) return Failure(*notText);
    const auto lines = SplitLines(WithoutByteOrderMark(text));
    if (lines.empty()) return Failure("it is empty");

    if (TabCount(lines[0]) >= kMaxColumns) return Failure("its first line names too many columns");
    const auto titles = SplitFields(lines[0], std::string_view::npos);
    for (auto required : {col::R, col::Distance, col::Nd}) {
        if (std::find(titles.begin(), titles.end(), required) == titles.end())
            return Failure("it is not a lens data file (the first line has no column \"" +
                           std::string(required) + "\")");
    }
    const std::size_t t = titles.size() - 1;
    const auto noTitle = std::find(titles.begin(), titles.end(), col::No);
    const std::size_t noField =
        noTitle == titles.end() ? std::string_view::npos : static_cast<std::size_t>(noTitle - titles.begin());

    LensFileResult result;
    Lens fresh = lens;
    fresh.ResetTable();

    // Titles such as "532nm" bring their wavelength columns; then every title finds its column by name.
    for (auto title : titles) {
        if (fresh.Column(title) < 0 && title.size() > 2 && title.ends_with("nm"))
            fresh.InsertWavelengthColumn(title);
    }
    LensTable& table = LensFileAccess::Table(fresh);
    std::vector<int> columnOf;
    for (auto title : titles) {
        int column = fresh.Column(title);
        if (column < 0) {
            column = table.ColumnCount();
            table.SetColumnCount(column + 1);
            table.SetCell(column, 0, std::string(title));
            result.unknownColumns.emplace_back(title);
        }
        columnOf.push_back(column);
    }

    const int firstIndex = fresh.FirstIndexColumn();
    const int remarks = fresh.Column(col::Remarks);
    const int rFix = fresh.Column(col::RFix), lFix = fresh.Column(col::LFix);
    std::string memo;
    bool memoStarted = false;
    std::size_t firstCutLine = 0; // the first line after the titles that has tabs but too few for a row
    int row = 0;
    for (std::size_t l = 1; l < lines.size(); ++l) {
        const std::string_view line = lines[l];
        const std::size_t tabs = TabCount(line);
        if (tabs < kDataLineTabs && (memoStarted || !IsShortRow(line, noField, row))) {
            if (tabs > 0 && firstCutLine == 0) firstCutLine = l;
            if (memoStarted) memo += '\n';
            memo += line;
            memoStarted = true;
            continue;
        }
        ++row;
        if (row > kMaxRows) return Failure("it has more than " + std::to_string(kMaxRows) + " rows");
        if (row > 1) table.SetRowCount(row + 1);

        const auto fields = SplitFields(line, t);
        const bool colourLine = fields.front() == "Color";
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const int column = columnOf[k];
            if (!colourLine) {
                // The last column takes the rest of the line; a cell cannot keep the tabs in it.
                std::string cell(fields[k]);
                if (k == t) std::replace(cell.begin(), cell.end(), '\t', ' ');
                table.SetCell(column, row, std::move(cell));
            } else if (k > 0 && column >= firstIndex && column < remarks) {
                // A colour that cannot be read keeps the colour the wavelength has.
                if (const auto colour = ParseColour(fields[k]))
                    fresh.Wavelengths().SetColour(column - firstIndex, *colour);
            }
        }
        if (colourLine) {
            fresh.Wavelengths().SetNonDefaultColours(true);
            --row;
            table.SetRowCount(std::max(row + 1, 2));
            continue;
        }
        if (tabs < t) result.shortRows.push_back(row);
        table.SetCell(rFix, row, FixCellFromFile(table.Cell(rFix, row)));
        table.SetCell(lFix, row, FixCellFromFile(table.Cell(lFix, row)));
    }
    if (row == 0) {
        if (firstCutLine == 0) return Failure("it has no table rows, not even the object row");
        return Failure("no line is a table row: line " + std::to_string(firstCutLine + 1) + " has " +
                       ColumnCountText(TabCount(lines[firstCutLine]) + 1) + " where the first line names " +
                       ColumnCountText(titles.size()) + " (the file may be cut short)");
    }

    // Cells that are not numbers are reported before the radius display rewrites any diameter.
    result.nonNumericCells = NonNumericCells(fresh, {0, 1, table.ColumnCount() - 1, table.RowCount() - 1});
    fresh.SetMemo(std::move(memo));
    if (fresh.RadiusMode()) fresh.ConvertDiameterCells(true);
    fresh.SetDataModified(false);
    fresh.MarkArraysStale();
    lens = std::move(fresh);
    return result;
}

LensFileResult ReadLensFile(Lens& lens, const std::string& path) {
    std::string text;
    if (auto error = ReadWholeFile(path, text, kMaxDataFileBytes)) return Failure(*error);
    LensFileResult result = ParseLensFileText(lens, text);
    if (!result.Ok()) result.error = "\"" + path + "\" cannot be read: " + result.error;
    return result;
}

} // namespace vitrimo
