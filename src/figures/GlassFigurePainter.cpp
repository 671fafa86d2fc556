#include "figures/GlassFigurePainter.h"

#include "figures/FigureColour.h"
#include "figures/PlotFrame.h"
#include "glass/Dispersion.h"
#include "model/NumberFormat.h"
#include "model/WavelengthList.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

namespace vitrimo {
namespace {

constexpr int kCurveSamples = 240;

// A title of the catalogue's range columns, without blanks and in lower case: "λmin (µm)" -> "λmin(µm)".
std::string Squeezed(const std::string& text) {
    std::string out;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The column whose title starts with "λ" + word or "lambda" + word (Schott writes "lambda min (um)").
int RangeColumn(const GlassCatalogue& catalogue, const std::string& word) {
    const int title = catalogue.TitleRow();
    for (int c = 0; c < catalogue.FieldCount(title); ++c) {
        const std::string t = Squeezed(catalogue.Cell(c, title));
        if (t.rfind("λ" + word, 0) == 0 || t.rfind("lambda" + word, 0) == 0) return c;
    }
    return -1;
}

std::optional<double> NumberIn(const GlassCatalogue& catalogue, int column, int row) {
    if (column < 0) return std::nullopt;
    const auto value = ParseNumber(catalogue.Cell(column, row));
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

struct Texts {
    QString caption, wavelength, formula, catalogueIndex, glasses, lensGlasses, selected, noGlass;
};

Texts TextsFor(bool japanese) {
    if (japanese)
        return {QString::fromUtf8("ガラス分散図"),     QString::fromUtf8("波長 (nm)"),
                QString::fromUtf8("分散式"),           QString::fromUtf8("カタログの屈折率"),
                QString::fromUtf8("カタログのガラス"), QString::fromUtf8("レンズのガラス"),
                QString::fromUtf8("選択したガラス"),   QString::fromUtf8("ガラスが選ばれていません")};
    return {QStringLiteral("Glass dispersion"),  QStringLiteral("wavelength (nm)"),
            QStringLiteral("formula"),           QStringLiteral("catalogue index"),
            QStringLiteral("catalogue glasses"), QStringLiteral("glasses of the lens"),
            QStringLiteral("selected glass"),    QStringLiteral("No glass is selected")};
}

QString Nm(double nanometres) {
    return QString::fromStdString(FormatFixed(nanometres, 1)) + " nm";
}

// The index axis: the curve's and the catalogue's values with a little room above and below.
AxisRange IndexRange(const GlassFigure& figure) {
    double low = 1e300, high = -1e300;
    const auto take = [&](const std::optional<double>& v) {
        if (v && std::isfinite(*v)) {
            low = std::min(low, *v);
            high = std::max(high, *v);
        }
    };
    for (const auto& s : figure.curve) take(s.index);
    for (const auto& line : figure.lines)
        if (line.nanometres >= figure.lowNm && line.nanometres <= figure.highNm) take(line.catalogue);
    if (!(high >= low)) return {1.4, 2.0};
    const double room = std::max((high - low) * 0.06, 1e-3);
    return {low - room, high + room};
}

// Axes for the map: the values of a reversed horizontal axis run from right to left, which the shared
// axes of the other figures do not do.
void DrawMapAxes(QPainter& p, const PlotMapping& m, const GlassMapRange& range, const QString& xTitle,
                 const QString& yTitle) {
    p.save();
    const QFontMetricsF metrics(p.font());
    const double tick = metrics.height() * 0.3;
    double xStep = 1, yStep = 1;
    const auto xTicks = NiceTicks(range.abbeLow, range.abbeHigh,
                                  std::max(4, static_cast<int>(m.plot.width() / (metrics.height() * 4))), &xStep);
    const auto yTicks = NiceTicks(range.ndLow, range.ndHigh,
                                  std::max(4, static_cast<int>(m.plot.height() / (metrics.height() * 2.5))), &yStep);
    p.setPen(QPen(GridColour(), 1));
    for (double v : xTicks) p.drawLine(QPointF(m.X(v), m.plot.top()), QPointF(m.X(v), m.plot.bottom()));
    for (double v : yTicks) p.drawLine(QPointF(m.plot.left(), m.Y(v)), QPointF(m.plot.right(), m.Y(v)));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(m.plot);
    for (double v : xTicks) {
        p.drawLine(QPointF(m.X(v), m.plot.bottom()), QPointF(m.X(v), m.plot.bottom() + tick));
        DrawAnchoredText(p, QPointF(m.X(v), m.plot.bottom() + tick), TickLabel(v, xStep),
                         Qt::AlignHCenter | Qt::AlignTop);
    }
    double widest = 0;
    for (double v : yTicks) {
        p.drawLine(QPointF(m.plot.left() - tick, m.Y(v)), QPointF(m.plot.left(), m.Y(v)));
        const QString label = TickLabel(v, yStep);
        widest = std::max(widest, metrics.horizontalAdvance(label));
        DrawAnchoredText(p, QPointF(m.plot.left() - 1.5 * tick, m.Y(v)), label, Qt::AlignRight | Qt::AlignVCenter);
    }
    DrawAnchoredText(p, QPointF(m.plot.center().x(), m.plot.bottom() + tick + metrics.height()), xTitle,
                     Qt::AlignHCenter | Qt::AlignTop);
    p.translate(m.plot.left() - 2 * tick - widest - 0.3 * metrics.height(), m.plot.center().y());
    p.rotate(-90);
    DrawAnchoredText(p, QPointF(0, 0), yTitle, Qt::AlignHCenter | Qt::AlignBottom);
    p.restore();
}

PlotMapping MapMapping(const GlassFigure& figure, const GlassFigureLayout& layout) {
    const GlassMapRange range = MapRangeOf(figure);
    return PlotMapping{layout.map, {range.abbeHigh, range.abbeLow}, {range.ndLow, range.ndHigh}};
}

enum class Marker { Dot, Square, Circle };

void DrawMarker(QPainter& p, const QPointF& at, Marker marker, double size) {
    switch (marker) {
    case Marker::Dot:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 120, 120));
        p.drawEllipse(at, size * 0.18, size * 0.18);
        break;
    case Marker::Square:
        p.setPen(QPen(QColor(0, 70, 200), std::max(1.0, size * 0.08)));
        p.setBrush(QColor(160, 190, 255));
        p.drawRect(QRectF(at.x() - size * 0.3, at.y() - size * 0.3, size * 0.6, size * 0.6));
        break;
    case Marker::Circle:
        p.setPen(QPen(QColor(210, 0, 0), std::max(1.5, size * 0.12)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(at, size * 0.45, size * 0.45);
        break;
    }
}

void PaintDispersion(QPainter& p, const GlassFigureLayout& layout, const GlassFigure& figure, const Texts& texts) {
    const PlotMapping m{layout.dispersion, {figure.lowNm, figure.highNm}, IndexRange(figure)};
    DrawAxes(p, m, texts.wavelength, QStringLiteral("n"));
    p.save();
    p.setClipRect(layout.dispersion);
    // The lines: a dashed mark in the line's colour, its letter at the top, the catalogue's index.
    for (const GlassLineMark& line : figure.lines) {
        if (line.nanometres < figure.lowNm || line.nanometres > figure.highNm) continue;
        const double x = m.X(line.nanometres);
        QPen pen(ToQColor(line.colour), 1, Qt::DashLine);
        p.setPen(pen);
        p.drawLine(QPointF(x, layout.dispersion.top() + layout.line * 1.1), QPointF(x, layout.dispersion.bottom()));
        p.setPen(ToQColor(line.colour));
        DrawAnchoredText(p, QPointF(x, layout.dispersion.top() + 0.1 * layout.line),
                         QString::fromStdString(line.name), Qt::AlignHCenter | Qt::AlignTop);
    }
    QPainterPath path;
    bool open = false;
    for (const auto& s : figure.curve) {
        if (!s.index) {
            open = false;
            continue;
        }
        const QPointF at(m.X(s.nanometres), m.Y(*s.index));
        if (open)
            path.lineTo(at);
        else
            path.moveTo(at);
        open = true;
    }
    p.setPen(QPen(Qt::black, std::max(1.5, layout.line * 0.09)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    for (const GlassLineMark& line : figure.lines) {
        if (!line.catalogue || line.nanometres < figure.lowNm || line.nanometres > figure.highNm) continue;
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(ToQColor(line.colour));
        p.drawEllipse(QPointF(m.X(line.nanometres), m.Y(*line.catalogue)), layout.line * 0.25, layout.line * 0.25);
    }
    p.restore();
    if (figure.glass.empty())
        DrawPlotMessage(p, layout.dispersion, texts.noGlass);
    else if (!figure.error.empty())
        DrawPlotMessage(p, layout.dispersion, QString::fromStdString(figure.error), Qt::darkRed);

    // The legend: the curve, the catalogue's points, then each line with its nm and index.
    const QRectF box = layout.dispersionLegend;
    const double row = layout.line * 1.15;
    double y = box.top();
    p.setPen(QPen(Qt::black, std::max(1.5, layout.line * 0.09)));
    p.drawLine(QPointF(box.left(), y + row / 2), QPointF(box.left() + 1.4 * layout.line, y + row / 2));
    p.setPen(Qt::black);
    QString formula = texts.formula;
    if (!figure.formulaName.empty()) formula += " (" + QString::fromStdString(figure.formulaName) + ")";
    DrawAnchoredText(p, QPointF(box.left() + 1.8 * layout.line, y + row / 2), formula, Qt::AlignLeft | Qt::AlignVCenter);
    const double second = box.left() + box.width() / 2;
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(second + 0.7 * layout.line, y + row / 2), layout.line * 0.25, layout.line * 0.25);
    DrawAnchoredText(p, QPointF(second + 1.8 * layout.line, y + row / 2), texts.catalogueIndex,
                     Qt::AlignLeft | Qt::AlignVCenter);
    y += row * 1.2;
    const int perColumn = (static_cast<int>(figure.lines.size()) + 1) / 2;
    for (int k = 0; k < static_cast<int>(figure.lines.size()); ++k) {
        const GlassLineMark& line = figure.lines[k];
        const double x = k < perColumn ? box.left() : second;
        const double at = y + (k % perColumn) * row + row / 2;
        p.setPen(QPen(ToQColor(line.colour), 2));
        p.drawLine(QPointF(x, at), QPointF(x + 1.4 * layout.line, at));
        p.setPen(Qt::black);
        const auto index = line.catalogue ? line.catalogue : line.formula;
        QString text = QString::fromStdString(line.name) + "  " + Nm(line.nanometres);
        if (index) text += "  " + QString::fromStdString(FormatFixed(*index, 5));
        DrawAnchoredText(p, QPointF(x + 1.8 * layout.line, at), text, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void PaintMap(QPainter& p, const GlassFigureLayout& layout, const GlassFigure& figure, const Texts& texts) {
    const GlassMapRange range = MapRangeOf(figure);
    const PlotMapping m = MapMapping(figure, layout);
    DrawMapAxes(p, m, range, QString::fromUtf8("νd"), QStringLiteral("nd"));
    const double size = layout.line;
    p.save();
    p.setClipRect(layout.map);
    for (const GlassMapPoint& g : figure.glasses) DrawMarker(p, QPointF(m.X(g.abbe), m.Y(g.nd)), Marker::Dot, size);
    const auto label = [&](const GlassMapPoint& g, QColor colour) {
        p.setPen(colour);
        DrawAnchoredText(p, QPointF(m.X(g.abbe) + 0.5 * size, m.Y(g.nd) - 0.3 * size), QString::fromStdString(g.name),
                         Qt::AlignLeft | Qt::AlignBottom);
    };
    std::set<std::string> labelled;
    for (int k : figure.lensGlasses) {
        const GlassMapPoint& g = figure.glasses[k];
        DrawMarker(p, QPointF(m.X(g.abbe), m.Y(g.nd)), Marker::Square, size);
        if (k != figure.selected && labelled.insert(g.name).second) label(g, QColor(0, 50, 160));
    }
    if (figure.selected >= 0) {
        const GlassMapPoint& g = figure.glasses[figure.selected];
        DrawMarker(p, QPointF(m.X(g.abbe), m.Y(g.nd)), Marker::Circle, size);
        label(g, QColor(190, 0, 0));
    }
    p.restore();

    const QRectF box = layout.mapLegend;
    const double row = size * 1.15;
    const std::pair<Marker, QString> entries[] = {
        {Marker::Circle, texts.selected}, {Marker::Square, texts.lensGlasses}, {Marker::Dot, texts.glasses}};
    double y = box.top();
    for (const auto& [marker, text] : entries) {
        DrawMarker(p, QPointF(box.left() + 0.7 * size, y + row / 2), marker, size);
        p.setPen(Qt::black);
        DrawAnchoredText(p, QPointF(box.left() + 1.8 * size, y + row / 2), text, Qt::AlignLeft | Qt::AlignVCenter);
        y += row;
    }
    if (figure.selected >= 0) {
        const GlassMapPoint& g = figure.glasses[figure.selected];
        p.setPen(Qt::black);
        DrawAnchoredText(p, QPointF(box.left() + box.width() / 2, box.top() + row / 2),
                         QString::fromStdString(g.name), Qt::AlignLeft | Qt::AlignVCenter);
        DrawAnchoredText(p, QPointF(box.left() + box.width() / 2, box.top() + 1.5 * row),
                         "nd " + QString::fromStdString(FormatFixed(g.nd, 5)), Qt::AlignLeft | Qt::AlignVCenter);
        DrawAnchoredText(p, QPointF(box.left() + box.width() / 2, box.top() + 2.5 * row),
                         QString::fromUtf8("νd ") + QString::fromStdString(FormatFixed(g.abbe, 2)),
                         Qt::AlignLeft | Qt::AlignVCenter);
    }
}

} // namespace

GlassFigure MakeGlassFigure(const GlassCatalogue& catalogue, int nameColumn, int selectedRow,
                            const std::vector<std::string>& lensGlassNames, bool japanese) {
    GlassFigure figure;
    figure.japanese = japanese;
    if (catalogue.Maker()) figure.maker = std::string(MakerName(*catalogue.Maker()));

    const std::set<std::string> lensNames(lensGlassNames.begin(), lensGlassNames.end());
    for (int row = catalogue.FixedRowCount(); row < catalogue.RowCount(); ++row) {
        const auto nd = ParseNumber(catalogue.TitledCell(TitleNd, row));
        const auto abbe = ParseNumber(catalogue.TitledCell(TitleAbbe, row));
        const std::string& name = catalogue.Cell(nameColumn, row);
        if (!nd || !abbe || !std::isfinite(*nd) || !std::isfinite(*abbe) || *nd <= 1 || *abbe <= 0 || IsBlank(name))
            continue;
        if (row == selectedRow) figure.selected = static_cast<int>(figure.glasses.size());
        if (lensNames.count(name)) figure.lensGlasses.push_back(static_cast<int>(figure.glasses.size()));
        figure.glasses.push_back({*nd, *abbe, name, row});
    }

    const WavelengthList eleven;
    if (selectedRow < catalogue.FixedRowCount() || selectedRow >= catalogue.RowCount() ||
        IsBlank(catalogue.Cell(nameColumn, selectedRow))) {
        for (int w = 0; w < WavelengthList::kLineCount; ++w)
            figure.lines.push_back({eleven.At(w).name, eleven.At(w).nanometres, eleven.At(w).colour, {}, {}});
        return figure;
    }
    figure.glass = catalogue.Cell(nameColumn, selectedRow);

    // The range the maker fitted the formula for, where the catalogue says it.
    const auto low = NumberIn(catalogue, RangeColumn(catalogue, "min"), selectedRow);
    const auto high = NumberIn(catalogue, RangeColumn(catalogue, "max"), selectedRow);
    if (low && high && *low > 0 && *high > *low && *high < 100) {
        figure.lowNm = *low * 1000;
        figure.highNm = *high * 1000;
        figure.rangeFromCatalogue = true;
    }

    const GlassFormulaResult formula = FindGlassFormula(catalogue, figure.glass);
    if (formula.Ok()) {
        figure.formulaName = std::string(formula.formula.Name());
        for (int k = 0; k <= kCurveSamples; ++k) {
            const double nm = figure.lowNm + (figure.highNm - figure.lowNm) * k / kCurveSamples;
            auto index = formula.formula.IndexAt(nm);
            if (index && !std::isfinite(*index)) index.reset();
            figure.curve.push_back({nm, index});
        }
    } else {
        figure.error = formula.error;
    }
    for (int w = 0; w < WavelengthList::kLineCount; ++w) {
        GlassLineMark line{eleven.At(w).name, eleven.At(w).nanometres, eleven.At(w).colour, {}, {}};
        if (formula.Ok() && line.nanometres >= figure.lowNm && line.nanometres <= figure.highNm)
            line.formula = formula.formula.IndexAt(line.nanometres);
        if (line.formula && !std::isfinite(*line.formula)) line.formula.reset();
        line.catalogue = NumberIn(catalogue, catalogue.TitleColumn(static_cast<CatalogueTitle>(w)), selectedRow);
        figure.lines.push_back(line);
    }
    return figure;
}

GlassFigureLayout LayOutGlassFigure(const QRectF& area) {
    GlassFigureLayout layout;
    const double line = QFontMetricsF(FigureFont(area)).height();
    layout.line = line;
    layout.title = QRectF(area.left() + line, area.top() + 0.4 * line, area.width() - 2 * line, 1.2 * line);
    // Under each plot: room for its tick values and axis title, then its legend (the dispersion plot's
    // lists the eleven lines in two columns).
    const double legendHeight = 7.6 * line * 1.15;
    const double top = layout.title.bottom() + line;
    const double bottom = area.bottom() - legendHeight - 3.4 * line;
    const double half = area.width() / 2;
    layout.dispersion = QRectF(area.left() + 5.2 * line, top, std::max(half - 6.2 * line, 10.0), std::max(bottom - top, 10.0));
    layout.map =
        QRectF(area.left() + half + 4.8 * line, top, std::max(half - 5.8 * line, 10.0), std::max(bottom - top, 10.0));
    layout.dispersionLegend = QRectF(area.left() + 1.5 * line, layout.dispersion.bottom() + 3.4 * line,
                                     half - 2 * line, legendHeight);
    layout.mapLegend = QRectF(layout.map.left(), layout.map.bottom() + 3.4 * line, layout.map.width(), legendHeight);
    return layout;
}

// Whole tens around the catalogue's Abbe numbers, tenths around its indices.
GlassMapRange MapRangeOf(const GlassFigure& figure) {
    GlassMapRange range;
    if (figure.glasses.empty()) return range;
    double aLow = 1e300, aHigh = -1e300, nLow = 1e300, nHigh = -1e300;
    for (const GlassMapPoint& g : figure.glasses) {
        aLow = std::min(aLow, g.abbe);
        aHigh = std::max(aHigh, g.abbe);
        nLow = std::min(nLow, g.nd);
        nHigh = std::max(nHigh, g.nd);
    }
    range.abbeLow = std::floor(aLow / 10) * 10;
    range.abbeHigh = std::ceil(aHigh / 10) * 10;
    if (range.abbeHigh <= range.abbeLow) range.abbeHigh = range.abbeLow + 10;
    range.ndLow = std::floor(nLow * 10) / 10;
    range.ndHigh = std::ceil(nHigh * 10) / 10;
    if (range.ndHigh <= range.ndLow) range.ndHigh = range.ndLow + 0.1;
    return range;
}

void PaintGlassFigure(QPainter& p, const QRectF& area, const GlassFigure& figure) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::white);
    p.setFont(FigureFont(area));
    const GlassFigureLayout layout = LayOutGlassFigure(area);
    const Texts texts = TextsFor(figure.japanese);

    QString title = texts.caption;
    if (!figure.maker.empty()) title += QStringLiteral("  —  ") + QString::fromStdString(figure.maker);
    if (!figure.glass.empty()) title += " " + QString::fromStdString(figure.glass);
    if (!figure.formulaName.empty())
        title += QStringLiteral("  —  ") + QString::fromStdString(figure.formulaName) + ", " +
                 QString::fromStdString(FormatFixed(figure.lowNm, 0)) + QString::fromUtf8(" – ") +
                 QString::fromStdString(FormatFixed(figure.highNm, 0)) + " nm";
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    p.setPen(Qt::black);
    DrawAnchoredText(p, layout.title.topLeft(), title, Qt::AlignLeft);
    p.restore();

    PaintDispersion(p, layout, figure, texts);
    PaintMap(p, layout, figure, texts);
    p.restore();
}

int GlassAt(const GlassFigure& figure, const QRectF& area, const QPointF& point) {
    const GlassFigureLayout layout = LayOutGlassFigure(area);
    if (!layout.map.contains(point) || figure.glasses.empty()) return -1;
    const PlotMapping m = MapMapping(figure, layout);
    int nearest = -1;
    double best = 1e300;
    for (int k = 0; k < static_cast<int>(figure.glasses.size()); ++k) {
        const double dx = m.X(figure.glasses[k].abbe) - point.x(), dy = m.Y(figure.glasses[k].nd) - point.y();
        const double d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            nearest = k;
        }
    }
    return nearest;
}

} // namespace vitrimo
