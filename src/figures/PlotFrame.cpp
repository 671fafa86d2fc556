#include "figures/PlotFrame.h"

#include "figures/FigureColour.h"
#include "model/Angles.h"
#include "model/NumberFormat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vitrimo {

QFont FigureFont(const QRectF& area) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(9, static_cast<int>(std::lround(std::min(area.height(), area.width()) / 38))));
    return font;
}

void DrawAnchoredText(QPainter& p, const QPointF& at, const QString& text, Qt::Alignment alignment) {
    const QFontMetricsF metrics(p.font());
    const double width = metrics.horizontalAdvance(text), height = metrics.height();
    QPointF corner = at;
    if (alignment & Qt::AlignHCenter) corner.rx() -= width / 2;
    if (alignment & Qt::AlignRight) corner.rx() -= width;
    if (alignment & Qt::AlignVCenter) corner.ry() -= height / 2;
    if (alignment & Qt::AlignBottom) corner.ry() -= height;
    p.drawText(QRectF(corner, QSizeF(width + 1, height)), Qt::AlignLeft | Qt::AlignTop, text);
}

double NiceCeiling(double value) {
    if (!(value > 0) || !std::isfinite(value)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= value * (1 - 1e-12)) return factor * power;
    return 10 * power;
}

double RoundUpToOneDigit(double value) {
    if (!(value > 0) || !std::isfinite(value)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    return std::ceil(value / power * (1 - 1e-12)) * power;
}

std::vector<double> NiceTicks(double low, double high, int wanted, double* step) {
    std::vector<double> ticks;
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high) || wanted < 1) return ticks;
    const double spacing = NiceCeiling((high - low) / wanted);
    if (step) *step = spacing;
    const double first = std::ceil(low / spacing - 1e-9) * spacing;
    for (double tick = first; tick <= high + 1e-9 * spacing; tick += spacing)
        ticks.push_back(std::fabs(tick) < 1e-12 * spacing ? 0.0 : tick);
    return ticks;
}

QString TickLabel(double value, double step) {
    const int decimals = step > 0 ? std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9))) : 3;
    return QString::fromStdString(FormatFixed(value, decimals));
}

double PlotMapping::X(double value) const {
    return plot.left() + (value - x.low) / (x.high - x.low) * plot.width();
}

double PlotMapping::Y(double value) const {
    return plot.bottom() - (value - y.low) / (y.high - y.low) * plot.height();
}

void DrawAxes(QPainter& p, const PlotMapping& m, const QString& xTitle, const QString& yTitle, bool grid) {
    p.save();
    const QFontMetricsF metrics(p.font());
    const double tick = metrics.height() * 0.3;
    double xStep = 1, yStep = 1;
    const int xWanted = std::max(4, static_cast<int>(m.plot.width() / (metrics.height() * 5)));
    const int yWanted = std::max(4, static_cast<int>(m.plot.height() / (metrics.height() * 2.5)));
    const auto xTicks = NiceTicks(m.x.low, m.x.high, xWanted, &xStep);
    const auto yTicks = NiceTicks(m.y.low, m.y.high, yWanted, &yStep);
    if (grid) {
        p.setPen(QPen(GridColour(), 1));
        for (double v : xTicks) p.drawLine(QPointF(m.X(v), m.plot.top()), QPointF(m.X(v), m.plot.bottom()));
        for (double v : yTicks) p.drawLine(QPointF(m.plot.left(), m.Y(v)), QPointF(m.plot.right(), m.Y(v)));
    }
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
        DrawAnchoredText(p, QPointF(m.plot.left() - 1.5 * tick, m.Y(v)), label,
                         Qt::AlignRight | Qt::AlignVCenter);
    }
    DrawAnchoredText(p, QPointF(m.plot.center().x(), m.plot.bottom() + tick + metrics.height()), xTitle,
                     Qt::AlignHCenter | Qt::AlignTop);
    // The y title reads upwards beside the tick values.
    p.translate(m.plot.left() - 2 * tick - widest - 0.3 * metrics.height(), m.plot.center().y());
    p.rotate(-90);
    DrawAnchoredText(p, QPointF(0, 0), yTitle, Qt::AlignHCenter | Qt::AlignBottom);
    p.restore();
}

