#include "ui/PreviewGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vitrimo {
namespace {

constexpr int kEdgeReach = 3; // pixels either side of an edge that grab it

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

struct AxisOf {
    int printable, physical, offset, dpi, areaSize;
};

AxisOf Axis(const PrinterPage& page, const PageArea& area, PageAxis axis) {
    if (axis == PageAxis::Across)
        return {page.printableWidth, page.physicalWidth, page.offsetX, page.dpiX, area.width};
    return {page.printableHeight, page.physicalHeight, page.offsetY, page.dpiY, area.height};
}

int ScaleOf(const PrinterPage& page) {
    return page.scalePercent > 0 ? page.scalePercent : 100;
}

} // namespace

PageArea FitPageArea(int width, int height, const PrinterPage& page) {
    if (width <= 0 || height <= 0 || page.printableWidth <= 0 || page.printableHeight <= 0)
        return {width, height};
    const double r = static_cast<double>(page.printableWidth) / page.printableHeight;
    if (static_cast<double>(width) / height >= r) return {Round(height * r), height};
    return {width, Round(width / r)};
}

FrameEdge EdgeAt(const FigureFrame& f, int x, int y) {
    if (std::abs(x - f.left) < kEdgeReach) return FrameEdge::Left;
    if (std::abs(x - (f.left + f.width)) < kEdgeReach) return FrameEdge::Right;
    if (std::abs(y - f.top) < kEdgeReach) return FrameEdge::Top;
    if (std::abs(y - (f.top + f.height)) < kEdgeReach) return FrameEdge::Bottom;
    return FrameEdge::None;
}

// The pointer may leave the page while it drags: an edge stops at the page's border, and the opposite
// edge stays where it is (taking the width from the pointer beyond the border would move it).
FigureFrame DragEdge(FigureFrame f, FrameEdge edge, int x, int y, const PageArea& area) {
    switch (edge) {
    case FrameEdge::Left:
        if (x < f.left + f.width) {
            const int right = f.left + f.width;
            f.left = std::max(x, 0);
            f.width = right - f.left;
        }
        break;
    case FrameEdge::Right:
        if (x > f.left && std::min(x, area.width) > f.left) f.width = std::min(x, area.width) - f.left;
        break;
    case FrameEdge::Top:
        if (y < f.top + f.height) {
            const int bottom = f.top + f.height;
            f.top = std::max(y, 0);
            f.height = bottom - f.top;
        }
        break;
    case FrameEdge::Bottom:
        if (y > f.top && std::min(y, area.height) > f.top) f.height = std::min(y, area.height) - f.top;
        break;
    case FrameEdge::None:
        break;
    }
    return f;
}

// Device pixels of the printable page in proportion to the preview; the sheet's size in tenths of a
// millimetre from its size in device pixels and the resolution, with the printer's scale.
int PreviewToTenths(const PrinterPage& page, const PageArea& area, PageAxis axis, int value, bool position) {
    const AxisOf a = Axis(page, area, axis);
    if (a.areaSize <= 0 || a.dpi <= 0 || a.physical <= 0) return 0;
    double device = static_cast<double>(a.printable) * value / a.areaSize;
    if (position) device += a.offset;
    const double physicalTenths = static_cast<double>(a.physical) * 254 * ScaleOf(page) / (a.dpi * 100.0);
    return Round(device / a.physical * physicalTenths);
}

std::optional<int> TenthsToPreview(const PrinterPage& page, const PageArea& area, PageAxis axis,
                                   double tenths, bool position) {
    const AxisOf a = Axis(page, area, axis);
    if (a.areaSize <= 0 || a.dpi <= 0 || a.physical <= 0 || a.printable <= 0 || !std::isfinite(tenths))
        return std::nullopt;
    const double physicalTenths = static_cast<double>(a.physical) * 254 * ScaleOf(page) / (a.dpi * 100.0);
    double device = tenths / physicalTenths * a.physical;
    if (position) device -= a.offset;
    const double preview = device / a.printable * a.areaSize;
    // Far beyond any page: refused like any other value off the page.
    if (std::fabs(preview) > 1e7) return preview < 0 ? -10'000'000 : 10'000'000;
    return Round(preview);
}

FigureFrame ApplyLeft(FigureFrame f, int left, const PageArea& area) {
    if (left >= area.width) return f;
    f.left = std::max(left, 0);
    if (f.left + f.width > area.width) f.width = area.width - f.left;
    return f;
}

FigureFrame ApplyTop(FigureFrame f, int top, const PageArea& area) {
    if (top >= area.height) return f;
    f.top = std::max(top, 0);
    if (f.top + f.height > area.height) f.height = area.height - f.top;
    return f;
}

FigureFrame ApplyWidth(FigureFrame f, int width, const PageArea& area) {
    if (width > 0) f.width = std::min(width, area.width - f.left);
    return f;
}

FigureFrame ApplyHeight(FigureFrame f, int height, const PageArea& area) {
    if (height > 0) f.height = std::min(height, area.height - f.top);
    return f;
}

DeviceRect PrintedRect(const PrinterPage& page, const PageArea& area, const FigureFrame& f) {
    if (area.width <= 0 || area.height <= 0) return {};
    const double X = page.printableWidth, Y = page.printableHeight;
    return {Round(X * f.left / area.width), Round(Y * f.top / area.height), Round(X * f.width / area.width),
            Round(Y * f.height / area.height)};
}

} // namespace vitrimo
