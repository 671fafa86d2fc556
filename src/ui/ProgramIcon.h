// The program's icon and the toolbar pictures, drawn in code so that they scale with the screen.
#pragma once

#include <QIcon>
#include <QString>

namespace vitrimo {

// A biconvex lens bringing three rays to a focus.
QIcon ProgramIcon();

// A small toolbar picture: a symbol drawn for the known commands, else a short text on a tile.
QIcon ToolIcon(const QString& name);

} // namespace vitrimo
