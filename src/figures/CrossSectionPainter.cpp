#include "figures/CrossSectionPainter.h"

#include "figures/FigureColour.h"
#include "figures/PlotFrame.h"
#include "model/NumberFormat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

// The text line height of a figure of this size.
double LineHeight(const QRectF& area) {
    return QFontMetricsF(FigureFont(area)).height();
}

// Pens are drawn one unit wide per pen width: a pixel on a screen-sized figure, in proportion on a
// larger canvas (a printer page), so the drawing looks the same.
double PenUnit(const QRectF& area) {
    return std::max(1.0, std::min(area.width(), area.height()) / 600);
}

QString Degrees(double angle) {
    return QString::fromStdString(FormatGeneral(angle, 6)) + QString::fromUtf8("°");
}

QString TitleOf(const CrossSectionPlot& plot) {
    const CrossSectionSettings& s = plot.result.settings;
    QString title = plot.japanese ? QString::fromUtf8("断面図") : QStringLiteral("Cross Section");
    if (!plot.lensName.empty()) title += QStringLiteral("  —  ") + QString::fromStdString(plot.lensName);
    title += plot.japanese ? QString::fromUtf8("  —  画角 ") : QStringLiteral("  —  field ");
    for (std::size_t k = 0; k < s.angles.size(); ++k) title += (k ? ", " : "") + Degrees(s.angles[k].degrees);
    if (s.displayShift != 0)
        title += (plot.japanese ? QString::fromUtf8("  光線表示位置 ") : QStringLiteral("  rays end at ")) +
                 QString::fromStdString((s.displayShift > 0 ? "+" : "") + FormatFixed(s.displayShift, 3)) +
                 QStringLiteral(" mm");
    if (s.allRays) title += plot.japanese ? QString::fromUtf8("  (全光線)") : QStringLiteral("  (all rays)");
    return title;
}

QPolygonF Polygon(const CanvasMapping& m, const DrawLine& line) {
    QPolygonF polygon;
    polygon.reserve(static_cast<int>(line.size()));
    for (const DrawPoint& p : line) polygon << QPointF(m.X(p.z), m.Y(p.y));
    return polygon;
}

QPen Pen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, width, style, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

// One entry of the legend beside the scale bar.
struct LegendItem {
    QColor colour;
    QString text;
};

} // namespace

QRectF CrossSectionDrawingArea(const QRectF& area) {
    const double line = LineHeight(area);
    QRectF drawing = area.adjusted(0.8 * line, 2.0 * line, -0.8 * line, -3.3 * line);
    if (drawing.width() < 10 || drawing.height() < 10) drawing = area;
    return drawing;
}

CanvasMapping CrossSectionMappingFor(const CrossSectionPlot& plot, const QRectF& area) {
    const QRectF drawing = CrossSectionDrawingArea(area);
    CanvasMapping mapping;
    mapping.left = drawing.left();
    mapping.top = drawing.top();
    mapping.width = drawing.width();
    mapping.height = drawing.height();
    mapping.view = plot.view ? *plot.view : FitView(plot.result, drawing.width(), drawing.height());
    return mapping;
}

double ScaleBarLength(double visibleWidth) {
    if (!(visibleWidth > 0) || !std::isfinite(visibleWidth)) return 1;
    const double quarter = visibleWidth / 4;
    const double power = std::pow(10.0, std::floor(std::log10(quarter)));
    for (double factor : {5.0, 2.0, 1.0})
        if (factor * power <= quarter * (1 + 1e-12)) return factor * power;
    return power;
}

