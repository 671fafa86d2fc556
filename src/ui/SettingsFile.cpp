#include "ui/SettingsFile.h"

#include "ui/MainWindowTexts.h"

#include <QDir>
#include <QFileInfo>

namespace vitrimo {

SettingsFile::SettingsFile(QString path, QString fallbackPath)
    : path_(std::move(path)), fallbackPath_(std::move(fallbackPath)) {}

QString SettingsFile::CurrentPath() const {
    const QFileInfo usual(path_), fallback(fallbackPath_);
    if (!fallbackPath_.isEmpty() && fallback.exists() &&
        (!usual.exists() || fallback.lastModified() > usual.lastModified()))
        return fallbackPath_;
    return path_;
}

IniFile SettingsFile::Load(UiHost& host) const {
    std::string error;
    IniFile ini = IniFile::Load(CurrentPath().toStdString(), &error);
    // Every window reads its section; an unreadable file is reported once, not by each of them.
    if (!error.empty() && !toldUnreadable_) {
        host.Tell(MessageKind::Warning, mainTexts::CannotRead(error));
        toldUnreadable_ = true;
    }
    return ini;
}

bool SettingsFile::Save(const IniFile& ini, UiHost& host) {
    // Once the fallback is in use it stays the place for this run, so the two files do not alternate.
    const QString current = CurrentPath();
    const auto error = ini.Save(current.toStdString());
    if (!error) return true;
    if (current == fallbackPath_ || fallbackPath_.isEmpty()) {
        host.Tell(MessageKind::Error, mainTexts::CannotWrite(*error));
        return false;
    }
    QDir().mkpath(QFileInfo(fallbackPath_).absolutePath());
    if (const auto fallbackError = ini.Save(fallbackPath_.toStdString())) {
        host.Tell(MessageKind::Error, mainTexts::CannotWrite(*error + "; " + *fallbackError));
        return false;
    }
    if (!toldAboutFallback_) {
        host.Tell(MessageKind::Information,
                  mainTexts::SettingsMoved(path_.toStdString(), fallbackPath_.toStdString(), *error));
        toldAboutFallback_ = true;
    }
    return true;
}

} // namespace vitrimo
