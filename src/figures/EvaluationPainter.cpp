#include "figures/EvaluationPainter.h"

#include "figures/FigureColour.h"
#include "figures/PlotFrame.h"
#include "model/NumberFormat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

using Layout = FigureLayout;

Layout Begin(QPainter& p, const QRectF& area, const std::string& caption, double fieldAngle,
             const EvaluationLook& look, bool square) {
    return BeginFigure(p, area, caption, look.lensName, fieldAngle, look.defocus, look.japanese, square);
}

QString Millimetres(double value, int decimals = 4) {
    return QString::fromStdString(FormatFixed(value, decimals)) + " mm";
}

std::vector<LegendEntry> LegendOf(const TracedRays& rays, bool shownOnly = true) {
    std::vector<LegendEntry> entries;
    for (int w = 0; w < rays.WavelengthCount(); ++w)
        if (!shownOnly || rays.Shown(w))
            entries.push_back(
                {rays.wavelengths[w].name, rays.wavelengths[w].nanometres, rays.wavelengths[w].colour});
    return entries;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Spot diagram

void PaintSpotPlot(QPainter& p, const QRectF& area, const SpotPlot& plot) {
    p.save();
    const SpotResult& spot = plot.spot;
    const double angle = spot.rays ? spot.rays->fieldAngle : 0;
    const Layout layout =
        Begin(p, area, plot.look.japanese ? "スポットダイアグラム" : "Spot Diagram", angle, plot.look, true);
    const double h = plot.halfWidth > 0 ? plot.halfWidth : 0.05;
    const PlotMapping m{layout.plot, {-h, h}, {-h, h}};
    p.fillRect(layout.plot, ToQColor(plot.look.background));
    DrawAxes(p, m, QStringLiteral("z (mm)"), QStringLiteral("y (mm)"));

    std::vector<QString> readOuts;
    if (!spot.valid) {
        DrawPlotMessage(p, layout.plot,
                        QString::fromStdString(spot.status.empty() ? kNoPointText : spot.status));
    } else {
        p.save();
        p.setClipRect(layout.plot);
        const double dot = std::max(1.0, 0.9 * plot.look.penWidth) * std::max(1.0, layout.line / 14);
        for (int w = 0; w < static_cast<int>(spot.wavelengths.size()); ++w) {
            if (!spot.rays->Shown(w)) continue;
            p.setPen(Qt::NoPen);
            p.setBrush(ToQColor(spot.rays->wavelengths[w].colour));
            for (const auto& point : spot.wavelengths[w].points) {
                const double dz = point[1] - spot.centroidZ, dy = point[0] - spot.centroidY;
                if (std::fabs(dz) > h || std::fabs(dy) > h) continue;
                p.drawEllipse(QPointF(m.X(dz), m.Y(dy)), dot, dot);
            }
        }
        p.setBrush(Qt::NoBrush);
        const double scale = layout.plot.width() / (2 * h);
        const QPointF centre = layout.plot.center();
        if (plot.drawCircle) {
            p.setPen(QPen(Qt::black, 1));
            p.drawEllipse(centre, plot.circleRadius * scale, plot.circleRadius * scale);
        }
        if (plot.drawAiryDisk && spot.airyRadius > 0) {
            p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
            p.drawEllipse(centre, spot.airyRadius * scale, spot.airyRadius * scale);
        }
        if (plot.drawCrossMark && spot.chief[0] < kNoPoint) {
            const QPointF at(m.X(spot.chief[1] - spot.centroidZ), m.Y(spot.chief[0] - spot.centroidY));
            const double arm = 0.6 * layout.line;
            p.setPen(QPen(Qt::black, std::max(1, plot.look.penWidth)));
            p.drawLine(at - QPointF(arm, 0), at + QPointF(arm, 0));
            p.drawLine(at - QPointF(0, arm), at + QPointF(0, arm));
        }
        p.restore();
        const std::string reference = spot.rays->wavelengths[spot.reference].name;
        readOuts.push_back(QStringLiteral("RMS radius (%1): ").arg(QString::fromStdString(reference)) +
                           Millimetres(spot.rmsRadius));
        readOuts.push_back(QStringLiteral("centroid y: ") + Millimetres(spot.centroidY));
        readOuts.push_back(QStringLiteral("centroid z: ") + Millimetres(spot.centroidZ));
        readOuts.push_back(QStringLiteral("rays: %1").arg(spot.Reference().Count()));
        if (plot.drawAiryDisk)
            readOuts.push_back(QStringLiteral("Airy disk r = ") + Millimetres(spot.airyRadius));
    }
    if (plot.drawCircle)
        readOuts.insert(readOuts.begin(),
                        QStringLiteral("Circle diam. : ") +
                            QString::fromStdString(FormatGeneral(2 * plot.circleRadius, 6)) + " mm");
    readOuts.push_back(DefocusText(plot.look.defocus));
    readOuts.push_back(AngleText(angle));
    double y = layout.side.top();
    if (spot.rays)
        y = DrawLegend(p, QPointF(layout.side.left(), y), LegendOf(*spot.rays)) + 0.6 * layout.line;
    DrawTextLines(p, layout.side.left(), y, readOuts);
    p.restore();
}

// ---------------------------------------------------------------------------------------------------
// Wavefront along the pupil's sections

void PaintWavefrontLinePlot(QPainter& p, const QRectF& area, const WavefrontLinePlot& plot) {
    p.save();
    const WavefrontLine& line = plot.line;
    const double angle = line.rays ? line.rays->fieldAngle : 0;
    const Layout layout = Begin(p, area, plot.look.japanese ? "波面収差 (ライン)" : "Wave Front Aber. (Line)",
                                angle, plot.look, false);
    const double scale = plot.scale > 0 ? plot.scale : 1;
    const double radius = line.pupilRadius > 0 ? line.pupilRadius : 1;
    const bool twoPanels = line.sagittalShown;
    const double gap = twoPanels ? 5.5 * layout.line : 0;
    const double width = (layout.plot.width() - gap) / (twoPanels ? 2 : 1);
    const char* names[2][2] = {{"meridional", "sagittal"}, {"メリディオナル", "サジタル"}};
    const QColor colour =
        line.rays ? ToQColor(line.rays->wavelengths[line.rays->reference].colour) : QColor(Qt::black);
    for (int side = 0; side < (twoPanels ? 2 : 1); ++side) {
        const QRectF panel(layout.plot.left() + side * (width + gap), layout.plot.top(), width,
                           layout.plot.height());
        const PlotMapping m{panel, {-radius, radius}, {-scale, scale}};
        p.fillRect(panel, ToQColor(plot.look.background));
        DrawAxes(p, m,
                 QString::fromUtf8(names[plot.look.japanese ? 1 : 0][side]) + QStringLiteral(" pupil (mm)"),
                 QStringLiteral("W (waves)"));
        p.setPen(QPen(Qt::gray, 1));
        p.drawLine(QPointF(panel.left(), m.Y(0)), QPointF(panel.right(), m.Y(0)));
        if (!line.valid) continue;
        // A polyline over consecutive samples; a vignetted ray leaves a gap, a value more than a plot
        // height beyond the scale is not drawn.
        const auto& values = side == 0 ? line.meridional : line.sagittal;
        const int s = line.steps;
        p.save();
        p.setClipRect(panel);
        p.setPen(QPen(colour, std::max(1, plot.look.penWidth) * 1.5));
        QPainterPath path;
        bool open = false;
        for (int j = 0; j <= 2 * s; ++j) {
            const auto& value = values[j];
            if (!value || std::fabs(*value) > 2 * scale) {
                open = false;
                continue;
            }
            const QPointF at(m.X(radius * (static_cast<double>(j) / s - 1)), m.Y(*value));
            if (open)
                path.lineTo(at);
            else
                path.moveTo(at);
            open = true;
        }
        p.drawPath(path);
        p.restore();
    }
    std::vector<QString> readOuts;
    if (line.valid) {
        readOuts.push_back(QStringLiteral("L-V: ") + FigureNumber(line.peakToValley) +
                           QString::fromUtf8(" λ"));
        readOuts.push_back(QStringLiteral("RMS: ") + FigureNumber(line.rms) + QString::fromUtf8(" λ"));
    } else {
        DrawPlotMessage(p, layout.plot,
                        QString::fromStdString(line.status.empty() ? kNoPointText : line.status));
    }
    readOuts.push_back(DefocusText(plot.look.defocus));
    readOuts.push_back(AngleText(angle));
    double y = layout.side.top();
    if (line.rays) {
        const TracedWavelength& reference = line.rays->wavelengths[line.rays->reference];
        y = DrawLegend(p, QPointF(layout.side.left(), y),
                       {{reference.name, reference.nanometres, reference.colour}}) +
            0.6 * layout.line;
    }
    DrawTextLines(p, layout.side.left(), y, readOuts);
    p.restore();
}

// ---------------------------------------------------------------------------------------------------
// Wavefront map over the pupil

void PaintWavefrontMapPlot(QPainter& p, const QRectF& area, const WavefrontMapPlot& plot) {
    p.save();
    const WavefrontMap& map = plot.map;
    const double angle = map.rays ? map.rays->fieldAngle : 0;
    const Layout layout = Begin(p, area, plot.look.japanese ? "波面収差 (面)" : "Wave Front Aber. (Face)",
                                angle, plot.look, true);
    const double scale = plot.scale > 0 ? plot.scale : 1;
    const double extent = map.grid.steps > 0 ? map.grid.pitch * (map.grid.steps + 0.5) : 1;
    const PlotMapping m{layout.plot, {-extent, extent}, {-extent, extent}};
    p.fillRect(layout.plot, QColor(192, 192, 192));
    if (map.valid) {
        const double cell = map.grid.pitch * layout.plot.width() / (2 * extent);
        p.setPen(Qt::NoPen);
        for (int k = 0; k < map.grid.PointCount(); ++k) {
            if (!map.opd[k]) continue;
            p.setBrush(ToQColor(WavefrontShade(*map.opd[k] / scale)));
            const auto [y, z] = map.grid.coordinates[k];
            p.drawRect(QRectF(m.X(z) - cell / 2, m.Y(y) - cell / 2, cell + 0.6, cell + 0.6));
        }
        p.setBrush(Qt::NoBrush);
    } else {
        DrawPlotMessage(p, layout.plot,
                        QString::fromStdString(map.status.empty() ? kNoPointText : map.status));
    }
    DrawAxes(p, m, QStringLiteral("pupil z (mm)"), QStringLiteral("pupil y (mm)"), false);

    // The shade scale: a bar from -scale (black) to +scale (white) with its values.
    double y = layout.side.top();
    if (map.rays) {
        const TracedWavelength& reference = map.rays->wavelengths[map.rays->reference];
        y = DrawLegend(p, QPointF(layout.side.left(), y),
                       {{reference.name, reference.nanometres, reference.colour}}) +
            0.6 * layout.line;
    }
    std::vector<QString> readOuts;
    if (map.valid) {
        readOuts.push_back(QStringLiteral("RMS: ") + FigureNumber(map.rms) + QString::fromUtf8(" λ"));
        readOuts.push_back(QStringLiteral("StRatio: ") + QString::fromStdString(FormatFixed(map.strehl, 3)));
        readOuts.push_back(QStringLiteral("L-V: ") + FigureNumber(map.peakToValley) +
                           QString::fromUtf8(" λ"));
        readOuts.push_back(QStringLiteral("rays: %1").arg(map.samples));
    }
    readOuts.push_back(DefocusText(plot.look.defocus));
    readOuts.push_back(AngleText(angle));
    y = DrawTextLines(p, layout.side.left(), y, readOuts) + 2 * layout.line;
    const double barHeight = std::max(layout.side.bottom() - y - 0.5 * layout.line, 3 * layout.line);
    const QRectF bar(layout.side.left() + 0.3 * layout.line, y, 1.2 * layout.line, barHeight);
    const PlotMapping barMapping{bar, {0, 1}, {-scale, scale}};
    const int bands = 64;
    for (int b = 0; b < bands; ++b) {
        const double v = -1 + (b + 0.5) * 2.0 / bands;
        p.fillRect(QRectF(bar.left(), barMapping.Y(v * scale) - bar.height() / bands / 2 - 0.5, bar.width(),
                          bar.height() / bands + 1),
                   ToQColor(WavefrontShade(v)));
    }
    p.setPen(Qt::black);
    p.drawRect(bar);
    double step = 1;
    const auto ticks = NiceTicks(-scale, scale, 6, &step);
    for (double v : ticks) {
        p.drawLine(QPointF(bar.right(), barMapping.Y(v)),
                   QPointF(bar.right() + 0.3 * layout.line, barMapping.Y(v)));
        DrawAnchoredText(p, QPointF(bar.right() + 0.45 * layout.line, barMapping.Y(v)), TickLabel(v, step),
                         Qt::AlignLeft | Qt::AlignVCenter);
    }
    DrawAnchoredText(p, QPointF(bar.left(), bar.top() - 0.1 * layout.line), QStringLiteral("W (waves)"),
                     Qt::AlignLeft | Qt::AlignBottom);
    p.restore();
}

// ---------------------------------------------------------------------------------------------------
// Diffraction image

QImage PsfPicture(const PsfResult& psf, int pixels, double halfWidth, double brightness) {
    QImage image(std::max(pixels, 1), std::max(pixels, 1), QImage::Format_RGB32);
    image.fill(Qt::black);
    const std::vector<Colour> colours = MixPsfColours(psf, pixels, halfWidth, brightness);
    for (int row = 0; row < pixels; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < pixels; ++column) {
            const Colour c = colours[static_cast<std::size_t>(row) * pixels + column];
            line[column] =
                qRgb(static_cast<int>(RedOf(c)), static_cast<int>(GreenOf(c)), static_cast<int>(BlueOf(c)));
        }
    }
    return image;
}

