// The two forms of the prescription report: an HTML page and plain text.
#include "exchange/PrescriptionReport.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>
#include <cstddef>

namespace vitrimo {
namespace {

// Rows of cells with a title row; numbers are right-aligned.
struct Grid {
    std::vector<std::string> titles;
    std::vector<bool> numeric; // per column
    std::vector<std::vector<std::string>> rows;
};

Grid SurfaceGrid(const PrescriptionReport& report) {
    Grid grid{{"Face", "Radius", "Distance", "Glass", "nd", "vd", "Clear diam.", "Notes"},
              {true, true, true, false, true, true, true, false},
              {}};
    for (const ReportSurface& s : report.surfaces)
        grid.rows.push_back(
            {std::to_string(s.face), s.radius, s.distance, s.glass, s.nd, s.abbe, s.clearDiameter, s.notes});
    return grid;
}

Grid GlassGrid(const PrescriptionReport& report) {
    Grid grid{{"Glass", "Maker", "nd", "vd", "Faces"}, {false, false, true, true, false}, {}};
    for (const ReportGlass& g : report.glasses)
        grid.rows.push_back({g.name, g.maker.empty() ? "unknown" : g.maker, g.nd, g.abbe, g.faces});
    return grid;
}

std::string WavelengthLine(const PrescriptionReport& report) {
    std::string line;
    for (const ReportWavelength& w : report.wavelengths) {
        if (!line.empty()) line += ", ";
        line += w.name + " " + FormatGeneral(w.nanometres, 6) + " nm" + (w.reference ? " (reference)" : "");
    }
    return line.empty() ? "none" : line;
}

std::string ObjectLine(const PrescriptionReport& report) {
    return report.objectAtInfinity ? "at infinity" : "at a limited distance";
}

// ---- Plain text ----

// The width of a UTF-8 text in characters (continuation bytes do not count).
std::size_t Width(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Control characters other than the tab would move a terminal's cursor or change its state: a user
// text shows them as '?'.
std::string Printable(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) c = '?';
    return result;
}

std::string Pad(const std::string& text, std::size_t width, bool right) {
    const std::size_t w = Width(text);
    const std::string blanks(width > w ? width - w : 0, ' ');
    return right ? blanks + text : text + blanks;
}

void TextGrid(std::string& out, const Grid& grid) {
    std::vector<std::size_t> widths;
    for (const std::string& t : grid.titles) widths.push_back(Width(t));
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : grid.rows) {
        std::vector<std::string> cells;
        for (std::size_t c = 0; c < row.size(); ++c) {
            cells.push_back(Printable(row[c]));
            widths[c] = std::max(widths[c], Width(cells.back()));
        }
        rows.push_back(std::move(cells));
    }
    const auto line = [&](const std::vector<std::string>& cells) {
        std::string text = " ";
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const bool last = c + 1 == cells.size();
            text += " " + (last && !grid.numeric[c] ? cells[c] : Pad(cells[c], widths[c], grid.numeric[c]));
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    };
    line(grid.titles);
    std::vector<std::string> rule;
    for (std::size_t width : widths) rule.push_back(std::string(width, '-'));
    line(rule);
    for (const auto& row : rows) line(row);
}

void TextHeading(std::string& out, const std::string& title) {
    out += "\n" + title + "\n" + std::string(Width(title), '-') + "\n";
}

void TextQuantities(std::string& out, const std::vector<ReportQuantity>& quantities) {
    std::size_t labelWidth = 0, valueWidth = 0;
    for (const ReportQuantity& q : quantities) {
        labelWidth = std::max(labelWidth, Width(q.label));
        valueWidth = std::max(valueWidth, Width(QuantityText(q)));
    }
    for (const ReportQuantity& q : quantities) {
        std::string line =
            "  " + Pad(q.label, labelWidth, false) + "  " + Pad(QuantityText(q), valueWidth, false);
        if (!q.note.empty()) line += "  (" + q.note + ")";
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
}

// ---- HTML ----

void HtmlGrid(std::string& out, const Grid& grid) {
    out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr>";
    for (const std::string& t : grid.titles) out += "<th>" + EscapeHtml(t) + "</th>";
    out += "</tr>\n";
    for (const auto& row : grid.rows) {
        out += "<tr>";
        for (std::size_t c = 0; c < row.size(); ++c)
            out += (grid.numeric[c] ? "<td class=\"n\" align=\"right\">" : "<td>") + EscapeHtml(row[c]) +
                   "</td>";
        out += "</tr>\n";
    }
    out += "</table>\n";
}

void HtmlQuantities(std::string& out, const std::vector<ReportQuantity>& quantities) {
    const bool notes = std::any_of(quantities.begin(), quantities.end(),
                                   [](const ReportQuantity& q) { return !q.note.empty(); });
    out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n";
    for (const ReportQuantity& q : quantities) {
        out += "<tr><th align=\"left\">" + EscapeHtml(q.label) + "</th><td class=\"n\" align=\"right\">" +
               EscapeHtml(QuantityText(q)) + "</td>";
        if (notes) out += "<td class=\"note\">" + EscapeHtml(q.note) + "</td>";
        out += "</tr>\n";
    }
    out += "</table>\n";
}

constexpr const char* kStyle = "body { font-family: sans-serif; font-size: 13px; margin: 1.5em; }\n"
                               "h1 { font-size: 20px; } h2 { font-size: 16px; margin-top: 1.2em; }\n"
                               "table { border-collapse: collapse; border-color: #999; }\n"
                               "th, td { border: 1px solid #999; padding: 2px 6px; }\n"
                               "th { background: #eee; }\n"
                               "td.n { text-align: right; font-family: monospace; white-space: nowrap; }\n"
                               "td.note, p.remark { color: #555; }\n";

} // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string ReportText(const PrescriptionReport& report) {
    std::string out;
    const std::string title = "Prescription report: " + Printable(report.title);
    out += title + "\n" + std::string(Width(title), '=') + "\n";
    if (!report.memo.empty()) {
        out += "\n";
        for (std::string_view line : SplitLines(report.memo)) out += "  " + Printable(line) + "\n";
    }
    out += "\nWavelengths: " + WavelengthLine(report) + "\n";
    out += "Object: " + ObjectLine(report) + "\n";