void PaintCrossSection(QPainter& p, const QRectF& area, const CrossSectionPlot& plot) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::white);
    p.setFont(FigureFont(area));
    const double line = QFontMetricsF(p.font()).height();
    const double unit = PenUnit(area);
    const double width = unit * std::clamp(plot.penWidth, 1, 5);
    const CrossSectionResult& r = plot.result;

    // The title line.
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    p.setPen(Qt::black);
    DrawAnchoredText(p, QPointF(area.left() + line, area.top() + 0.4 * line), TitleOf(plot), Qt::AlignLeft);
    p.restore();

    const QRectF drawing = CrossSectionDrawingArea(area);
    if (!r.valid) {
        DrawPlotMessage(p, drawing, QString::fromStdString(r.error));
        p.restore();
        return;
    }
    const CanvasMapping m = CrossSectionMappingFor(plot, area);

    p.save();
    p.setClipRect(drawing);
    p.setBrush(Qt::NoBrush);
    // The axis, dash-dotted and light.
    p.setPen(Pen(QColor(150, 150, 150), unit, Qt::DashDotLine));
    p.drawPolyline(Polygon(m, r.axis));

    // The rays, then the lens over them.
    for (const DrawnRay& ray : r.rays) {
        QPolygonF polygon = Polygon(m, ray.points);
        if (ray.leadIn && !ray.points.empty()) {
            // A ray from infinity comes in from the left edge of the figure, whatever the view.
            DrawPoint from = *ray.leadIn;
            const DrawPoint start = ray.points.front();
            const double zLeft = m.ModelZ(drawing.left()), dz = start.z - from.z;
            if (dz > 0 && zLeft < from.z)
                from = {zLeft, start.y - (start.y - from.y) * (start.z - zLeft) / dz};
            polygon.prepend(QPointF(m.X(from.z), m.Y(from.y)));
        }
        if (polygon.size() < 2) continue;
        p.setPen(Pen(ToQColor(ray.colour), width));
        p.drawPolyline(polygon);
    }

    const QPen outline = Pen(Qt::black, width);
    for (const FaceOutline& face : r.faces) {
        switch (face.kind) {
        case FaceKind::DummyPlane:
            p.setPen(Pen(Qt::black, unit, Qt::DotLine));
            break;
        case FaceKind::Stop:
            p.setPen(Pen(Qt::black, 2 * width));
            break;
        default:
            p.setPen(outline);
        }
        for (const DrawLine& piece : face.pieces) p.drawPolyline(Polygon(m, piece));
        p.setPen(Pen(Qt::black, std::max(unit, width / 2)));
        for (const DrawLine& mark : face.marks) p.drawPolyline(Polygon(m, mark));
    }
    p.setPen(outline);
    for (const DrawLine& edge : r.edges) p.drawPolyline(Polygon(m, edge));
    // The image surface solid, the object plane dashed.
    p.drawPolyline(Polygon(m, r.imagePlane));
    p.setPen(Pen(Qt::black, unit, Qt::DashLine));
    p.drawPolyline(Polygon(m, r.objectPlane));
    // The rim of the entrance pupil of a lens without a stop: ticks 20 pixels long, away from the axis.
    p.setPen(outline);
    for (const PupilTick& tick : r.pupilTicks) {
        const QPointF base(m.X(tick.base.z), m.Y(tick.base.y));
        p.drawLine(base, base + QPointF(tick.outward.z, -tick.outward.y) * (20 * unit));
    }
    p.restore();

    // Below the drawing: the scale bar at the left, the legend at the right.
    const double barY = drawing.bottom() + 1.2 * line;
    const double length = ScaleBarLength(m.ModelZ(drawing.right()) - m.ModelZ(drawing.left()));
    const double barWidth = length * m.Scale();
    const double x0 = drawing.left();
    p.setPen(Pen(Qt::black, unit));
    p.drawLine(QPointF(x0, barY), QPointF(x0 + barWidth, barY));
    for (double x : {x0, x0 + barWidth})
        p.drawLine(QPointF(x, barY - 0.3 * line), QPointF(x, barY + 0.3 * line));
    DrawAnchoredText(p, QPointF(x0 + barWidth + 0.5 * line, barY),
                     QString::fromStdString(FormatGeneral(length, 6)) + QStringLiteral(" mm"),
                     Qt::AlignLeft | Qt::AlignVCenter);

    std::vector<LegendItem> legend;
    if (r.settings.multiColour) {
        for (const DrawnWavelength& w : r.wavelengths)
            legend.push_back({ToQColor(w.colour), QString::fromStdString(w.name) + QStringLiteral(" ") +
                                                      QString::fromStdString(FormatFixed(w.nanometres, 1)) +
                                                      QStringLiteral(" nm")});
    } else {
        for (const CrossSectionAngle& angle : r.settings.angles)
            legend.push_back({ToQColor(angle.colour), Degrees(angle.degrees)});
    }
    // The legend runs from the right; entries that would reach the scale bar's text go on a second row
    // below.
    const QFontMetricsF metrics(p.font());
    const double barEnd =
        x0 + barWidth + 0.5 * line +
        metrics.horizontalAdvance(QString::fromStdString(FormatGeneral(length, 6)) + " mm") + line;
    double x = drawing.right();
    double rowY = barY;
    for (auto it = legend.rbegin(); it != legend.rend(); ++it) {
        const double entryWidth = metrics.horizontalAdvance(it->text) + 1.7 * line;
        if (x - entryWidth < (rowY == barY ? barEnd : drawing.left()) && x < drawing.right()) {
            x = drawing.right();
            rowY += 1.05 * line;
        }
        x -= metrics.horizontalAdvance(it->text);
        p.setPen(Qt::black);
        DrawAnchoredText(p, QPointF(x, rowY), it->text, Qt::AlignLeft | Qt::AlignVCenter);
        x -= 0.3 * line + 1.4 * line;
        p.setPen(Pen(it->colour, 2 * unit));
        p.drawLine(QPointF(x, rowY), QPointF(x + 1.4 * line, rowY));
        x -= line;
    }
    if (r.cannotDraw) {
        p.setPen(Qt::red);
        DrawAnchoredText(p, QPointF(drawing.left(), drawing.top()),
                         plot.japanese ? QString::fromUtf8("図を描くことができません!")
                                       : QStringLiteral("Cannot draw the figure!"),
                         Qt::AlignLeft | Qt::AlignTop);
    }
    if (!r.error.empty() || r.stopped) {
        p.setPen(Qt::red);
        DrawAnchoredText(p, QPointF(drawing.left(), drawing.bottom()),
                         r.error.empty()
                             ? (plot.japanese ? QString::fromUtf8("計算を中止しました")
                                              : QStringLiteral("Stopped: not every ray was traced"))
                             : QString::fromStdString(r.error),
                         Qt::AlignLeft | Qt::AlignBottom);
    }
    p.restore();
}

} // namespace vitrimo
