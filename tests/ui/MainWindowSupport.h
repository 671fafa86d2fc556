// What the window tests share: a main window opened in a temporary start folder, the locale, cell edits.
#pragma once

#include "engine/Workbench.h"
#include "model/FileIo.h"
#include "ui/CalculationRunner.h"
#include "ui/LensTableModel.h"
#include "ui/ProgramWindows.h"
#include "ui/TFLensdata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <memory>
#include <string_view>
#include <vector>

namespace vitrimo::test {

inline const QString kSourceData = QStringLiteral(VITRIMO_SOURCE_DIR "/data/");

// The main window's folders inside `dir`: start folder, settings file and its fallback; `dataDir` holds
// the catalogues (empty: none).
inline MainWindowSetup SetupIn(const QTemporaryDir& dir, const QString& dataDir = QString()) {
    return MainWindowSetup{Workspace::At(dir.path().toStdString()), dir.filePath("vitrimo.ini"),
                           dir.filePath("config/vitrimo.ini"), dataDir};
}

// The workbenches of a test's main windows: each window gets a fresh one, as each run of the program does,
// and every one lives until the next test starts (a window must not outlive its workbench).
class Benches {
public:
    Workbench& Fresh() {
        benches_.push_back(std::make_unique<Workbench>());
        return *benches_.back();
    }
    void Clear() { benches_.clear(); }

private:
    std::vector<std::unique_ptr<Workbench>> benches_;
};

// Makes `lensFile` the last-data file of the start folder, so the main window opens with it.
inline bool PlaceLastData(const QTemporaryDir& dir, const QString& lensFile) {
    QFile::remove(dir.filePath("lensdata.ldt"));
    return QFile::copy(lensFile, dir.filePath("lensdata.ldt"));
}

inline void UseLocale(QLocale::Language language) {
    QLocale::setDefault(language == QLocale::Japanese ? QLocale(QLocale::Japanese, QLocale::Japan)
                                                      : QLocale(QLocale::English, QLocale::UnitedStates));
}

// Types `text` into a cell, as the table's editor would commit it.
inline bool SetCell(TFLensdata& window, std::string_view column, int row, const QString& text) {
    LensTableModel* model = window.TableModel();
    return model->setData(model->IndexOf(window.LensData().Column(column), row), text, Qt::EditRole);
}

// Processes events until the calculation on the runner has come back (at most `limitMs`); true when it has.
inline bool WaitUntilIdle(const CalculationRunner& runner, int limitMs = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (runner.Busy() && timer.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    return !runner.Busy();
}

// The program as main() builds it, started afresh: `lensFile` as the last data of a new start folder, with
// `settings` (when not empty) as its settings file; the main window shown, every other window made.
struct ProgramUnderTest {
    std::unique_ptr<QTemporaryDir> dir;
    Benches benches;
    std::unique_ptr<TFLensdata> main;
    std::unique_ptr<ProgramWindows> windows;

    bool Start(UiHost& host, const QString& lensFile, const std::string& settings = {}) {
        windows.reset();
        main.reset();
        benches.Clear();
        dir = std::make_unique<QTemporaryDir>();
        if (!PlaceLastData(*dir, lensFile)) return false;
        if (!settings.empty() && WriteFileAtomically(dir->filePath("vitrimo.ini").toStdString(), settings))
            return false;
        main = std::make_unique<TFLensdata>(benches.Fresh(), host, SetupIn(*dir, kSourceData));
        windows = std::make_unique<ProgramWindows>(*main);
        main->show();
        return true;
    }
};

} // namespace vitrimo::test
