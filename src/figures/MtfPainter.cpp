#include "figures/MtfPainter.h"

#include "figures/FigureColour.h"
#include "model/NumberFormat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <optional>

namespace vitrimo {
namespace {

using Values = std::vector<std::optional<double>>;

QString Text(const char* english, const char* japanese, bool inJapanese) {
    return QString::fromUtf8(inJapanese ? japanese : english);
}

// The title line: what the figure shows, the lens, and the field angle and defocus it holds fixed.
// `angle` and `defocus` may be null: a sweep over them shows neither.
QString Title(const QString& caption, const std::string& lensName, const double* angle, const double* defocus,
              bool japanese) {
    QString title = caption;
    if (!lensName.empty()) title += QStringLiteral("  —  ") + QString::fromStdString(lensName);
    if (angle)
        title += Text("  —  field ", "  —  画角 ", japanese) +
                 QString::fromStdString(FormatFixed(*angle, 2)) + QString::fromUtf8("°");
    if (defocus)
        title += (angle ? Text("  defocus ", "  デフォーカス ", japanese)
                        : Text("  —  defocus ", "  —  デフォーカス ", japanese)) +
                 QString::fromStdString(FormatFixed(*defocus, 3)) + QStringLiteral(" mm");
    return title;
}

FigureLayout LayoutOf(const QRectF& area) {
    return LayOutFigure(area, QFontMetricsF(FigureFont(area)).height(), false);
}

// White background, the figure font and the title line in bold, as every figure starts.
FigureLayout Start(QPainter& p, const QRectF& area, const QString& title) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::white);
    p.setFont(FigureFont(area));
    const FigureLayout layout = LayoutOf(area);
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    p.setPen(Qt::black);
    DrawAnchoredText(p, layout.title.topLeft(), title, Qt::AlignLeft);
    p.restore();
    return layout;
}

// A polyline through (x, y) with a gap wherever y has no value, and optionally a dot at every value.
void DrawSeries(QPainter& p, const PlotMapping& m, const std::vector<double>& xs, const Values& ys,
                const QPen& pen, bool dots) {
    QPainterPath path;
    bool open = false;
    for (std::size_t k = 0; k < xs.size() && k < ys.size(); ++k) {
        if (!ys[k] || !std::isfinite(*ys[k])) {
            open = false;
            continue;
        }
        const QPointF at(m.X(xs[k]), m.Y(*ys[k]));
        if (open)
            path.lineTo(at);
        else
            path.moveTo(at);
        open = true;
    }
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    if (!dots) return;
    const double radius = std::max(2.0, 1.2 * pen.widthF());
    p.setPen(QPen(pen.color(), 1));
    p.setBrush(pen.color());
    for (std::size_t k = 0; k < xs.size() && k < ys.size(); ++k)
        if (ys[k] && std::isfinite(*ys[k])) p.drawEllipse(QPointF(m.X(xs[k]), m.Y(*ys[k])), radius, radius);
    p.setBrush(Qt::NoBrush);
}