    TextHeading(out, "Surfaces");
    if (report.surfaces.empty())
        out += "  none: the lens has no faces\n";
    else
        TextGrid(out, SurfaceGrid(report));
    TextHeading(out, "Glasses");
    if (report.glasses.empty())
        out += "  none: no face names a glass\n";
    else
        TextGrid(out, GlassGrid(report));
    TextHeading(out, "First-order data");
    if (!report.firstOrderRemark.empty()) out += "  " + report.firstOrderRemark + "\n";
    TextQuantities(out, report.firstOrder);
    TextHeading(out, "Third-order sums");
    if (!report.thirdOrderRemark.empty())
        out += "  " + std::string(report.thirdOrder.empty() ? "" : "(") + report.thirdOrderRemark +
               (report.thirdOrder.empty() ? "" : ")") + "\n";
    TextQuantities(out, report.thirdOrder);
    return out;
}

std::string ReportHtml(const PrescriptionReport& report) {
    const std::string title = "Prescription report: " + EscapeHtml(report.title);
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                      title + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n<h1>" + title +
                      "</h1>\n";
    if (!report.memo.empty()) {
        out += "<p class=\"memo\">";
        bool first = true;
        for (std::string_view line : SplitLines(report.memo)) {
            out += (first ? "" : "<br>\n") + EscapeHtml(line);
            first = false;
        }
        out += "</p>\n";
    }
    out += "<p><b>Wavelengths:</b> " + EscapeHtml(WavelengthLine(report)) + "<br>\n<b>Object:</b> " +
           EscapeHtml(ObjectLine(report)) + "</p>\n";

    out += "<h2>Surfaces</h2>\n";
    if (report.surfaces.empty())
        out += "<p class=\"remark\">none: the lens has no faces</p>\n";
    else
        HtmlGrid(out, SurfaceGrid(report));
    out += "<h2>Glasses</h2>\n";
    if (report.glasses.empty())
        out += "<p class=\"remark\">none: no face names a glass</p>\n";
    else
        HtmlGrid(out, GlassGrid(report));
    out += "<h2>First-order data</h2>\n";
    if (!report.firstOrderRemark.empty())
        out += "<p class=\"remark\">" + EscapeHtml(report.firstOrderRemark) + "</p>\n";
    if (!report.firstOrder.empty()) HtmlQuantities(out, report.firstOrder);
    out += "<h2>Third-order sums</h2>\n";
    if (!report.thirdOrderRemark.empty())
        out += "<p class=\"remark\">" + EscapeHtml(report.thirdOrderRemark) + "</p>\n";
    if (!report.thirdOrder.empty()) HtmlQuantities(out, report.thirdOrder);
    out += "</body>\n</html>\n";
    return out;
}

} // namespace vitrimo
