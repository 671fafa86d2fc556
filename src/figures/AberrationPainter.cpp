#include "figures/AberrationPainter.h"

#include "figures/FigureColour.h"
#include "model/NumberFormat.h"

#include <QFont>
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

// One curve through its drawn points. `points[k]` is the pixel of point k, or nothing for a vignetted ray;
// `band` is the coordinate the drawing band applies to, relative to the plot, and its extent.
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

void DrawText(QPainter& p, const QPointF& at, const QString& text, Qt::Alignment alignment) {
    const QFontMetricsF metrics(p.font());
    const double width = metrics.horizontalAdvance(text), height = metrics.height();
    QPointF corner = at;
    if (alignment & Qt::AlignHCenter) corner.rx() -= width / 2;
    if (alignment & Qt::AlignRight) corner.rx() -= width;
    if (alignment & Qt::AlignVCenter) corner.ry() -= height / 2;
    if (alignment & Qt::AlignBottom) corner.ry() -= height;
    p.drawText(QRectF(corner, QSizeF(width + 1, height)), Qt::AlignLeft | Qt::AlignTop, text);
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

void PaintAberrationPlot(QPainter& p, const QRectF& area, const AberrationPlot& plot) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, ToQColor(plot.background));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(9, static_cast<int>(std::lround(area.height() / 34))));
    p.setFont(font);
    const double lineHeight = QFontMetricsF(font).height();

    // The plot leaves room for the title and legend above it and the axis labels below it.
    const QRectF frame(area.left() + 3.5 * lineHeight, area.top() + 2.6 * lineHeight,
                       area.width() - 5 * lineHeight, area.height() - 6.2 * lineHeight);
    const QPen ink(Qt::black, 1);
    p.setPen(ink);
    DrawText(p, QPointF(area.left() + lineHeight, area.top() + 0.3 * lineHeight),
             QString::fromStdString(CurveTitle(plot.kind, plot.japanese)), Qt::AlignLeft);
    // The legend: each wavelength's name in its colour.
    double legendX = area.right() - lineHeight;
    for (int w = static_cast<int>(plot.names.size()) - 1; w >= 0; --w) {
        if (w < static_cast<int>(plot.visible.size()) && !plot.visible[w]) continue;
        const QString name = QString::fromStdString(plot.names[w]);
        p.setPen(ToQColor(w < static_cast<int>(plot.colours.size()) ? plot.colours[w] : colours::Black));
        DrawText(p, QPointF(legendX, area.top() + 0.3 * lineHeight), name, Qt::AlignRight);
        legendX -= QFontMetricsF(font).horizontalAdvance(name) + 0.6 * lineHeight;
    }
    p.setPen(ink);

    const int steps = std::max(plot.curve.steps, 1);
    const double S = plot.scale > 0 ? plot.scale : 1;
    const auto xOf = [&](const QRectF& r, double value) {
        return r.left() + (value + S) * r.width() / (2 * S);
    };
    const auto curvePen = [&](int w, bool dashed) {
        QPen pen(ToQColor(w < static_cast<int>(plot.colours.size()) ? plot.colours[w] : colours::Black),
                 std::max(plot.penWidth, 1));
        if (dashed) pen.setStyle(Qt::DashLine);
        return pen;
    };
    const auto shown = [&](int w) { return w >= static_cast<int>(plot.visible.size()) || plot.visible[w]; };
    const double below = frame.bottom() + 0.35 * lineHeight;

    if (plot.kind == CurveKind::Transverse) {
        const double gap = 3.2 * lineHeight;
        const QRectF panels[2] = {
            QRectF(frame.left(), frame.top(), (frame.width() - gap) / 2, frame.height()),
            QRectF(frame.left() + (frame.width() + gap) / 2, frame.top(), (frame.width() - gap) / 2,
                   frame.height())};
        const double scaleT = S / (plot.fNumber > 0 ? plot.fNumber : 1);
        const int fan = 2 * steps + 1;
        const char* names[2][2] = {{"meridional", "sagittal"}, {"メリディオナル", "サジタル"}};
        for (int side = 0; side < 2; ++side) {
            const QRectF& r = panels[side];
            p.setPen(ink);
            p.drawRect(r);
            p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
            p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
            DrawText(p, QPointF(r.center().x(), below), QString::fromUtf8(names[plot.japanese ? 1 : 0][side]),
                     Qt::AlignHCenter);
            DrawText(p, QPointF(r.left() - 0.2 * lineHeight, r.top()), Label(scaleT), Qt::AlignRight);
            DrawText(p, QPointF(r.left() - 0.2 * lineHeight, r.bottom()), Label(-scaleT),
                     Qt::AlignRight | Qt::AlignBottom);
            DrawText(p, QPointF(r.left(), below), Label(-plot.pupilRadius), Qt::AlignLeft);
            DrawText(p, QPointF(r.right(), below), Label(plot.pupilRadius), Qt::AlignRight);
            for (int w = 0; w < static_cast<int>(plot.curve.values.size()); ++w) {
                if (!shown(w)) continue;
                std::vector<std::optional<QPointF>> points;
                for (int j = 0; j < fan; ++j) {
                    const auto& value = plot.curve.values[w][side * fan + j];
                    if (!value)
                        points.push_back(std::nullopt);
                    else
                        points.push_back(
                            QPointF(r.left() + j * r.width() / (2.0 * steps),
                                    r.top() + r.height() / 2 - r.height() * *value / (2 * scaleT)));
                }
                p.setPen(curvePen(w, false));
                p.save();
                p.setClipRect(r);
                DrawCurve(p, points, false, r);
                p.restore();
            }
        }
        p.setPen(ink);
        const double angle = plot.fieldAngle;
        const int degrees = static_cast<int>(std::trunc(angle));
        const QString text =
            QStringLiteral("defocus = %1 mm    Angle   = %2 o %3 '")
                .arg(QString::fromStdString(FormatFixed(plot.defocus, 3)))
                .arg(degrees)
                .arg(QString::fromStdString(FormatFixed(std::fabs(angle - degrees) * 60, 1)));
        DrawText(p, QPointF(frame.left(), below + 1.3 * lineHeight), text, Qt::AlignLeft);
        p.restore();
        return;
    }

    // Longitudinal, astigmatism, distortion: the value across, the pupil height or field angle upwards.
    p.drawRect(frame);
    p.drawLine(QPointF(xOf(frame, 0), frame.bottom()), QPointF(xOf(frame, 0), frame.top()));
    const bool distortion = plot.kind == CurveKind::Distortion;
    const QString unit = distortion ? QStringLiteral(" %") : QStringLiteral(" mm");
    DrawText(p, QPointF(frame.left(), below), Label(-S) + unit, Qt::AlignLeft);
    DrawText(p, QPointF(frame.right(), below), Label(S) + unit, Qt::AlignRight);
    const bool pupilAxis = plot.kind == CurveKind::Longitudinal;
    DrawText(p, QPointF(xOf(frame, 0), frame.top() - 0.15 * lineHeight),
             pupilAxis ? Label(plot.pupilRadius) + " mm" : Label(plot.maxAngle) + QString::fromUtf8(" °"),
             Qt::AlignHCenter | Qt::AlignBottom);

    const auto yOf = [&](int j) { return frame.bottom() - j * frame.height() / steps; };
    p.save();
    p.setClipRect(frame.adjusted(-1, -1, 1, 1));
    for (int w = 0; w < static_cast<int>(plot.curve.values.size()); ++w) {
        if (!shown(w)) continue;
        const auto pointsOf = [&](const std::vector<std::optional<double>>& values) {
            std::vector<std::optional<QPointF>> points;
            for (int j = 0; j < static_cast<int>(values.size()); ++j)
                points.push_back(values[j] ? std::optional<QPointF>(QPointF(xOf(frame, *values[j]), yOf(j)))
                                           : std::nullopt);
            return points;
        };
        p.setPen(curvePen(w, false));
        DrawCurve(p, pointsOf(plot.curve.values[w]), true, frame);
        if (plot.kind == CurveKind::Astigmatism && w < static_cast<int>(plot.curve.sagittal.size())) {
            p.setPen(curvePen(w, true));
            DrawCurve(p, pointsOf(plot.curve.sagittal[w]), true, frame);
        }
        if (plot.kind == CurveKind::Longitudinal && w == plot.reference &&
            !plot.curve.sineCondition.empty()) {
            p.setPen(curvePen(w, true));
            DrawCurve(p, pointsOf(plot.curve.sineCondition), true, frame);
        }
    }
    p.restore();
    p.setPen(ink);
    if (plot.kind == CurveKind::Astigmatism)
        DrawText(p, QPointF(frame.left(), below + 1.3 * lineHeight),
                 QString::fromUtf8(plot.japanese ? "実線: メリディオナル   破線: サジタル"
                                                 : "solid: meridional   dashed: sagittal"),
                 Qt::AlignLeft);
    if (plot.kind == CurveKind::Longitudinal)
        DrawText(p, QPointF(frame.left(), below + 1.3 * lineHeight),
                 QString::fromUtf8(plot.japanese ? "破線: 正弦条件" : "dashed: sine condition"),
                 Qt::AlignLeft);
    p.restore();
}

} // namespace vitrimo