QPen CurvePen(QColor colour, double width, int direction) {
    QPen pen(colour, width);
    if (direction == 1) pen.setStyle(Qt::DashLine);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// The key of the line styles under the legend; returns the y below it.
double DrawStyleKey(QPainter& p, double x, double y, bool japanese) {
    const double line = QFontMetricsF(p.font()).height() * 1.15;
    const double length = 1.4 * QFontMetricsF(p.font()).height();
    const QString names[2] = {Text("meridional", "メリディオナル", japanese),
                              Text("sagittal", "サジタル", japanese)};
    for (int d = 0; d < kMtfDirections; ++d) {
        p.setPen(CurvePen(Qt::black, 1.5, d));
        p.drawLine(QPointF(x, y + line / 2), QPointF(x + length, y + line / 2));
        p.setPen(Qt::black);
        DrawAnchoredText(p, QPointF(x + length + 0.4 * line, y + line / 2), names[d],
                         Qt::AlignLeft | Qt::AlignVCenter);
        y += line;
    }
    return y;
}

int LitCount(const MtfPoint& point) {
    return static_cast<int>(std::count_if(point.wavelengths.begin(), point.wavelengths.end(),
                                          [](const OtfWavelength& w) { return w.samples > 0; }));
}

std::vector<LegendEntry> WavelengthLegend(const MtfResult& result) {
    std::vector<LegendEntry> entries;
    if (result.points.empty()) return entries;
    for (const OtfWavelength& w : result.points.front().wavelengths)
        entries.push_back({w.name, w.nanometres, w.colour});
    return entries;
}

// Where the values come from, in two short lines.
std::vector<QString> SourceText(const MtfSettings& s, bool japanese) {
    if (s.strehl)
        return {Text("Wave front RMS", "波面 RMS", japanese),
                Text("%1 steps/radius", "分割数 %1", japanese).arg(s.spotSteps)};
    if (s.source == OtfSource::Geometric)
        return {Text("Geometrical OTF (spot)", "幾何光学 OTF (スポット)", japanese),
                Text("%1 steps/radius", "分割数 %1", japanese).arg(s.spotSteps)};
    return {Text("Diffraction OTF (PSF)", "回折 OTF (PSF)", japanese),
            Text("FFT %1, pupil %2", "FFT %1, 瞳分割 %2", japanese).arg(s.fftSize).arg(s.pupilDivision)};
}

double PercentOf(double value) {
    return 100 * value;
}

// A range that shows every value, a little wider when there is only one.
AxisRange RangeOf(const std::vector<double>& values, double margin) {
    if (values.empty()) return {0, 1};
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    if (*high - *low > 1e-12) return {*low, *high};
    return {*low - margin, *high + margin};
}

void PaintFrequencyTab(QPainter& p, const FigureLayout& layout, const MtfPlot& plot,
                       std::vector<QString>& notes) {
    const MtfResult& result = plot.result;
    const bool japanese = plot.look.japanese;
    const double end = plot.axisFrequency > 0 ? plot.axisFrequency : result.settings.maxFrequency;
    const double low = std::min(plot.minimum, 99.0);
    const PlotMapping m{layout.plot, {0, end > 0 ? end : kDefaultMaxFrequency}, {low, 100}};
    p.fillRect(layout.plot, ToQColor(plot.look.background));
    DrawAxes(p, m, Text("Spatial frequency (lines / mm)", "空間周波数 (lines / mm)", japanese),
             plot.part == OtfPart::Modulus ? QStringLiteral("MTF (%)") : QStringLiteral("OTF' (%)"));
    if (!result.valid) return;
    const MtfPoint& point = result.points.front();
    const double width = std::max(1, plot.look.penWidth);
    p.save();
    p.setClipRect(layout.plot);
    // Each wavelength's table through the same spline as the weighted curve, finely enough to look smooth.
    std::vector<double> fine;
    const int samples = std::max(200, static_cast<int>(layout.plot.width() / 2));
    for (int k = 0; k <= samples; ++k) fine.push_back(m.x.high * k / samples);
    for (const OtfWavelength& w : point.wavelengths) {
        if (w.samples == 0) continue;
        for (int d = 0; d < kMtfDirections; ++d) {
            Values ys;
            for (const double value : ResampleOtf(w.frequencies, w.Direction(d), fine, plot.part))
                ys.push_back(PercentOf(value));
            DrawSeries(p, m, fine, ys, CurvePen(ToQColor(w.colour), width, d), false);
        }
    }
    if (LitCount(point) >= 2) {
        for (int d = 0; d < kMtfDirections; ++d) {
            Values ys;
            for (const double value : point.Values(d, plot.part)) ys.push_back(PercentOf(value));
            DrawSeries(p, m, result.axis, ys, CurvePen(Qt::black, width + 1.5, d), false);
        }
    }
    p.restore();
    notes.push_back(AngleText(point.fieldAngle));
    notes.push_back(DefocusText(point.defocus));
}

void PaintSweepTab(QPainter& p, const FigureLayout& layout, const MtfPlot& plot,
                   std::vector<LegendEntry>& legend, std::vector<QString>& notes) {
    const MtfResult& result = plot.result;
    const bool japanese = plot.look.japanese;
    const bool angles = result.kind == MtfSweepKind::Angle;
    std::vector<double> xs;
    for (const MtfPoint& point : result.points) xs.push_back(angles ? point.fieldAngle : point.defocus);
    const double low = std::min(plot.minimum, 99.0);
    const PlotMapping m{layout.plot, RangeOf(xs, angles ? 1.0 : 0.01), {low, 100}};
    p.fillRect(layout.plot, ToQColor(plot.look.background));
    const QString quantity = result.settings.strehl ? Text("Strehl ratio (%)", "ストレール比 (%)", japanese)
                             : plot.part == OtfPart::Modulus ? QStringLiteral("MTF (%)")
                                                             : QStringLiteral("OTF' (%)");
    DrawAxes(p, m,
             angles ? Text("Incident Angle (°)", "入射角 (°)", japanese)
                    : Text("Focus position (mm)", "焦点位置 (mm)", japanese),
             quantity);
    if (!result.valid) return;
    const double width = std::max(1, plot.look.penWidth);
    p.save();
    p.setClipRect(layout.plot.adjusted(-4, -4, 4, 4));
    if (result.settings.strehl) {
        const MtfPoint& first = result.points.front();
        for (std::size_t w = 0; w < first.wavelengths.size(); ++w) {
            Values ys;
            for (const MtfPoint& point : result.points) {
                const OtfWavelength& entry = point.wavelengths[w];
                ys.push_back(entry.samples > 0 ? std::optional<double>(PercentOf(entry.strehl))
                                               : std::nullopt);
            }
            DrawSeries(p, m, xs, ys, QPen(ToQColor(first.wavelengths[w].colour), width), true);
        }
        Values weighted;
        for (const MtfPoint& point : result.points)
            weighted.push_back(point.lit ? std::optional<double>(PercentOf(point.strehl)) : std::nullopt);
        DrawSeries(p, m, xs, weighted, QPen(Qt::black, width + 1.5), true);
        legend = WavelengthLegend(result);
        legend.push_back({Text("weighted", "重み付き", japanese).toStdString(), 0, colours::Black});
    } else {
        std::vector<double> frequencies = plot.frequencies;
        std::vector<Colour> colours = plot.colours;
        if (frequencies.empty()) frequencies.push_back(result.settings.maxFrequency / 10);
        colours.resize(frequencies.size(), colours::Black);
        for (std::size_t f = 0; f < frequencies.size(); ++f) {
            const int j = SampleOfFrequency(frequencies[f], result.settings.maxFrequency);
            for (int d = 0; d < kMtfDirections; ++d) {
                Values ys;
                for (const MtfPoint& point : result.points) {
                    const auto& values = point.Values(d, plot.part);
                    ys.push_back(j < static_cast<int>(values.size())
                                     ? std::optional<double>(PercentOf(values[j]))
                                     : std::nullopt);
                }
                DrawSeries(p, m, xs, ys, CurvePen(ToQColor(colours[f]), width, d), true);
            }
            legend.push_back({FormatGeneral(result.axis[j], 6) + " lines/mm", 0, colours[f]});
        }
    }
    p.restore();
    if (angles)
        notes.push_back(DefocusText(result.points.front().defocus));
    else
        notes.push_back(AngleText(result.points.front().fieldAngle));
}

void PaintStrehlTab(QPainter& p, const FigureLayout& layout, const MtfPlot& plot,
                    std::vector<QString>& notes) {
    const MtfResult& result = plot.result;
    const bool japanese = plot.look.japanese;
    std::vector<double> nanometres;
    if (!result.points.empty())
        for (const OtfWavelength& w : result.points.front().wavelengths) nanometres.push_back(w.nanometres);
    AxisRange range = RangeOf(nanometres, 50);
    const double pad = 0.08 * (range.high - range.low);
    range = {range.low - pad, range.high + pad};
    const double low = std::min(plot.minimum, 99.0);
    const PlotMapping m{layout.plot, range, {low, 100}};
    p.fillRect(layout.plot, ToQColor(plot.look.background));
    DrawAxes(p, m, Text("Wavelength (nm)", "波長 (nm)", japanese),
             Text("Strehl ratio (%)", "ストレール比 (%)", japanese));
    if (!result.valid) return;
    const MtfPoint& point = result.points.front();
    const double width = std::max(1, plot.look.penWidth);
    p.save();
    p.setClipRect(layout.plot);
    for (const OtfWavelength& w : point.wavelengths) {
        if (w.samples == 0) continue;
        const QPointF top(m.X(w.nanometres), m.Y(PercentOf(w.strehl)));
        p.setPen(QPen(ToQColor(w.colour), width + 2));
        p.drawLine(QPointF(top.x(), layout.plot.bottom()), top);
        p.setBrush(ToQColor(w.colour));
        p.drawEllipse(top, 3 + width, 3 + width);
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);
        DrawAnchoredText(p, top - QPointF(0, 5 + width), QString::fromStdString(w.name),
                         Qt::AlignHCenter | Qt::AlignBottom);
    }
    p.setPen(QPen(Qt::black, width, Qt::DashLine));
    const double level = m.Y(PercentOf(point.strehl));
    p.drawLine(QPointF(layout.plot.left(), level), QPointF(layout.plot.right(), level));
    p.restore();
    for (const OtfWavelength& w : point.wavelengths)
        notes.push_back(QString::fromStdString(w.name) + QStringLiteral("  RMS: ") +
                        (w.samples > 0 ? FigureNumber(w.rms, 3) : QString()));
    notes.push_back(QStringLiteral("StRatio: ") + QString::fromStdString(FormatFixed(point.strehl, 3)));
    notes.push_back(AngleText(point.fieldAngle));
    notes.push_back(DefocusText(point.defocus));
}

} // namespace

