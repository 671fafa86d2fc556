#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vitrimo {
namespace {

// Smaller stored sizes come from damaged settings; the window would be unusable.
constexpr int kMinimumSide = 100;

} // namespace

QRect FitOnScreen(QRect g, const QRect& screen) {
    if (!screen.isValid()) return g;
    if (g.height() > screen.height()) {
        g.setTop(screen.top());
        g.setHeight(screen.height());
    } else if (g.bottom() > screen.bottom()) {
        g.moveTop(screen.bottom() - g.height() + 1);
    }
    if (g.width() > screen.width()) {
        g.setLeft(screen.left());
        g.setWidth(screen.width());
    } else if (g.right() > screen.right()) {
        g.moveLeft(screen.right() - g.width() + 1);
    }
    if (g.top() < screen.top()) g.moveTop(screen.top());
    if (g.left() < screen.left()) g.moveLeft(screen.left());
    return g;
}

QPoint CascadePosition(const QWidget& window) {
    // The n-th window placed this way opens n steps of two text lines below and to the right of the main
    // window's corner, so that windows opened one after another do not hide each other; after eight
    // steps the cascade starts again.
    static int placed = 0;
    const int step = 2 * window.fontMetrics().height();
    const QWidget* main = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    const QPoint origin = main ? main->geometry().topLeft() : QPoint(0, 0);
    const int n = placed++ % 8 + 1;
    return origin + QPoint(n * step, n * step);
}

void ReadWindowGeometry(QWidget& window, const IniFile& ini, std::string_view section) {
    // A window the settings do not place opens cascaded.
    if (!ini.HasKey(section, "Left") && !ini.HasKey(section, "Top")) window.move(CascadePosition(window));
    const QRect now = window.geometry();
    const auto read = [&](const char* key, int current) {
        const long long value = ini.ReadInteger(section, key, current);
        return static_cast<int>(std::clamp<long long>(value, -100000, 100000));
    };
    QRect g(read("Left", now.left()), read("Top", now.top()),
            std::max(read("Width", now.width()), kMinimumSide),
            std::max(read("Height", now.height()), kMinimumSide));
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) g = FitOnScreen(g, screen->availableGeometry());
    window.setGeometry(g);
}

void WriteWindowGeometry(const QWidget& window, IniFile& ini, std::string_view section,
                         const QRect* writtenDefaults) {
    const QRect g = window.geometry();
    const std::pair<const char*, int> values[] = {
        {"Left", g.left()}, {"Top", g.top()}, {"Width", g.width()}, {"Height", g.height()}};
    const int defaults[] = {
        writtenDefaults ? writtenDefaults->left() : 0, writtenDefaults ? writtenDefaults->top() : 0,
        writtenDefaults ? writtenDefaults->width() : 0, writtenDefaults ? writtenDefaults->height() : 0};
    for (int k = 0; k < 4; ++k) {
        if (writtenDefaults && values[k].second == defaults[k])
            ini.DeleteKey(section, values[k].first);
        else
            ini.WriteInteger(section, values[k].first, values[k].second);
    }
}

} // namespace vitrimo
