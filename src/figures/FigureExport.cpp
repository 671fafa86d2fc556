#include "figures/FigureExport.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace vitrimo {

QString FigureFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "png" || suffix == "svg" || suffix == "pdf" ? suffix : QString();
}

std::optional<QString> ExportFigure(const QString& path, QSize size, const FigurePainter& paint) {
    const QString format = FigureFormat(path);
    if (format.isEmpty())
        return QStringLiteral("\"%1\": the file name must end in .png, .svg or .pdf").arg(path);
    if (size.width() < 50 || size.height() < 50 || size.width() > 20000 || size.height() > 20000)
        return QStringLiteral("a figure must be 50 to 20000 pixels wide and high");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
    const QRectF area(QPointF(0, 0), QSizeF(size));
    if (format == "png") {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        paint(painter, area);
        painter.end();
        if (!image.save(&file, "PNG")) return QStringLiteral("Cannot write \"%1\" as PNG").arg(path);
    } else if (format == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(area);
        svg.setTitle(QStringLiteral("Vitrimo figure"));
        QPainter painter(&svg);
        paint(painter, area);
    } else {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(72); // one pixel of the figure is one point of the page
        QPainter painter(&pdf);
        paint(painter, area);
    }
    if (!file.commit()) return QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
    return std::nullopt;
}

} // namespace vitrimo
