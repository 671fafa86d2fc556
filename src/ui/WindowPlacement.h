// Window geometry in the settings file, and keeping windows on the screen.
//
// A window's section holds "Left", "Top", "Width" and "Height" (the window's inner rectangle, as the
// main window stores its own). Missing or malformed keys keep the size the window has; a stored size
// too small to use, or a place off the screen, is corrected when the window is placed.
#pragma once

#include "model/IniFile.h"

#include <QPoint>
#include <QRect>
#include <cmath>
#include <string_view>

class QWidget;

namespace vitrimo {

// numerator / denominator rounded to the nearest pixel: layout metrics scaled from the font height.
inline int RoundDiv(int numerator, int denominator) {
    return static_cast<int>(std::lround(static_cast<double>(numerator) / denominator));
}

// The rectangle moved, or shrunk, to lie within `screen`: a window reaching below the bottom is moved
// up, one taller than the screen gets the screen's height at its top; the same across.
QRect FitOnScreen(QRect frame, const QRect& screen);

// Where a window opens that the settings do not place: cascaded from the main window's corner, each one
// a step further than the one before.
QPoint CascadePosition(const QWidget& window);

// Reads the four keys of `section` and places the window there, on the screen; without "Left" and "Top"
// the window opens cascaded.
void ReadWindowGeometry(QWidget& window, const IniFile& ini, std::string_view section);

// Writes the four keys; with `writtenDefaults`, a value equal to its default deletes its key instead.
void WriteWindowGeometry(const QWidget& window, IniFile& ini, std::string_view section,
                         const QRect* writtenDefaults = nullptr);

} // namespace vitrimo
