#include "figures/AberrationPainter.h"

#include "figures/FigureColour.h"
#include "figures/PlotFrame.h"
#include "model/NumberFormat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <cmath>

namespace vitrimo {
namespace {

QString Label(double value) {
    return QString::fromStdString(FormatGeneral(RoundToFourDigits(value), 4));
}

// One curve through its points, in pieces: `points[k]` is the pixel of point k, or nothing for a
// vignetted ray, which interrupts the curve. The drawing band applies across the value axis (x for the
// curves drawn against pupil height or angle, y for the transverse fans).
void DrawCurve(QPainter& p, const std::vector<std::optional<QPointF>>& points, bool bandIsX,
               const QRectF& plot) {
    std::vector<std::optional<double>> band(points.size());
    for (std::size_t k = 0; k < points.size(); ++k)
        if (points[k]) band[k] = bandIsX ? points[k]->x() - plot.left() : points[k]->y() - plot.top();
    QPainterPath path;
    for (const auto& piece : DrawnPieces(band, bandIsX ? plot.width() : plot.height())) {
        if (piece.size() < 2) continue;
        path.moveTo(*points[piece[0]]);
        for (std::size_t k = 1; k < piece.size(); ++k) path.lineTo(*points[piece[k]]);
    }
    p.drawPath(path);
}

// The axis titles of the plots, in the figure's wording.
struct AxisTitles {
    QString x, y;
};

AxisTitles TitlesOf(CurveKind kind, bool japanese) {
    const QString degrees = QString::fromUtf8(japanese ? "画角 (°)" : "field angle (°)");
    switch (kind) {
    case CurveKind::Longitudinal:
        return {QString::fromUtf8(japanese ? "縦収差 (mm)" : "longitudinal aberration (mm)"),
                QString::fromUtf8(japanese ? "入射瞳高さ (mm)" : "pupil height (mm)")};
    case CurveKind::Transverse:
        return {QString::fromUtf8(japanese ? "入射瞳座標 (mm)" : "pupil coordinate (mm)"),
                QString::fromUtf8(japanese ? "横収差 (mm)" : "transverse aberration (mm)")};
    case CurveKind::Astigmatism:
        return {QString::fromUtf8(japanese ? "焦点のずれ (mm)" : "focus shift (mm)"), degrees};
    case CurveKind::Distortion:
        return {QString::fromUtf8(japanese ? "歪曲 (%)" : "distortion (%)"), degrees};
    }
    return {};
}

} // namespace

double RoundToFourDigits(double value) {
    if (value == 0 || !std::isfinite(value)) return 0;
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(value))) - 3);
    return std::round(value / unit) * unit;
}

std::string CurveTitle(CurveKind kind, bool japanese) {
    switch (kind) {
    case CurveKind::Longitudinal:
        return japanese ? "球面収差 (縦)" : "Spherical Aber. (Longitudinal)";
    case CurveKind::Transverse:
        return japanese ? "球面収差 (横)" : "Spherical Aber. (Transverse)";
    case CurveKind::Astigmatism:
        return japanese ? "非点収差" : "Astigmat";
    case CurveKind::Distortion:
        return japanese ? "歪曲収差" : "Distortion";
    }
    return {};
}

