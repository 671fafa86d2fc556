#include "ui/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace vitrimo {
namespace {

constexpr int kSize = 32;

QPixmap Canvas(int scale) {
    QPixmap pixmap(kSize * scale, kSize * scale);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawLens(QPainter& p) {
    QPainterPath lens;
    lens.moveTo(16, 3);
    lens.quadTo(24, 16, 16, 29);
    lens.quadTo(8, 16, 16, 3);
    p.setPen(QPen(QColor(30, 70, 140), 1.2));
    p.setBrush(QColor(150, 200, 240));
    p.drawPath(lens);
    p.setPen(QPen(QColor(200, 40, 40), 1.2));
    for (double y : {8.0, 16.0, 24.0}) p.drawPolyline(QPolygonF{{1, y}, {16, y}, {30, 16 + (y - 16) * -0.3}});
}

void DrawPage(QPainter& p, QRectF r) {
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - 6, r.top());
    page.lineTo(r.right(), r.top() + 6);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - 6, r.top()), QPointF(r.right() - 6, r.top() + 6));
    p.drawLine(QPointF(r.right() - 6, r.top() + 6), QPointF(r.right(), r.top() + 6));
}

void DrawTable(QPainter& p, bool plus) {
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 5, 22, 20));
    for (double y : {10.0, 15.0, 20.0}) p.drawLine(QPointF(3, y), QPointF(25, y));
    p.drawLine(QPointF(10, 5), QPointF(10, 25));
    p.setPen(QPen(plus ? QColor(20, 140, 40) : QColor(200, 30, 30), 3));
    if (plus) {
        p.drawLine(QPointF(24, 18), QPointF(24, 30));
        p.drawLine(QPointF(18, 24), QPointF(30, 24));
    } else {
        p.drawLine(QPointF(19, 19), QPointF(29, 29));
        p.drawLine(QPointF(29, 19), QPointF(19, 29));
    }
}

void DrawText(QPainter& p, const QString& text, QColor tile) {
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 4, 28, 24), 4, 4);
    QFont font = p.font();
    font.setPixelSize(text.size() > 2 ? 10 : 14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 4, 28, 24), Qt::AlignCenter, text);
}

void DrawTool(QPainter& p, const QString& name) {
    const QPen ink(QColor(40, 40, 40), 1.4);
    p.setPen(ink);
    if (name == "New") {
        DrawPage(p, QRectF(7, 3, 18, 26));
    } else if (name == "Open") {
        p.setBrush(QColor(240, 200, 90));
        p.drawPolygon(QPolygonF{{3, 8}, {12, 8}, {14, 11}, {28, 11}, {28, 26}, {3, 26}});
    } else if (name == "Save") {
        p.setBrush(QColor(60, 90, 170));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.drawRect(QRectF(8, 18, 16, 10));
    } else if (name == "Print") {
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
        DrawPage(p, QRectF(9, 3, 14, 10));
        p.drawRect(QRectF(9, 20, 14, 9));
    } else if (name == "Undo") {
        QPainterPath arrow;
        arrow.moveTo(9, 12);
        arrow.cubicTo(16, 4, 30, 10, 24, 24);
        p.setPen(QPen(QColor(30, 90, 170), 3));
        p.drawPath(arrow);
        p.setBrush(QColor(30, 90, 170));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF{{4, 6}, {14, 8}, {6, 17}});
    } else if (name == "Cut") {
        p.drawLine(QPointF(10, 3), QPointF(20, 20));
        p.drawLine(QPointF(22, 3), QPointF(12, 20));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 24), 4, 4);
        p.drawEllipse(QPointF(22, 24), 4, 4);
    } else if (name == "Copy") {
        DrawPage(p, QRectF(4, 3, 15, 19));
        DrawPage(p, QRectF(13, 10, 15, 19));
    } else if (name == "Paste") {
        p.setBrush(QColor(190, 140, 80));
        p.drawRoundedRect(QRectF(5, 5, 20, 24), 2, 2);
        DrawPage(p, QRectF(13, 12, 15, 17));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(10, 3, 10, 5));
    } else if (name == "Insert" || name == "Delete") {
        DrawTable(p, name == "Insert");
    } else if (name == "Memo") {
        p.setBrush(QColor(255, 250, 190));
        p.drawRect(QRectF(6, 3, 20, 26));
        for (double y : {10.0, 15.0, 20.0, 25.0}) p.drawLine(QPointF(9, y), QPointF(23, y));
    } else if (name == "Font") {
        QFont font = p.font();
        font.setPixelSize(26);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, "A");
    } else if (name == "CrossSection") {
        DrawLens(p);
    } else if (name == "Aberration") {
        p.drawLine(QPointF(4, 28), QPointF(28, 28));
        p.drawLine(QPointF(16, 3), QPointF(16, 28));
        QPainterPath curve;
        curve.moveTo(16, 28);
        curve.cubicTo(15, 18, 12, 10, 20, 4);
        p.setPen(QPen(QColor(200, 40, 40), 2));
        p.drawPath(curve);
    } else if (name == "Help") {
        DrawText(p, "?", QColor(40, 120, 200));
    } else if (name == "Exit") {
        p.setBrush(QColor(150, 110, 70));
        p.drawRect(QRectF(5, 3, 14, 26));
        p.setPen(QPen(QColor(200, 40, 40), 3));
        p.drawLine(QPointF(14, 16), QPointF(29, 16));
        p.drawLine(QPointF(24, 11), QPointF(29, 16));
        p.drawLine(QPointF(24, 21), QPointF(29, 16));
    } else if (name == "ThirdOrder") {
        DrawText(p, "3rd", QColor(60, 110, 60));
    } else if (name == "FocalLength") {
        DrawText(p, "f", QColor(120, 60, 140));
    } else if (name == "Bending") {
        DrawText(p, "B", QColor(90, 90, 140));
    } else if (name == "Condition") {
        DrawText(p, "MF", QColor(150, 100, 40));
    } else if (name == "Optimization") {
        DrawText(p, "Opt", QColor(170, 60, 40));
    } else {
        DrawText(p, name.left(3), QColor(100, 100, 100));
    }
}

QIcon Render(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap = Canvas(scale);
        pixmap.setDevicePixelRatio(scale);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon ProgramIcon() {
    return Render(DrawLens);
}

QIcon ToolIcon(const QString& name) {
    return Render([&](QPainter& p) { DrawTool(p, name); });
}

} // namespace vitrimo
