// The desktop program: the main window over the lens prescription in the current folder.
#include "engine/Workbench.h"
#include "model/Workspace.h"
#include "ui/ProgramPaths.h"
#include "ui/ProgramWindows.h"
#include "ui/QtHost.h"
#include "ui/TFLensdata.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vitrimo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vitrimo"));

    // The lens, its paraxial data and the ray tracer: the program's for its whole run.
    vitrimo::Workbench bench;
    vitrimo::QtHost host(vitrimo::ProgramDataDirectory() + "/help");
    vitrimo::MainWindowSetup setup{vitrimo::Workspace::FromCurrentDirectory(), vitrimo::SettingsPath(),
                                   vitrimo::FallbackSettingsPath(), vitrimo::ProgramDataDirectory()};
    vitrimo::TFLensdata window(bench, host, std::move(setup));
    host.SetParent(&window);
    host.focusCell = [&window](int column, int row) { window.SetCurrentCell(column, row); };
    vitrimo::ProgramWindows windows(window);
    window.show();
    return QApplication::exec();
}