namespace {

// What the two kinds of plot share: which wavelengths are drawn and with which pens.
struct CurveLook {
    const AberrationPlot& plot;
    bool Shown(int w) const { return w >= static_cast<int>(plot.visible.size()) || plot.visible[w]; }
    QPen Pen(int w, bool dashed) const {
        QPen pen(ToQColor(w < static_cast<int>(plot.colours.size()) ? plot.colours[w] : colours::Black),
                 std::max(plot.penWidth, 1) * 1.2);
        if (dashed) pen.setStyle(Qt::DashLine);
        return pen;
    }
};

void ZeroLine(QPainter& p, const QLineF& at) {
    p.setPen(QPen(Qt::gray, 1));
    p.drawLine(at);
}

// The transverse fans: two panels, the meridional fan on the left and the sagittal fan on the right; the
// value axis is the scale divided by the F-number.
void PaintFans(QPainter& p, const FigureLayout& layout, const AberrationPlot& plot,
               const AxisTitles& titles) {
    const CurveLook look{plot};
    const int steps = std::max(plot.curve.steps, 1);
    const double gap = 5.5 * layout.line;
    const double width = (layout.plot.width() - gap) / 2;
    const double scaleT = (plot.scale > 0 ? plot.scale : 1) / (plot.fNumber > 0 ? plot.fNumber : 1);
    const double radius = plot.pupilRadius > 0 ? plot.pupilRadius : 1;
    const int fan = 2 * steps + 1;
    const char* names[2][2] = {{"meridional", "sagittal"}, {"メリディオナル", "サジタル"}};
    for (int side = 0; side < 2; ++side) {
        const QRectF panel(layout.plot.left() + side * (width + gap), layout.plot.top(), width,
                           layout.plot.height());
        const PlotMapping m{panel, {-radius, radius}, {-scaleT, scaleT}};
        p.fillRect(panel, ToQColor(plot.background));
        DrawAxes(p, m, QString::fromUtf8(names[plot.japanese ? 1 : 0][side]) + " " + titles.x, titles.y);
        ZeroLine(p, QLineF(panel.left(), m.Y(0), panel.right(), m.Y(0)));
        ZeroLine(p, QLineF(m.X(0), panel.top(), m.X(0), panel.bottom()));
        p.save();
        p.setClipRect(panel);
        for (int w = 0; w < static_cast<int>(plot.curve.values.size()); ++w) {
            if (!look.Shown(w)) continue;
            std::vector<std::optional<QPointF>> points;
            for (int j = 0; j < fan; ++j) {
                const auto& value = plot.curve.values[w][side * fan + j];
                points.push_back(value ? std::optional<QPointF>(QPointF(
                                             m.X(radius * (static_cast<double>(j) / steps - 1)), m.Y(*value)))
                                       : std::nullopt);
            }
            p.setPen(look.Pen(w, false));
            DrawCurve(p, points, false, panel);
        }
        p.restore();
    }
}

// The longitudinal aberration, the field curves and the distortion: the value across, the pupil height or
// the field angle upwards, point j of a curve at row j of `steps` rows from the bottom.
void PaintAgainstHeight(QPainter& p, const FigureLayout& layout, const AberrationPlot& plot,
                        const AxisTitles& titles) {
    const CurveLook look{plot};
    const int steps = std::max(plot.curve.steps, 1);
    const double S = plot.scale > 0 ? plot.scale : 1;
    const bool longitudinal = plot.kind == CurveKind::Longitudinal;
    const double top = longitudinal ? plot.pupilRadius : plot.maxAngle;
    const PlotMapping m{layout.plot, {-S, S}, {0, top > 0 ? top : 1}};
    p.fillRect(layout.plot, ToQColor(plot.background));
    DrawAxes(p, m, titles.x, titles.y);
    ZeroLine(p, QLineF(m.X(0), layout.plot.bottom(), m.X(0), layout.plot.top()));
    // The top of the vertical axis: the pupil semi-diameter or the maximum angle, 4 digits.
    p.setPen(Qt::black);
    DrawAnchoredText(p, QPointF(m.X(0), layout.plot.top() - 0.15 * layout.line),
                     longitudinal ? Label(plot.pupilRadius) + " mm"
                                  : Label(plot.maxAngle) + QString::fromUtf8(" °"),
                     Qt::AlignHCenter | Qt::AlignBottom);
    const auto pointsOf = [&](const std::vector<std::optional<double>>& values) {
        std::vector<std::optional<QPointF>> points;
        for (int j = 0; j < static_cast<int>(values.size()); ++j)
            points.push_back(
                values[j] ? std::optional<QPointF>(QPointF(
                                m.X(*values[j]), layout.plot.bottom() - j * layout.plot.height() / steps))
                          : std::nullopt);
        return points;
    };
    p.save();
    p.setClipRect(layout.plot);
    for (int w = 0; w < static_cast<int>(plot.curve.values.size()); ++w) {
        if (!look.Shown(w)) continue;
        p.setPen(look.Pen(w, false));
        DrawCurve(p, pointsOf(plot.curve.values[w]), true, layout.plot);
        if (plot.kind == CurveKind::Astigmatism && w < static_cast<int>(plot.curve.sagittal.size())) {
            p.setPen(look.Pen(w, true));
            DrawCurve(p, pointsOf(plot.curve.sagittal[w]), true, layout.plot);
        }
        if (longitudinal && w == plot.reference && !plot.curve.sineCondition.empty()) {
            p.setPen(look.Pen(w, true));
            DrawCurve(p, pointsOf(plot.curve.sineCondition), true, layout.plot);
        }
    }
    p.restore();
}

// The notes under the legend: what the line styles mean, or the fans' defocus and angle.
std::vector<QString> Notes(const AberrationPlot& plot) {
    switch (plot.kind) {
    case CurveKind::Transverse:
        return {DefocusText(plot.defocus), AngleText(plot.fieldAngle)};
    case CurveKind::Astigmatism:
        return {QString::fromUtf8(plot.japanese ? "実線: メリディオナル" : "solid: meridional"),
                QString::fromUtf8(plot.japanese ? "破線: サジタル" : "dashed: sagittal")};
    case CurveKind::Longitudinal:
        return {QString::fromUtf8(plot.japanese ? "破線: 正弦条件" : "dashed: sine condition")};
    case CurveKind::Distortion:
        break;
    }
    return {};
}

} // namespace

void PaintAberrationPlot(QPainter& p, const QRectF& area, const AberrationPlot& plot) {
    p.save();
    const bool transverse = plot.kind == CurveKind::Transverse;
    const bool fieldCurve = plot.kind == CurveKind::Astigmatism || plot.kind == CurveKind::Distortion;
    const FigureLayout layout = BeginFigure(p, area, CurveTitle(plot.kind, plot.japanese), plot.lensName,
                                            fieldCurve   ? plot.maxAngle
                                            : transverse ? plot.fieldAngle
                                                         : 0, // the longitudinal curve is on the axis
                                            transverse ? plot.defocus : 0, plot.japanese, false);
    const AxisTitles titles = TitlesOf(plot.kind, plot.japanese);
    if (transverse)
        PaintFans(p, layout, plot, titles);
    else
        PaintAgainstHeight(p, layout, plot, titles);

    // The side panel: the legend of the drawn wavelengths, then the notes.
    const CurveLook look{plot};
    std::vector<LegendEntry> legend;
    for (int w = 0; w < static_cast<int>(plot.names.size()); ++w)
        if (look.Shown(w))
            legend.push_back({plot.names[w],
                              w < static_cast<int>(plot.nanometres.size()) ? plot.nanometres[w] : 0,
                              w < static_cast<int>(plot.colours.size()) ? plot.colours[w] : colours::Black});
    const double y = DrawLegend(p, layout.side.topLeft(), legend) + 0.6 * layout.line;
    DrawTextLines(p, layout.side.left(), y, Notes(plot));
    p.restore();
}

} // namespace vitrimo