QString TitleLine(const std::string& caption, const std::string& lensName, double fieldAngle, double defocus,
                  bool japanese) {
    QString title = QString::fromStdString(caption);
    if (!lensName.empty()) title += QStringLiteral("  —  ") + QString::fromStdString(lensName);
    title += japanese ? QStringLiteral("  —  画角 ") : QStringLiteral("  —  field ");
    title += QString::fromStdString(FormatFixed(fieldAngle, 2)) + QString::fromUtf8("°");
    title += japanese ? QStringLiteral("  デフォーカス ") : QStringLiteral("  defocus ");
    title += QString::fromStdString(FormatFixed(defocus, 3)) + QStringLiteral(" mm");
    return title;
}

double DrawLegend(QPainter& p, const QPointF& topLeft, const std::vector<LegendEntry>& entries) {
    p.save();
    const QFontMetricsF metrics(p.font());
    const double line = metrics.height() * 1.15;
    double y = topLeft.y();
    for (const LegendEntry& entry : entries) {
        const QColor colour = ToQColor(entry.colour);
        p.setPen(QPen(colour, 2));
        p.drawLine(QPointF(topLeft.x(), y + line / 2),
                   QPointF(topLeft.x() + 1.4 * metrics.height(), y + line / 2));
        p.setPen(Qt::black);
        QString text = QString::fromStdString(entry.name);
        if (entry.nanometres > 0)
            text += QStringLiteral("  ") + QString::fromStdString(FormatFixed(entry.nanometres, 1)) + " nm";
        DrawAnchoredText(p, QPointF(topLeft.x() + 1.8 * metrics.height(), y + line / 2), text,
                         Qt::AlignLeft | Qt::AlignVCenter);
        y += line;
    }
    p.restore();
    return y;
}

FigureLayout LayOutFigure(const QRectF& area, double line, bool square) {
    FigureLayout layout;
    layout.line = line;
    layout.title = QRectF(area.left() + line, area.top() + 0.4 * line, area.width() - 2 * line, 1.2 * line);
    // A square plot leaves the side room to spare; curves take the width they can get.
    const double sideWidth =
        square ? std::min(15 * line, 0.36 * area.width()) : std::min(11 * line, 0.3 * area.width());
    layout.side = QRectF(area.right() - sideWidth, layout.title.bottom() + line, sideWidth - 0.5 * line,
                         area.bottom() - layout.title.bottom() - 2 * line);
    QRectF plot(area.left() + 5.2 * line, layout.title.bottom() + line, 0, 0);
    plot.setRight(layout.side.left() - 1.2 * line);
    plot.setBottom(area.bottom() - 3.2 * line);
    if (square) {
        const double side = std::max(std::min(plot.width(), plot.height()), 10.0);
        plot = QRectF(plot.left() + (plot.width() - side) / 2, plot.top() + (plot.height() - side) / 3, side,
                      side);
    }
    layout.plot = plot;
    return layout;
}

FigureLayout BeginFigure(QPainter& p, const QRectF& area, const std::string& caption,
                         const std::string& lensName, double fieldAngle, double defocus, bool japanese,
                         bool square) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::white);
    p.setFont(FigureFont(area));
    const double line = QFontMetricsF(p.font()).height();
    const FigureLayout layout = LayOutFigure(area, line, square);
    p.setPen(Qt::black);
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    DrawAnchoredText(p, layout.title.topLeft(), TitleLine(caption, lensName, fieldAngle, defocus, japanese),
                     Qt::AlignLeft);
    p.restore();
    return layout;
}

double DrawTextLines(QPainter& p, double x, double y, const std::vector<QString>& lines) {
    const double line = QFontMetricsF(p.font()).height() * 1.15;
    p.setPen(Qt::black);
    for (const QString& text : lines) {
        DrawAnchoredText(p, QPointF(x, y), text, Qt::AlignLeft | Qt::AlignTop);
        y += line;
    }
    return y;
}

void DrawPlotMessage(QPainter& p, const QRectF& plot, const QString& text, QColor colour) {
    p.save();
    p.setPen(colour);
    p.drawText(plot.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, text);
    p.restore();
}

QString FigureNumber(double value, int significant) {
    return QString::fromStdString(FormatGeneral(value, significant));
}

QString AngleText(double angle) {
    const auto [degrees, minutes] = DegreesAndMinutes(angle);
    return QStringLiteral("Angle   = %1 o %2 '")
        .arg(QString::fromStdString(degrees), QString::fromStdString(minutes));
}

QString DefocusText(double defocus) {
    return QStringLiteral("defocus = ") + QString::fromStdString(FormatFixed(defocus, 3)) + " mm";
}

} // namespace vitrimo