void PaintPsfPlot(QPainter& p, const QRectF& area, const PsfPlot& plot) {
    p.save();
    const PsfResult& psf = plot.psf;
    const double angle = psf.trace && psf.trace->rays ? psf.trace->rays->fieldAngle : 0;
    const Layout layout =
        Begin(p, area, plot.look.japanese ? "FFT イメージ" : "FFT Image", angle, plot.look, true);
    const double h = plot.halfWidth > 0 ? plot.halfWidth : 0.05;
    const PlotMapping m{layout.plot, {-h, h}, {-h, h}};
    p.fillRect(layout.plot, Qt::black);
    if (psf.valid) {
        // One image pixel per device pixel of the plot, at most 1024 across.
        const int pixels = std::clamp(static_cast<int>(std::lround(layout.plot.width())), 16, 1024);
        p.drawImage(layout.plot, PsfPicture(psf, pixels, h, plot.brightness));
    } else {
        DrawPlotMessage(p, layout.plot,
                        QString::fromStdString(psf.status.empty() ? kNoPointText : psf.status), Qt::white);
    }
    // The grid over a dark picture: faint white lines.
    double step = 1;
    p.setPen(QPen(QColor(255, 255, 255, 45), 1));
    for (double v :
         NiceTicks(-h, h, std::max(2, static_cast<int>(layout.plot.width() / (layout.line * 5))), &step)) {
        p.drawLine(QPointF(m.X(v), layout.plot.top()), QPointF(m.X(v), layout.plot.bottom()));
        p.drawLine(QPointF(layout.plot.left(), m.Y(v)), QPointF(layout.plot.right(), m.Y(v)));
    }
    DrawAxes(p, m, QStringLiteral("z (mm)"), QStringLiteral("y (mm)"), false);
    const double scale = layout.plot.width() / (2 * h);
    if (plot.drawCircle && psf.valid) {
        p.setPen(QPen(Qt::white, 1));
        p.drawEllipse(layout.plot.center(), plot.circleRadius * scale, plot.circleRadius * scale);
    }

    std::vector<QString> readOuts;
    if (psf.valid && plot.intensityLine) {
        // The profiles: the value B reaches the full plot height (width for the column profile).
        const IntensityLine intensity = MakeIntensityLine(psf, h);
        const double top = plot.brightness > 0 ? plot.brightness : 1;
        p.save();
        p.setClipRect(layout.plot);
        const auto draw = [&](const std::vector<double>& values, bool across, QColor colour) {
            QPainterPath path;
            for (std::size_t k = 0; k < values.size(); ++k) {
                const double v = std::min(values[k] / top, 2.0);
                const QPointF at = across ? QPointF(m.X(intensity.positions[k]),
                                                    layout.plot.bottom() - v * layout.plot.height())
                                          : QPointF(layout.plot.left() + v * layout.plot.width(),
                                                    m.Y(intensity.positions[k]));
                if (k == 0)
                    path.moveTo(at);
                else
                    path.lineTo(at);
            }
            p.setPen(QPen(colour, 1.5));
            p.drawPath(path);
        };
        draw(intensity.row, true, QColor(255, 255, 140));
        if (plot.columnLine) draw(intensity.column, false, QColor(140, 255, 255));
        p.restore();
        p.setPen(Qt::white);
        DrawAnchoredText(p, layout.plot.topLeft() + QPointF(0.5 * layout.line, 0.3 * layout.line),
                         QStringLiteral("peak=") + QString::fromStdString(FormatFixed(intensity.peak, 4)),
                         Qt::AlignLeft | Qt::AlignTop);
    }
    if (plot.drawCircle && psf.valid) {
        p.setPen(Qt::white);
        DrawAnchoredText(p, layout.plot.bottomLeft() + QPointF(0.5 * layout.line, -0.3 * layout.line),
                         QStringLiteral("Circle radius = ") +
                             QString::fromStdString(FormatGeneral(plot.circleRadius, 6)) + "mm",
                         Qt::AlignLeft | Qt::AlignBottom);
    }

    // The side panel: each wavelength with its Strehl ratio, then the settings of the calculation.
    double y = layout.side.top();
    std::vector<LegendEntry> legend;
    for (const PsfWavelength& w : psf.wavelengths) legend.push_back({w.name, w.nanometres, w.colour});
    y = DrawLegend(p, QPointF(layout.side.left(), y), legend);
    const double lineHeight = QFontMetricsF(p.font()).height() * 1.15;
    p.setPen(Qt::black);
    for (std::size_t k = 0; k < psf.wavelengths.size(); ++k) {
        if (psf.wavelengths[k].passing == 0) continue; // no light: no value
        DrawAnchoredText(p, QPointF(layout.side.right(), layout.side.top() + (k + 0.5) * lineHeight),
                         QStringLiteral("S = ") +
                             QString::fromStdString(FormatFixed(psf.wavelengths[k].strehl, 3)),
                         Qt::AlignRight | Qt::AlignVCenter);
    }
    y += 0.6 * layout.line;
    if (psf.valid) {
        readOuts.push_back(QStringLiteral("Strehl ratio: ") +
                           QString::fromStdString(FormatFixed(psf.strehl, 4)));
        readOuts.push_back(QStringLiteral("FFT %1 x %1, pupil %2")
                               .arg(psf.settings.fftSize)
                               .arg(psf.settings.pupilDivision));
        readOuts.push_back(QString::fromUtf8("pixel: ") +
                           QString::fromStdString(FormatGeneral(psf.referencePixelSize * 1000, 4)) +
                           QString::fromUtf8(" µm"));
        readOuts.push_back(QStringLiteral("scale: ") +
                           (psf.settings.brightness == BrightnessScale::Log    ? QStringLiteral("log")
                            : psf.settings.brightness == BrightnessScale::Root ? QStringLiteral("root")
                                                                               : QStringLiteral("linear")));
    }
    readOuts.push_back(DefocusText(plot.look.defocus));
    readOuts.push_back(AngleText(angle));
    y = DrawTextLines(p, layout.side.left(), y, readOuts);
    if (psf.valid && psf.undersampled) {
        // An aliased image must not pass for a real one. Two short lines: the side panel is narrow.
        p.setPen(QColor(200, 0, 0));
        const QString lines[2] = {plot.look.japanese ? QString::fromUtf8("瞳の分割が粗すぎます")
                                                     : QStringLiteral("pupil undersampled:"),
                                  plot.look.japanese ? QString::fromUtf8("(折り返し)")
                                                     : QStringLiteral("image aliased")};
        for (int k = 0; k < 2; ++k)
            DrawAnchoredText(p, QPointF(layout.side.left(), y + (0.3 + 1.15 * k) * layout.line), lines[k],
                             Qt::AlignLeft | Qt::AlignTop);
    }
    p.restore();
}

} // namespace vitrimo
