// The program's colour values as Qt colours.
#pragma once

#include "model/Colour.h"

#include <QColor>

namespace vitrimo {

inline QColor ToQColor(Colour colour) {
    return QColor(static_cast<int>(RedOf(colour)), static_cast<int>(GreenOf(colour)),
                  static_cast<int>(BlueOf(colour)));
}

} // namespace vitrimo