QRectF MtfGraphRect(const QRectF& area) {
    return LayoutOf(area).plot;
}

void PaintMtfPlot(QPainter& p, const QRectF& area, const MtfPlot& plot) {
    p.save();
    const MtfResult& result = plot.result;
    const bool japanese = plot.look.japanese;
    const bool strehl = result.settings.strehl;
    const MtfPoint* first = result.points.empty() ? nullptr : &result.points.front();
    const double* angle = first ? &first->fieldAngle : nullptr;
    const double* defocus = first ? &first->defocus : nullptr;
    QString caption;
    FigureLayout layout;
    std::vector<LegendEntry> legend;
    std::vector<QString> notes;
    bool styles = !strehl;
    switch (result.kind) {
    case MtfSweepKind::Frequency:
        caption = strehl                          ? Text("Strehl Ratio", "ストレール比", japanese)
                  : plot.part == OtfPart::Modulus ? QStringLiteral("MTF")
                                                  : QStringLiteral("OTF'");
        layout = Start(p, area, Title(caption, plot.look.lensName, angle, defocus, japanese));
        if (strehl) {
            PaintStrehlTab(p, layout, plot, notes);
        } else {
            PaintFrequencyTab(p, layout, plot, notes);
            legend = WavelengthLegend(result);
            if (first && LitCount(*first) >= 2)
                legend.push_back({Text("weighted", "重み付き", japanese).toStdString(), 0, colours::Black});
        }
        if (strehl) legend = WavelengthLegend(result);
        break;
    case MtfSweepKind::Angle:
        caption = strehl ? Text("Strehl Ratio - Angle", "ストレール比 - 画角", japanese)
                         : Text("MTF - Angle", "MTF - 画角", japanese);
        layout = Start(p, area, Title(caption, plot.look.lensName, nullptr, defocus, japanese));
        PaintSweepTab(p, layout, plot, legend, notes);
        break;
    case MtfSweepKind::Focus:
        caption = strehl ? Text("Strehl Ratio - Focus", "ストレール比 - 焦点", japanese)
                         : Text("MTF - Focus", "MTF - 焦点", japanese);
        layout = Start(p, area, Title(caption, plot.look.lensName, angle, nullptr, japanese));
        PaintSweepTab(p, layout, plot, legend, notes);
        break;
    }
    if (!result.valid)
        DrawPlotMessage(p, layout.plot,
                        QString::fromStdString(result.status.empty() ? kNoPointText : result.status));

    double y = DrawLegend(p, QPointF(layout.side.left(), layout.side.top()), legend) + 0.4 * layout.line;
    if (styles) y = DrawStyleKey(p, layout.side.left(), y, japanese) + 0.4 * layout.line;
    for (const QString& line : SourceText(result.settings, japanese)) notes.push_back(line);
    y = DrawTextLines(p, layout.side.left(), y, notes);
    if (result.undersampled) {
        p.save();
        p.setPen(Qt::red);
        DrawTextLines(p, layout.side.left(), y + 0.3 * layout.line,
                      {Text("Pupil grid too coarse:", "瞳分割が粗すぎます:", japanese),
                       Text("raise the pupil division", "瞳分割数を増やして下さい", japanese)});
        p.restore();
    }
    p.restore();
}

