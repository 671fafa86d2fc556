#include "ui/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vitrimo {

QString ProgramDataDirectory() {
    const QString fromEnvironment = qEnvironmentVariable("VITRIMO_DATA_DIR");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {programDir.filePath("data"), programDir.filePath("../share/vitrimo")})
        if (QFileInfo(candidate + "/help/index.html").exists()) return QDir::cleanPath(candidate);
    return QStringLiteral(VITRIMO_SOURCE_DATA_DIR);
}

QString SettingsPath() {
    const QString fromEnvironment = qEnvironmentVariable("VITRIMO_SETTINGS");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    return QDir(QCoreApplication::applicationDirPath()).filePath("vitrimo.ini");
}

QString FallbackSettingsPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath("vitrimo.ini");
}

} // namespace vitrimo
