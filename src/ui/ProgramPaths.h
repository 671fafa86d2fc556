// Where the program finds its own files (help pages, catalogues, the RGB table) and its settings.
#pragma once

#include <QString>

namespace vitrimo {

// The program's data folder: $VITRIMO_DATA_DIR, else "data" or "../share/vitrimo" beside the program,
// else the source tree's data folder this program was built from.
QString ProgramDataDirectory();

// The settings file: $VITRIMO_SETTINGS, else "vitrimo.ini" beside the program.
QString SettingsPath();

// Where the settings go when the program's folder cannot be written: the user's configuration folder.
QString FallbackSettingsPath();

} // namespace vitrimo
