// What the printing tests share: a printable window that fills its rectangle with ink, and printed PDF
// files turned into pictures and text by poppler's pdftoppm and pdftotext.
#pragma once

#include "ui/TPVForm.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringList>
#include <vector>

namespace vitrimo::test {

// A figure that covers its whole rectangle in black.
class SolidForm : public TPVForm {
public:
    int draws = 0;
    QRectF lastArea;
    void DrawForPrint(QPainter& painter, const QRectF& area) override {
        ++draws;
        lastArea = area;
        painter.fillRect(area, Qt::black);
    }
};

// The pages of a PDF file rasterised at `dpi`, in order; empty when pdftoppm failed.
inline std::vector<QImage> RasterisePdf(const QString& pdf, int dpi) {
    const QString prefix = pdf + "-page";
    QProcess process;
    process.start("pdftoppm", {"-r", QString::number(dpi), "-png", pdf, prefix});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    const QFileInfo info(prefix);
    QStringList files = QDir(info.path()).entryList({info.fileName() + "-*.png"}, QDir::Files, QDir::Name);
    std::vector<QImage> pages;
    for (const QString& file : files) pages.push_back(QImage(info.path() + "/" + file));
    return pages;
}

// The text of one page (1, 2, ...) of a PDF file.
inline QString PdfPageText(const QString& pdf, int page) {
    QProcess process;
    process.start("pdftotext",
                  {"-f", QString::number(page), "-l", QString::number(page), "-layout", pdf, "-"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The bounding box of the pixels darker than light grey; an empty rectangle on a blank page.
inline QRect InkBox(const QImage& image, int threshold = 200) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < threshold) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace vitrimo::test
