// The settings file of the program, with its fallback.
//
// The file lives beside the program ("vitrimo.ini"). Where that folder cannot be written (an installed
// program), the settings go to the user's configuration folder instead, and the user is told once.
// Reading takes whichever of the two files exists and is newer.
#pragma once

#include "model/IniFile.h"
#include "ui/UiHost.h"

#include <QString>

namespace vitrimo {

class SettingsFile {
public:
    SettingsFile(QString path, QString fallbackPath);

    // The settings as they are on disk now (defaults when there is no file; unreadable files are reported
    // through the host once and read as empty).
    IniFile Load(UiHost& host) const;
    // Writes the settings; falls back to the configuration folder when the usual place fails.
    // Returns false when neither could be written (the host was told why).
    bool Save(const IniFile& ini, UiHost& host);

    // The file that Load reads.
    QString CurrentPath() const;

private:
    QString path_;
    QString fallbackPath_;
    bool toldAboutFallback_ = false;
    mutable bool toldUnreadable_ = false;
};

} // namespace vitrimo