PlotMapping SpectralWeightMapping(const QRectF& area, const SpectralWeightPlot& plot) {
    const double shortest = plot.shortest,
                 longest = plot.longest > plot.shortest ? plot.longest : plot.shortest + 1;
    return PlotMapping{LayoutOf(area).plot, {shortest, longest}, {0, plot.top > 0 ? plot.top : 1}};
}

void PaintSpectralWeights(QPainter& p, const QRectF& area, const SpectralWeightPlot& plot) {
    p.save();
    const bool japanese = plot.japanese;
    const FigureLayout layout = Start(
        p, area,
        Title(Text("Spectral weights", "分光重み", japanese), plot.lensName, nullptr, nullptr, japanese));
    const PlotMapping m = SpectralWeightMapping(area, plot);
    DrawAxes(p, m, Text("Wavelength (nm)", "波長 (nm)", japanese), Text("Weight", "重み", japanese));
    // The ends of the wavelength axis, which the user sets.
    const QFontMetricsF metrics(p.font());
    const double below = layout.plot.bottom() + 0.3 * metrics.height() + metrics.height();
    p.setPen(Qt::darkGray);
    DrawAnchoredText(p, QPointF(layout.plot.left(), below), QStringLiteral("Min"),
                     Qt::AlignLeft | Qt::AlignTop);
    DrawAnchoredText(p, QPointF(layout.plot.right(), below), QStringLiteral("Max"),
                     Qt::AlignRight | Qt::AlignTop);

    std::vector<const SpectralWeightEntry*> sorted;
    for (const SpectralWeightEntry& entry : plot.entries) sorted.push_back(&entry);
    std::sort(sorted.begin(), sorted.end(),
              [](const auto* a, const auto* b) { return a->nanometres < b->nanometres; });
    p.save();
    p.setClipRect(layout.plot.adjusted(-8, -8, 8, 0));
    QPainterPath path;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        const QPointF at(m.X(sorted[k]->nanometres), m.Y(sorted[k]->weight));
        if (k == 0)
            path.moveTo(at);
        else
            path.lineTo(at);
    }
    p.setPen(QPen(Qt::gray, 1));
    p.drawPath(path);
    for (std::size_t k = 0; k < plot.entries.size(); ++k) {
        const SpectralWeightEntry& entry = plot.entries[k];
        const QColor colour = ToQColor(entry.colour);
        const QPointF at(m.X(entry.nanometres), m.Y(entry.weight));
        p.setPen(QPen(colour, 2));
        p.drawLine(QPointF(at.x(), layout.plot.bottom()), at);
        const double radius = static_cast<int>(k) == plot.picked ? 7 : 4.5;
        p.setPen(QPen(static_cast<int>(k) == plot.picked ? QColor(Qt::black) : colour, 1.5));
        p.setBrush(entry.calculated ? QBrush(colour) : QBrush(Qt::white));
        p.drawEllipse(at, radius, radius);
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);
        DrawAnchoredText(p, at - QPointF(0, radius + 2), QString::fromStdString(entry.name),
                         Qt::AlignHCenter | Qt::AlignBottom);
    }
    p.restore();

    std::vector<LegendEntry> legend;
    for (const SpectralWeightEntry& entry : plot.entries)
        legend.push_back(
            {entry.name + "  " + FormatFixed(entry.nanometres, 1) + " nm   " + FormatFixed(entry.weight, 3),
             0, entry.colour});
    const double y =
        DrawLegend(p, QPointF(layout.side.left(), layout.side.top()), legend) + 0.6 * layout.line;
    DrawTextLines(p, layout.side.left(), y,
                  {Text("Drag a point up or down", "点を上下にドラッグして", japanese),
                   Text("to set its weight.", "重みを変えます", japanese),
                   Text("Filled: calculated", "塗り: 計算する波長", japanese)});
    p.restore();
}

} // namespace vitrimo
