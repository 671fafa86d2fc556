// Where the program keeps its files: the start folder with the last-data file and the Undo snapshot,
// the default folder of lens files, and the names of the four glass catalogue files.
#pragma once

#include <string>

namespace vitrimo {

struct Workspace {
    std::string startDir; // the working folder when the program started, without a trailing '/'
    std::string dataDir;  // where the lens file dialogs open; starts as startDir + "/Lens"
    std::string sumitaFile = "Sumita.txt";
    std::string oharaFile = "Ohara.txt";
    std::string hoyaFile = "Hoya.txt";
    std::string schottFile = "Schott.txt";

    // The workspace of a program started in `directory` (a trailing '/' is dropped).
    static Workspace At(std::string directory);
    // The same for the process's current folder.
    static Workspace FromCurrentDirectory();

    // The table as the last run left it, read at start and written at exit.
    std::string LastDataFile() const { return startDir + "/lensdata.ldt"; }
    // The snapshot that the third level of Undo restores.
    std::string SnapshotFile() const { return startDir + "/oldData.ldt"; }
};

} // namespace vitrimo
