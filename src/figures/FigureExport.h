// Figures written to files: PNG, SVG or PDF, chosen by the file's extension. The same painters draw
// them as draw the windows.
#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QPainter;
class QRectF;

namespace vitrimo {

using FigurePainter = std::function<void(QPainter&, const QRectF&)>;

// Draws a figure of `size` pixels (points for a PDF) into `path`. Returns an error message or nullopt.
// A PNG or PDF is written to a temporary file first, so a failed export leaves no half-written file.
std::optional<QString> ExportFigure(const QString& path, QSize size, const FigurePainter& paint);

// The export formats by extension: "png", "svg", "pdf"; empty when the extension is none of them.
QString FigureFormat(const QString& path);

} // namespace vitrimo
